#pragma once
#include <QLabel>
#include <QPixmap>

class QFocusEvent;
class QPainter;

namespace Pinmark {

// Loads a skin picture, drawn at twice the resolution where the display is scaled to 200 %,
// so the skin stays crisp while the layout stays the same in pixels.
QPixmap loadSkinPicture(const QString &path);

// The picture controls draw a keyboard focus ring only where Tab has led the user; focus a
// window hands out on activation draws none over the skin.
bool focusRingWanted(const QFocusEvent *event);
void drawFocusRing(QPainter &painter, const QRect &rect);

// A box that shows its picture unscaled at its top left corner. It may carry a frame
// (set in the layout through QFrame's properties) and may hold other controls.
class PictureBox : public QLabel
{
    Q_OBJECT
    // The skin picture the box starts with, as a resource path; set by the layouts.
    Q_PROPERTY(QString picture READ picture WRITE setPicture)
public:
    explicit PictureBox(QWidget *parent = nullptr);

    QString picture() const { return m_picture; }
    void setPicture(const QString &path);

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QString m_picture;
    bool m_keyboardFocus = false;
};

} // namespace Pinmark
