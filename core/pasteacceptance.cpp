#include "core/pasteacceptance.h"

#include "core/safeaddress.h"

#include <algorithm>

namespace Pinmark {

bool hasAcceptedExtension(const QString &candidate)
{
    for (const QString &ending : AcceptedExtensions) {
        if (candidate.endsWith(ending, Qt::CaseSensitive))
            return true;
    }
    return false;
}

bool isAcceptedPaste(const QString &candidate)
{
    return schemeAllows(AddressUse::Paste, candidate) && hasAcceptedExtension(candidate) &&
           std::none_of(candidate.begin(), candidate.end(), isControlOrLineBreak);
}

} // namespace Pinmark
