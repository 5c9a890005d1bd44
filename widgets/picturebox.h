#pragma once
#include <QLabel>

// A box that shows its picture unscaled at its top left corner. It may carry a frame
// (set in the layout through QFrame's properties) and may hold other controls.
class PictureBox : public QLabel
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool m_keyboardFocus = false;
};
