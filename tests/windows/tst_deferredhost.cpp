#include "deferredbrowserhost.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

// The web engine module is loaded at the first navigation; when it cannot be, the program
// is told once and runs on without pages.
class TestDeferredHost : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void missingModuleIsReportedOnceAndNothingCrashes();
};

void TestDeferredHost::missingModuleIsReportedOnceAndNothingCrashes()
{
    QWidget area;
    DeferredBrowserHost host({QStringLiteral("/nonexistent/pinmark-webengine")});
    QSignalSpy unavailable(&host, &DeferredBrowserHost::EngineUnavailable);
    host.attachTo(&area);
    QVERIFY(!host.isEngineLoaded()); // nothing is loaded before the first navigation

    host.Navigate2(QStringLiteral("http://127.0.0.1:9/fmm/fe/moq.htm"));
    host.Navigate(QStringLiteral("http://127.0.0.1:9/other.htm"));
    QCOMPARE(unavailable.count(), 1);
    QVERIFY(!unavailable.first().first().toString().isEmpty());
    QVERIFY(!host.isEngineLoaded());
    QVERIFY(!host.Document());
}

QTEST_MAIN(TestDeferredHost)
#include "tst_deferredhost.moc"
