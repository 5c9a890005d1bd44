#pragma once
#include <QLineEdit>

namespace Pinmark {

// A one-line text field that shows a text of any length. It lays out at most a few thousand
// characters of it: a line edit lays out and shapes everything it is given, and a pasted
// address of megabytes would freeze the window for seconds. The whole text is kept by whoever
// sets it.
class TextField : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr qsizetype ShownCharacters = 4096;

    explicit TextField(QWidget *parent = nullptr);

    // Shows the text, cut after ShownCharacters with an ellipsis.
    void setText(const QString &text);
    // Tells assistive technology what the field now shows, as news: a screen reader reads it
    // although the focus is elsewhere. (Qt reports every change of the text as well, but a
    // screen reader reads those only for the field it is in.)
    void announceText();
};

} // namespace Pinmark
