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
};

// The number of top-level windows of the given notice currently open.
int countOpen(NoticeId id);
