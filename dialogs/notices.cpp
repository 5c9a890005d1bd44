#include "dialogs/notices.h"

namespace Pinmark {

Notices::Notices(std::function<void()> endApplication, QObject *parent)
    : QObject(parent), m_endApplication(std::move(endApplication))
{
}

Notices::~Notices()
{
    // Notices have no owner window; whatever is still open goes with the registry.
    for (QPointer<NoticeWindow> &notice : m_open)
        delete notice.data();
}

NoticeWindow *Notices::find(NoticeId id) const
{
    return m_open[static_cast<size_t>(id)].data();
}

NoticeWindow *Notices::show(NoticeId id)
{
    QPointer<NoticeWindow> &slot = m_open[static_cast<size_t>(id)];
    if (!slot)
        slot = new NoticeWindow(id, m_endApplication);
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot;
}

} // namespace Pinmark
