#include "app/helperpaths.h"
#include "browser/deferredbrowserhost.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

using namespace Pinmark;

// The program finds its engine plugin and its clipboard helpers beside itself in a build, and in
// its library folder once installed (the tree `cmake --install` wrote for this test).
class TestPluginLocation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void helpersAreFound_data();
    void helpersAreFound();
    void installedProgramRuns();
};

namespace {
QString installed(const char *relative)
{
    return QStringLiteral(PINMARK_INSTALL_PREFIX "/") + QLatin1String(relative);
}

QString canonicalDir(const QString &file)
{
    return QFileInfo(file).canonicalPath();
}
} // namespace

void TestPluginLocation::helpersAreFound_data()
{
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<QString>("helperDir");
    QTest::newRow("build") << QStringLiteral(PINMARK_BUILD_PROGRAM_DIR)
                           << QStringLiteral(PINMARK_BUILD_PROGRAM_DIR);
    QTest::newRow("installed") << installed(PINMARK_INSTALL_BINDIR)
                               << installed(PINMARK_INSTALL_LIBDIR "/pinmark");
}

void TestPluginLocation::helpersAreFound()
{
    QFETCH(QString, programDir);
    QFETCH(QString, helperDir);
    const QString expected = QFileInfo(helperDir).canonicalFilePath();
    QVERIFY2(!expected.isEmpty(), qPrintable(helperDir + QStringLiteral(" does not exist")));

    const LoadedEngine loaded =
        loadBrowserEngine(helperPaths(programDir, QStringLiteral("pinmark-webengine")));
    QVERIFY2(loaded.engine, qPrintable(loaded.error));
    QCOMPARE(canonicalDir(loaded.fileName), expected);

#ifndef Q_OS_WIN
    for (const QString &name :
         {QStringLiteral("pinmark-clipkeeper"), QStringLiteral("pinmark-wlclipkeeper"),
          QStringLiteral("pinmark-clipread")}) {
        QString helper;
        for (const QString &path : helperPaths(programDir, name)) {
            if (QFileInfo(path).isExecutable()) {
                helper = path;
                break;
            }
        }
        QVERIFY2(!helper.isEmpty(), qPrintable(name + QStringLiteral(" is not found")));
        QCOMPARE(canonicalDir(helper), expected);
    }
#endif
}

// The installed program finds its own libraries: it answers without a display.
void TestPluginLocation::installedProgramRuns()
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    program.setProcessEnvironment(environment);
    program.start(installed(PINMARK_INSTALL_BINDIR "/pinmark"), {QStringLiteral("--version")});
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == 0, program.readAllStandardError().constData());
    QVERIFY(program.readAllStandardOutput().startsWith("Pinmark "));
}

QTEST_MAIN(TestPluginLocation)
#include "tst_pluginlocation.moc"
