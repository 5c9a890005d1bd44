#include "core/pagestate.h"

namespace Pinmark {

void PageStateMachine::navigationStarted()
{
    switch (m_state) {
    case PageState::Idle:
    case PageState::Loaded:
        m_state = PageState::Loading;
        break;
    case PageState::ErrorPage:
        // Still the failure until the engine says what loads now.
        m_state = PageState::ErrorPageLoading;
        break;
    case PageState::Loading:
    case PageState::Failed:
    case PageState::ErrorPageDue:
    case PageState::ErrorPageLoading:
    case PageState::Closing:
        break;
    }
}

void PageStateMachine::loadStarted(bool errorPage)
{
    if (m_state == PageState::Closing)
        return;
    // A web page's load ends the failure, and with it any leave for our page still unused.
    m_state = errorPage ? PageState::ErrorPageLoading : PageState::Loading;
}

bool PageStateMachine::pageReported(quint64 generation, bool errorPage)
{
    switch (m_state) {
    case PageState::Idle:
    case PageState::Loading:
    case PageState::Loaded:
        m_state = PageState::Loaded;
        if (errorPage)
            return false;
        m_completedGeneration = generation;
        return true;
    case PageState::ErrorPageLoading:
        m_state = PageState::ErrorPage;
        return false;
    case PageState::Failed:
    case PageState::ErrorPageDue:
    case PageState::ErrorPage:
    case PageState::Closing:
        return false;
    }
    return false;
}

void PageStateMachine::loadFailed()
{
    if (m_state != PageState::Closing)
        m_state = PageState::Failed;
}

void PageStateMachine::errorPageAsked()
{
    if (m_state != PageState::Closing)
        m_state = PageState::ErrorPageDue;
}

bool PageStateMachine::takeErrorPageNavigation()
{
    if (m_state != PageState::ErrorPageDue)
        return false;
    m_state = PageState::ErrorPageLoading;
    return true;
}

void PageStateMachine::restarted()
{
    if (m_state != PageState::Closing)
        m_state = PageState::Loading;
}

void PageStateMachine::closing()
{
    m_state = PageState::Closing;
}

bool PageStateMachine::showsFailure() const
{
    switch (m_state) {
    case PageState::Failed:
    case PageState::ErrorPageDue:
    case PageState::ErrorPageLoading:
    case PageState::ErrorPage:
        return true;
    case PageState::Idle:
    case PageState::Loading:
    case PageState::Loaded:
    case PageState::Closing:
        return false;
    }
    return false;
}

bool PageStateMachine::awaitsCompletion() const
{
    switch (m_state) {
    case PageState::Loading:
    case PageState::Failed:       // the failed load's end is still to come
    case PageState::ErrorPageDue: // as is, perhaps, the failed load's
    case PageState::ErrorPageLoading:
        return true;
    case PageState::Idle:
    case PageState::Loaded:
    case PageState::ErrorPage:
    case PageState::Closing:
        return false;
    }
    return false;
}

} // namespace Pinmark
