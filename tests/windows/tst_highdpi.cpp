#include "widgets/picturebutton.h"
#include "windowfixture.h"

#include <QApplication>
#include <QTest>

using namespace Pinmark;

// On a display scaled to 200 % the skin comes from the pictures drawn at twice the size,
// while every control keeps its place and size in layout pixels.
class TestHighDpi : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void skinIsSharpAndLayoutUnchanged();
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

int main(int argc, char *argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestHighDpi test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_highdpi.moc"
