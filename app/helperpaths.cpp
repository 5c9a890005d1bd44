#include "app/helperpaths.h"

#include <QDir>

namespace Pinmark {

QStringList helperPaths(const QString &programDir, const QString &name)
{
    return {programDir + QLatin1Char('/') + name,
            QDir::cleanPath(programDir + QStringLiteral("/../" PINMARK_HELPER_DIR "/") + name)};
}

} // namespace Pinmark
