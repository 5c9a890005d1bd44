#pragma once
#include <QLoggingCategory>

namespace Pinmark {

// The program's own window and start-up; warnings by default, debug detail through
// QT_LOGGING_RULES='pinmark.app.debug=true'. Selected addresses are logged at debug level only.
Q_DECLARE_LOGGING_CATEGORY(lcApp) // pinmark.app

// Start-up moments in ms since the epoch (first frame, gallery navigation, document bound);
// off by default, switched on by the benchmarks with QT_LOGGING_RULES="pinmark.timing.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcTiming) // pinmark.timing

} // namespace Pinmark
