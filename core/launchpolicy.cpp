#include "core/launchpolicy.h"

#include "core/safeaddress.h"
#include "core/schemepolicy.h"

#include <algorithm>

namespace Pinmark {

QUrl launchUrl(const QString &address)
{
    // Tolerant parsing percent-encodes what an address may not carry as it is (blanks, "|",
    // "{", "}", quotes), so the opener gets the whole address as one argument.
    return QUrl(address, QUrl::TolerantMode);
}

bool isLaunchableAddress(const QString &address)
{
    // Line breaks and control characters have no place in an address handed to another program,
    // and a blank at either end means the text is not one address.
    if (address.isEmpty() || address.front().isSpace() || address.back().isSpace() ||
        std::any_of(address.begin(), address.end(), isControlOrLineBreak))
        return false;
    return schemeAllows(AddressUse::Launch, address);
}

} // namespace Pinmark
