#pragma once
#include "app/frmweb.h"
#include "dialogs/notices.h"
#include "fakebrowserhost.h"
#include "fakedesktopservices.h"
#include "ui_frmweb.h"

#include <memory>

using namespace Pinmark;

// The main window built from its real layout, with stand-in desktop and browser.
struct WindowFixture
{
    FakeDesktopServices services;
    FakeBrowserHost browser;
    Notices notices{[this] { services.endApplication(); }};
    std::unique_ptr<frmWeb> window;

    explicit WindowFixture(bool show = true);
    Ui::frmWeb &ui() { return window->layout(); }
    // Selects an address as a click on a picture of the bound gallery would.
    void selectImage(const QString &src);
    // Presses the paste button, and the clipboard answers at once with what it holds.
    void paste();
};

// A left double-click as the desktop delivers it: press, release, the second press as a
// double-click event. The last release is the caller's. Qt Test's own mouseDClick sends only the
// double-click event.
void doubleClickPress(QWidget *widget);

// The number of top-level windows of the given notice currently open.
int countOpen(NoticeId id);
