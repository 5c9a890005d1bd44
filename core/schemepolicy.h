#pragma once
#include <QString>
#include <QStringList>
#include <QStringView>

namespace Pinmark {

// What the program may do with an address, judged by its scheme (and, where the use needs one,
// its host). Every rule about schemes is here, once, with its reason; what else a use asks of
// an address (a picture's file ending, its length, control characters) stays with that use.
enum class AddressUse
{
    FollowInPlace,   // a link the embedded browser opens itself
    Launch,          // handed to the desktop's URL opener
    SelectAsPicture, // a clicked picture's address becomes the selection
    Paste,           // a pasted text becomes the selection
};

// The beginnings a selected or pasted address must have, compared case-sensitively over exactly
// as many characters as each entry has.
inline const QStringList AcceptedSchemes = {QStringLiteral("http://"), QStringLiteral("https://"),
                                            QStringLiteral("ftp://")};

bool schemeAllows(AddressUse use, const QString &address);

// The schemes of the pages the embedded browser shows: web pages, nothing local or scripted.
bool isWebScheme(QStringView scheme);

} // namespace Pinmark
