#include "core/clickrouting.h"

#include "core/schemepolicy.h"

namespace Pinmark {

QString restoreSpaces(const QString &src)
{
    QString out;
    out.reserve(src.size());
    for (qsizetype i = 0; i < src.size();) {
        if (QStringView(src).mid(i, 3) == u"%20") {
            out += QLatin1Char(' ');
            i += 3;
        } else {
            out += src.at(i);
            ++i;
        }
    }
    return out;
}

bool isFollowableInPlace(const QString &address)
{
    return schemeAllows(AddressUse::FollowInPlace, address);
}

ClickRoute routeClick(const HtmlElement &element)
{
    const QString tag = element.tagName.toUpper();
    if (tag == QLatin1String("IMG")) {
        if (ExternalImageIds.contains(element.id.toUpper()))
            return {ClickRoute::LaunchExternal, element.title};
        // A picture without an address shows nothing to select: the user's choice stays.
        if (element.src.isEmpty())
            return {};
        if (!schemeAllows(AddressUse::SelectAsPicture, element.src))
            return {ClickRoute::ImageWithoutWebAddress, {}};
        if (element.src.size() > MaxPageTextLength)
            return {ClickRoute::ImageAddressTooLong, {}};
        return {ClickRoute::SelectImage, restoreSpaces(element.src)};
    }
    if (tag == QLatin1String("A")) {
        if (ExternalLinkIds.contains(element.id.toUpper()))
            return {ClickRoute::LaunchExternal, element.href};
        if (!isFollowableInPlace(element.href))
            return {};
        return {ClickRoute::NavigateInPlace, element.href};
    }
    return {};
}

} // namespace Pinmark
