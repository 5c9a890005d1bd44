#pragma once
#include "dialogs/noticewindow.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>

namespace Pinmark {

// Keeps at most one open instance of each notice. Showing an open notice raises that one
// window; a notice that was closed is built afresh from its layout on its next show.
class Notices : public QObject
{
    Q_OBJECT
public:
    explicit Notices(std::function<void()> endApplication, QObject *parent = nullptr);
    ~Notices() override;

    NoticeWindow *show(NoticeId id);
    NoticeWindow *find(NoticeId id) const;

private:
    std::function<void()> m_endApplication;
    std::array<QPointer<NoticeWindow>, 4> m_open;
};

} // namespace Pinmark
