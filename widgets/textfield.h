#pragma once
#include <QLineEdit>

// A one-line text field whose text is the state it holds. It shows at most a few thousand
// characters of it: a line edit lays out and shapes everything it is given, and a pasted
// address of megabytes would freeze the window for seconds. Reached through a TextField
// pointer, text() is always the whole text.
class TextField : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr qsizetype ShownCharacters = 4096;

    explicit TextField(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);

private:
    QString m_text;
};
