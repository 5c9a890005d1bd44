#include "dialogs/noticewindow.h"

#include "core/placement.h"
#include "platform/taskbarhint.h"
#include "ui_about.h"
#include "ui_notcon.h"
#include "ui_selimg.h"
#include "ui_wronglink.h"
#include "widgets/picturebutton.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace Pinmark {

NoticeWindow::NoticeWindow(NoticeId id, std::function<void()> endApplication)
    : QWidget(nullptr, noticeWindowFlags()), m_id(id), m_endApplication(std::move(endApplication))
{
    setAttribute(Qt::WA_DeleteOnClose);
    switch (id) {
    case NoticeId::about:
        build<Ui::about>();
        break;
    case NoticeId::notcon:
        build<Ui::notcon>();
        break;
    case NoticeId::selimg:
        build<Ui::selimg>();
        break;
    case NoticeId::wronglink:
        build<Ui::wronglink>();
        break;
    }
    setFixedSize(size());
    keepOffTaskbar(this);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(placeWindow(size(), screen->availableGeometry()));
}

template <typename Layout> void NoticeWindow::build()
{
    Layout layout;
    layout.setupUi(this);
    Picture1 = layout.Picture1;
    Picture2 = layout.Picture2;
    Picture3 = layout.Picture3;
    Picture1->setHolders(Picture3, Picture2);
    connect(Picture1, &PictureButton::clicked, this, &NoticeWindow::Picture1_Click);
    m_background = loadSkinPicture(property("backgroundPicture").toString());
}

void NoticeWindow::Picture1_Click()
{
    if (m_id == NoticeId::notcon)
        m_endApplication();
    else
        close();
}

void NoticeWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        Form_KeyDown(event->key());
    else
        QWidget::keyPressEvent(event);
}

void NoticeWindow::Form_KeyDown(int key)
{
    // Escape answers a notice as its OK button does, press feedback included.
    if (key == Qt::Key_Escape)
        Picture1->click();
}

void NoticeWindow::paintEvent(QPaintEvent *)
{
    // Unscaled from the top left: the short notices cut off the picture's last row.
    QPainter(this).drawPixmap(0, 0, m_background);
}

} // namespace Pinmark
