#pragma once
#include <QLoggingCategory>

namespace Pinmark {

// The program's own window and start-up; warnings by default, debug detail through
// QT_LOGGING_RULES='pinmark.app.debug=true'. Selected addresses are logged at debug level only.
Q_DECLARE_LOGGING_CATEGORY(lcApp) // pinmark.app

} // namespace Pinmark
