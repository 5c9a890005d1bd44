#pragma once
#include <QObject>

namespace Pinmark {

// Ends the run when the program's last open window closes. Qt's own rule does not count
// tool windows, and every notice is one.
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
