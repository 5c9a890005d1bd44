#include "app/logging.h"

namespace Pinmark {

Q_LOGGING_CATEGORY(lcApp, "pinmark.app", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTiming, "pinmark.timing", QtWarningMsg)

} // namespace Pinmark
