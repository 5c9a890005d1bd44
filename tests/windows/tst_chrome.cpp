#include "pinmark/config.h"
#include "widgets/picturebutton.h"
#include "windowfixture.h"

#include "widgets/textfield.h"
#include <QApplication>
#include <QHash>
#include <QImage>
#include <QKeyEvent>
#include <QTest>

using namespace Pinmark;

using namespace Qt::StringLiterals;

namespace {
// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

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
    void pressGestures_data();
    void pressGestures();
    void focusRingOnlyAfterTab_data();
    void focusRingOnlyAfterTab();
    void clickActsBeforeTheButtonRepaints_data();
    void clickActsBeforeTheButtonRepaints();
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

// Press, release and click as Qt's button gives them, where the picture buttons differ from
// it: the picture stays down off the button, any mouse button presses, Enter presses too.
void TestChrome::pressGestures_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("pictures"); // after each step: d the pressed one, u the released
    QTest::addColumn<QStringList>("heard");

    const QStringList clicked = {"pressed", "released", "clicked"};
    const QStringList notClicked = {"pressed", "released"};
    QTest::newRow("left held off the button, released there")
        << QStringList{"left down", "move off", "left up outside"} << "ddu" << notClicked;
    QTest::newRow("left held off the button and back, released inside")
        << QStringList{"left down", "move off", "move back", "left up"} << "dddu" << clicked;
    QTest::newRow("right") << QStringList{"right down", "right up"} << "du" << notClicked;
    QTest::newRow("left click while right held")
        << QStringList{"right down", "left down", "left up", "right up"} << "dduu"
        << QStringList{"pressed", "pressed", "released", "clicked", "released"};
    QTest::newRow("hidden while left held") << QStringList{"left down", "hide", "left up"} << "duu"
                                            << QStringList{"pressed", "released", "released"};
    QTest::newRow("Enter") << QStringList{"Enter down", "Enter up"} << "du" << clicked;
    QTest::newRow("Return") << QStringList{"Return down", "Return up"} << "du" << clicked;
    QTest::newRow("Space held until it repeats")
        << QStringList{"Space down", "Space repeat", "Space repeat", "Space up"} << "dddu"
        << clicked;
    QTest::newRow("focus taken while Space held")
        << QStringList{"Space down", "focus away", "Space up"} << "duu" << notClicked;
}

void TestChrome::pressGestures()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, pictures);
    QFETCH(QStringList, heard);
    WindowFixture f;
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    PictureButton *b = f.ui().mwqa;
    QStringList sequence;
    connect(b, &PictureButton::pressed, [&] { sequence << "pressed"; });
    connect(b, &PictureButton::released, [&] { sequence << "released"; });
    connect(b, &PictureButton::clicked, [&] { sequence << "clicked"; });

    const QPoint inside = b->rect().center();
    const QPoint outside(-200, 200);
    const auto key = [b](QEvent::Type type, Qt::Key code, bool repeat = false) {
        QKeyEvent event(type, code, Qt::NoModifier, QString(), repeat);
        QApplication::sendEvent(b, &event);
    };
    const QHash<QString, Qt::Key> keys = {
        {"Space", Qt::Key_Space}, {"Enter", Qt::Key_Enter}, {"Return", Qt::Key_Return}};
    // The keys need the focus. The mouse does not take it: a button held with it has none.
    if (keys.contains(steps.first().section(u' ', 0, 0)))
        b->setFocus(Qt::TabFocusReason);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QString step = steps[i];
        const QString keyName = step.section(u' ', 0, 0);
        if (step == "left down"_L1)
            QTest::mousePress(b, Qt::LeftButton, {}, inside);
        else if (step == "left up"_L1)
            QTest::mouseRelease(b, Qt::LeftButton, {}, inside);
        else if (step == "left up outside"_L1)
            QTest::mouseRelease(b, Qt::LeftButton, {}, outside);
        else if (step == "right down"_L1)
            QTest::mousePress(b, Qt::RightButton, {}, inside);
        else if (step == "right up"_L1)
            QTest::mouseRelease(b, Qt::RightButton, {}, inside);
        else if (step == "move off"_L1)
            QTest::mouseMove(b, outside);
        else if (step == "move back"_L1)
            QTest::mouseMove(b, inside);
        else if (step == "hide"_L1)
            b->hide();
        else if (step == "focus away"_L1)
            f.ui().Text2->setFocus(Qt::MouseFocusReason);
        else if (keys.contains(keyName) && step.endsWith(" down"_L1))
            key(QEvent::KeyPress, keys[keyName]);
        else if (keys.contains(keyName) && step.endsWith(" up"_L1))
            key(QEvent::KeyRelease, keys[keyName]);
        else if (keys.contains(keyName) && step.endsWith(" repeat"_L1)) {
            key(QEvent::KeyRelease, keys[keyName], true);
            key(QEvent::KeyPress, keys[keyName], true);
        } else
            QFAIL(qPrintable(step));
        const PictureBox *expected = pictures[i] == u'd' ? b->pressedHolder() : b->releasedHolder();
        QVERIFY2(b->pixmap().cacheKey() == expected->pixmap().cacheKey(),
                 qPrintable(u"after "_s + step));
    }
    QCOMPARE(sequence, heard);
}

void TestChrome::focusRingOnlyAfterTab_data()
{
    QTest::addColumn<Qt::FocusReason>("reason");
    QTest::addColumn<bool>("ring");
    QTest::newRow("Tab") << Qt::TabFocusReason << true;
    QTest::newRow("Backtab") << Qt::BacktabFocusReason << true;
    QTest::newRow("window activation") << Qt::ActiveWindowFocusReason << false;
}

void TestChrome::focusRingOnlyAfterTab()
{
    QFETCH(Qt::FocusReason, reason);
    QFETCH(bool, ring);
    WindowFixture f;
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    PictureButton *b = f.ui().swrd2;
    const auto shown = [b] { return b->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    const QImage picture = b->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown(), picture); // unscaled, at the top left, and all of the button

    b->setFocus(reason);
    QVERIFY(b->hasFocus());
    const QImage focused = shown();
    QCOMPARE(focused != picture, ring);
    QCOMPARE(focused.pixel(focused.rect().center()), picture.pixel(picture.rect().center()));
    f.ui().Text2->setFocus(Qt::TabFocusReason);
    QCOMPARE(shown(), picture);
}

// A click's action (a code on the clipboard) runs first; the released picture is drawn with
// the next frame, not in a repaint of its own before the action, which in a window composed
// through OpenGL costs a whole frame.
void TestChrome::clickActsBeforeTheButtonRepaints_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("mouse") << false;
    QTest::newRow("Space") << true;
}

void TestChrome::clickActsBeforeTheButtonRepaints()
{
    QFETCH(bool, byKey);
    WindowFixture f;
    PictureButton *swrd2 = f.ui().swrd2;
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    PaintCounter paints(swrd2);
    int paintsBeforeAction = -1;
    connect(swrd2, &PictureButton::clicked, [&] { paintsBeforeAction = paints.count; });
    if (byKey) {
        swrd2->setFocus(Qt::TabFocusReason);
        QTest::keyPress(swrd2, Qt::Key_Space);
    } else {
        QTest::mousePress(swrd2, Qt::LeftButton);
    }
    QCoreApplication::processEvents();
    paints.count = 0;
    if (byKey)
        QTest::keyRelease(swrd2, Qt::Key_Space);
    else
        QTest::mouseRelease(swrd2, Qt::LeftButton);
    QCOMPARE(paintsBeforeAction, 0);
    QTRY_VERIFY(paints.count > 0); // the released picture is drawn all the same
    QCOMPARE(swrd2->pixmap().cacheKey(), f.ui().swrd2up->pixmap().cacheKey());
}

QTEST_MAIN(TestChrome)
#include "tst_chrome.moc"
