/* clipboardmanager: the smallest X11 clipboard manager, for the end-to-end tests.
 *
 * Owns CLIPBOARD_MANAGER. When a program leaving the display asks it to SAVE_TARGETS, it fetches
 * the clipboard's UTF8_STRING, prints "saved <text>", takes the clipboard and serves that text.
 * Prints "ready" once it runs. Ends when another program takes the clipboard from it. */

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <string.h>
#include <string>

static int ignore_error(Display *, XErrorEvent *)
{
    return 0;
}

static void reply(Display *display, const XSelectionRequestEvent &request, Atom property)
{
    XSelectionEvent event;
    memset(&event, 0, sizeof event);
    event.type = SelectionNotify;
    event.requestor = request.requestor;
    event.selection = request.selection;
    event.target = request.target;
    event.time = request.time;
    event.property = property;
    XSendEvent(display, request.requestor, False, NoEventMask, (XEvent *)&event);
    XFlush(display);
}

static bool fetch(Display *display, Window window, Atom clipboard, Atom utf8, std::string &text)
{
    const Atom property = XInternAtom(display, "CLIPBOARDMANAGER_DATA", False);
    XConvertSelection(display, clipboard, utf8, property, window, CurrentTime);
    XEvent event;
    do {
        XNextEvent(display, &event);
    } while (event.type != SelectionNotify);
    if (event.xselection.property == None)
        return false;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    XGetWindowProperty(display, window, property, 0, 1L << 24, True, AnyPropertyType, &type,
                       &format, &count, &after, &data);
    if (!data)
        return false;
    text.assign((const char *)data, count);
    XFree(data);
    return true;
}

int main()
{
    Display *display = XOpenDisplay(NULL);
    if (!display)
        return 1;
    XSetErrorHandler(ignore_error);
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    const Atom manager = XInternAtom(display, "CLIPBOARD_MANAGER", False);
    const Atom saveTargets = XInternAtom(display, "SAVE_TARGETS", False);
    const Atom targets = XInternAtom(display, "TARGETS", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, manager, window, CurrentTime);
    if (XGetSelectionOwner(display, manager) != window)
        return 1;
    printf("ready\n");
    fflush(stdout);

    std::string saved;
    bool serving = false;
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == SelectionClear && event.xselectionclear.selection == clipboard)
            break;
        if (event.type != SelectionRequest)
            continue;
        const XSelectionRequestEvent request = event.xselectionrequest;
        const Atom property = request.property != None ? request.property : request.target;
        if (request.selection == manager && request.target == saveTargets) {
            if (fetch(display, window, clipboard, utf8, saved)) {
                printf("saved %s\n", saved.c_str());
                fflush(stdout);
                reply(display, request, property);
                XSetSelectionOwner(display, clipboard, window, CurrentTime);
                serving = true;
            } else {
                reply(display, request, None);
            }
        } else if (serving && request.selection == clipboard && request.target == targets) {
            const Atom offered[] = {targets, utf8};
            XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            (const unsigned char *)offered, 2);
            reply(display, request, property);
        } else if (serving && request.selection == clipboard && request.target == utf8) {
            XChangeProperty(display, request.requestor, property, utf8, 8, PropModeReplace,
                            (const unsigned char *)saved.data(), (int)saved.size());
            reply(display, request, property);
        } else {
            reply(display, request, None);
        }
    }
    XCloseDisplay(display);
    return 0;
}
