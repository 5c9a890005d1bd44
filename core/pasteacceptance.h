#pragma once
#include "core/schemepolicy.h"

#include <QString>
#include <QStringList>

namespace Pinmark {

// What a pasted text must end with to count as a direct image address (what it must start with
// is AcceptedSchemes), compared case-sensitively over exactly as many characters as each entry
// has.
inline const QStringList AcceptedExtensions = {QStringLiteral("jpg"), QStringLiteral("bmp"),
                                               QStringLiteral("gif"), QStringLiteral("png"),
                                               QStringLiteral("jpeg")};

bool hasAcceptedExtension(const QString &candidate);

// A pasted text is taken as the selected address when it has an accepted scheme and ending and
// holds no line break or other control character: such a text is never one address, and would
// carry forum tags or script into the codes.
bool isAcceptedPaste(const QString &candidate);

} // namespace Pinmark
