#include "browser/browserhost.h"

#include "browser/browserlog.h"

#include <QOpenGLContext>

namespace Pinmark {

Q_LOGGING_CATEGORY(lcBrowser, "pinmark.browser", QtWarningMsg)

bool hasSharedOpenGL()
{
    const QOpenGLContext *share = QOpenGLContext::globalShareContext();
    return share && share->isValid();
}

} // namespace Pinmark
