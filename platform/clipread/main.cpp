// pinmark-clipread: reads the X11 CLIPBOARD's text for the program, so that an owner that never
// answers keeps only this helper waiting, never the program's window.
//
// Writes one byte on standard output as soon as the clipboard's owner has answered: 'u' when
// UTF-8 text follows, 'l' when Latin-1 text follows, 'n' when the clipboard holds no text (no
// owner, no text among its formats, or a refusal). The text follows as it arrives, then the
// helper ends. It takes the same format a Qt program reading the clipboard's text would take.
// It writes no file and opens nothing but its display; the program ends it when the owner is
// too slow, and it ends with the program.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// However long an owner delays, the helper ends by itself after this.
constexpr unsigned LastResortSeconds = 60;

bool writeAll(const void *data, size_t size)
{
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = ::write(1, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

int answer(char kind)
{
    return writeAll(&kind, 1) ? 0 : 1;
}

// A requestor's window or property may vanish meanwhile; a failed request reads as no text.
int ignoreError(Display *, XErrorEvent *)
{
    return 0;
}

int displayGone(Display *)
{
    ::_exit(1);
}

// Asks the owner to convert the clipboard to target and waits for its answer: the property it
// filled, or None when it refused.
Atom convert(Display *display, Window window, Atom clipboard, Atom target, Atom property)
{
    XConvertSelection(display, clipboard, target, property, window, CurrentTime);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == SelectionNotify && event.xselection.requestor == window &&
            event.xselection.selection == clipboard)
            return event.xselection.property;
    }
}

struct Property
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned char *data = nullptr;

    ~Property()
    {
        if (data)
            XFree(data);
    }
};

// Reads the whole property and deletes it, which tells an owner sending pieces to go on.
bool take(Display *display, Window window, Atom property, Property &out)
{
    unsigned long after = 0;
    return XGetWindowProperty(display, window, property, 0, LONG_MAX / 4, True, AnyPropertyType,
                              &out.type, &out.format, &out.items, &after, &out.data) == Success;
}

int readClipboard(Display *display)
{
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    const Atom targets = XInternAtom(display, "TARGETS", False);
    const Atom incr = XInternAtom(display, "INCR", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Atom property = XInternAtom(display, "PINMARK_CLIPREAD", False);
    if (XGetSelectionOwner(display, clipboard) == None)
        return answer('n');

    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(display, window, PropertyChangeMask);

    // The formats the owner offers, and of them the one Qt would read text from.
    const struct
    {
        Atom atom;
        char kind;
    } preferred[] = {
        {XInternAtom(display, "text/plain;charset=utf-8", False), 'u'},
        {utf8, 'u'},
        {XA_STRING, 'l'},
        {XInternAtom(display, "TEXT", False), 'l'},
        {XInternAtom(display, "text/plain", False), 'u'},
    };
    Atom target = None;
    char kind = 'n';
    {
        Property offered;
        if (convert(display, window, clipboard, targets, property) == None ||
            !take(display, window, property, offered) || offered.format != 32)
            return answer('n');
        const auto *atoms = reinterpret_cast<const Atom *>(offered.data);
        for (const auto &p : preferred) {
            for (unsigned long i = 0; i < offered.items && target == None; ++i) {
                if (atoms[i] == p.atom) {
                    target = p.atom;
                    kind = p.kind;
                }
            }
            if (target != None)
                break;
        }
    }
    if (target == None)
        return answer('n');

    if (convert(display, window, clipboard, target, property) == None)
        return answer('n');
    Property first;
    if (!take(display, window, property, first))
        return answer('n');
    // TEXT is answered in a type of the owner's choosing.
    if (first.type == utf8)
        kind = 'u';
    if (first.type != incr) {
        if (first.format != 8)
            return answer('n');
        if (answer(kind) != 0 || !writeAll(first.data, first.items))
            return 1;
        return 0;
    }

    // A large text comes in pieces (ICCCM's INCR): each piece is a new value of the property,
    // taken and deleted in turn; an empty piece ends the text.
    if (answer(kind) != 0)
        return 1;
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != PropertyNotify || event.xproperty.window != window ||
            event.xproperty.atom != property || event.xproperty.state != PropertyNewValue)
            continue;
        Property piece;
        if (!take(display, window, property, piece) || piece.format != 8)
            return 1;
        if (piece.items == 0)
            return 0;
        if (!writeAll(piece.data, piece.items))
            return 1;
    }
}

} // namespace

int main()
{
    // Ends with the program that started it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() == 1)
        return 1;
    ::alarm(LastResortSeconds);
    std::signal(SIGPIPE, SIG_IGN);

    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    XSetErrorHandler(ignoreError);
    XSetIOErrorHandler(displayGone);
    const int status = readClipboard(display);
    XCloseDisplay(display);
    return status;
}
