#include "app/messages.h"
#include "core/htmlevent.h"
#include "pinmark/config.h"
#include "platform/qtdesktopservices.h"
#include "widgets/picturebox.h"
#include "windowfixture.h"

#include "widgets/textfield.h"
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

using namespace Pinmark;

namespace {
const QString Gallery = QStringLiteral("http://g.test/fmm/fe/moq.htm");

qint64 badgeKey(WindowFixture &f)
{
    return f.ui().loadimg->pixmap().cacheKey();
}
qint64 loadedKey(WindowFixture &f)
{
    return f.ui().loadimgup->pixmap().cacheKey();
}
qint64 loadingKey(WindowFixture &f)
{
    return f.ui().loadimgdn->pixmap().cacheKey();
}

// The main window on the real desktop services, showing the bound gallery.
struct RealServicesWindow
{
    QtDesktopServices services;
    FakeBrowserHost browser;
    Notices notices{[this] { services.endApplication(); }};
    frmWeb window{services, browser, notices};
    quint64 gen = 0;

    RealServicesWindow()
    {
        window.show();
        gen = browser.loadPage(Gallery);
    }
};

const QString Loaded = QStringLiteral("تم التحميل — Loaded");
const QString Loading = QStringLiteral("جاري التحميل — Loading");
} // namespace

class TestGalleryPage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void emptyAddressBindsNothing_data();
    void emptyAddressBindsNothing();
    void frameCompletionRebindsWithoutDoubleDelivery();
    void staleGenerationIsDropped();
    void badge_data();
    void badge();
    void badgeFollowsBindingAndNavigation();
    void mouseDown_data();
    void mouseDown();
    void clicksRouteToSelectionLaunchOrNavigation();
    void publisherBoxLetsThePageBeReplaced();
    void webPicturesOnlyBecomeTheSelection();
    void rightPressesWhileTheBoxIsOpenAddNone();
    void cleanup();
};

void TestGalleryPage::cleanup()
{
    QApplication::closeAllWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestGalleryPage::emptyAddressBindsNothing_data()
{
    QTest::addColumn<QVariant>("address");
    QTest::newRow("empty") << QVariant(QString());
    QTest::newRow("null") << QVariant();
}

void TestGalleryPage::emptyAddressBindsNothing()
{
    QFETCH(QVariant, address);
    WindowFixture f;
    const quint64 gen = f.browser.beginDocument(Gallery);
    f.window->WebBrowser1_DocumentComplete(nullptr, address);
    QVERIFY(!f.window->boundDocument());
    // Unbound: events reach no handler, and the badge keeps its layout picture.
    const qint64 before = badgeKey(f);
    f.browser.clicked(gen, clickOn("IMG", "5", "http://g.test/a.jpg"));
    f.browser.readyStateChanged(gen, "complete");
    QVERIFY(f.window->selection().Text1.isEmpty());
    QCOMPARE(badgeKey(f), before);
    QVERIFY(!f.browser.Document()->isBound());
}

void TestGalleryPage::frameCompletionRebindsWithoutDoubleDelivery()
{
    WindowFixture f;
    const quint64 gen = f.browser.loadPage(Gallery);
    QVERIFY(f.browser.Document()->isBound());
    // A frame of the page finishes later: the same top-level document is bound again.
    f.browser.documentLoaded(gen, nullptr, "http://g.test/frame.htm");
    QCOMPARE(f.window->boundDocument(), f.browser.Document());

    int clicks = 0;
    connect(f.browser.Document(), &HtmlDocument::onclick,
            [&clicks](const HtmlEventObj &) { ++clicks; });
    f.services.launches.clear();
    f.browser.clicked(gen, clickOn("IMG", "4", "", "", "https://far.test/x.jpg"));
    QCOMPARE(clicks, 1);
    QCOMPARE(f.services.launches, QStringList{"https://far.test/x.jpg"});
}

void TestGalleryPage::staleGenerationIsDropped()
{
    WindowFixture f;
    const quint64 first = f.browser.loadPage(Gallery);
    f.selectImage("http://g.test/one.jpg");
    const quint64 second = f.browser.loadPage("http://g.test/fmm/fe/page2.htm");
    QVERIFY(second != first);
    f.browser.clicked(first, clickOn("IMG", "", "http://g.test/stale.jpg"));
    QCOMPARE(f.window->selection().Text1, QStringLiteral("http://g.test/one.jpg"));
    // A second selection replaces the first.
    f.browser.clicked(second, clickOn("IMG", "", "http://g.test/two.jpg"));
    QCOMPARE(f.window->selection().Text1, QStringLiteral("http://g.test/two.jpg"));
    QCOMPARE(f.window->selection().Text2, QStringLiteral("http://g.test/two.jpg"));
}

void TestGalleryPage::badge_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("loading") << "loading" << false;
    QTest::newRow("interactive") << "interactive" << false;
    QTest::newRow("complete") << "complete" << true;
    QTest::newRow("Complete") << "Complete" << false;
}

void TestGalleryPage::badge()
{
    QFETCH(QString, state);
    QFETCH(bool, loaded);
    WindowFixture f;
    const quint64 gen = f.browser.loadPage(Gallery, "interactive");
    f.browser.readyStateChanged(gen, state);
    // The badge shows the holder's own picture, not a copy of it.
    QCOMPARE(badgeKey(f), loaded ? loadedKey(f) : loadingKey(f));
    // A screen reader cannot see the picture; the name says the same.
    QCOMPARE(f.ui().loadimg->accessibleName(), loaded ? Loaded : Loading);
    QCOMPARE(f.ui().loadimg->size(), f.ui().loadimgup->size());
}

void TestGalleryPage::badgeFollowsBindingAndNavigation()
{
    WindowFixture f;
    QCOMPARE(f.ui().loadimg->accessibleName(), Loading);
    f.browser.loadPage(Gallery, "complete");
    QCOMPARE(badgeKey(f), loadedKey(f)); // set at binding, without a later change
    f.browser.topLevelNavigationStarted();
    QCOMPARE(badgeKey(f), loadingKey(f));
    QCOMPARE(f.ui().loadimg->accessibleName(), Loading);
}

void TestGalleryPage::mouseDown_data()
{
    QTest::addColumn<quint32>("button");
    QTest::addColumn<bool>("bound");
    QTest::addColumn<bool>("notice");
    QTest::newRow("left") << 1u << true << false;
    QTest::newRow("right") << 2u << true << true;
    QTest::newRow("left and right") << 3u << true << false;
    QTest::newRow("middle") << 4u << true << false;
    QTest::newRow("right before binding") << 2u << false << false;
}

void TestGalleryPage::mouseDown()
{
    QFETCH(quint32, button);
    QFETCH(bool, bound);
    QFETCH(bool, notice);
    WindowFixture f;
    const quint64 gen = bound ? f.browser.loadPage(Gallery) : f.browser.beginDocument(Gallery);
    HtmlEventObj press = clickOn("DIV");
    press.button = button;
    f.browser.mouseDown(gen, press);
    QCOMPARE(f.services.messageBoxes,
             notice ? QStringList{"velmora|" + Pinmark::PublisherHost} : QStringList{});
}

void TestGalleryPage::clicksRouteToSelectionLaunchOrNavigation()
{
    WindowFixture f;
    const quint64 gen = f.browser.loadPage(Gallery);
    f.browser.clicked(gen, clickOn("img", "5", "http://g.test/my%20cat%2520.jpg"));
    QCOMPARE(f.window->selection().Text1, QStringLiteral("http://g.test/my cat%2520.jpg"));
    QCOMPARE(f.window->selection().Text2, f.window->selection().Text1);

    // External picture: its title is launched and the selection stays.
    f.browser.clicked(gen, clickOn("IMG", "4", "http://g.test/b.jpg", "", "https://far.test/b"));
    f.browser.clicked(gen, clickOn("A", "9", "", "https://far.test/link"));
    f.browser.clicked(gen, clickOn("A", "7", "", "http://g.test/fmm/fe/page2.htm"));
    f.browser.clicked(gen, clickOn("A", "7", "", "javascript:alert(1)"));
    f.browser.clicked(gen, clickOn("SPAN", "7", "", "http://g.test/x.htm"));
    QCOMPARE(f.services.launches, (QStringList{"https://far.test/b", "https://far.test/link"}));
    QCOMPARE(f.browser.navigateCalls, QStringList{"http://g.test/fmm/fe/page2.htm"});
    QCOMPARE(f.window->selection().Text1, QStringLiteral("http://g.test/my cat%2520.jpg"));
    QVERIFY(!f.window->HTMLDoc_onclick(
        clickOn("IMG", "", "http://g.test/c.jpg"))); // false on every path
}

// The publisher box is asked for from inside the page's mouse-down. It must not hold that
// delivery on the stack while it is open: meanwhile the browser may begin the next document and
// delete the one being delivered (under the sanitizer a nested loop here is a use after free).
void TestGalleryPage::publisherBoxLetsThePageBeReplaced()
{
    RealServicesWindow w;
    auto &browser = w.browser;
    auto &window = w.window;
    const quint64 gen = w.gen;
    QPointer<HtmlDocument> pressed = browser.Document();

    // Whatever runs once the event loop turns: the next page begins and the old one is freed.
    bool replacedDuringDelivery = false;
    bool delivering = true;
    QTimer::singleShot(0, &browser, [&] {
        replacedDuringDelivery = delivering;
        browser.loadPage(Gallery + QStringLiteral("?next"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // A box that ran its own loop would still be waiting here; let it go.
        if (QWidget *box = QApplication::activeModalWidget())
            box->close();
    });
    HtmlEventObj press = clickOn("IMG", "5");
    press.button = 2;
    browser.mouseDown(gen, press);
    delivering = false;

    QVERIFY(!replacedDuringDelivery);
    const auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), QStringLiteral("velmora"));
    QCOMPARE(box->text(), Pinmark::PublisherHost);

    QTRY_VERIFY(!pressed); // the next page came, the old document is gone
    QCOMPARE(window.boundDocument(), browser.Document());
    QTRY_VERIFY(!QApplication::activeModalWidget());
}

// A picture whose address no forum can show keeps the selection and says so, every time.
void TestGalleryPage::webPicturesOnlyBecomeTheSelection()
{
    WindowFixture f;
    const quint64 gen = f.browser.loadPage(Gallery);
    const QString kept = QStringLiteral("http://g.test/kept.png");
    f.browser.clicked(gen, clickOn("IMG", "", kept));
    const QString tooLong =
        QStringLiteral("http://g.test/") + QString(MaxPageTextLength, QLatin1Char('a'));
    const struct
    {
        QString src;
        QString told;
    } refused[] = {
        {QStringLiteral("data:image/png;base64,iVBORw0KGgo="), PictureWithoutWebAddress.english},
        {QStringLiteral("blob:http://g.test/9f2c"), PictureWithoutWebAddress.english},
        {QStringLiteral("file:///home/user/p.png"), PictureWithoutWebAddress.english},
        {tooLong.left(MaxPageTextLength + 1), PictureAddressTooLong.english},
    };
    for (const auto &r : refused) {
        f.services.failures.clear();
        f.browser.clicked(gen, clickOn("IMG", "", r.src));
        QCOMPARE(f.services.failures, QStringList{r.told});
        QCOMPARE(f.window->selection().Text1, kept);
        QCOMPARE(f.window->selection().Text2, kept);
    }
    f.browser.clicked(gen, clickOn("IMG", "", QStringLiteral("ftp://g.test/new.gif")));
    QCOMPARE(f.window->selection().Text1, QStringLiteral("ftp://g.test/new.gif"));

    // Clicked while a paste is out: it selects after the paste, as the user asked them.
    f.services.clipboard = QStringLiteral("http://g.test/pasted.png");
    QTest::mouseClick(f.ui().swrur, Qt::LeftButton);
    f.browser.clicked(gen, clickOn("IMG", "", kept));
    QCOMPARE(f.window->selection().Text1, QStringLiteral("ftp://g.test/new.gif"));
    QVERIFY(f.services.answerClipboardRead());
    QCOMPARE(f.window->selection().Text1, kept);
}

// However fast the right presses come, one publisher box is open; Escape closes it.
void TestGalleryPage::rightPressesWhileTheBoxIsOpenAddNone()
{
    RealServicesWindow w;
    auto &services = w.services;
    auto &browser = w.browser;
    const quint64 gen = w.gen;
    HtmlEventObj press = clickOn("DIV");
    press.button = 2;
    const auto boxes = [] {
        int n = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            n += qobject_cast<QMessageBox *>(w) && w->isVisible();
        return n;
    };
    for (int i = 0; i < 20; ++i)
        browser.mouseDown(gen, press);
    QCOMPARE(boxes(), 1);
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), QStringLiteral("velmora"));

    // A box of another kind opens beside it.
    services.reportFailure(QStringLiteral("ع"), QStringLiteral("e"));
    services.reportFailure(QStringLiteral("ع"), QStringLiteral("e"));
    QCOMPARE(boxes(), 2);

    QPointer<QMessageBox> velmora = box;
    QTest::keyClick(velmora, Qt::Key_Escape);
    QTRY_VERIFY(!velmora);
    QCOMPARE(boxes(), 1);
    browser.mouseDown(gen, press);
    QCOMPARE(boxes(), 2);
}

QTEST_MAIN(TestGalleryPage)
#include "tst_gallerypage.moc"
