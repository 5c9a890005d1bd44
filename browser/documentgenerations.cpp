#include "browser/documentgenerations.h"

namespace Pinmark {

quint64 DocumentGenerations::begin(const QString &url)
{
    if (m_current) {
        // Whoever was bound to the old document simply stops hearing from it.
        m_current->setBound(false);
        m_current->deleteLater();
    }
    const quint64 generation = m_next++;
    m_current = new HtmlDocument(generation, url, m_owner);
    return generation;
}

HtmlDocument *DocumentGenerations::currentOf(quint64 generation) const
{
    return (m_current && m_current->generation() == generation) ? m_current.data() : nullptr;
}

} // namespace Pinmark
