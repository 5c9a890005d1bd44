// Pictures of the main window: background, bottom strip, status badge and picture buttons.

#include "pictures.h"
#include "skinkit.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace skin {

namespace {

const QRectF mainWindow(0, 0, 684, 552);
constexpr qreal titleBandHeight = 25.0;
constexpr int frameWidth = 3;

void paintBackground(QPainter &p)
{
    raisedBevel(p, mainWindow, frameWidth, palette::surface());

    const QRectF band(0, 0, mainWindow.width(), titleBandHeight);
    QLinearGradient shade(band.topLeft(), band.bottomLeft());
    shade.setColorAt(0.0, QColor(92, 132, 204));
    shade.setColorAt(0.5, QColor(58, 96, 170));
    shade.setColorAt(1.0, QColor(30, 60, 124));
    p.fillRect(band, shade);
    p.fillRect(QRectF(0, 0, band.width(), 1), QColor(150, 182, 232));
    p.fillRect(QRectF(0, band.bottom() - 1, band.width(), 1), QColor(20, 40, 84));

    const QColor shadow(8, 22, 56, 170);
    const QRectF room = band.adjusted(4, 1, -4, -1);

    const Words version(u"الإصدار 1.2"_s, font(Face::SansBold, 12), Qt::white);
    QPointF origin = version.originCentredOn({0, band.center().y()});
    origin.rx() = 12 - version.ink().left();
    version.drawWithShadow(p, origin, room, shadow);

    const Words product(u"Pinmark 1.2"_s, font(Face::LatinBold, 13), Qt::white, Qt::LeftToRight);
    product.drawWithShadow(p, product.originCentredOn(band.center()), room, shadow);

    // The Arabic title at the right, after the program's teapot.
    paintTeapot(p, QRectF(band.right() - 27, 2, 21, 21), false);
    const Words title(u"مثبت الصور"_s, font(Face::SansBold, 14), Qt::white);
    origin = title.originCentredOn({0, band.center().y()});
    origin.rx() = band.right() - 32 - title.ink().right();
    title.drawWithShadow(p, origin, room, shadow);

    // A sunken edge around the place of the embedded browser.
    sunkenFrame(p, QRectF(5, 144, 673, 353), QColor(112, 128, 164), QColor(236, 240, 249));
}

void paintPalestinianFlag(QPainter &p, QPointF centre, qreal radius)
{
    const QRectF disc(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath clip;
    clip.addEllipse(disc);
    p.save();
    p.setClipPath(clip);
    const qreal stripe = disc.height() / 3.0;
    p.fillRect(QRectF(disc.left(), disc.top(), disc.width(), stripe), QColor(0, 0, 0));
    p.fillRect(QRectF(disc.left(), disc.top() + stripe, disc.width(), stripe),
               QColor(255, 255, 255));
    p.fillRect(QRectF(disc.left(), disc.top() + 2 * stripe, disc.width(), stripe),
               QColor(0, 122, 61));
    QPainterPath triangle;
    triangle.moveTo(disc.left(), disc.top());
    triangle.lineTo(disc.left() + disc.width() * 0.5, centre.y());
    triangle.lineTo(disc.left(), disc.bottom());
    triangle.closeSubpath();
    p.fillPath(triangle, QColor(206, 17, 38));
    // A gentle sheen so the flag reads as a badge, not a sticker.
    QLinearGradient sheen(disc.topLeft(), disc.bottomLeft());
    sheen.setColorAt(0.0, QColor(255, 255, 255, 70));
    sheen.setColorAt(0.5, QColor(255, 255, 255, 0));
    p.fillRect(disc, sheen);
    p.restore();
}

void paintFlagBadge(QPainter &p, QPointF centre)
{
    const qreal outer = 19.0;
    const QRectF ring(centre.x() - outer, centre.y() - outer, 2 * outer, 2 * outer);
    softShadow(p, ring, 0, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(108, 126, 166));
    p.drawEllipse(ring);
    QLinearGradient metal(ring.topLeft(), ring.bottomLeft());
    metal.setColorAt(0.0, QColor(255, 255, 255));
    metal.setColorAt(1.0, QColor(214, 222, 238));
    p.setBrush(metal);
    p.drawEllipse(ring.adjusted(1, 1, -1, -1));
    paintPalestinianFlag(p, centre, outer - 3.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(90, 106, 142, 160), 0.8));
    p.drawEllipse(centre, outer - 3.5, outer - 3.5);
}

void paintBottomStrip(QPainter &p)
{
    const QRectF strip(0, 0, 684, 54);
    // The strip covers the bottom of the window, so it carries on the window's bevel.
    raisedBevel(p, strip.adjusted(0, -frameWidth - 1, 0, 0), frameWidth, palette::surface());

    const QPointF left(30, 27);
    const QPointF right(strip.width() - 30, 27);
    paintFlagBadge(p, left);
    paintFlagBadge(p, right);

    const QRectF leftRoom(54, 4, 220, 46);
    const QRectF rightRoom(410, 4, 220, 46);
    const Words made(u"Made in Palestine"_s, font(Face::LatinBold, 12), palette::darkText(),
                     Qt::LeftToRight);
    QPointF origin = made.originCentredOn(left);
    origin.rx() = 56 - made.ink().left();
    made.drawWithShadow(p, origin, leftRoom, QColor(255, 255, 255, 130));

    const Words madeArabic(u"صنع في فلسطين"_s, font(Face::SansBold, 14), palette::darkText());
    origin = madeArabic.originCentredOn(right);
    origin.rx() = right.x() - 26 - madeArabic.ink().right();
    madeArabic.drawWithShadow(p, origin, rightRoom, QColor(255, 255, 255, 130));
}

enum class Status
{
    Loading,
    Loaded
};

void paintStatusBadge(QPainter &p, Status status)
{
    const QRectF badge(3, 3, 123, 41);
    softShadow(p, badge, 12, false);
    lightFace(p, badge, 12, false);

    const QPointF mark(22, badge.center().y());
    p.setPen(Qt::NoPen);
    QColor colour;
    if (status == Status::Loading) {
        colour = QColor(198, 34, 40);
        // A still spinner: eight dots fading round the circle.
        for (int i = 0; i < 8; ++i) {
            const qreal angle = i * std::numbers::pi / 4.0;
            QColor dot = colour;
            dot.setAlpha(60 + i * 27);
            p.setBrush(dot);
            p.drawEllipse(mark + QPointF(6.0 * std::sin(angle), -6.0 * std::cos(angle)), 1.7, 1.7);
        }
    } else {
        colour = QColor(36, 128, 52);
        p.setBrush(colour);
        p.drawEllipse(mark, 8.0, 8.0);
        QPainterPath tick;
        tick.moveTo(mark + QPointF(-4.0, 0.2));
        tick.lineTo(mark + QPointF(-1.2, 3.2));
        tick.lineTo(mark + QPointF(4.2, -3.0));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
        p.setPen(Qt::NoPen);
    }

    const QString text = status == Status::Loading ? u"جاري التحميل"_s : u"تم التحميل"_s;
    const QFont face = font(Face::SansBold, 15);
    const QRectF band = Words(u"جاري التحميل"_s, face, colour).ink();
    const Words words(text, face, colour);
    const QRectF room(34, 6, 88, 36);
    words.drawWithShadow(p, words.originCentredOn(room.center(), band), room,
                         QColor(255, 255, 255, 200));
}

void paintSiteButton(QPainter &p, bool pressed)
{
    const QRectF button(2, 2, 132, 37);
    const QPointF sink = pressed ? QPointF(1, 1) : QPointF(0, 0);
    if (!pressed)
        softShadow(p, button, 9, false);
    lightFace(p, button, 9, pressed);

    // A small globe before the words.
    const QPointF globe = QPointF(19, button.center().y()) + sink;
    const qreal r = 7.5;
    p.setPen(Qt::NoPen);
    QRadialGradient sea(globe - QPointF(2.5, 2.5), r * 1.6);
    sea.setColorAt(0.0, QColor(132, 176, 236));
    sea.setColorAt(1.0, QColor(44, 86, 160));
    p.setBrush(sea);
    p.drawEllipse(globe, r, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 200), 0.9));
    p.drawEllipse(globe, r * 0.42, r);
    p.drawLine(globe - QPointF(0, r), globe + QPointF(0, r));
    p.drawLine(globe - QPointF(r, 0), globe + QPointF(r, 0));
    p.drawLine(globe + QPointF(-r * 0.86, -r * 0.5), globe + QPointF(r * 0.86, -r * 0.5));
    p.drawLine(globe + QPointF(-r * 0.86, r * 0.5), globe + QPointF(r * 0.86, r * 0.5));

    const Words words(u"موقع البرنامج"_s, font(Face::SansBold, 14), palette::darkText());
    const QRectF room(30, 4, 101, 33);
    words.drawWithShadow(p, words.originCentredOn(room.center() + sink), room,
                         QColor(255, 255, 255, pressed ? 90 : 200));
}

enum class RoundMark
{
    Question,
    Bar,
    Cross
};

void paintRoundButton(QPainter &p, RoundMark mark, bool pressed)
{
    const QPointF centre(25, 20.5);
    const qreal outer = 17.5;
    const QRectF ring(centre.x() - outer, centre.y() - outer, 2 * outer, 2 * outer);
    const QPointF sink = pressed ? QPointF(0.5, 1) : QPointF(0, 0);
    if (!pressed)
        softShadow(p, ring, 0, true);

    QLinearGradient rim(ring.topLeft(), ring.bottomLeft());
    rim.setColorAt(0.0, pressed ? QColor(84, 100, 138) : QColor(150, 166, 200));
    rim.setColorAt(1.0, pressed ? QColor(128, 144, 180) : QColor(82, 100, 142));
    p.setPen(Qt::NoPen);
    p.setBrush(rim);
    p.drawEllipse(ring);

    const QRectF face = ring.adjusted(1.5, 1.5, -1.5, -1.5);
    QRadialGradient fill(centre + QPointF(-4, -6), outer * 1.5);
    if (pressed) {
        fill.setColorAt(0.0, QColor(214, 222, 238));
        fill.setColorAt(1.0, QColor(188, 200, 224));
    } else {
        fill.setColorAt(0.0, QColor(255, 255, 255));
        fill.setColorAt(0.7, QColor(240, 244, 251));
        fill.setColorAt(1.0, QColor(214, 223, 240));
    }
    p.setBrush(fill);
    p.drawEllipse(face);
    if (pressed) {
        // The face sinks: a shade along its upper rim.
        QLinearGradient shade(face.topLeft(), face.bottomLeft());
        shade.setColorAt(0.0, QColor(30, 44, 80, 110));
        shade.setColorAt(0.35, QColor(30, 44, 80, 0));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QBrush(shade), 2.0));
        p.drawEllipse(face.adjusted(1, 1, -1, -1));
        p.setPen(Qt::NoPen);
    }

    const QColor ink = palette::darkText();
    const QPointF c = centre + sink;
    switch (mark) {
    case RoundMark::Question: {
        const Words q(u"؟"_s, font(Face::SansBold, 24), ink);
        q.draw(p, q.originCentredOn(c), face.adjusted(2, 2, -2, -2));
        break;
    }
    case RoundMark::Bar:
        p.setBrush(ink);
        p.drawRoundedRect(QRectF(c.x() - 7.5, c.y() - 1.75, 15, 3.5), 1.5, 1.5);
        break;
    case RoundMark::Cross:
        p.setPen(QPen(ink, 3.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(-6, -6), c + QPointF(6, 6));
        p.drawLine(c + QPointF(-6, 6), c + QPointF(6, -6));
        p.setPen(Qt::NoPen);
        break;
    }
}

void paintCodeButton(QPainter &p, const QString &text, bool pressed)
{
    const QRectF button(1, 0.5, 127, 33);
    slateButton(p, button, pressed);
    slateButtonWords(p, button, pressed, text, slateButtonBand());
}

void plainSurface(QPainter &) {}

} // namespace

std::vector<Picture> mainWindowPictures()
{
    const QSize round(50, 41);
    const QSize code(129, 34);
    const auto codePair = [&](const QString &up, const QString &down, const QString &text) {
        return std::vector<Picture>{
            {up, code, [text](QPainter &p) { paintCodeButton(p, text, false); }},
            {down, code, [text](QPainter &p) { paintCodeButton(p, text, true); }},
        };
    };

    std::vector<Picture> pictures{
        {u"B1"_s, {684, 552}, paintBackground},
        {u"B2"_s, {684, 54}, paintBottomStrip},
        {u"B3"_s, {129, 48}, [](QPainter &p) { paintStatusBadge(p, Status::Loading); }},
        {u"B4"_s, {129, 48}, [](QPainter &p) { paintStatusBadge(p, Status::Loaded); }},
        {u"B5"_s, {136, 42}, [](QPainter &p) { paintSiteButton(p, false); }},
        {u"B6"_s, {136, 42}, [](QPainter &p) { paintSiteButton(p, true); }},
        {u"B7"_s, round, [](QPainter &p) { paintRoundButton(p, RoundMark::Question, false); }},
        {u"B8"_s, round, [](QPainter &p) { paintRoundButton(p, RoundMark::Question, true); }},
        {u"B9"_s, round, [](QPainter &p) { paintRoundButton(p, RoundMark::Bar, false); }},
        {u"B10"_s, round, [](QPainter &p) { paintRoundButton(p, RoundMark::Bar, true); }},
        {u"B11"_s, round, [](QPainter &p) { paintRoundButton(p, RoundMark::Cross, false); }},
        {u"B12"_s, round, [](QPainter &p) { paintRoundButton(p, RoundMark::Cross, true); }},
        {u"B15"_s, {129, 35}, plainSurface},
        {u"B16"_s, {650, 35}, plainSurface},
    };
    const std::vector<std::vector<Picture>> buttons{
        codePair(u"B13"_s, u"B14"_s, u"لصق صورتك الخاصة"_s),
        codePair(u"B17"_s, u"B18"_s, u"نسخ رابط مباشر"_s),
        codePair(u"B19"_s, u"B20"_s, u"نسخ صورة للمنتدى"_s),
        codePair(u"B21"_s, u"B22"_s, u"نسخ وتوسيط للمنتدى"_s),
        codePair(u"B23"_s, u"B24"_s, u"نسخ كود HTML"_s),
        codePair(u"B25"_s, u"B26"_s, u"نسخ وتوسيط HTML"_s),
    };
    for (const auto &pair : buttons)
        pictures.insert(pictures.end(), pair.begin(), pair.end());
    return pictures;
}

} // namespace skin
