#pragma once
#include <QHash>
#include <QObject>
#include <QPointer>

class QWidget;

namespace Pinmark {

// Gives the keyboard back to the window that had it when a notice or message box opened, once
// that box closes. Without a window manager, and with some, nobody else does: a keyboard user
// would be left with no window to type into. Inside the window, Qt and the page each bring the
// focus back to where it was.
class FocusReturn : public QObject
{
    Q_OBJECT
public:
    explicit FocusReturn(QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void opened(QWidget *window);
    void closing(QWidget *window);
    void forget(QObject *window);

    QHash<QWidget *, QPointer<QWidget>> m_cameFrom; // open box -> the window active before it
};

} // namespace Pinmark
