#include "core/loadfailure.h"

#include <QUrl>

namespace Pinmark {

namespace {

// A few of the engine's network error numbers.
constexpr int TimedOut = -7;
constexpr int ConnectionClosed = -100;
constexpr int ConnectionReset = -101;
constexpr int ConnectionRefused = -102;
constexpr int ConnectionAborted = -103;
constexpr int ConnectionFailed = -104;
constexpr int NameNotResolved = -105;
constexpr int InternetDisconnected = -106;
constexpr int AddressInvalid = -108;
constexpr int AddressUnreachable = -109;
constexpr int ConnectionTimedOut = -118;
constexpr int NameResolutionFailed = -137;
constexpr int NetworkChanged = -21;
constexpr int PinnedKeyNotInChain = -150;
constexpr int FirstCertificateError = -299;
constexpr int LastCertificateError = -200;
constexpr int TooManyRedirects = -310;
constexpr int EmptyResponse = -324;
constexpr int InsecureResponse = -501;
constexpr int FirstDnsError = -899;
constexpr int LastDnsError = -800;
constexpr int DnsTimedOut = -803;

// Addresses are rarely longer; a longer one is cut, it only has to be recognised.
constexpr qsizetype ShownAddressLength = 300;

QLatin1String kindName(ErrorPageKind kind)
{
    return kind == ErrorPageKind::Gallery ? QLatin1String("gallery") : QLatin1String("link");
}

QLatin1String reasonName(LoadFailure reason)
{
    switch (reason) {
    case LoadFailure::CertificateNotTrusted:
        return QLatin1String("certificate");
    case LoadFailure::TooManyRedirects:
        return QLatin1String("redirects");
    case LoadFailure::Refused:
        return QLatin1String("refused");
    case LoadFailure::Unreachable:
        return QLatin1String("unreachable");
    case LoadFailure::NotFound:
        return QLatin1String("notfound");
    case LoadFailure::TooSlow:
        return QLatin1String("tooslow");
    case LoadFailure::Other:
        break;
    }
    return QLatin1String("other");
}

QString shownAddress(const QString &address)
{
    const QUrl url(address);
    const QString spelled = url.isValid() ? url.toString(QUrl::FullyEncoded) : address;
    // What an address may hold as it is; the rest (blanks, quotes, angle brackets, control and
    // direction characters, anything beyond ASCII) is written as %XX.
    QString shown;
    for (const char byte : spelled.toUtf8()) {
        const auto c = static_cast<unsigned char>(byte);
        if (c > 0x20 && c < 0x7f && !QByteArrayView("<>\"{}|\\^`").contains(byte))
            shown += QLatin1Char(byte);
        else
            shown += QLatin1Char('%') +
                     QString::number(c, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        if (shown.size() >= ShownAddressLength) {
            shown += QStringLiteral("…");
            break;
        }
    }
    return shown.toHtmlEscaped();
}

} // namespace

LoadFailure loadFailureOf(int errorCode)
{
    if (errorCode == 404 || errorCode == 410)
        return LoadFailure::NotFound;
    if (errorCode > 0)
        return LoadFailure::Other;
    if ((errorCode >= FirstCertificateError && errorCode <= LastCertificateError) ||
        errorCode == PinnedKeyNotInChain || errorCode == InsecureResponse)
        return LoadFailure::CertificateNotTrusted;
    switch (errorCode) {
    case TooManyRedirects:
        return LoadFailure::TooManyRedirects;
    case ConnectionRefused:
        return LoadFailure::Refused;
    case TimedOut:
    case ConnectionTimedOut:
    case DnsTimedOut:
        return LoadFailure::TooSlow;
    case NameNotResolved:
    case NameResolutionFailed:
        return LoadFailure::NotFound;
    case ConnectionClosed:
    case ConnectionReset:
    case ConnectionAborted:
    case ConnectionFailed:
    case InternetDisconnected:
    case AddressInvalid:
    case AddressUnreachable:
    case NetworkChanged:
    case EmptyResponse:
        return LoadFailure::Unreachable;
    default:
        break;
    }
    if (errorCode >= FirstDnsError && errorCode <= LastDnsError)
        return LoadFailure::NotFound;
    return LoadFailure::Other;
}

QString fillErrorPage(const QString &page, ErrorPageKind kind, LoadFailure reason,
                      const QString &address)
{
    QString filled = page;
    filled.replace(QLatin1String("{{kind}}"), kindName(kind));
    filled.replace(QLatin1String("{{reason}}"), reasonName(reason));
    // Last, so that nothing in the address is read as a place to fill.
    filled.replace(QLatin1String("{{address}}"), shownAddress(address));
    return filled;
}

} // namespace Pinmark
