/* changingowner: an X11 clipboard owner whose text changes between requests.
 *
 * Usage: changingowner FIRST SECOND
 * Takes the CLIPBOARD and answers the n-th request for text with FIRST when n is odd and
 * SECOND when n is even. Prints "ready" once it owns the clipboard, then one line per text
 * request ("served 1", "served 2", ...). Ends when another program takes the clipboard. */

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <string.h>

static int ignore_error(Display *display, XErrorEvent *error)
{
    (void)display;
    (void)error;
    return 0;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: changingowner FIRST SECOND\n");
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "changingowner: cannot open the display\n");
        return 1;
    }
    XSetErrorHandler(ignore_error);
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    const Atom targets = XInternAtom(display, "TARGETS", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, clipboard, window, CurrentTime);
    if (XGetSelectionOwner(display, clipboard) != window) {
        fprintf(stderr, "changingowner: could not take the clipboard\n");
        return 1;
    }
    printf("ready\n");
    fflush(stdout);

    unsigned served = 0;
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == SelectionClear)
            break;
        if (event.type != SelectionRequest)
            continue;
        const XSelectionRequestEvent *request = &event.xselectionrequest;
        XSelectionEvent reply;
        memset(&reply, 0, sizeof reply);
        reply.type = SelectionNotify;
        reply.requestor = request->requestor;
        reply.selection = request->selection;
        reply.target = request->target;
        reply.time = request->time;
        reply.property = request->property != None ? request->property : request->target;
        if (request->target == targets) {
            const Atom offered[] = {targets, utf8};
            XChangeProperty(display, request->requestor, reply.property, XA_ATOM, 32,
                            PropModeReplace, (const unsigned char *)offered, 2);
        } else if (request->target == utf8) {
            const char *text = argv[1 + (served % 2)];
            ++served;
            XChangeProperty(display, request->requestor, reply.property, utf8, 8, PropModeReplace,
                            (const unsigned char *)text, (int)strlen(text));
            printf("served %u\n", served);
            fflush(stdout);
        } else {
            reply.property = None;
        }
        XSendEvent(display, request->requestor, False, NoEventMask, (XEvent *)&reply);
        XFlush(display);
    }
    XCloseDisplay(display);
    return 0;
}
