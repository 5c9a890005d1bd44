// Paints every skin picture and the program icon into an assets folder:
//   pinmark-skinpainter OUTPUT_ASSETS_DIR
// writes skin/NAME.jpg and skin/NAME@2x.jpg, icons/pinmark-32.png, icons/pinmark.ico and the
// transparent hicolor theme icons. The output depends on nothing but this code and the font files,
// so two runs give the same bytes.

#include "pictures.h"
#include "skinkit.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>
#include <QStringList>

#include <array>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int jpegQuality = 92;
constexpr int dotsPerMeterAt1x = 3780; // 96 dpi

void ensureDir(const QString &path)
{
    if (!QDir().mkpath(path))
        throw skin::PaintError(u"cannot create the folder %1"_s.arg(path));
}

// Writes through a temporary file, so a failed run never leaves half a picture behind.
void save(const QImage &image, const QString &path, const char *format, int quality)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw skin::PaintError(u"cannot write %1: %2"_s.arg(path, file.errorString()));
    QImageWriter writer(&file, format);
    writer.setQuality(quality);
    if (!writer.write(image))
        throw skin::PaintError(u"cannot encode %1: %2"_s.arg(path, writer.errorString()));
    if (!file.commit())
        throw skin::PaintError(u"cannot write %1: %2"_s.arg(path, file.errorString()));
}

void saveBytes(const QByteArray &bytes, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw skin::PaintError(u"cannot write %1: %2"_s.arg(path, file.errorString()));
}

// Paints in 1x pixel units; at scale 2 every shape and letter is drawn at double resolution.
QImage render(const skin::Picture &picture, int scale)
{
    QImage image(picture.size * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.setDotsPerMeterX(dotsPerMeterAt1x * scale);
    image.setDotsPerMeterY(dotsPerMeterAt1x * scale);
    image.fill(skin::palette::surface());
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                               QPainter::SmoothPixmapTransform);
        picture.paint(painter);
    }
    // Three channels and no alpha, as the skin's JPEG pictures must be.
    return image.convertToFormat(QImage::Format_RGB888);
}

int paintAll(const QString &assetsDir)
{
    const QString skinDir = assetsDir + u"/skin"_s;
    const QString iconDir = assetsDir + u"/icons"_s;
    ensureDir(skinDir);
    ensureDir(iconDir);
    skin::loadFonts();

    std::vector<skin::Picture> pictures = skin::mainWindowPictures();
    const std::vector<skin::Picture> notices = skin::noticePictures();
    pictures.insert(pictures.end(), notices.begin(), notices.end());

    int written = 0;
    for (const skin::Picture &picture : pictures) {
        save(render(picture, 1), u"%1/%2.jpg"_s.arg(skinDir, picture.name), "jpeg", jpegQuality);
        save(render(picture, 2), u"%1/%2@2x.jpg"_s.arg(skinDir, picture.name), "jpeg", jpegQuality);
        written += 2;
    }

    const QImage icon32 = skin::programIcon(32);
    save(icon32, iconDir + u"/pinmark-32.png"_s, "png", -1);
    saveBytes(skin::icoFile(icon32), iconDir + u"/pinmark.ico"_s);
    written += 2;
    // The theme icons sit on panels and menus of any colour, so only the teapot is painted.
    for (const int size : std::array{16, 24, 32, 48, 64, 128, 256}) {
        const QString dir = u"%1/hicolor/%2x%2/apps"_s.arg(iconDir).arg(size);
        ensureDir(dir);
        save(skin::themeIcon(size), dir + u"/net.velmora.Pinmark.png"_s, "png", -1);
        ++written;
    }
    return written;
}

} // namespace

int main(int argc, char **argv)
{
    // The painter never shows a window; it must run without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 2 || args.at(1).isEmpty() || args.at(1).startsWith(u'-')) {
        std::fprintf(stderr, "usage: pinmark-skinpainter OUTPUT_ASSETS_DIR\n");
        return 2;
    }

    try {
        const int written = paintAll(QDir(args.at(1)).absolutePath());
        std::printf("pinmark-skinpainter: wrote %d files under %s\n", written,
                    qPrintable(QDir::toNativeSeparators(QDir(args.at(1)).absolutePath())));
    } catch (const skin::PaintError &error) {
        std::fprintf(stderr, "pinmark-skinpainter: %s\n", error.what());
        return 1;
    }
    return 0;
}
