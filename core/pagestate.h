#pragma once
#include <QtGlobal>

namespace Pinmark {

// Where the embedded browser's top-level page stands, from the engine's reports and the
// program's own doings. Every change of it is written in PageStateMachine, and nowhere else.
enum class PageState
{
    Idle,             // nothing loaded yet
    Loading,          // a web page's load is under way and it has not reported itself complete
    Loaded,           // the current document reported itself complete and stands for the page
    Failed,           // a load failed: whatever the engine shows is never bound; our page is due
    ErrorPageDue,     // our page for the failure has been asked for; only it may be shown now
    ErrorPageLoading, // our page is loading
    ErrorPage,        // our page is shown
    Closing,          // the browser is being destroyed: late answers are ignored
};

class PageStateMachine
{
public:
    PageState state() const { return m_state; }

    // --- Events ---
    // The engine started a top-level load (before it says of what).
    void navigationStarted();
    // The engine names the address of the load that started: our page for a failure, or not.
    void loadStarted(bool errorPage);
    // The current document reported itself complete. True when it now stands for the page and
    // is to be bound: never while a failure is shown, never for our page.
    bool pageReported(quint64 generation, bool errorPage);
    // A load failed, or its document never arrived.
    void loadFailed();
    // Our page for the failure is being put in place.
    void errorPageAsked();
    // The engine asks whether our page may replace the page: once, and only when it is due.
    bool takeErrorPageNavigation();
    // A dead renderer is replaced and the gallery loaded again.
    void restarted();
    void closing();

    // --- Questions ---
    // True from a failure until a web page's load starts: nothing shown then stands for a page.
    bool showsFailure() const;
    // True while the end of a load may still need settling: no page of it has reported yet.
    bool awaitsCompletion() const;
    // The generation of the document that last stood for the page, 0 before any.
    quint64 completedGeneration() const { return m_completedGeneration; }
    bool isClosing() const { return m_state == PageState::Closing; }

private:
    PageState m_state = PageState::Idle;
    quint64 m_completedGeneration = 0;
};

} // namespace Pinmark
