#include "core/schemepolicy.h"

#include <QUrl>

namespace Pinmark {

namespace {

// The engine leaves |, ^, {, }, ` and a lone % unencoded in a link's address, which a strict
// parse refuses: scheme and host are all that is judged here, so the parse is tolerant.
QUrl tolerantUrl(const QString &address)
{
    return QUrl(address, QUrl::TolerantMode);
}

bool hasAcceptedBeginning(const QString &address)
{
    for (const QString &scheme : AcceptedSchemes) {
        if (address.startsWith(scheme, Qt::CaseSensitive))
            return true;
    }
    return false;
}

} // namespace

bool isWebScheme(QStringView scheme)
{
    return scheme == u"http" || scheme == u"https";
}

bool schemeAllows(AddressUse use, const QString &address)
{
    switch (use) {
    case AddressUse::FollowInPlace: {
        // Only web pages open inside the program: a local file, a script address or another
        // program's scheme would let a page reach past the web.
        const QUrl url = tolerantUrl(address);
        return url.isValid() && !url.isRelative() && !url.host().isEmpty() &&
               isWebScheme(url.scheme());
    }
    case AddressUse::Launch: {
        // The desktop's opener gets absolute web, ftp and mail addresses only, so a page cannot
        // make the program open a local file, start the handler of another scheme, or pass an
        // option ("-...") to the opener.
        const QUrl url = tolerantUrl(address);
        if (!url.isValid() || url.isRelative())
            return false;
        const QString scheme = url.scheme();
        if (scheme == QLatin1String("mailto"))
            return !url.path().isEmpty();
        return (isWebScheme(scheme) || scheme == QLatin1String("ftp")) && !url.host().isEmpty();
    }
    case AddressUse::SelectAsPicture:
    case AddressUse::Paste:
        // The address goes into a code that a forum shows to everyone: only what any reader's
        // browser can fetch, written as the user will see it in the code (lower case, with its
        // "//"). A data:, blob: or file: picture shows nothing on a forum.
        return hasAcceptedBeginning(address);
    }
    return false;
}

} // namespace Pinmark
