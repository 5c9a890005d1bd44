#pragma once
#include <QString>

namespace Pinmark {

// Why a page could not be shown, as the program's own error page says it.
enum class LoadFailure
{
    CertificateNotTrusted,
    TooManyRedirects,
    Refused,
    Unreachable,
    NotFound,
    TooSlow,
    Other,
};

// The engine's error number as a reason: its network errors are negative, an HTTP status
// (a server that answered with an error) is positive.
LoadFailure loadFailureOf(int errorCode);

// Which of the error page's two faces is shown: the gallery's (it is tried again by itself)
// or a link's (the user goes back or to the gallery).
enum class ErrorPageKind
{
    Gallery,
    Link
};

// The error page from its template, with "{{kind}}", "{{reason}}" and "{{address}}" filled in.
// The address comes from the page or the network, so it goes in as text only: percent-encoded
// (no markup, no direction marks, no blanks that could pose as words) and shortened when long.
QString fillErrorPage(const QString &page, ErrorPageKind kind, LoadFailure reason,
                      const QString &address);

} // namespace Pinmark
