#pragma once
#include "widgets/picturebox.h"

#include <QPointer>

namespace Pinmark {

// A visible picture box that acts as a button. Two hidden holder boxes carry its pictures:
// a press, with any mouse button, shows the pressed holder's picture and a release shows the
// released holder's. A click is a left press released inside the box; it arrives after the
// release, so the released picture is back before the click's action runs.
// Space or Enter on the focused button runs the same press, release and click sequence.
// A double-click acts once: its second press shows the pressed picture but clicks nothing.
class PictureButton : public PictureBox
{
    Q_OBJECT
public:
    explicit PictureButton(QWidget *parent = nullptr);

    void setHolders(PictureBox *pressedHolder, PictureBox *releasedHolder);
    PictureBox *pressedHolder() const { return m_pressedHolder; }
    PictureBox *releasedHolder() const { return m_releasedHolder; }

    // Runs the whole press, release and click sequence, as Space does.
    void activate();

Q_SIGNALS:
    void pressed();
    void released();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    static bool isActivationKey(int key);
    void showPressed();
    void showReleased();

    QPointer<PictureBox> m_pressedHolder;
    QPointer<PictureBox> m_releasedHolder;
    bool m_leftDown = false;
    bool m_keyDown = false;
};

} // namespace Pinmark
