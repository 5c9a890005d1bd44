#pragma once
#include <QList>
#include <QString>

#include <optional>

namespace Pinmark {

// Where Back leads in the embedded browser. The engine's history is read as it stands (each
// entry's address and the time it was last shown, oldest first); the trail remembers which of
// its entries the user chose: the gallery, a link the user followed, a page the user used.
// Back goes to the nearest earlier one of those, so entries a page added by itself
// (history.pushState floods, pages it went on to without the user) cannot hold it.
class HistoryTrail
{
public:
    struct Entry
    {
        QString address;
        qint64 shownAt = 0; // the engine's time stamp, renewed whenever the entry is shown
    };

    // The next entry the engine adds is one the user asked for (a link, the gallery, a key).
    void expectChosenEntry();
    // That load has ended: an entry added from now on is the page's own doing again.
    void endExpectation() { m_expecting = false; }

    // The engine's list as it is now, and the index of the entry shown.
    void update(const QList<Entry> &entries, int current);

    // The user used the page shown: it counts as chosen.
    void markCurrentChosen();
    // The entry shown is that of a load that failed: there is nothing to go back to there.
    void markCurrentFailed(const QString &address);

    // The entry Back goes to, or nothing when no chosen entry is left before the one shown.
    // A page that Back returned to and that then leaves again without the user is not returned
    // to a second time.
    std::optional<int> goBack();
    // The user went forward: the page Back returned to was left by the user.
    void wentForward() { m_returnedTo.reset(); }

    int current() const { return m_current; }
    bool isChosen(int index) const;

private:
    struct Known
    {
        Entry entry;
        bool chosen = false;
    };

    QList<Known> m_known;
    int m_current = -1;
    bool m_expecting = false;
    std::optional<int> m_returnedTo;
};

} // namespace Pinmark
