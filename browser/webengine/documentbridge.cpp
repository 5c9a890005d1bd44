#include "browser/webengine/documentbridge.h"

#include "browser/webengine/webenginebrowserhost.h"
#include "core/htmlevent.h"

#include <QMetaObject>

#include <cmath>
#include <optional>

namespace Pinmark {

namespace {

// Generations travel as JavaScript numbers: whole, positive and exact in a double.
std::optional<quint64> generationOf(double value)
{
    constexpr double largestExact = 9007199254740992.0; // 2^53
    if (!std::isfinite(value) || value < 1 || value > largestExact || std::trunc(value) != value)
        return std::nullopt;
    return static_cast<quint64>(value);
}

// The pressed-buttons word of a mouse event: left 1, right 2, middle 4, back 8, forward 16.
std::optional<quint32> buttonsOf(double value)
{
    if (!std::isfinite(value) || value < 0 || value > 31 || std::trunc(value) != value)
        return std::nullopt;
    return static_cast<quint32>(value);
}

// Addresses come from the page (a data: picture can be long) but not without end.
bool fits(const QString &text)
{
    return text.size() <= MaxPageTextLength;
}

bool isReadyState(const QString &state)
{
    return state == QLatin1String("loading") || state == QLatin1String("interactive") ||
           state == QLatin1String("complete");
}

std::optional<HtmlEventObj> eventOf(const QString &tagName, const QString &id, const QString &title,
                                    const QString &src, const QString &href, double buttons)
{
    const auto word = buttonsOf(buttons);
    if (!word || !fits(tagName) || !fits(id) || !fits(title) || !fits(href))
        return std::nullopt;
    HtmlEventObj event;
    // A picture whose address is too long still reaches the handlers, cut, so they can say so.
    event.srcElement = HtmlElement{tagName, id, title, src.left(MaxPageTextLength + 1), href};
    event.button = *word;
    return event;
}

} // namespace

DocumentBridge::DocumentBridge(WebEngineBrowserHost *host) : QObject(host), m_host(host)
{
    setObjectName(QStringLiteral("pinmark"));
}

double DocumentBridge::beginDocument(const QString &url)
{
    if (!m_host || !fits(url))
        return 0;
    const quint64 generation = m_host->beginDocument(url);
    // The host numbers documents from 1 upwards; past 2^53 the script could not echo the
    // number back exactly, and the document simply stays silent.
    if (!generationOf(static_cast<double>(generation)))
        return 0;
    if (HtmlDocument *doc = m_host->Document()) {
        connect(doc, &HtmlDocument::boundChanged, this, [this, generation](bool bound) {
            Q_EMIT boundChanged(static_cast<double>(generation), bound);
        });
    }
    return static_cast<double>(generation);
}

void DocumentBridge::readyStateChanged(double generation, const QString &state)
{
    const auto g = generationOf(generation);
    if (!m_host || !g || !isReadyState(state))
        return;
    deliver([g, state](WebEngineBrowserHost &host) { host.readyStateChanged(*g, state); });
}

void DocumentBridge::pageLoaded(double generation, const QString &address)
{
    const auto g = generationOf(generation);
    if (!m_host || !g || !fits(address))
        return;
    deliver([g, address](WebEngineBrowserHost &host) { host.pageLoaded(*g, address); });
}

void DocumentBridge::frameLoaded(double generation, const QString &address)
{
    const auto g = generationOf(generation);
    if (!m_host || !g || !fits(address))
        return;
    deliver([g, address](WebEngineBrowserHost &host) { host.documentLoaded(*g, address); });
}

void DocumentBridge::clicked(double generation, const QString &tagName, const QString &id,
                             const QString &title, const QString &src, const QString &href,
                             double buttons)
{
    pointerEvent(Pointer::Click, generation, tagName, id, title, src, href, buttons);
}

void DocumentBridge::mouseDown(double generation, const QString &tagName, const QString &id,
                               const QString &title, const QString &src, const QString &href,
                               double buttons)
{
    pointerEvent(Pointer::MouseDown, generation, tagName, id, title, src, href, buttons);
}

void DocumentBridge::pointerEvent(Pointer kind, double generation, const QString &tagName,
                                  const QString &id, const QString &title, const QString &src,
                                  const QString &href, double buttons)
{
    const auto g = generationOf(generation);
    const auto event = eventOf(tagName, id, title, src, href, buttons);
    if (!m_host || !g || !event)
        return;
    deliver([kind, g, event](WebEngineBrowserHost &host) {
        if (kind == Pointer::Click)
            host.userClicked(*g, *event);
        else
            host.mouseDown(*g, *event);
    });
}

void DocumentBridge::backKeyPressed(double generation)
{
    const auto g = generationOf(generation);
    if (!m_host || !g)
        return;
    deliver([g](WebEngineBrowserHost &host) { host.backKeyPressed(*g); });
}

} // namespace Pinmark
