#pragma once
#include <QObject>
#include <QTimer>

class QWidget;

namespace Pinmark {

class Recovery;
struct BrowserSession;

// The usual browser keys: F5 reloads, Alt+Left (and Backspace outside a text field) goes back
// past the entries a page piled up by itself, Alt+Right goes forward, Alt+Home to the gallery.
// A key acts once the page has shown it is alive; a page that does not answer in time has a
// frozen renderer, which is ended so that the gallery comes back.
class BrowserKeys : public QObject
{
    Q_OBJECT
public:
    BrowserKeys(BrowserSession &session, Recovery &recovery, QObject *parent = nullptr);

    // Window-wide, and handled before the page sees them: they work on a frozen page too.
    void install(QWidget *area);

    void Refresh();
    void GoBack();
    void GoForward();
    void GoHome();

    // The renderer is gone: a probe of it will not be answered.
    void stopWatch() { m_responseTimer.stop(); }

private:
    void whenResponsive(void (BrowserKeys::*action)());
    void reloadNow();
    void goBackNow();
    void goForwardNow();
    void goHomeNow();

    BrowserSession &m_session;
    Recovery &m_recovery;
    QTimer m_responseTimer;
    quint64 m_probeCount = 0; // numbers the responsiveness probes; the latest one counts
};

} // namespace Pinmark
