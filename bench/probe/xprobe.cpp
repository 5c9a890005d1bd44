// Watches the X server from outside the program under test, as another program on the desktop
// would: when a named top-level window becomes viewable, and when the text that a click put on
// the clipboard can be read. Event-driven (no polling), so its own latency is one event delivery
// or one selection round trip; times are printed as milliseconds since the epoch, the clock the
// programs under test log with.
//
//   xprobe map --name TITLE [--size WxH] [--timeout MS]
//       prints "ready", then "mapped <ms> <window> <w> <h>" once such a window is viewable.
//   xprobe clip --window ID --click X,Y [--click X,Y ...] [--stale TEXT] [--timeout MS]
//       clicks (XTEST) at window-relative points, then waits until another program owns the
//       clipboard with a text other than TEXT; prints
//       "clip <release ms> <owner ms> <text ms> <length> <first characters>", the release being
//       the one of the first click.
//   xprobe read [--repeat N]      reads the current clipboard N times, printing each round trip.
//   xprobe notify [--repeat N]    takes the clipboard from a second connection N times, printing
//                                 how long the owner-change event takes to arrive.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>

#include <poll.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// Windows of other clients may vanish between an event and our query of them.
int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

[[noreturn]] void fail(const char *message)
{
    std::fprintf(stderr, "xprobe: %s\n", message);
    std::exit(3);
}

// Next event, or false once the deadline (ms since the epoch) has passed.
bool nextEvent(Display *dpy, XEvent *ev, double deadline)
{
    while (!XPending(dpy)) {
        const double left = deadline - nowMs();
        if (left <= 0)
            return false;
        pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left) + 1);
    }
    XNextEvent(dpy, ev);
    return true;
}

std::string windowName(Display *dpy, Window w)
{
    const Atom netName = XInternAtom(dpy, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::string name;
    if (XGetWindowProperty(dpy, w, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                           &data) == Success &&
        data && type == utf8) {
        name.assign(reinterpret_cast<char *>(data), count);
    }
    if (data)
        XFree(data);
    if (name.empty()) {
        char *plain = nullptr;
        if (XFetchName(dpy, w, &plain) && plain) {
            name = plain;
            XFree(plain);
        }
    }
    return name;
}

struct Options
{
    std::string name;
    int width = 0, height = 0;
    double timeoutMs = 30000;
    Window window = None;
    std::vector<std::pair<int, int>> clicks;
    std::optional<std::string> stale;
    int repeat = 1;
};

Options parse(int argc, char **argv)
{
    Options o;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            fail("option without a value");
        const char *value = argv[++i];
        if (arg == "--name") {
            o.name = value;
        } else if (arg == "--size") {
            if (std::sscanf(value, "%dx%d", &o.width, &o.height) != 2)
                fail("--size wants WxH");
        } else if (arg == "--timeout") {
            o.timeoutMs = std::atof(value);
        } else if (arg == "--window") {
            o.window = static_cast<Window>(std::strtoul(value, nullptr, 0));
        } else if (arg == "--click") {
            int x = 0, y = 0;
            if (std::sscanf(value, "%d,%d", &x, &y) != 2)
                fail("--click wants X,Y");
            o.clicks.emplace_back(x, y);
        } else if (arg == "--stale") {
            o.stale = value;
        } else if (arg == "--repeat") {
            o.repeat = std::atoi(value);
        } else {
            fail("unknown option");
        }
    }
    return o;
}

bool matches(Display *dpy, Window w, const Options &o, XWindowAttributes *attrs)
{
    if (!XGetWindowAttributes(dpy, w, attrs) || attrs->map_state != IsViewable)
        return false;
    if (o.width && (attrs->width != o.width || attrs->height != o.height))
        return false;
    return windowName(dpy, w) == o.name;
}

int waitForMap(Display *dpy, const Options &o)
{
    const Window root = DefaultRootWindow(dpy);
    const Atom netName = XInternAtom(dpy, "_NET_WM_NAME", False);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);
    const double deadline = nowMs() + o.timeoutMs;
    auto report = [](double t, Window w, const XWindowAttributes &a) {
        std::printf("mapped %.3f 0x%lx %d %d\n", t, w, a.width, a.height);
        return 0;
    };
    Window parent = None, rootBack = None, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(dpy, root, &rootBack, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a;
            if (matches(dpy, children[i], o, &a)) {
                std::printf("already ");
                return report(nowMs(), children[i], a);
            }
        }
        if (children)
            XFree(children);
    }
    std::printf("ready\n");
    std::fflush(stdout);
    XEvent ev;
    while (nextEvent(dpy, &ev, deadline)) {
        const double t = nowMs();
        XWindowAttributes a;
        if (ev.type == CreateNotify && ev.xcreatewindow.parent == root) {
            // A title given after the map still counts, from the moment it is given.
            XSelectInput(dpy, ev.xcreatewindow.window, PropertyChangeMask);
        } else if (ev.type == MapNotify && ev.xmap.event == root) {
            if (matches(dpy, ev.xmap.window, o, &a))
                return report(t, ev.xmap.window, a);
        } else if (ev.type == PropertyNotify &&
                   (ev.xproperty.atom == XA_WM_NAME || ev.xproperty.atom == netName)) {
            if (matches(dpy, ev.xproperty.window, o, &a))
                return report(t, ev.xproperty.window, a);
        }
    }
    std::printf("timeout\n");
    return 2;
}

// Converts CLIPBOARD to UTF8_STRING into a property of `own`, following INCR transfers.
std::optional<std::string> readClipboard(Display *dpy, Window own, double deadline)
{
    const Atom clipboard = XInternAtom(dpy, "CLIPBOARD", False);
    const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    const Atom prop = XInternAtom(dpy, "XPROBE_CLIP", False);
    const Atom incr = XInternAtom(dpy, "INCR", False);
    XConvertSelection(dpy, clipboard, utf8, prop, own, CurrentTime);
    XFlush(dpy);
    XEvent ev;
    for (;;) {
        if (!nextEvent(dpy, &ev, deadline))
            return std::nullopt;
        if (ev.type == SelectionNotify && ev.xselection.selection == clipboard)
            break;
    }
    if (ev.xselection.property == None)
        return std::nullopt;

    auto takeProperty = [&](Atom *type) {
        std::string out;
        long offset = 0;
        for (;;) {
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char *data = nullptr;
            if (XGetWindowProperty(dpy, own, prop, offset, 1 << 20, False, AnyPropertyType, type,
                                   &format, &count, &after, &data) != Success)
                return out;
            const size_t unit = format == 32 ? sizeof(long) : static_cast<size_t>(format / 8);
            if (data) {
                out.append(reinterpret_cast<char *>(data), count * unit);
                XFree(data);
            }
            offset += static_cast<long>(count * static_cast<unsigned long>(format) / 32);
            if (after == 0)
                break;
        }
        XDeleteProperty(dpy, own, prop);
        XFlush(dpy);
        return out;
    };

    Atom type = None;
    std::string text = takeProperty(&type);
    if (type != incr)
        return text;
    text.clear();
    for (;;) {
        if (!nextEvent(dpy, &ev, deadline))
            return std::nullopt;
        if (ev.type != PropertyNotify || ev.xproperty.atom != prop ||
            ev.xproperty.state != PropertyNewValue)
            continue;
        const std::string chunk = takeProperty(&type);
        if (chunk.empty())
            return text;
        text += chunk;
    }
}

Window ownWindow(Display *dpy)
{
    const Window w = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(dpy, w, PropertyChangeMask);
    return w;
}

std::string printable(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size() && out.size() < 60; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        out += (c < 0x20 || c == 0x7f) ? '.' : static_cast<char>(c);
    }
    return out;
}

int clickAndRead(Display *dpy, const Options &o)
{
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XFixesQueryExtension(dpy, &eventBase, &errorBase))
        fail("the X server has no XFIXES");
    int testEvents = 0, testErrors = 0;
    if (!XTestQueryExtension(dpy, &testEvents, &testErrors, &major, &minor))
        fail("the X server has no XTEST");
    if (o.window == None || o.clicks.empty())
        fail("clip wants --window and at least one --click");
    const Window own = ownWindow(dpy);
    const Atom clipboard = XInternAtom(dpy, "CLIPBOARD", False);
    XFixesSelectSelectionInput(dpy, own, clipboard, XFixesSetSelectionOwnerNotifyMask);
    XSync(dpy, False);

    double release = 0;
    for (const auto &[x, y] : o.clicks) {
        int rx = 0, ry = 0;
        Window child = None;
        if (!XTranslateCoordinates(dpy, o.window, DefaultRootWindow(dpy), x, y, &rx, &ry, &child))
            fail("cannot place the click");
        XTestFakeMotionEvent(dpy, -1, rx, ry, CurrentTime);
        XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
        XFlush(dpy);
        // Taken before the release is sent, so the figure can only err on the long side.
        const double t = nowMs();
        XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
        XFlush(dpy);
        if (release == 0)
            release = t;
    }

    const double deadline = nowMs() + o.timeoutMs;
    XEvent ev;
    while (nextEvent(dpy, &ev, deadline)) {
        if (ev.type != eventBase + XFixesSelectionNotify)
            continue;
        const auto *notify = reinterpret_cast<XFixesSelectionNotifyEvent *>(&ev);
        if (notify->owner == None || notify->owner == own)
            continue;
        const double owned = nowMs();
        const std::optional<std::string> text = readClipboard(dpy, own, deadline);
        if (!text)
            continue;
        if (o.stale && *text == *o.stale)
            continue;
        std::printf("clip %.3f %.3f %.3f %zu %s\n", release, owned, nowMs(), text->size(),
                    printable(*text).c_str());
        return 0;
    }
    std::printf("timeout\n");
    return 2;
}

int repeatRead(Display *dpy, const Options &o)
{
    const Window own = ownWindow(dpy);
    XSync(dpy, False);
    for (int i = 0; i < o.repeat; ++i) {
        const double t = nowMs();
        const std::optional<std::string> text = readClipboard(dpy, own, t + o.timeoutMs);
        if (!text) {
            std::printf("timeout\n");
            return 2;
        }
        std::printf("read %.3f %zu\n", nowMs() - t, text->size());
    }
    return 0;
}

int repeatNotify(Display *dpy, const Options &o)
{
    int eventBase = 0, errorBase = 0;
    if (!XFixesQueryExtension(dpy, &eventBase, &errorBase))
        fail("the X server has no XFIXES");
    Display *other = XOpenDisplay(nullptr);
    if (!other)
        fail("cannot open a second connection");
    const Window own = ownWindow(dpy);
    const Window theirs = ownWindow(other);
    const Atom clipboard = XInternAtom(dpy, "CLIPBOARD", False);
    const Atom clipboardOther = XInternAtom(other, "CLIPBOARD", False);
    XFixesSelectSelectionInput(dpy, own, clipboard, XFixesSetSelectionOwnerNotifyMask);
    XSync(dpy, False);
    XSync(other, False);
    for (int i = 0; i < o.repeat; ++i) {
        const double t = nowMs();
        XSetSelectionOwner(other, clipboardOther, theirs, CurrentTime);
        XFlush(other);
        XEvent ev;
        bool seen = false;
        while (!seen && nextEvent(dpy, &ev, t + o.timeoutMs))
            seen = ev.type == eventBase + XFixesSelectionNotify;
        if (!seen) {
            std::printf("timeout\n");
            return 2;
        }
        std::printf("notify %.3f\n", nowMs() - t);
    }
    XSetSelectionOwner(other, clipboardOther, None, CurrentTime);
    XCloseDisplay(other);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        fail("usage: xprobe map|clip|read|notify [options]");
    const std::string mode = argv[1];
    const Options o = parse(argc, argv);
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy)
        fail("cannot open the display");
    XSetErrorHandler(ignoreErrors);
    int status = 3;
    if (mode == "map")
        status = waitForMap(dpy, o);
    else if (mode == "clip")
        status = clickAndRead(dpy, o);
    else if (mode == "read")
        status = repeatRead(dpy, o);
    else if (mode == "notify")
        status = repeatNotify(dpy, o);
    else
        fail("unknown mode");
    std::fflush(stdout);
    XCloseDisplay(dpy);
    return status;
}
