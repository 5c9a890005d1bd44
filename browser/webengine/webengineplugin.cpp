// The web engine as a plugin: the program loads it at its first navigation.
#include "browser/browserengine.h"
#include "browser/webengine/webenginebrowserhost.h"

#include <QObject>

namespace Pinmark {

class WebEnginePlugin : public QObject, public BrowserEngine
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PinmarkBrowserEngine_iid)
    Q_INTERFACES(Pinmark::BrowserEngine)
public:
    BrowserHost *createHost(QObject *parent) override
    {
        WebEngineBrowserHost::prepareGraphics();
        return new WebEngineBrowserHost(parent);
    }
};

} // namespace Pinmark

#include "webengineplugin.moc"
