#include "desktopservices.h"
#include "frmweb.h"
#include "lastwindowwatcher.h"
#include "notices.h"
#include "picturebuttonaccessible.h"
#include "pinmark/config.h"
#include "qtdesktopservices.h"
#include "webenginebrowserhost.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pinmark"));
    QApplication::setApplicationVersion(Pinmark::ApplicationVersion);
    QApplication::setOrganizationDomain(QStringLiteral("velmora.net"));
    QGuiApplication::setDesktopFileName(QStringLiteral("net.velmora.Pinmark"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/pinmark-32.png")));
    PictureButtonAccessible::install();
    WebEngineBrowserHost::prepareGraphics();

    QtDesktopServices services;
    LastWindowWatcher watcher;
    Notices notices([&services] { services.endApplication(); });
    WebEngineBrowserHost browser;
    frmWeb window(services, browser, notices);
    window.Form_Load();
    return QApplication::exec();
}
