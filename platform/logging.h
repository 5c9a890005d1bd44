#pragma once
#include <QLoggingCategory>

namespace Pinmark {

// Warnings are on by default: what failed, for a user to attach to a report. Debug detail
// through QT_LOGGING_RULES, for example QT_LOGGING_RULES='pinmark.*.debug=true'. Addresses the
// user selects are logged at debug level only.
Q_DECLARE_LOGGING_CATEGORY(lcClipboard) // pinmark.clipboard
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)  // pinmark.platform

} // namespace Pinmark
