// The entry point of the web engine module, resolved by DeferredBrowserHost at the first
// navigation.
#include "webenginebrowserhost.h"

extern "C" Q_DECL_EXPORT BrowserHost *pinmark_create_browser_host(QObject *parent)
{
    WebEngineBrowserHost::prepareGraphics();
    return new WebEngineBrowserHost(parent);
}
