#pragma once
#include "core/htmlevent.h"

#include <QString>
#include <QStringList>

namespace Pinmark {

// Pictures and links of the gallery page that belong to other sites, by element id.
inline const QStringList ExternalImageIds = {
    QStringLiteral("2"),  QStringLiteral("4"),  QStringLiteral("8"),  QStringLiteral("10"),
    QStringLiteral("14"), QStringLiteral("16"), QStringLiteral("20"), QStringLiteral("22")};
inline const QStringList ExternalLinkIds = {
    QStringLiteral("3"),  QStringLiteral("6"),  QStringLiteral("9"),  QStringLiteral("12"),
    QStringLiteral("15"), QStringLiteral("18"), QStringLiteral("21"), QStringLiteral("24")};

// What a click on an element of the page leads to.
struct ClickRoute
{
    enum Action
    {
        Nothing,
        SelectImage,
        LaunchExternal,
        NavigateInPlace,
        // A picture that cannot become the selection: the user is told why.
        ImageWithoutWebAddress, // data:, blob:, file: and the like: no forum can show it
        ImageAddressTooLong     // longer than MaxPageTextLength
    };
    Action action = Nothing;
    QString address;

    friend bool operator==(const ClickRoute &, const ClickRoute &) = default;
};

ClickRoute routeClick(const HtmlElement &element);

// Each "%20" becomes one space, in a single left-to-right scan; other escapes stay.
QString restoreSpaces(const QString &src);

// Whether a link is followed inside the embedded browser (see AddressUse::FollowInPlace).
bool isFollowableInPlace(const QString &address);

} // namespace Pinmark
