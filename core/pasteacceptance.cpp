#include "core/pasteacceptance.h"

#include "core/safeaddress.h"

#include <algorithm>

namespace Pinmark {

bool hasAcceptedScheme(const QString &candidate)
{
    for (const QString &scheme : AcceptedSchemes) {
        if (candidate.startsWith(scheme, Qt::CaseSensitive))
            return true;
    }
    return false;
}

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
    return hasAcceptedScheme(candidate) && hasAcceptedExtension(candidate) &&
           std::none_of(candidate.begin(), candidate.end(), isControlOrLineBreak);
}

} // namespace Pinmark
