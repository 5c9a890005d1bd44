#pragma once
#include <QString>

namespace Pinmark {

// The five forum-code formats offered by the code buttons.
enum class CodeTemplate
{
    DirectLink,
    ForumImage,
    ForumImageCentred,
    HtmlImage,
    HtmlImageCentred
};

// Builds the ready-to-paste text for an image address. The address goes in made safe for the
// code's syntax (see safeaddress.h): an ordinary address is inserted exactly as given, nothing
// is trimmed and no line break is added.
QString buildCode(CodeTemplate which, const QString &address, const QString &linkTarget);

} // namespace Pinmark
