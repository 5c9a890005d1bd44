#include "app/commandline.h"
#include "app/focusreturn.h"
#include "app/frmweb.h"
#include "app/helperpaths.h"
#include "app/lastwindowwatcher.h"
#include "app/logging.h"
#include "browser/deferredbrowserhost.h"
#include "dialogs/notices.h"
#include "pinmark/config.h"
#include "platform/qtdesktopservices.h"
#include "platform/terminationsignals.h"

#include <QApplication>
#include <QIcon>
#include <QLineEdit>

using namespace Pinmark;

namespace {

// The user copied the text from one of the program's own text fields: the clipboard keeps it.
bool isCopyFromOwnField(const QString &text)
{
    const auto *field = qobject_cast<const QLineEdit *>(QApplication::focusWidget());
    return field && field->hasSelectedText() && field->selectedText() == text;
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
    Clipboard &clipboard = services.clipboard();
    clipboard.setReaderPaths(helperPaths(programDir, QStringLiteral("pinmark-clipread")));
    frmWeb window(services, browser, notices);
    window.Form_Load();
    clipboard.guard(isCopyFromOwnField);
    const int status = QApplication::exec();
    clipboard.keepAfterExit(helperPaths(programDir, QStringLiteral("pinmark-clipkeeper")),
                            helperPaths(programDir, QStringLiteral("pinmark-wlclipkeeper")));
    qCDebug(lcApp, "ending with status %d", status);
    return status;
}
