#pragma once
#include <QObject>

namespace Pinmark {

// Ends the run when the program's last open window closes. Qt's own rule does not count tool
// windows, and it decides at once: an offline start closes the main window and shows the
// not-connected notice in one go, and the run must not end in between. The notices are ordinary
// windows now, but whatever a window's type, the run ends here only when none is open.
class LastWindowWatcher : public QObject
{
    Q_OBJECT
public:
    explicit LastWindowWatcher(QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void quitIfNoWindowIsOpen();
    bool m_checkPending = false;
};

} // namespace Pinmark
