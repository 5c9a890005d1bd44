#include "app/commandline.h"
#include "app/focusreturn.h"
#include "app/frmweb.h"
#include "app/helperpaths.h"
#include "app/lastwindowwatcher.h"
#include "browser/deferredbrowserhost.h"
#include "dialogs/notices.h"
#include "pinmark/config.h"
#include "platform/qtdesktopservices.h"
#include "platform/terminationsignals.h"
#include "widgets/picturebuttonaccessible.h"

#include <QApplication>
#include <QIcon>

using namespace Pinmark;

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
    FocusReturn focusReturn;
    Notices notices([&services] { services.endApplication(); });
    const QString programDir = QCoreApplication::applicationDirPath();
    DeferredBrowserHost browser(helperPaths(programDir, QStringLiteral("pinmark-webengine")));
    QObject::connect(&browser, &DeferredBrowserHost::EngineUnavailable,
                     [&services](const QString &reason) {
                         services.reportFailure(
                             QStringLiteral("تعذر تشغيل متصفح البرنامج."),
                             QStringLiteral("The program's web browser could not be started.\n") +
                                 reason.left(400));
                     });
    TerminationSignals signals;
    QObject::connect(&signals, &TerminationSignals::EndRequested,
                     [&services] { services.endApplication(); });
    services.setClipboardReaderPaths(helperPaths(programDir, QStringLiteral("pinmark-clipread")));
    frmWeb window(services, browser, notices);
    window.Form_Load();
    services.guardClipboard();
    const int status = QApplication::exec();
    services.keepClipboardAfterExit(
        helperPaths(programDir, QStringLiteral("pinmark-clipkeeper")),
        helperPaths(programDir, QStringLiteral("pinmark-wlclipkeeper")));
    return status;
}
