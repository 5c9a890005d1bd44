#pragma once
#include <QObject>
#include <QPointer>
#include <QString>

namespace Pinmark {

class WebEngineBrowserHost;

// The one object the document script reaches over the web channel, as "pinmark". It lives in
// the script's isolated world only, so page scripts never see it. Every method takes plain
// values, checks them, and hands the report on to the host later, never inside the channel's
// own message dispatch (a handler may open a modal message box).
class DocumentBridge : public QObject
{
    Q_OBJECT
public:
    explicit DocumentBridge(WebEngineBrowserHost *host);

    // A new top-level document: returns its generation, or 0 when the address is refused.
    // Answered at once, since the script holds its reports until it has the number.
    Q_INVOKABLE double beginDocument(const QString &url);

    Q_INVOKABLE void readyStateChanged(double generation, const QString &state);
    // The top-level page, or one of its frames, finished loading.
    Q_INVOKABLE void pageLoaded(double generation, const QString &address);
    Q_INVOKABLE void frameLoaded(double generation, const QString &address);
    // A trusted click or mouse-button press on the innermost element described.
    Q_INVOKABLE void clicked(double generation, const QString &tagName, const QString &id,
                             const QString &title, const QString &src, const QString &href,
                             double buttons);
    Q_INVOKABLE void mouseDown(double generation, const QString &tagName, const QString &id,
                               const QString &title, const QString &src, const QString &href,
                               double buttons);

    // The user pressed Backspace outside a text field, and the page did not take it.
    Q_INVOKABLE void backKeyPressed(double generation);

Q_SIGNALS:
    // Tells the script of that generation whether the program listens to it (and so whether
    // it must cancel the default action of clicks).
    void boundChanged(double generation, bool bound);

private:
    enum class Pointer
    {
        Click,
        MouseDown
    };
    void pointerEvent(Pointer kind, double generation, const QString &tagName, const QString &id,
                      const QString &title, const QString &src, const QString &href,
                      double buttons);

    // Hands a report to the host from the event loop, never inside the channel's dispatch:
    // a handler may open a modal message box.
    template <typename Delivery> void deliver(Delivery delivery)
    {
        QMetaObject::invokeMethod(
            m_host.data(), [host = m_host, delivery] { delivery(*host); }, Qt::QueuedConnection);
    }

    QPointer<WebEngineBrowserHost> m_host;
};

} // namespace Pinmark
