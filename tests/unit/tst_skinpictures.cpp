// The committed skin pictures and program icon: sizes, colour depth and file structure that the
// windows and the desktop rely on.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QXmlStreamReader>
#include <QtEndian>
#include <QtTest>

#ifndef PINMARK_SKIN_DIR
#error "PINMARK_SKIN_DIR must name the folder of the skin pictures"
#endif
// The icons live beside the skin folder unless the build says otherwise.
#ifndef PINMARK_ICON_DIR
#define PINMARK_ICON_DIR PINMARK_SKIN_DIR "/../icons"
#endif

using namespace Qt::StringLiterals;

namespace {

QString skinFile(const QString &name)
{
    return QDir::cleanPath(QString::fromUtf8(PINMARK_SKIN_DIR) + u'/' + name);
}

QString iconFile(const QString &name)
{
    return QDir::cleanPath(QString::fromUtf8(PINMARK_ICON_DIR) + u'/' + name);
}

// Reads a picture and checks it is a file of `format` at `size`; empty image on failure.
QImage readExactly(const QString &path, const QByteArray &format, QSize size)
{
    QImageReader reader(path);
    reader.setAutoTransform(false);
    if (reader.format() != format) {
        qWarning("%s: format \"%s\", expected \"%s\"", qPrintable(path),
                 reader.format().constData(), format.constData());
        return {};
    }
    if (reader.size() != size) {
        qWarning("%s: %dx%d, expected %dx%d", qPrintable(path), reader.size().width(),
                 reader.size().height(), size.width(), size.height());
        return {};
    }
    QImage image = reader.read();
    if (image.isNull())
        qWarning("%s: %s", qPrintable(path), qPrintable(reader.errorString()));
    return image;
}

double meanGrey(const QImage &image, const QRect &area)
{
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            sum += qGray(image.pixel(x, y));
    }
    return sum / (double(area.width()) * area.height());
}

} // namespace

class tst_SkinPictures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void picture_data();
    void picture();
    void pressedPictureIsDarker_data();
    void pressedPictureIsDarker();
    void noticeBottomRowIsDarkestBevelRow_data();
    void noticeBottomRowIsDarkestBevelRow();
    void iconPng_data();
    void iconPng();
    void themeIcon_data();
    void themeIcon();
    void themeIconSvg();
    void iconIco();
};

void tst_SkinPictures::picture_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");

    const struct
    {
        const char *name;
        QSize size;
    } pictures[] = {
        {"B1", {684, 552}}, {"B2", {684, 54}},  {"B3", {129, 48}},  {"B4", {129, 48}},
        {"B5", {136, 42}},  {"B6", {136, 42}},  {"B7", {50, 41}},   {"B8", {50, 41}},
        {"B9", {50, 41}},   {"B10", {50, 41}},  {"B11", {50, 41}},  {"B12", {50, 41}},
        {"B13", {129, 34}}, {"B14", {129, 34}}, {"B15", {129, 35}}, {"B16", {650, 35}},
        {"B17", {129, 34}}, {"B18", {129, 34}}, {"B19", {129, 34}}, {"B20", {129, 34}},
        {"B21", {129, 34}}, {"B22", {129, 34}}, {"B23", {129, 34}}, {"B24", {129, 34}},
        {"B25", {129, 34}}, {"B26", {129, 34}}, {"D1", {400, 340}}, {"D2", {400, 136}},
        {"D3", {400, 136}}, {"D4", {400, 136}}, {"O1", {96, 35}},   {"O2", {96, 35}},
    };
    for (const auto &picture : pictures)
        QTest::newRow(picture.name) << QString::fromLatin1(picture.name) << picture.size;
}

void tst_SkinPictures::picture()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);

    // The 2x copy is painted at double size for 200 % displays; same rules otherwise.
    const QList<std::pair<QString, QSize>> files{{name + u".jpg"_s, size},
                                                 {name + u"@2x.jpg"_s, size * 2}};
    for (const auto &[file, expected] : files) {
        const QImage image = readExactly(skinFile(file), "jpeg", expected);
        QVERIFY2(!image.isNull(), qPrintable(file));
        QVERIFY2(!image.hasAlphaChannel(), qPrintable(file));
        // A three-channel JPEG decodes to RGB32; a one-channel one would be grey.
        QCOMPARE(image.format(), QImage::Format_RGB32);
    }
}

void tst_SkinPictures::pressedPictureIsDarker_data()
{
    QTest::addColumn<QString>("released");
    QTest::addColumn<QString>("pressed");

    const char *const pairs[][2] = {
        {"B5", "B6"},   {"B7", "B8"},   {"B9", "B10"},  {"B11", "B12"},
        {"B13", "B14"}, {"B17", "B18"}, {"B19", "B20"}, {"B21", "B22"},
        {"B23", "B24"}, {"B25", "B26"}, {"O1", "O2"},
    };
    for (const auto &pair : pairs) {
        QTest::addRow("%s-%s", pair[0], pair[1])
            << QString::fromLatin1(pair[0]) << QString::fromLatin1(pair[1]);
    }
}

// A press swaps in the pressed picture: it must look pushed in, not be a copy of the released.
void tst_SkinPictures::pressedPictureIsDarker()
{
    QFETCH(QString, released);
    QFETCH(QString, pressed);

    const QImage up(skinFile(released + u".jpg"_s));
    const QImage down(skinFile(pressed + u".jpg"_s));
    QVERIFY(!up.isNull());
    QVERIFY(!down.isNull());
    QCOMPARE(down.size(), up.size());
    QVERIFY2(meanGrey(down, down.rect()) < meanGrey(up, up.rect()) - 2.0,
             "the pressed picture is not darker than the released one");
}

void tst_SkinPictures::noticeBottomRowIsDarkestBevelRow_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("D1") << u"D1"_s;
    QTest::newRow("D2") << u"D2"_s;
    QTest::newRow("D3") << u"D3"_s;
    QTest::newRow("D4") << u"D4"_s;
}

// The short notices show 135 of their 136 rows; what is cut off must be the bevel's darkest
// row, with the bevel graded lighter towards the surface above it.
void tst_SkinPictures::noticeBottomRowIsDarkestBevelRow()
{
    QFETCH(QString, name);

    const QImage image(skinFile(name + u".jpg"_s));
    QVERIFY(!image.isNull());
    const int w = image.width();
    const int last = image.height() - 1;
    const double bottom = meanGrey(image, QRect(0, last, w, 1));
    const double above = meanGrey(image, QRect(0, last - 1, w, 1));
    const double surface = meanGrey(image, QRect(0, last - 8, w, 1));
    QVERIFY2(bottom < above && above < surface,
             qPrintable(u"rows from the bottom: %1, %2, surface %3"_s.arg(bottom).arg(above).arg(
                 surface)));
}

void tst_SkinPictures::iconPng_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("side");

    QTest::newRow("pinmark-32") << u"pinmark-32.png"_s << 32;
}

void tst_SkinPictures::iconPng()
{
    QFETCH(QString, file);
    QFETCH(int, side);

    const QImage image = readExactly(iconFile(file), "png", QSize(side, side));
    QVERIFY2(!image.isNull(), qPrintable(file));
    QVERIFY2(!image.hasAlphaChannel(), "the icon must be fully opaque");
    // The teapot stands on a white ground.
    QCOMPARE(image.pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(side - 1, 0), qRgb(255, 255, 255));
}

void tst_SkinPictures::themeIcon_data()
{
    QTest::addColumn<int>("side");
    for (const int side : {16, 24, 32, 48, 64, 128, 256})
        QTest::addRow("hicolor %d", side) << side;
}

// Theme icons sit on panels of any colour: the corners are see-through, the pot is solid.
void tst_SkinPictures::themeIcon()
{
    QFETCH(int, side);
    const QString file = u"hicolor/%1x%1/apps/net.velmora.Pinmark.png"_s.arg(side);
    const QImage image = readExactly(iconFile(file), "png", QSize(side, side));
    QVERIFY2(!image.isNull(), qPrintable(file));
    QVERIFY(image.hasAlphaChannel());
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(side - 1, 0), QPoint(0, side - 1), QPoint(side - 1, side - 1)})
        QCOMPARE(qAlpha(image.pixel(corner)), 0);
    // The middle of the pot's belly, on the drawing's 64-unit grid.
    QCOMPARE(qAlpha(image.pixel(side * 31 / 64, side * 40 / 64)), 255);
}

void tst_SkinPictures::themeIconSvg()
{
    QFile file(iconFile(u"hicolor/scalable/apps/net.velmora.Pinmark.svg"_s));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QXmlStreamReader xml(&file);
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name(), u"svg"_s);
    QCOMPARE(xml.namespaceUri(), u"http://www.w3.org/2000/svg"_s);
    QCOMPARE(xml.attributes().value(u"viewBox"_s), u"0 0 64 64"_s);
    while (!xml.atEnd())
        xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
}

// The .ico is written byte by byte, so check every field a Windows resource compiler reads,
// and that its pixels are the PNG's, bottom row first, in blue-green-red order.
void tst_SkinPictures::iconIco()
{
    QFile file(iconFile(u"pinmark.ico"_s));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QByteArray bytes = file.readAll();
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(data + at); };
    const auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(data + at); };

    constexpr quint32 imageBytes = 40 + 32 * 32 * 3 + 32 * 4;
    static_assert(imageBytes == 3240);
    QCOMPARE(bytes.size(), qsizetype(6 + 16 + imageBytes));

    // ICONDIR: reserved, type 1 (icon), one image.
    QCOMPARE(u16(0), quint16(0));
    QCOMPARE(u16(2), quint16(1));
    QCOMPARE(u16(4), quint16(1));
    // ICONDIRENTRY
    QCOMPARE(data[6], uchar(32));
    QCOMPARE(data[7], uchar(32));
    QCOMPARE(data[8], uchar(0)); // no palette
    QCOMPARE(u16(10), quint16(1));
    QCOMPARE(u16(12), quint16(24));
    QCOMPARE(u32(14), imageBytes);
    const quint32 offset = u32(18);
    QCOMPARE(offset, quint32(22));
    // BITMAPINFOHEADER: height counts colour rows plus mask rows; no compression.
    QCOMPARE(u32(offset), quint32(40));
    QCOMPARE(u32(offset + 4), quint32(32));
    QCOMPARE(u32(offset + 8), quint32(64));
    QCOMPARE(u16(offset + 12), quint16(1));
    QCOMPARE(u16(offset + 14), quint16(24));
    QCOMPARE(u32(offset + 16), quint32(0));

    const QImage png(iconFile(u"pinmark-32.png"_s));
    QVERIFY(!png.isNull());
    const qsizetype pixels = offset + 40;
    for (int row = 0; row < 32; ++row) {
        const int y = 31 - row;
        for (int x = 0; x < 32; ++x) {
            const uchar *bgr = data + pixels + row * 96 + x * 3;
            if (qRgb(bgr[2], bgr[1], bgr[0]) != png.pixel(x, y))
                QFAIL(qPrintable(u"pixel %1,%2 differs from pinmark-32.png"_s.arg(x).arg(y)));
        }
    }
    const QByteArray mask = bytes.mid(pixels + 32 * 96);
    QCOMPARE(mask, QByteArray(32 * 4, '\0'));

    // And Qt's own reader agrees it is a 32 x 32 icon.
    QImageReader reader(file.fileName(), "ico");
    QCOMPARE(reader.size(), QSize(32, 32));
}

QTEST_GUILESS_MAIN(tst_SkinPictures)
#include "tst_skinpictures.moc"
