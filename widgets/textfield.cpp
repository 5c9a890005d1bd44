#include "widgets/textfield.h"

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

} // namespace Pinmark
