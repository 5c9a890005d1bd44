#include "browser/deferredbrowserhost.h"

#include <QLibraryInfo>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <unistd.h>

using namespace Pinmark;

// The engine plugin is loaded at the first navigation; when it cannot be, the program is told
// once and runs on without pages.
class TestDeferredHost : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void unusablePluginIsReportedOnceAndNothingCrashes_data();
    void unusablePluginIsReportedOnceAndNothingCrashes();
};

void TestDeferredHost::unusablePluginIsReportedOnceAndNothingCrashes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QStringLiteral("/nonexistent/pinmark-webengine") << QString();
    // A library, but no plugin.
    QTest::newRow("not a plugin") << QStringLiteral(PINMARK_NOT_A_PLUGIN) << QString();
    // A Qt plugin of another kind.
    QTest::newRow("another interface") << QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                                              QStringLiteral("/platforms/libqoffscreen")
                                       << QStringLiteral("not a browser engine plugin");
    // The real engine, asked to run as root with its sandbox on: it would end the whole program,
    // so it is not started at all and the user is told why.
    if (::geteuid() == 0)
        QTest::newRow("root with the sandbox on")
            << QStringLiteral(PINMARK_ENGINE_PLUGIN) << QStringLiteral("root user");
}

void TestDeferredHost::unusablePluginIsReportedOnceAndNothingCrashes()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    const QByteArray sandboxSwitch = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    const auto restore = qScopeGuard([&] {
        if (!sandboxSwitch.isNull())
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", sandboxSwitch);
    });
    QWidget area;
    DeferredBrowserHost host({path});
    QSignalSpy unavailable(&host, &DeferredBrowserHost::EngineUnavailable);
    host.attachTo(&area);
    QVERIFY(!host.isEngineLoaded()); // nothing is loaded before the first navigation

    host.Navigate2(QStringLiteral("http://127.0.0.1:9/fmm/fe/moq.htm"));
    host.Navigate(QStringLiteral("http://127.0.0.1:9/other.htm"));
    QCOMPARE(unavailable.count(), 1);
    const QString told = unavailable.first().first().toString();
    QVERIFY(!told.isEmpty());
    QVERIFY2(told.contains(reason), qPrintable(told));
    QVERIFY(!host.isEngineLoaded());
    QVERIFY(!host.Document());
}

QTEST_MAIN(TestDeferredHost)
#include "tst_deferredhost.moc"
