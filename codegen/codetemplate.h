#pragma once
#include <QString>

// The five forum-code formats offered by the code buttons.
enum class CodeTemplate
{
    DirectLink,
    ForumImage,
    ForumImageCentred,
    HtmlImage,
    HtmlImageCentred
};

// Builds the ready-to-paste text for an image address. The address is inserted exactly as
// given: nothing is trimmed, escaped or encoded, and no line break is added.
QString buildCode(CodeTemplate which, const QString &address, const QString &linkTarget);
