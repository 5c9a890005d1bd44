#pragma once
#include "widgets/picturebox.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QPointer>

namespace Pinmark {

// A picture that acts as a push button: Qt's button presses, releases and clicks it, and Qt's
// accessible button presents it to assistive technology. Two hidden holder boxes carry its
// pictures: a press, with any mouse button, shows the pressed holder's picture and a release shows
// the released holder's. A click is a left press released inside the button; it arrives after the
// release, so the released picture is back before the click's action runs. Moving the pointer off
// while held keeps the pressed picture; released there, it clicks nothing. Space or Enter on the
// focused button runs the same press, release and click sequence. A double-click acts once: its
// second press shows the pressed picture but clicks nothing. The picture is drawn unscaled at the
// top left, with no frame, as a PictureBox draws its own.
class PictureButton : public QAbstractButton
{
    Q_OBJECT
    // The skin picture the button starts with, as a resource path; set by the layouts.
    Q_PROPERTY(QString picture READ picture WRITE setPicture)
public:
    explicit PictureButton(QWidget *parent = nullptr);

    QString picture() const { return m_picture; }
    void setPicture(const QString &path);
    QPixmap pixmap() const { return m_pixmap; }

    void setHolders(PictureBox *pressedHolder, PictureBox *releasedHolder);
    PictureBox *pressedHolder() const { return m_pressedHolder; }
    PictureBox *releasedHolder() const { return m_releasedHolder; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void showPictureOf(const PictureBox *holder);
    void setPixmap(const QPixmap &pixmap);

    QString m_picture;
    QPixmap m_pixmap;
    QPointer<PictureBox> m_pressedHolder;
    QPointer<PictureBox> m_releasedHolder;
    bool m_keyboardFocus = false;
};

} // namespace Pinmark
