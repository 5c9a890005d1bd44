#pragma once
#include <QObject>

class QSocketNotifier;

namespace Pinmark {

// Turns the signals that ask a program to end (SIGTERM at logout, SIGINT from Ctrl+C in a
// terminal, SIGHUP when the terminal goes) into an ordinary event: the run then ends as the
// close button ends it, with every window closed and status 0.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void EndRequested();

private:
    void onNotified();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace Pinmark
