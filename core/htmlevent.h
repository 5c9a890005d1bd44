#pragma once
#include <QString>
#include <QtGlobal>

namespace Pinmark {

// The longest text a page event carries. A picture's address that is longer arrives cut to one
// character more, so that a click on it can still say why it selects nothing.
inline constexpr qsizetype MaxPageTextLength = qsizetype(1) << 21;

// A snapshot of the element an event reached first (the innermost one).
struct HtmlElement
{
    QString tagName; // as the document reports it
    QString id;
    QString title;
    QString src;  // the address of the picture an image shows, spaces written "%20"
    QString href; // a link's address
};

// The event being handled: its innermost element and the pressed-buttons word
// (1 left, 2 right, 4 middle, 3 left and right).
struct HtmlEventObj
{
    HtmlElement srcElement;
    quint32 button = 0;
};

} // namespace Pinmark
