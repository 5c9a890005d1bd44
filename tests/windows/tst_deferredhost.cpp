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
    QTest::addColumn<bool>("preloaded");
    // An online start maps the library on a worker thread first; what the user is told, and
    // when, stays the same. Those rows come first, so that the engine's libraries are first
    // mapped by the worker.
    for (const bool preloaded : {true, false}) {
        const char *tail = preloaded ? ", preloaded" : "";
        QTest::addRow("missing%s", tail)
            << QStringLiteral("/nonexistent/pinmark-webengine") << QString() << preloaded;
        // A library, but no plugin.
        QTest::addRow("not a plugin%s", tail)
            << QStringLiteral(PINMARK_NOT_A_PLUGIN) << QString() << preloaded;
        // A Qt plugin of another kind.
        QTest::addRow("another interface%s", tail)
            << QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                   QStringLiteral("/platforms/libqoffscreen")
            << QStringLiteral("not a browser engine plugin") << preloaded;
        // The real engine, asked to run as root with its sandbox on: it would end the whole
        // program, so it is not started at all and the user is told why.
        if (::geteuid() == 0)
            QTest::addRow("root with the sandbox on%s", tail)
                << QStringLiteral(PINMARK_ENGINE_PLUGIN) << QStringLiteral("root user")
                << preloaded;
    }
}

void TestDeferredHost::unusablePluginIsReportedOnceAndNothingCrashes()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    QFETCH(bool, preloaded);
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
    if (preloaded)
        host.preload();
    QVERIFY(!host.isEngineLoaded()); // nothing is made before the first navigation

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
