#include "skinkit.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QLinearGradient>
#include <QRawFont>
#include <QSet>
#include <QTextOption>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace skin {

namespace palette {
QColor surface()
{
    return {173, 187, 214};
}
QColor panel()
{
    return {234, 238, 247};
}
QColor ink()
{
    return {72, 56, 168};
}
QColor darkText()
{
    return {36, 50, 86};
}
QColor bevelLight()
{
    return {246, 248, 253};
}
QColor bevelDark()
{
    return {62, 74, 104};
}

QColor mix(const QColor &a, const QColor &b, qreal t)
{
    const auto channel = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()),
                  channel(a.blue(), b.blue()), channel(a.alpha(), b.alpha()));
}
} // namespace palette

namespace {

struct FontFile
{
    Face face;
    const char *path;
    bool bold;
    bool arabic;
};

// Free fonts from Debian's fonts-noto-core, fonts-hosny-amiri and fonts-dejavu-core.
constexpr std::array<FontFile, 8> fontFiles{{
    {Face::Sans, "/usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf", false, true},
    {Face::SansBold, "/usr/share/fonts/truetype/noto/NotoSansArabic-Bold.ttf", true, true},
    {Face::Naskh, "/usr/share/fonts/truetype/noto/NotoNaskhArabic-Regular.ttf", false, true},
    {Face::NaskhBold, "/usr/share/fonts/truetype/noto/NotoNaskhArabic-Bold.ttf", true, true},
    {Face::Amiri, "/usr/share/fonts/opentype/fonts-hosny-amiri/Amiri-Regular.ttf", false, true},
    {Face::AmiriBold, "/usr/share/fonts/opentype/fonts-hosny-amiri/Amiri-Bold.ttf", true, true},
    {Face::Latin, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", false, false},
    {Face::LatinBold, "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", true, false},
}};

std::array<QString, fontFiles.size()> &familyNames()
{
    static std::array<QString, fontFiles.size()> names;
    return names;
}

const FontFile &fontFile(Face face)
{
    for (const FontFile &file : fontFiles) {
        if (file.face == face)
            return file;
    }
    throw PaintError(u"unknown font face"_s);
}

QString familyOf(Face face)
{
    const QString &name = familyNames().at(std::size_t(face));
    if (name.isEmpty())
        throw PaintError(u"fonts are not loaded"_s);
    return name;
}

bool isOurFamily(const QString &family)
{
    for (const QString &name : familyNames()) {
        if (name == family)
            return true;
    }
    return false;
}

} // namespace

void loadFonts()
{
    for (const FontFile &file : fontFiles) {
        const QString path = QString::fromUtf8(file.path);
        const int id = QFontDatabase::addApplicationFont(path);
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (id < 0 || families.isEmpty())
            throw PaintError(u"cannot load the font file %1"_s.arg(path));
        familyNames().at(std::size_t(file.face)) = families.front();
    }
}

QFont font(Face face, qreal pixelSize)
{
    const FontFile &file = fontFile(face);
    QFont f;
    // Arabic faces lack Latin letters; name the Latin face as their fallback so a stray
    // letter never lands in whatever font fontconfig would pick.
    if (file.arabic)
        f.setFamilies({familyOf(face), familyOf(file.bold ? Face::LatinBold : Face::Latin)});
    else
        f.setFamilies({familyOf(face)});
    f.setPixelSize(int(std::lround(pixelSize)));
    f.setWeight(file.bold ? QFont::Bold : QFont::Normal);
    // Unhinted outlines look the same at 1x and 2x.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

Words::Words(const QString &text, const QFont &font, const QColor &colour,
             Qt::LayoutDirection direction)
    : Words(std::vector<Span>{{text, font, colour}}, direction)
{
}

Words::Words(const std::vector<Span> &spans, Qt::LayoutDirection direction)
{
    if (spans.empty())
        throw PaintError(u"no words to draw"_s);
    QString text;
    QList<QTextLayout::FormatRange> formats;
    for (const Span &span : spans) {
        QTextLayout::FormatRange range;
        range.start = int(text.size());
        range.length = int(span.text.size());
        range.format.setFont(span.font);
        range.format.setForeground(span.colour);
        formats.append(range);
        text += span.text;
    }

    m_layout = std::make_unique<QTextLayout>(text, spans.front().font);
    QTextOption option;
    option.setTextDirection(direction);
    option.setWrapMode(QTextOption::NoWrap);
    option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
    m_layout->setTextOption(option);
    m_layout->setFormats(formats);
    m_layout->beginLayout();
    QTextLine line = m_layout->createLine();
    line.setLineWidth(100000.0);
    line.setPosition(QPointF(0.0, 0.0));
    m_layout->endLayout();

    const QList<QGlyphRun> runs = m_layout->glyphRuns();
    for (const QGlyphRun &run : runs) {
        const QRawFont raw = run.rawFont();
        if (!isOurFamily(raw.familyName()))
            throw PaintError(u"\"%1\" fell back to the font \"%2\""_s.arg(text, raw.familyName()));
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size(); ++i) {
            if (indexes.at(i) == 0)
                throw PaintError(
                    u"\"%1\" has a letter that %2 cannot draw"_s.arg(text, raw.familyName()));
            const QRectF box = raw.pathForGlyph(indexes.at(i)).boundingRect();
            if (!box.isEmpty())
                m_ink |= box.translated(positions.at(i));
        }
    }
    if (m_ink.isEmpty())
        throw PaintError(u"\"%1\" has no ink"_s.arg(text));
}

QPointF Words::originCentredOn(QPointF centre, const QRectF &band) const
{
    const QRectF vertical = band.isEmpty() ? m_ink : band;
    return {centre.x() - m_ink.center().x(), centre.y() - vertical.center().y()};
}

void Words::check(const QRectF &inkOnPicture, const QRectF &allowed) const
{
    if (!allowed.contains(inkOnPicture)) {
        const auto box = [](const QRectF &r) {
            return u"(%1, %2)-(%3, %4)"_s.arg(r.left(), 0, 'f', 1)
                .arg(r.top(), 0, 'f', 1)
                .arg(r.right(), 0, 'f', 1)
                .arg(r.bottom(), 0, 'f', 1);
        };
        throw PaintError(
            u"\"%1\" does not fit: ink %2, room %3"_s.arg(text(), box(inkOnPicture), box(allowed)));
    }
}

void Words::draw(QPainter &painter, QPointF origin, const QRectF &allowed) const
{
    check(m_ink.translated(origin), allowed);
    m_layout->draw(&painter, origin);
}

QPainterPath Words::outline(QPointF origin) const
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    const QList<QGlyphRun> runs = m_layout->glyphRuns();
    for (const QGlyphRun &run : runs) {
        const QRawFont raw = run.rawFont();
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size(); ++i)
            path.addPath(raw.pathForGlyph(indexes.at(i)).translated(origin + positions.at(i)));
    }
    return path;
}

qreal Words::ascent() const
{
    return m_layout->lineAt(0).ascent();
}

void drawRow(QPainter &painter, const std::vector<Words> &rightToLeft, qreal gap, QPointF centre,
             const QRectF &allowed, const QColor &shadow)
{
    qreal width = -gap;
    qreal top = 0;
    qreal bottom = 0;
    for (const Words &part : rightToLeft) {
        width += part.ink().width() + gap;
        top = std::min(top, part.ink().top() - part.ascent());
        bottom = std::max(bottom, part.ink().bottom() - part.ascent());
    }
    const qreal baseline = centre.y() - (top + bottom) / 2.0;
    qreal right = centre.x() + width / 2.0;
    for (const Words &part : rightToLeft) {
        const QPointF origin(right - part.ink().right(), baseline - part.ascent());
        part.drawWithShadow(painter, origin, allowed, shadow);
        right -= part.ink().width() + gap;
    }
}

void Words::drawWithShadow(QPainter &painter, QPointF origin, const QRectF &allowed,
                           const QColor &shadow, QPointF offset) const
{
    check(m_ink.translated(origin + offset).united(m_ink.translated(origin)), allowed);
    // One path, filled once: joined letters overlap and would darken where they meet.
    painter.fillPath(outline(origin + offset), shadow);
    m_layout->draw(&painter, origin);
}

void Words::drawArched(QPainter &painter, QPointF origin, qreal radius, const QColor &colour,
                       const QRectF &allowed) const
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    const qreal crownX = origin.x() + m_ink.center().x();
    const QList<QGlyphRun> runs = m_layout->glyphRuns();
    for (const QGlyphRun &run : runs) {
        const QRawFont raw = run.rawFont();
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        const QList<QPointF> advances = raw.advancesForGlyphIndexes(indexes);
        for (qsizetype i = 0; i < indexes.size(); ++i) {
            const qreal half = advances.at(i).x() / 2.0;
            const QPointF onBaseline = origin + positions.at(i);
            const qreal angle = (onBaseline.x() + half - crownX) / radius;
            QTransform t;
            t.translate(crownX, onBaseline.y() + radius);
            t.rotateRadians(angle);
            t.translate(-half, -radius);
            path.addPath(t.map(raw.pathForGlyph(indexes.at(i))));
        }
    }
    check(path.boundingRect(), allowed);
    painter.fillPath(path, colour);
}

void raisedBevel(QPainter &painter, const QRectF &r, int width, const QColor &face)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < width; ++i) {
        const qreal t = qreal(i) / width;
        const QColor light = palette::mix(palette::bevelLight(), face, t);
        const QColor dark = palette::mix(palette::bevelDark(), face, t);
        const qreal left = r.left() + i;
        const qreal top = r.top() + i;
        const qreal w = r.width() - 2 * i;
        const qreal h = r.height() - 2 * i;
        painter.fillRect(QRectF(left, top, w, 1), light);
        painter.fillRect(QRectF(left, top, 1, h), light);
        painter.fillRect(QRectF(left, top + h - 1, w, 1), dark);
        painter.fillRect(QRectF(left + w - 1, top, 1, h), dark);
    }
    painter.restore();
}

void sunkenFrame(QPainter &painter, const QRectF &r, const QColor &dark, const QColor &light)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRectF outer = r.adjusted(-1, -1, 1, 1);
    painter.fillRect(QRectF(outer.left(), outer.bottom() - 1, outer.width(), 1), light);
    painter.fillRect(QRectF(outer.right() - 1, outer.top(), 1, outer.height()), light);
    painter.fillRect(QRectF(outer.left(), outer.top(), outer.width(), 1), dark);
    painter.fillRect(QRectF(outer.left(), outer.top(), 1, outer.height()), dark);
    painter.restore();
}

namespace {

QPainterPath rounded(const QRectF &r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

// A one-pixel line just inside a rounded shape, fading from top to bottom.
void innerEdge(QPainter &painter, const QRectF &r, qreal radius, const QColor &top,
               const QColor &bottom)
{
    QLinearGradient edge(r.topLeft(), r.bottomLeft());
    edge.setColorAt(0.0, top);
    edge.setColorAt(0.45, QColor(top.red(), top.green(), top.blue(), 0));
    edge.setColorAt(0.55, QColor(bottom.red(), bottom.green(), bottom.blue(), 0));
    edge.setColorAt(1.0, bottom);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QBrush(edge), 1.0));
    painter.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    painter.restore();
}

} // namespace

void softShadow(QPainter &painter, const QRectF &r, qreal radius, bool ellipse)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    for (int k = 3; k >= 1; --k) {
        const qreal grow = 0.6 * k;
        const QRectF s = r.adjusted(-grow, -grow + 1.2, grow, grow + 1.2);
        painter.setBrush(QColor(28, 40, 72, 16 + 10 * (3 - k)));
        if (ellipse)
            painter.drawEllipse(s);
        else
            painter.drawRoundedRect(s, radius + grow, radius + grow);
    }
    painter.restore();
}

void slateButton(QPainter &painter, const QRectF &r, bool pressed)
{
    const qreal radius = 5.0;
    painter.fillPath(rounded(r, radius), pressed ? QColor(30, 43, 72) : QColor(44, 62, 102));
    const QRectF face = r.adjusted(1, 1, -1, -1);
    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    if (pressed) {
        fill.setColorAt(0.0, QColor(52, 70, 112));
        fill.setColorAt(1.0, QColor(72, 94, 142));
    } else {
        fill.setColorAt(0.0, QColor(138, 160, 208));
        fill.setColorAt(0.48, QColor(106, 131, 188));
        fill.setColorAt(0.52, QColor(96, 122, 180));
        fill.setColorAt(1.0, QColor(74, 99, 153));
    }
    painter.fillPath(rounded(face, radius - 1), fill);
    if (pressed) {
        // Sunken rim: shade along the top, a faint light along the bottom.
        innerEdge(painter, face, radius - 1, QColor(14, 22, 42, 190), QColor(150, 170, 210, 90));
        innerEdge(painter, face.adjusted(1, 1, -1, -1), radius - 2, QColor(14, 22, 42, 70),
                  QColor(0, 0, 0, 0));
    } else {
        innerEdge(painter, face, radius - 1, QColor(255, 255, 255, 150), QColor(24, 36, 66, 110));
    }
}

QFont slateButtonFont()
{
    return font(Face::SansBold, 12);
}

QRectF slateButtonBand()
{
    static const QRectF band = Words(u"نسخ صورة للمنتدى"_s, slateButtonFont(), Qt::white).ink();
    return band;
}

void slateButtonWords(QPainter &painter, const QRectF &r, bool pressed, const QString &text,
                      const QRectF &band)
{
    const QColor colour = pressed ? QColor(226, 233, 247) : QColor(Qt::white);
    const QFont arabic = slateButtonFont();
    const QFont latin = font(Face::LatinBold, arabic.pixelSize() - 1);
    std::vector<Span> spans;
    for (const QChar c : text) {
        const bool isLatin = c.isLetter() && c.script() == QChar::Script_Latin;
        const QFont &wanted = isLatin ? latin : arabic;
        if (spans.empty() || spans.back().font != wanted)
            spans.push_back({QString(), wanted, colour});
        spans.back().text += c;
    }
    const Words words(spans, Qt::RightToLeft);
    const QPointF sink = pressed ? QPointF(1.0, 1.0) : QPointF(0.0, 0.0);
    const QPointF origin = words.originCentredOn(r.center() + sink, band);
    words.drawWithShadow(painter, origin, r.adjusted(3, 1, -3, -1), QColor(14, 24, 52, 150));
}

void lightFace(QPainter &painter, const QRectF &r, qreal radius, bool pressed)
{
    painter.fillPath(rounded(r, radius), pressed ? QColor(104, 122, 160) : QColor(128, 146, 184));
    const QRectF face = r.adjusted(1, 1, -1, -1);
    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    if (pressed) {
        fill.setColorAt(0.0, QColor(196, 207, 228));
        fill.setColorAt(1.0, QColor(220, 228, 242));
    } else {
        fill.setColorAt(0.0, QColor(255, 255, 255));
        fill.setColorAt(0.5, QColor(243, 246, 251));
        fill.setColorAt(1.0, QColor(222, 230, 243));
    }
    painter.fillPath(rounded(face, radius - 1), fill);
    if (pressed)
        innerEdge(painter, face, radius - 1, QColor(40, 54, 90, 120), QColor(255, 255, 255, 90));
    else
        innerEdge(painter, face, radius - 1, QColor(255, 255, 255, 220), QColor(120, 138, 176, 90));
}

} // namespace skin
