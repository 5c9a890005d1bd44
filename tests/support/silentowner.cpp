/* silentowner: an X11 clipboard owner that never answers.
 *
 * Usage: silentowner
 * Takes the CLIPBOARD and ignores every request for it, as a program that has hung would.
 * Prints "ready" once it owns the clipboard, then "asked NAME" for each request (NAME is the
 * target's name). Ends when another program takes the clipboard. */

#include <X11/Xlib.h>
#include <stdio.h>

int main(void)
{
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "silentowner: cannot open the display\n");
        return 1;
    }
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, clipboard, window, CurrentTime);
    if (XGetSelectionOwner(display, clipboard) != window) {
        fprintf(stderr, "silentowner: could not take the clipboard\n");
        return 1;
    }
    printf("ready\n");
    fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == SelectionClear)
            break;
        if (event.type == SelectionRequest) {
            char *name = XGetAtomName(display, event.xselectionrequest.target);
            printf("asked %s\n", name ? name : "?");
            fflush(stdout);
            if (name)
                XFree(name);
        }
    }
    XCloseDisplay(display);
    return 0;
}
