#include "commandline.h"
#include "deferredbrowserhost.h"
#include "desktopservices.h"
#include "frmweb.h"
#include "lastwindowwatcher.h"
#include "notices.h"
#include "picturebuttonaccessible.h"
#include "pinmark/config.h"
#include "qtdesktopservices.h"
#include "terminationsignals.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

namespace {
// The web engine module and the clipboard keeper sit beside the program in a build, and in the
// library folder once installed.
QStringList helperPaths(const QString &name)
{
    const QString programDir = QCoreApplication::applicationDirPath();
    return {programDir + QLatin1Char('/') + name,
            QDir::cleanPath(programDir + QStringLiteral("/../" PINMARK_MODULE_DIR "/") + name)};
}

QStringList webEngineModulePaths()
{
    return helperPaths(QStringLiteral("pinmark-webengine"));
}
} // namespace

int main(int argc, char *argv[])
{
    if (const std::optional<int> status = handleCommandLine(argc, argv))
        return *status;
    QtDesktopServices services;
    // The web engine needs OpenGL contexts shared from the start; only an online run uses it.
    if (services.startsOnline())
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pinmark"));
    QApplication::setApplicationVersion(Pinmark::ApplicationVersion);
    QApplication::setOrganizationDomain(QStringLiteral("velmora.net"));
    QGuiApplication::setDesktopFileName(QStringLiteral("net.velmora.Pinmark"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/pinmark-32.png")));
    PictureButtonAccessible::install();

    LastWindowWatcher watcher;
    Notices notices([&services] { services.endApplication(); });
    DeferredBrowserHost browser(webEngineModulePaths());
    QObject::connect(&browser, &DeferredBrowserHost::EngineUnavailable, [&services] {
        services.reportFailure(QStringLiteral("تعذر تشغيل متصفح البرنامج."),
                               QStringLiteral("The program's web browser could not be started."));
    });
    TerminationSignals signals;
    QObject::connect(&signals, &TerminationSignals::EndRequested,
                     [&services] { services.endApplication(); });
    frmWeb window(services, browser, notices);
    window.Form_Load();
    services.guardClipboard();
    const int status = QApplication::exec();
    services.keepClipboardAfterExit(helperPaths(QStringLiteral("pinmark-clipkeeper")));
    return status;
}
