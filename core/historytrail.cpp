#include "core/historytrail.h"

#include <algorithm>

namespace Pinmark {

void HistoryTrail::expectChosenEntry()
{
    m_expecting = true;
    m_returnedTo.reset();
}

void HistoryTrail::update(const QList<Entry> &entries, int current)
{
    // The engine only appends after the entry shown (dropping those after it), replaces the
    // entry shown, renews the time stamp of an entry whenever it shows it, and drops old
    // entries when its list is full. So the known entries are found again in order: by address
    // and time stamp; with a new stamp, as the next known entry with the same address; or, for
    // the entry that was shown, as the entry that took its place.
    const auto sameAs = [](const Known &known, const Entry &entry) {
        return known.entry.address == entry.address && known.entry.shownAt == entry.shownAt;
    };
    QList<Known> next;
    next.reserve(entries.size());
    QList<bool> unchanged; // found with the same time stamp: not shown since the last update
    unchanged.reserve(entries.size());
    std::optional<int> returnedTo;
    qsizetype k = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const Entry &entry = entries.at(i);
        qsizetype found = -1;
        for (qsizetype j = k; j < m_known.size() && found < 0; ++j) {
            if (sameAs(m_known.at(j), entry))
                found = j;
        }
        unchanged.append(found >= 0);
        if (found < 0 && k < m_known.size()) {
            const auto later = entries.cbegin() + i + 1;
            const bool survives = std::any_of(
                later, entries.cend(), [&](const Entry &e) { return sameAs(m_known.at(k), e); });
            if (m_known.at(k).entry.address == entry.address || (k == m_current && !survives))
                found = k;
        }
        if (found < 0) {
            next.append({entry, m_expecting});
            m_expecting = false;
            continue;
        }
        if (m_returnedTo == found)
            returnedTo = int(next.size());
        next.append({entry, m_known.at(found).chosen});
        k = found + 1;
    }
    // The entry after the page Back returned to was added or shown since: that page moved on
    // by itself (the user's own Forward forgets the return first).
    if (returnedTo && *returnedTo + 1 < next.size() && !unchanged.at(*returnedTo + 1)) {
        next[*returnedTo].chosen = false;
        returnedTo.reset();
    }
    m_known = next;
    m_returnedTo = returnedTo;
    m_current = (current >= 0 && current < m_known.size()) ? current : int(m_known.size()) - 1;
}

void HistoryTrail::markCurrentChosen()
{
    if (m_current >= 0 && m_current < m_known.size())
        m_known[m_current].chosen = true;
    m_returnedTo.reset();
}

void HistoryTrail::markCurrentFailed(const QString &address)
{
    if (m_current >= 0 && m_current < m_known.size() &&
        m_known.at(m_current).entry.address == address)
        m_known[m_current].chosen = false;
}

std::optional<int> HistoryTrail::goBack()
{
    m_returnedTo.reset();
    for (int i = m_current - 1; i >= 0; --i) {
        if (m_known.at(i).chosen) {
            m_returnedTo = i;
            return i;
        }
    }
    return std::nullopt;
}

bool HistoryTrail::isChosen(int index) const
{
    return index >= 0 && index < m_known.size() && m_known.at(index).chosen;
}

} // namespace Pinmark
