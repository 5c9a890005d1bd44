// The web engine as a plugin: the program loads it at its first navigation.
#include "browser/browserengine.h"
#include "browser/webengine/webenginebrowserhost.h"

#include <QObject>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace Pinmark {

class WebEnginePlugin : public QObject, public BrowserEngine
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PinmarkBrowserEngine_iid)
    Q_INTERFACES(Pinmark::BrowserEngine)
public:
    QString refusal() const override
    {
#ifdef Q_OS_UNIX
        // Chromium refuses its sandbox to the root user and then ends the whole process.
        const bool sandboxOff = qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX") ||
                                qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS")
                                    .contains(QLatin1String("--no-sandbox"));
        if (::geteuid() == 0 && !sandboxOff)
            return QStringLiteral("The browser's sandbox does not run for the root user. Start "
                                  "Pinmark as an ordinary user, or set "
                                  "QTWEBENGINE_DISABLE_SANDBOX=1 to run it without the sandbox.");
#endif
        return {};
    }

    BrowserHost *createHost(QObject *parent) override
    {
        WebEngineBrowserHost::prepareGraphics();
        return new WebEngineBrowserHost(parent);
    }
};

} // namespace Pinmark

#include "webengineplugin.moc"
