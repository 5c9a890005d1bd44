#pragma once

// Drawing kit shared by every skin picture: palette, fonts, shaped words, bevels, buttons.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QTextLayout>

#include <memory>
#include <stdexcept>
#include <vector>

namespace skin {

// Raised when a picture cannot be painted as designed, e.g. words that would be clipped.
class PaintError : public std::runtime_error
{
public:
    explicit PaintError(const QString &what) : std::runtime_error(what.toStdString()) {}
};

namespace palette {
QColor surface();    // the grey-blue of the main window and the notices
QColor panel();      // the notices' message panel
QColor ink();        // blue-violet words on the panel
QColor darkText();   // dark words on light buttons
QColor bevelLight(); // outermost row of a raised bevel, top and left
QColor bevelDark();  // outermost row of a raised bevel, bottom and right
QColor mix(const QColor &a, const QColor &b, qreal t); // t = 0 gives a, 1 gives b
} // namespace palette

enum class Face
{
    Sans, // Noto Sans Arabic: button words
    SansBold,
    Naskh, // Noto Naskh Arabic: notice messages
    NaskhBold,
    Amiri, // Amiri: the calligraphic lines of the about notice
    AmiriBold,
    Latin, // DejaVu Sans: Latin words and addresses
    LatinBold,
};

// Registers the font files by path, so the pictures never depend on fontconfig's choice.
void loadFonts();
QFont font(Face face, qreal pixelSize);

struct Span
{
    QString text;
    QFont font;
    QColor colour;
};

// One line of words, shaped and ordered by Qt's text engine, with its exact ink box.
class Words
{
public:
    Words(const std::vector<Span> &spans, Qt::LayoutDirection direction);
    Words(const QString &text, const QFont &font, const QColor &colour,
          Qt::LayoutDirection direction = Qt::RightToLeft);

    // Ink box relative to the origin the words are drawn at.
    QRectF ink() const { return m_ink; }
    QString text() const { return m_layout->text(); }

    // Origin that puts the ink's centre on `centre`; `band`, when not empty, is the ink box of a
    // reference line in the same font, so neighbouring labels share one baseline.
    QPointF originCentredOn(QPointF centre, const QRectF &band = QRectF()) const;

    // Draws at `origin`; throws PaintError when the ink would leave `allowed`.
    void draw(QPainter &painter, QPointF origin, const QRectF &allowed) const;
    // Same, with a soft one-pixel shadow under the words.
    void drawWithShadow(QPainter &painter, QPointF origin, const QRectF &allowed,
                        const QColor &shadow, QPointF offset = {0.0, 1.0}) const;
    // Glyph outlines bent along an arc of `radius` whose crown is the ink centre; the line
    // stays joined since each glyph turns about its own centre on the baseline.
    void drawArched(QPainter &painter, QPointF origin, qreal radius, const QColor &colour,
                    const QRectF &allowed) const;

    QPainterPath outline(QPointF origin) const;
    // Distance from the layout's top to its baseline.
    qreal ascent() const;

private:
    void check(const QRectF &inkOnPicture, const QRectF &allowed) const;

    std::unique_ptr<QTextLayout> m_layout;
    QRectF m_ink;
};

// Parts of one line side by side, the first at the right as Arabic reads, on one baseline and
// centred together on `centre`. Each part is shaped on its own, so a telephone number keeps
// its digit groups in order next to an Arabic label.
void drawRow(QPainter &painter, const std::vector<Words> &rightToLeft, qreal gap, QPointF centre,
             const QRectF &allowed, const QColor &shadow);

// Rows of a raised bevel `width` px wide along the edges of `r`, graded into `face`.
void raisedBevel(QPainter &painter, const QRectF &r, int width, const QColor &face);
// A one-pixel sunken frame just outside `r`.
void sunkenFrame(QPainter &painter, const QRectF &r, const QColor &dark, const QColor &light);

// The slate-blue push button of the code buttons, the paste button and the notices' OK.
void slateButton(QPainter &painter, const QRectF &r, bool pressed);
// Font and reference band shared by every word on slate-blue buttons.
QFont slateButtonFont();
QRectF slateButtonBand();
// Draws `text` centred on a slate button face painted into `r`; Latin letters among the Arabic
// take the Latin face a size smaller, so "HTML" does not outweigh its Arabic neighbours. An
// empty `band` centres the words on their own ink instead of the shared baseline.
void slateButtonWords(QPainter &painter, const QRectF &r, bool pressed, const QString &text,
                      const QRectF &band);

// A light, rounded button or badge face; pressed sinks it.
void lightFace(QPainter &painter, const QRectF &r, qreal radius, bool pressed);

// Soft drop shadow under a rounded rectangle or an ellipse.
void softShadow(QPainter &painter, const QRectF &r, qreal radius, bool ellipse);

} // namespace skin
