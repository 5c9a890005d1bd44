#pragma once
#include "browser/browserexport.h"

#include <QLoggingCategory>

namespace Pinmark {

// The browser's log, "pinmark.browser". Failures (an engine that cannot load, a page that
// fails, a renderer that ends) are warnings, shown by default; the details, page addresses
// among them, are debug messages: QT_LOGGING_RULES="pinmark.browser.debug=true".
PINMARK_BROWSER_EXPORT const QLoggingCategory &lcBrowser();

} // namespace Pinmark
