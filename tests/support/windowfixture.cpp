#include "windowfixture.h"

#include <QApplication>
#include <QTest>

WindowFixture::WindowFixture(bool show)
{
    window = std::make_unique<frmWeb>(services, browser, notices);
    if (show) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
}

void WindowFixture::selectImage(const QString &src)
{
    if (!window->boundDocument())
        browser.loadPage(QStringLiteral("http://gallery.test/fmm/fe/moq.htm"));
    browser.clicked(window->boundDocument()->generation(), clickOn(QStringLiteral("IMG"), {}, src));
}

int countOpen(NoticeId id)
{
    int n = 0;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        auto *notice = qobject_cast<NoticeWindow *>(w);
        if (notice && notice->id() == id && notice->isVisible())
            ++n;
    }
    return n;
}
