#include "pasteacceptance.h"

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
