#include "widgets/picturebutton.h"
#include "windowfixture.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace Pinmark;

// On a display scaled to 200 % the skin comes from the pictures drawn at twice the size,
// while every control keeps its place and size in layout pixels. The screen is 1280 x 1024
// pixels, 640 x 512 in layout pixels: smaller than the main window.
class TestHighDpi : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void skinIsSharpAndLayoutUnchanged();
    void titleBandStartsOnScreen();
};

void TestHighDpi::skinIsSharpAndLayoutUnchanged()
{
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
    WindowFixture f;
    QCOMPARE(f.window->size(), QSize(684, 552));
    PictureButton *swrfr22 = f.ui().swrfr22;
    QCOMPARE(swrfr22->pixmap().devicePixelRatio(), 2.0);
    QCOMPARE(swrfr22->pixmap().size(), QSize(258, 68));
    QCOMPARE(swrfr22->geometry(), QRect(521, 1, 129, 34));
    QTest::mousePress(swrfr22, Qt::LeftButton);
    QCOMPARE(swrfr22->pixmap().cacheKey(), f.ui().swrfr22dn->pixmap().cacheKey());
    QTest::mouseRelease(swrfr22, Qt::LeftButton);
    QCOMPARE(swrfr22->geometry(), QRect(521, 1, 129, 34));
    QCOMPARE(f.ui().loadimg->pixmap().devicePixelRatio(), 2.0);
}

void TestHighDpi::titleBandStartsOnScreen()
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(screen, QRect(0, 0, 640, 512));
    WindowFixture f;
    // The title band: the window's top 25 rows, which the user drags it by.
    const QRect band(f.window->pos(), QSize(f.window->width(), 25));
    QCOMPARE(band.topLeft(), screen.topLeft());
    QCOMPARE(band.intersected(screen), QRect(0, 0, 640, 25));
    // A notice fits: centred, as before.
    NoticeWindow *about = f.notices.show(NoticeId::about);
    QCOMPARE(about->pos(), QPoint(120, 86));
}

int main(int argc, char *argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    // A 1280 x 1024 screen.
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("screen.json")));
    if (!dir.isValid() || !config.open(QIODevice::WriteOnly) ||
        config.write(R"({"screens": [{"name": "S", "x": 0, "y": 0, "width": 1280,
                         "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
        return 1;
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    QApplication app(argc, argv);
    TestHighDpi test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_highdpi.moc"
