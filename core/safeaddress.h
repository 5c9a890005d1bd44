#pragma once
#include "core/codetemplate.h"

#include <QString>

namespace Pinmark {

// An address placed in a code must not end its own place there: each function percent-encodes
// the characters that would, and leaves every other character as it is. An ordinary address
// comes back unchanged.

// Line breaks and other control characters: they end a bare address in any text.
QString directSafeAddress(const QString &address);
// Also "[" and "]", which would open or close a tag; the brackets of an IPv6 host literal stay.
QString forumSafeAddress(const QString &address);
// Also the double quote that closes the attribute, "<" and ">". "&" stays: it separates the
// fields of a query.
QString htmlSafeAddress(const QString &address);

// The address as it goes into the given code.
QString safeAddress(CodeTemplate which, const QString &address);

// True for characters no address may carry as they are: control characters and line breaks.
bool isControlOrLineBreak(QChar ch);

} // namespace Pinmark
