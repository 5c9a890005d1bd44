#include "platform/terminationsignals.h"

namespace Pinmark {

// Windows asks a program to end through its windows' close messages, which the windows
// already answer.
TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent) {}

TerminationSignals::~TerminationSignals() = default;

void TerminationSignals::onNotified() {}

} // namespace Pinmark
