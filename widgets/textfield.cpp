#include "widgets/textfield.h"

#include <QAccessible>

#include <limits>

namespace Pinmark {

TextField::TextField(QWidget *parent) : QLineEdit(parent)
{
    // The line edit's default limit would cut what is shown short of ShownCharacters.
    QLineEdit::setMaxLength(std::numeric_limits<int>::max());
}

void TextField::setText(const QString &text)
{
    if (text.size() <= ShownCharacters) {
        QLineEdit::setText(text);
        return;
    }
    QString shown = text.left(ShownCharacters);
    if (shown.back().isHighSurrogate())
        shown.chop(1);
    QLineEdit::setText(shown + QChar(0x2026));
}

void TextField::announceText()
{
    // Announcements came with Qt 6.8; before it, the change of the text is all Qt reports.
#if QT_CONFIG(accessibility) && QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent announcement(this, text());
    QAccessible::updateAccessibility(&announcement);
#endif
}

} // namespace Pinmark
