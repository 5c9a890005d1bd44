#include "platform/taskbarhint.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>

namespace Pinmark {

namespace {
xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}
} // namespace

Qt::WindowFlags noticeWindowFlags()
{
    // Not Qt::Tool: X11 window managers treat parentless tool windows as utility windows of
    // the whole program and keep them above its main window.
    return Qt::Window | Qt::FramelessWindowHint;
}

void keepOffTaskbar(QWidget *window)
{
    // Wayland has no such hint: there the compositor's own rules decide.
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const std::array<xcb_atom_t, 2> skip = {internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                            internAtom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    if (state == XCB_ATOM_NONE || skip[0] == XCB_ATOM_NONE || skip[1] == XCB_ATOM_NONE)
        return;
    // Set on the unmapped window; Qt merges its own states into these when it maps it.
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(skip.size()), skip.data());
    xcb_flush(connection);
}

} // namespace Pinmark
