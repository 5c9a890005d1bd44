#include "pinmark/config.h"
#include "widgets/picturebutton.h"
#include "windowfixture.h"

#include "widgets/textfield.h"
#include <QApplication>
#include <QTest>

using namespace Pinmark;

namespace {
PictureButton *buttonNamed(WindowFixture &f, const QString &name)
{
    return f.window->findChild<PictureButton *>(name);
}

const QStringList AllButtons = {"xx",      "min",      "aboutimg", "mwqa",    "swrd2",
                                "swrfr22", "swrfrc22", "swrh22",   "swrhc22", "swrur"};
} // namespace

class TestChrome : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pressFeedback_data();
    void pressFeedback();
    void pressMovedOffCloseButtonKeepsRunning();
    void dragWithAnyButton_data();
    void dragWithAnyButton();
    void pressOnBrowserOrButtonStartsNoDrag();
    void aboutTwiceLeavesOne();
    void closeEndsProgramWithNoticesOpen();
    void minimiseAndPortal();
    void doubleClickActsOnce_data();
    void doubleClickActsOnce();
    void keyboardReachesAndPressesButtons();
    void cleanup();
};

void TestChrome::cleanup()
{
    QApplication::closeAllWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestChrome::pressFeedback_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Qt::MouseButton>("button");
    for (const QString &name : AllButtons) {
        QTest::addRow("%s/left", qPrintable(name)) << name << Qt::LeftButton;
        QTest::addRow("%s/right", qPrintable(name)) << name << Qt::RightButton;
        QTest::addRow("%s/middle", qPrintable(name)) << name << Qt::MiddleButton;
    }
}

void TestChrome::pressFeedback()
{
    QFETCH(QString, name);
    QFETCH(Qt::MouseButton, button);
    WindowFixture f;
    PictureButton *b = buttonNamed(f, name);
    QVERIFY(b);
    const QRect place = b->geometry();
    QCOMPARE(b->pixmap().toImage(), b->releasedHolder()->pixmap().toImage());

    QTest::mousePress(b, button);
    QCOMPARE(b->pixmap().cacheKey(), b->pressedHolder()->pixmap().cacheKey());
    QVERIFY(!b->pressedHolder()->isVisible() && !b->releasedHolder()->isVisible());
    QTest::mouseRelease(b, button);
    QCOMPARE(b->pixmap().cacheKey(), b->releasedHolder()->pixmap().cacheKey());
    QCOMPARE(b->geometry(), place);
    QVERIFY(!f.window->isDragging);
}

void TestChrome::pressMovedOffCloseButtonKeepsRunning()
{
    WindowFixture f;
    PictureButton *xx = f.ui().xx;
    QTest::mousePress(xx, Qt::LeftButton);
    QTest::mouseMove(xx, QPoint(200, 200));
    QTest::mouseRelease(xx, Qt::LeftButton, {}, QPoint(200, 200));
    QCOMPARE(xx->pixmap().cacheKey(), f.ui().xup->pixmap().cacheKey());
    QCOMPARE(f.services.endApplications, 0);
}

void TestChrome::dragWithAnyButton_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("left") << Qt::LeftButton;
    QTest::newRow("right") << Qt::RightButton;
    QTest::newRow("middle") << Qt::MiddleButton;
}

void TestChrome::dragWithAnyButton()
{
    QFETCH(Qt::MouseButton, button);
    WindowFixture f;
    const QPoint start = f.window->pos();
    QTest::mousePress(f.window.get(), button, Qt::ShiftModifier, QPoint(300, 10));
    QVERIFY(f.window->isDragging);
    QCOMPARE(f.window->dragOrigin, QPointF(300, 10));
    QTest::mouseMove(f.window.get(), QPoint(340, 40));
    QCOMPARE(f.window->pos(), start + QPoint(40, 30));
    QTest::mouseRelease(f.window.get(), button, {}, QPoint(300, 10));
    QVERIFY(!f.window->isDragging);
    // No bound keeps the window on the screen.
    QTest::mousePress(f.window.get(), button, {}, QPoint(300, 10));
    QTest::mouseMove(f.window.get(), QPoint(300 - 5000, 10 - 5000));
    QCOMPARE(f.window->pos(), start + QPoint(40 - 5000, 30 - 5000));
}

void TestChrome::pressOnBrowserOrButtonStartsNoDrag()
{
    WindowFixture f;
    for (QWidget *target :
         {static_cast<QWidget *>(f.ui().WebBrowser1), static_cast<QWidget *>(f.ui().swrh22),
          static_cast<QWidget *>(f.ui().almbak), static_cast<QWidget *>(f.ui().Text2)}) {
        const QPoint start = f.window->pos();
        QTest::mousePress(target, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(target, QPoint(25, 25));
        QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(25, 25));
        QVERIFY2(!f.window->isDragging, qPrintable(target->objectName()));
        QCOMPARE(f.window->pos(), start);
    }
}

void TestChrome::aboutTwiceLeavesOne()
{
    WindowFixture f;
    QTest::mouseClick(f.ui().aboutimg, Qt::LeftButton);
    QTest::mouseClick(f.ui().aboutimg, Qt::LeftButton);
    QCOMPARE(countOpen(NoticeId::about), 1);
}

void TestChrome::closeEndsProgramWithNoticesOpen()
{
    WindowFixture f;
    f.notices.show(NoticeId::about);
    f.notices.show(NoticeId::selimg);
    f.notices.show(NoticeId::wronglink);
    QTest::mouseClick(f.ui().xx, Qt::LeftButton);
    QCOMPARE(f.services.endApplications, 1);
}

void TestChrome::minimiseAndPortal()
{
    WindowFixture f;
    QTest::mouseClick(f.ui().mwqa, Qt::LeftButton);
    QCOMPARE(f.services.launches, QStringList{Pinmark::PortalUrl});
    QVERIFY(!f.window->isMinimized());
    QTest::mouseClick(f.ui().min, Qt::LeftButton);
    QVERIFY(f.window->windowState() & Qt::WindowMinimized);
}

void TestChrome::doubleClickActsOnce_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : AllButtons)
        QTest::newRow(qPrintable(name)) << name;
}

void TestChrome::doubleClickActsOnce()
{
    QFETCH(QString, name);
    WindowFixture f;
    PictureButton *b = buttonNamed(f, name);
    int clicks = 0;
    connect(b, &PictureButton::clicked, [&clicks] { ++clicks; });
    doubleClickPress(b);
    QCOMPARE(b->pixmap().cacheKey(), b->pressedHolder()->pixmap().cacheKey());
    QTest::mouseRelease(b, Qt::LeftButton);
    QCOMPARE(b->pixmap().cacheKey(), b->releasedHolder()->pixmap().cacheKey());
    QCOMPARE(clicks, 1);
    if (name == QLatin1String("mwqa"))
        QCOMPARE(f.services.launches, QStringList{Pinmark::PortalUrl});
    // The next click is a click again.
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(clicks, 2);
}

void TestChrome::keyboardReachesAndPressesButtons()
{
    WindowFixture f;
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    f.ui().Text2->setFocus(Qt::TabFocusReason);
    const QStringList expected = {"swrfr22", "swrfrc22", "swrh22", "swrhc22",  "swrd2",
                                  "swrur",   "xx",       "min",    "aboutimg", "mwqa"};
    QStringList reached;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(reached, expected);

    // Space on the focused swrd2 runs press, release and click, like the mouse.
    PictureButton *swrd2 = f.ui().swrd2;
    swrd2->setFocus(Qt::TabFocusReason);
    QStringList sequence;
    connect(swrd2, &PictureButton::pressed, [&] { sequence << "pressed"; });
    connect(swrd2, &PictureButton::released, [&] { sequence << "released"; });
    connect(swrd2, &PictureButton::clicked, [&] { sequence << "clicked"; });
    QTest::keyClick(swrd2, Qt::Key_Space);
    QCOMPARE(sequence, (QStringList{"pressed", "released", "clicked"}));
    QCOMPARE(countOpen(NoticeId::selimg), 1);
    QCOMPARE(swrd2->pixmap().cacheKey(), f.ui().swrd2up->pixmap().cacheKey());
}

QTEST_MAIN(TestChrome)
#include "tst_chrome.moc"
