#include "platform/logging.h"

namespace Pinmark {

Q_LOGGING_CATEGORY(lcClipboard, "pinmark.clipboard", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlatform, "pinmark.platform", QtWarningMsg)

} // namespace Pinmark
