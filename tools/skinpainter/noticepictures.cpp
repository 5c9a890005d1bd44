// Pictures of the four notices and their OK button.

#include "pictures.h"
#include "skinkit.h"

#include <QLinearGradient>

#include <array>

using namespace Qt::StringLiterals;

namespace skin {

namespace {

constexpr qreal panelLeft = 18.0;
constexpr qreal panelRight = 382.0;
constexpr qreal panelTop = 15.0;
constexpr int bevelWidth = 5;

// Frame, surface and inset panel shared by every notice; returns the panel.
QRectF paintNoticeGround(QPainter &p, QSize size, qreal panelBottom)
{
    raisedBevel(p, QRectF(QPointF(0, 0), size), bevelWidth, palette::surface());
    const QRectF panel(panelLeft, panelTop, panelRight - panelLeft, panelBottom - panelTop);
    sunkenFrame(p, panel, QColor(120, 136, 172), QColor(244, 247, 252));
    p.fillRect(panel, palette::panel());
    // A soft inner shade under the top edge makes the panel sit below the surface.
    QLinearGradient shade(panel.topLeft(), panel.topLeft() + QPointF(0, 4));
    shade.setColorAt(0.0, QColor(150, 164, 198, 120));
    shade.setColorAt(1.0, QColor(150, 164, 198, 0));
    p.fillRect(QRectF(panel.left(), panel.top(), panel.width(), 4), shade);
    return panel;
}

struct TwoLines
{
    QString first;
    QString second;
};

const std::array<TwoLines, 3> shortNotices{{
    {u"لا يمكنك تشغيل البرنامج دون الاتصال بالانترنت"_s, u"إضغط موافق لإنهاء البرنامج الآن"_s},
    {u"يجب عليك اختيار الصورة أولا"_s, u"لاختيار الصورة اضغط بزر الماوس الايسر عليها"_s},
    {u"يبدو للبرنامج أن رابط الصورة الذي لصقته غير صحيحا"_s,
     u"تأكد من انك قمت بنسخ رابط مباشر وصحيح للصورة"_s},
}};

constexpr qreal shortPanelBottom = 91.0;
constexpr qreal messageRoom = panelRight - panelLeft - 16.0;

// The largest size at which every line of the short notices fits, so all three read alike.
int shortNoticeFontSize()
{
    for (int size = 17; size >= 11; --size) {
        bool fits = true;
        for (const TwoLines &lines : shortNotices) {
            for (const QString &line : {lines.first, lines.second}) {
                if (Words(line, font(Face::NaskhBold, size), palette::ink()).ink().width() >
                    messageRoom)
                    fits = false;
            }
        }
        if (fits)
            return size;
    }
    throw PaintError(u"the notices' words do not fit their panel"_s);
}

void paintShortNotice(QPainter &p, const TwoLines &lines)
{
    const QRectF panel = paintNoticeGround(p, QSize(400, 136), shortPanelBottom);
    const QFont face = font(Face::NaskhBold, shortNoticeFontSize());
    const QRectF band = Words(u"لاختيار الصورة"_s, face, palette::ink()).ink();
    const QRectF room = panel.adjusted(4, 2, -4, -2);
    const qreal centreX = (panelLeft + panelRight) / 2.0;
    const QColor glow(255, 255, 255, 220);

    const Words first(lines.first, face, palette::ink());
    first.drawWithShadow(p, first.originCentredOn({centreX, panel.top() + 25.0}, band), room, glow);
    const Words second(lines.second, face, palette::ink());
    second.drawWithShadow(p, second.originCentredOn({centreX, panel.top() + 53.0}, band), room,
                          glow);
}

void paintAbout(QPainter &p)
{
    const QRectF panel = paintNoticeGround(p, QSize(400, 340), 295.0);
    const QRectF room = panel.adjusted(4, 2, -4, -2);
    const qreal cx = (panelLeft + panelRight) / 2.0;
    const QColor ink = palette::ink();
    const QColor glow(255, 255, 255, 220);
    const auto centred = [&](const Words &words, qreal y) {
        words.drawWithShadow(p, words.originCentredOn({cx, y}), room, glow);
    };

    // The watermark lies under everything else, barely darker than the panel.
    const Words watermark(u"ذكرى لن ينساها التاريخ"_s, font(Face::AmiriBold, 38),
                          palette::mix(palette::panel(), ink, 0.065));
    watermark.draw(p, watermark.originCentredOn({cx, 156}), room);

    centred(Words(u"مثبت الصور - الإصدار 1.2"_s, font(Face::NaskhBold, 20), ink), 40);
    centred(Words(u"Pinmark 1.2"_s, font(Face::LatinBold, 16), ink, Qt::LeftToRight), 68);
    centred(Words(u"تل الورد - فلسطين"_s, font(Face::NaskhBold, 14), QColor(30, 124, 56)), 93);

    const Words credit(u"برمجة وتصميم : نادر سليم الورداني"_s, font(Face::AmiriBold, 19), ink);
    credit.drawArched(p, credit.originCentredOn({cx, 122}), 300.0, ink, room);

    const QFont label = font(Face::NaskhBold, 14);
    const QFont latin = font(Face::Latin, 12);
    const QFont latinBold = font(Face::LatinBold, 12);
    const auto row = [&](std::vector<Words> parts, qreal y) {
        drawRow(p, parts, 6.0, {cx, y}, room, glow);
    };
    std::vector<Words> email;
    email.emplace_back(u"البريد الإلكتروني :"_s, label, ink);
    email.emplace_back(u"Email: support@velmora.net"_s, latin, ink, Qt::LeftToRight);
    row(std::move(email), 182);
    centred(Words(u"www.velmora.net"_s, font(Face::LatinBold, 13), ink, Qt::LeftToRight), 210);
    std::vector<Words> mobile;
    mobile.emplace_back(u"جوال:"_s, label, ink);
    mobile.emplace_back(u"0599 555 017"_s, latinBold, ink, Qt::LeftToRight);
    row(std::move(mobile), 240);
    std::vector<Words> abroad;
    abroad.emplace_back(u"من الخارج :"_s, label, ink);
    abroad.emplace_back(u"+970 599 555 017"_s, latinBold, ink, Qt::LeftToRight);
    row(std::move(abroad), 268);
}

void paintOkButton(QPainter &p, bool pressed)
{
    const QRectF button(1, 1, 94, 33);
    slateButton(p, button, pressed);
    slateButtonWords(p, button, pressed, u"موافق"_s, QRectF());
}

} // namespace

std::vector<Picture> noticePictures()
{
    return {
        {u"D1"_s, {400, 340}, paintAbout},
        {u"D2"_s, {400, 136}, [](QPainter &p) { paintShortNotice(p, shortNotices[0]); }},
        {u"D3"_s, {400, 136}, [](QPainter &p) { paintShortNotice(p, shortNotices[1]); }},
        {u"D4"_s, {400, 136}, [](QPainter &p) { paintShortNotice(p, shortNotices[2]); }},
        {u"O1"_s, {96, 35}, [](QPainter &p) { paintOkButton(p, false); }},
        {u"O2"_s, {96, 35}, [](QPainter &p) { paintOkButton(p, true); }},
    };
}

} // namespace skin
