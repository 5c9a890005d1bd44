#include "pinmark/config.h"
#include "windowfixture.h"

#include <QApplication>
#include <QTest>

using namespace Pinmark;

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void isWebConnected_data();
    void isWebConnected();
    void onlineShowsWindowBeforeEngineAndNavigatesOnce();
    void offlineShowsOnlyNotcon();
    void cleanup();
};

void TestStartup::cleanup()
{
    QApplication::closeAllWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestStartup::isWebConnected_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<quint32>("flags");
    QTest::addColumn<bool>("verdict");
    QTest::addColumn<QString>("kind");
    QTest::newRow("online, no bits") << 1 << quint32(0) << true << "";
    QTest::newRow("LAN wins over Modem") << 1 << quint32(0x03) << true << "LAN";
    QTest::newRow("Modem before Offline") << 1 << quint32(0x21) << true << "Modem";
    QTest::newRow("Offline bit, still online") << 1 << quint32(0x60) << true << "Offline";
    QTest::newRow("Proxy") << 1 << quint32(0x44) << true << "Proxy";
    QTest::newRow("Configured only") << 7 << quint32(0x40) << true << "Configured";
    QTest::newRow("result 0 is offline") << 0 << quint32(0x02) << false << "";
}

void TestStartup::isWebConnected()
{
    QFETCH(int, result);
    QFETCH(quint32, flags);
    QFETCH(bool, verdict);
    QFETCH(QString, kind);
    WindowFixture f(false);
    f.services.probeResult = result;
    f.services.probeFlags = flags;
    QString got = QStringLiteral("stale");
    QCOMPARE(f.window->IsWebConnected(got), verdict);
    QCOMPARE(got, kind);
    QCOMPARE(f.services.probes, 1);
}

namespace {
struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
} // namespace

void TestStartup::onlineShowsWindowBeforeEngineAndNavigatesOnce()
{
    WindowFixture f(false);
    f.services.probeFlags = 0x60;
    PaintCounter counter;
    f.window->installEventFilter(&counter);
    bool visibleAtNavigation = false;
    int paintsAtNavigation = 0;
    f.browser.onNavigate2 = [&] {
        visibleAtNavigation = f.window->isVisible();
        paintsAtNavigation = counter.paints;
    };

    f.window->Form_Load();
    // The window is up and nothing of the engine has been asked for yet.
    QVERIFY(f.window->isVisible());
    QVERIFY(f.browser.navigate2Calls.isEmpty());
    QCOMPARE(f.ui().loadimg->pixmap().toImage(), f.ui().loadimgdn->pixmap().toImage());
    // The keyboard starts in the browser, first in the tab order, not in the output field.
    QCOMPARE(f.window->focusWidget(), f.ui().WebBrowser1);

    QTRY_COMPARE(f.browser.navigate2Calls, QStringList{Pinmark::GalleryPageUrl});
    QVERIFY(visibleAtNavigation);
    QVERIFY(paintsAtNavigation > 0); // after the first frame
    // Later frames start nothing more.
    f.window->repaint();
    f.window->hide();
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    QTest::qWait(50);
    QCOMPARE(f.browser.navigate2Calls.size(), 1);
    QVERIFY(f.browser.navigateCalls.isEmpty());
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Pinmark 1.0"));
    QCOMPARE(countOpen(NoticeId::notcon), 0);
    QCOMPARE(f.services.probes, 1);
}

void TestStartup::offlineShowsOnlyNotcon()
{
    WindowFixture f(false);
    f.services.probeResult = 0;
    f.window->Form_Load();
    QVERIFY(f.browser.navigate2Calls.isEmpty());
    QVERIFY(!f.window->isVisible());
    QCOMPARE(f.services.calls, (QStringList{"probeConnectivity", "closeWindow"}));
    QCOMPARE(countOpen(NoticeId::notcon), 1);
    QWidgetList visible;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            visible << w;
    }
    QCOMPARE(visible.size(), 1);

    // Its OK button ends the program.
    NoticeWindow *notcon = f.notices.find(NoticeId::notcon);
    QTest::mouseClick(notcon->Picture1, Qt::LeftButton);
    QCOMPARE(f.services.endApplications, 1);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
