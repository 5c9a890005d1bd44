#pragma once
#include <QString>

namespace Pinmark {

// What the main window tells the user when it refuses something, in Arabic and in English.
struct Message
{
    QString arabic;
    QString english;
};

inline const Message PictureWithoutWebAddress = {
    QStringLiteral("ليس لهذه الصورة عنوان على الإنترنت يمكن أن يعرضه منتدى، فلم تُختر."),
    QStringLiteral("This picture has no web address a forum can show (only http, https and ftp "
                   "addresses can be used), so it was not selected. The selection is unchanged.")};

inline const Message PictureAddressTooLong = {
    QStringLiteral("عنوان هذه الصورة أطول من أن يُستعمل، فلم تُختر."),
    QStringLiteral("This picture's address is too long to use (over 2,097,152 characters), so it "
                   "was not selected. The selection is unchanged.")};

inline const Message ClipboardOwnerSilent = {
    QStringLiteral("البرنامج الذي يحمل الحافظة لا يستجيب، فلم يُلصق شيء."),
    QStringLiteral("The program holding the clipboard does not answer, so nothing was pasted. "
                   "The selection is unchanged. Copy the address again, then paste.")};

inline const Message ClipboardTextTooLong = {
    QStringLiteral("النص الموجود في الحافظة أطول من أن يُلصق."),
    QStringLiteral("The text on the clipboard is too long to paste (over 256 MiB). The selection "
                   "is unchanged.")};

} // namespace Pinmark
