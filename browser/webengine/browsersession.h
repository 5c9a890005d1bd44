#pragma once
#include "browser/documentgenerations.h"
#include "core/historytrail.h"
#include "core/pagestate.h"

#include <QElapsedTimer>
#include <QString>

#include <chrono>
#include <functional>

namespace Pinmark {

class HostPage;

// What the parts of the web engine host share: the page shown, its documents, where the page
// stands, and where Back leads. The host owns it and the page in it; the parts read it and
// change only what their job is.
struct BrowserSession
{
    explicit BrowserSession(QObject *owner) : documents(owner) { clock.start(); }

    HostPage *page = nullptr;
    DocumentGenerations documents;
    PageStateMachine state;
    HistoryTrail trail;
    QString home;       // the gallery: the page every failure leads back to
    QString requested;  // the address the program last asked to load
    QString navigating; // the address the current top-level navigation started at
    QElapsedTimer clock;
    // How long a document may take to arrive before its load counts as failed.
    std::chrono::milliseconds arrivalTimeout{30000};
    // Loads an address the user asked for (the gallery, a link, a key).
    std::function<void(const QString &)> load;
    // Puts a new page in place of one whose renderer died; called from the event loop.
    std::function<void()> replacePage;

    // Reads the engine's history list into the trail.
    void updateTrail();
    // Also a gallery that sent the engine on elsewhere before it failed.
    bool isGallery(const QString &address) const { return address == home || navigating == home; }
    quint64 currentGeneration() const;
};

// Our own page for a failed load is the only data: document the page may show.
inline bool isErrorPageAddress(const QString &address)
{
    return address.startsWith(QLatin1String("data:"));
}

} // namespace Pinmark
