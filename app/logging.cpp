#include "app/logging.h"

namespace Pinmark {

Q_LOGGING_CATEGORY(lcApp, "pinmark.app", QtWarningMsg)

} // namespace Pinmark
