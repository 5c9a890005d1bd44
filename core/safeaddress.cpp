#include "core/safeaddress.h"

#include <QRegularExpression>

namespace Pinmark {

namespace {

void appendEncoded(QString &out, QStringView chars)
{
    const QByteArray utf8 = chars.toUtf8();
    for (const char byte : utf8) {
        out += QLatin1Char('%');
        out += QString::number(static_cast<uchar>(byte), 16).toUpper().rightJustified(2, u'0');
    }
}

// Where the brackets of an IPv6 host literal sit, or {-1, -1}. Only hex digits, colons and dots
// may stand between them, so nothing that looks like a tag is ever kept.
std::pair<qsizetype, qsizetype> ipv6Literal(const QString &address)
{
    static const QRegularExpression literal(
        QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://(?:[^/?#@\\[\\]]*@)?(\\[[0-9A-Fa-f:.]+\\])"));
    const QRegularExpressionMatch m = literal.match(address);
    if (!m.hasMatch())
        return {-1, -1};
    return {m.capturedStart(1), m.capturedEnd(1) - 1};
}

template <typename Unsafe> QString encodeWhere(const QString &address, Unsafe unsafe)
{
    // Most addresses need nothing: they are handed back as they are, without a copy (a pasted
    // address may be megabytes long).
    qsizetype first = 0;
    while (first < address.size() && !unsafe(first, address.at(first)))
        ++first;
    if (first == address.size())
        return address;
    QString out;
    out.reserve(address.size() + 16);
    out += QStringView(address).left(first);
    for (qsizetype i = first; i < address.size(); ++i) {
        const QChar ch = address.at(i);
        // A surrogate pair is one character: encode it whole or not at all.
        const bool pair =
            ch.isHighSurrogate() && i + 1 < address.size() && address.at(i + 1).isLowSurrogate();
        if (pair) {
            out += QStringView(address).mid(i, 2);
            ++i;
        } else if (unsafe(i, ch)) {
            appendEncoded(out, QStringView(&ch, 1));
        } else {
            out += ch;
        }
    }
    return out;
}

} // namespace

bool isControlOrLineBreak(QChar ch)
{
    if (ch.unicode() >= 0x20 && ch.unicode() < 0x7f)
        return false; // printable ASCII, the common case
    const auto category = ch.category();
    return category == QChar::Other_Control || category == QChar::Separator_Line ||
           category == QChar::Separator_Paragraph;
}

QString directSafeAddress(const QString &address)
{
    return encodeWhere(address, [](qsizetype, QChar ch) { return isControlOrLineBreak(ch); });
}

QString forumSafeAddress(const QString &address)
{
    const auto [open, close] = ipv6Literal(address);
    return encodeWhere(address, [open, close](qsizetype i, QChar ch) {
        if (ch == u'[' || ch == u']')
            return i != open && i != close;
        return isControlOrLineBreak(ch);
    });
}

QString htmlSafeAddress(const QString &address)
{
    return encodeWhere(address, [](qsizetype, QChar ch) {
        return ch == u'"' || ch == u'<' || ch == u'>' || isControlOrLineBreak(ch);
    });
}

QString safeAddress(CodeTemplate which, const QString &address)
{
    switch (which) {
    case CodeTemplate::DirectLink:
        return directSafeAddress(address);
    case CodeTemplate::ForumImage:
    case CodeTemplate::ForumImageCentred:
        return forumSafeAddress(address);
    case CodeTemplate::HtmlImage:
    case CodeTemplate::HtmlImageCentred:
        return htmlSafeAddress(address);
    }
    return directSafeAddress(address);
}

} // namespace Pinmark
