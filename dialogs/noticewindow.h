#pragma once
#include <QPixmap>
#include <QWidget>

#include <functional>

namespace Pinmark {

class PictureBox;
class PictureButton;

enum class NoticeId
{
    about,
    notcon,
    selimg,
    wronglink
};

// A small frameless picture notice: its message is drawn in its background picture, and its
// one working control is the OK button Picture1 (pressed picture in Picture3, released in
// Picture2). OK closes the notice, except on notcon, where it ends the program;
// Escape does what OK does.
class NoticeWindow : public QWidget
{
    Q_OBJECT
public:
    NoticeWindow(NoticeId id, std::function<void()> endApplication);

    NoticeId id() const { return m_id; }

    PictureButton *Picture1 = nullptr;
    PictureBox *Picture2 = nullptr;
    PictureBox *Picture3 = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    template <typename Layout> void build();
    void Picture1_Click();
    void Form_KeyDown(int key);

    NoticeId m_id;
    std::function<void()> m_endApplication;
    QPixmap m_background;
};

} // namespace Pinmark
