#include "windowfixture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
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

void WindowFixture::paste()
{
    QTest::mouseClick(ui().swrur, Qt::LeftButton);
    services.answerClipboardRead();
}

void doubleClickPress(QWidget *widget)
{
    QPointer<QWidget> target = widget;
    const QPoint centre = widget->rect().center();
    QTest::mouseClick(widget, Qt::LeftButton, {}, centre);
    if (!target)
        return;
    QMouseEvent second(QEvent::MouseButtonDblClick, centre, widget->mapToGlobal(centre),
                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &second);
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
