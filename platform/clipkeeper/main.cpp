// pinmark-clipkeeper: keeps the program's clipboard text after the program has ended.
//
// Reads the text (UTF-8) from standard input, takes the X11 CLIPBOARD selection and answers one
// byte on standard output: '1' once it owns the clipboard, '0' when it declines (a clipboard
// manager runs and takes the text from the program itself) or cannot. It then serves only that
// text and ends as soon as another program owns the clipboard or the display goes away. It
// writes no file and opens nothing but its display.

#include "platform/keeperpipe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace KeeperPipe = Pinmark::KeeperPipe;

namespace {

struct Atoms
{
    Atom clipboard, manager, targets, timestamp, utf8, textPlainUtf8, textPlain, incr, clock;
};

// A requestor may vanish while it is being answered; that is its affair.
int ignoreError(Display *, XErrorEvent *)
{
    return 0;
}

int displayGone(Display *)
{
    ::_exit(0);
}

// A server time stamp for taking the selection: the time of a property change of our own.
Time serverTime(Display *display, Window window, Atom property)
{
    XChangeProperty(display, window, property, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent event;
    do {
        XWindowEvent(display, window, PropertyChangeMask, &event);
    } while (event.type != PropertyNotify);
    return event.xproperty.time;
}

bool isAscii(const std::string &text)
{
    for (const unsigned char c : text) {
        if (c > 0x7f)
            return false;
    }
    return true;
}

// A text too large for one property goes in pieces (ICCCM's INCR): the requestor deletes the
// property each time it has read a piece, and an empty piece ends the transfer.
struct Transfer
{
    Window requestor;
    Atom property;
    Atom type;
    size_t offset;
};

constexpr size_t PieceBytes = size_t(1) << 20;

void sendPiece(Display *display, Transfer &t, const std::string &text)
{
    const size_t size = std::min(PieceBytes, text.size() - t.offset);
    XChangeProperty(display, t.requestor, t.property, t.type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(text.data() + t.offset), int(size));
    t.offset += size;
    XFlush(display);
}

// The requestor has read a piece: send the next one, or end after the empty one.
void continueTransfer(Display *display, std::vector<Transfer> &transfers,
                      const XPropertyEvent &event, const std::string &text)
{
    if (event.state != PropertyDelete)
        return;
    for (auto t = transfers.begin(); t != transfers.end(); ++t) {
        if (t->requestor != event.window || t->property != event.atom)
            continue;
        const bool ended = t->offset == text.size();
        sendPiece(display, *t, text);
        if (ended) {
            XSelectInput(display, t->requestor, NoEventMask);
            transfers.erase(t);
        }
        return;
    }
}

void serve(Display *display, const Atoms &a, const XSelectionRequestEvent &request, Time owned,
           const std::string &text, size_t maxBytes, std::vector<Transfer> &transfers)
{
    XSelectionEvent reply = {};
    reply.type = SelectionNotify;
    reply.display = display;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    // Old clients name no property: the target's name is the property then.
    const Atom property = request.property != None ? request.property : request.target;
    reply.property = None;

    if (request.selection == a.clipboard) {
        if (request.target == a.targets) {
            std::vector<Atom> offered = {a.targets, a.timestamp, a.utf8, a.textPlainUtf8};
            if (isAscii(text)) {
                offered.push_back(XA_STRING);
                offered.push_back(a.textPlain);
            }
            XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char *>(offered.data()),
                            int(offered.size()));
            reply.property = property;
        } else if (request.target == a.timestamp) {
            const long stamp = long(owned);
            XChangeProperty(display, request.requestor, property, XA_INTEGER, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char *>(&stamp), 1);
            reply.property = property;
        } else if (request.target == a.utf8 || request.target == a.textPlainUtf8 ||
                   ((request.target == XA_STRING || request.target == a.textPlain) &&
                    isAscii(text))) {
            if (text.size() <= maxBytes) {
                XChangeProperty(
                    display, request.requestor, property, request.target, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(text.data()), int(text.size()));
            } else {
                XSelectInput(display, request.requestor, PropertyChangeMask);
                const long size = long(text.size());
                XChangeProperty(display, request.requestor, property, a.incr, 32, PropModeReplace,
                                reinterpret_cast<const unsigned char *>(&size), 1);
                transfers.push_back({request.requestor, property, request.target, 0});
            }
            reply.property = property;
        }
    }
    XSendEvent(display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent *>(&reply));
    XFlush(display);
}

} // namespace

int main()
{
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    std::string text;
    if (!KeeperPipe::readText(text) || text.empty()) {
        KeeperPipe::answer('0');
        return 1;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        KeeperPipe::answer('0');
        return 1;
    }
    XSetErrorHandler(ignoreError);
    XSetIOErrorHandler(displayGone);
    const Atoms a = {
        XInternAtom(display, "CLIPBOARD", False),
        XInternAtom(display, "CLIPBOARD_MANAGER", False),
        XInternAtom(display, "TARGETS", False),
        XInternAtom(display, "TIMESTAMP", False),
        XInternAtom(display, "UTF8_STRING", False),
        XInternAtom(display, "text/plain;charset=utf-8", False),
        XInternAtom(display, "text/plain", False),
        XInternAtom(display, "INCR", False),
        XInternAtom(display, "PINMARK_CLIPKEEPER_TIME", False),
    };
    // A clipboard manager takes the text from the program at its exit.
    if (XGetSelectionOwner(display, a.manager) != None) {
        KeeperPipe::answer('0');
        return 0;
    }
    int fixesEvent = 0;
    int fixesError = 0;
    if (!XFixesQueryExtension(display, &fixesEvent, &fixesError)) {
        KeeperPipe::answer('0');
        return 1;
    }

    const Window root = DefaultRootWindow(display);
    const Window window = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(display, window, PropertyChangeMask);
    const Time owned = serverTime(display, window, a.clock);
    XSetSelectionOwner(display, a.clipboard, window, owned);
    if (XGetSelectionOwner(display, a.clipboard) != window) {
        KeeperPipe::answer('0');
        return 1;
    }
    XFixesSelectSelectionInput(display, root, a.clipboard,
                               XFixesSetSelectionOwnerNotifyMask |
                                   XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
    XSync(display, False);
    KeeperPipe::answer('1');

    // Without the big-requests extension a property is limited to one request's size.
    long maxRequest = XExtendedMaxRequestSize(display);
    if (maxRequest == 0)
        maxRequest = XMaxRequestSize(display);
    const size_t maxBytes = std::min(size_t(maxRequest) * 4 - 1024, size_t(4) << 20);
    std::vector<Transfer> transfers;

    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == SelectionClear && event.xselectionclear.selection == a.clipboard)
            break;
        if (event.type == SelectionRequest)
            serve(display, a, event.xselectionrequest, owned, text, maxBytes, transfers);
        if (event.type == PropertyNotify && event.xproperty.window != window)
            continueTransfer(display, transfers, event.xproperty, text);
        if (event.type == fixesEvent + XFixesSelectionNotify) {
            const auto &notify = reinterpret_cast<const XFixesSelectionNotifyEvent &>(event);
            if (notify.selection == a.clipboard && notify.owner != window)
                break;
        }
    }
    XCloseDisplay(display);
    return 0;
}
