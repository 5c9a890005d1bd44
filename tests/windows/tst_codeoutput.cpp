#include "app/messages.h"
#include "core/codetemplate.h"
#include "pinmark/config.h"
#include "widgets/picturebutton.h"
#include "windowfixture.h"

#include "widgets/textfield.h"
#include <QApplication>
#include <QTest>

using namespace Pinmark;

namespace {
PictureButton *codeButton(WindowFixture &f, CodeTemplate which)
{
    switch (which) {
    case CodeTemplate::DirectLink:
        return f.ui().swrd2;
    case CodeTemplate::ForumImage:
        return f.ui().swrfr22;
    case CodeTemplate::ForumImageCentred:
        return f.ui().swrfrc22;
    case CodeTemplate::HtmlImage:
        return f.ui().swrh22;
    case CodeTemplate::HtmlImageCentred:
        return f.ui().swrhc22;
    }
    return nullptr;
}

void addTemplateColumn()
{
    QTest::addColumn<CodeTemplate>("which");
    QTest::newRow("swrd2") << CodeTemplate::DirectLink;
    QTest::newRow("swrfr22") << CodeTemplate::ForumImage;
    QTest::newRow("swrfrc22") << CodeTemplate::ForumImageCentred;
    QTest::newRow("swrh22") << CodeTemplate::HtmlImage;
    QTest::newRow("swrhc22") << CodeTemplate::HtmlImageCentred;
}
} // namespace

Q_DECLARE_METATYPE(CodeTemplate)
Q_DECLARE_METATYPE(ClipboardReading::Status)

class TestCodeOutput : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nothingSelectedShowsSelimg_data() { addTemplateColumn(); }
    void nothingSelectedShowsSelimg();
    void publishWritesFieldThenClipboard_data() { addTemplateColumn(); }
    void publishWritesFieldThenClipboard();
    void pastedAddressIsStoredExactly_data();
    void pastedAddressIsStoredExactly();
    void refusedPasteKeepsSelection();
    void pasteReadsTheClipboardOnce();
    void refusedPastesOpenOneWronglink();
    void pasteWaitsForTheOwnerWithoutBlocking();
    void unansweredReadKeepsSelection_data();
    void unansweredReadKeepsSelection();
    void readAnsweredAfterTheWindowClosedDoesNothing();
    void cleanup();
};

void TestCodeOutput::cleanup()
{
    QApplication::closeAllWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestCodeOutput::nothingSelectedShowsSelimg()
{
    QFETCH(CodeTemplate, which);
    WindowFixture f;
    f.ui().Text2->setText(QStringLiteral("earlier output"));
    f.services.clipboard = QStringLiteral("someone else's text");
    QTest::mouseClick(codeButton(f, which), Qt::LeftButton);
    QTest::mouseClick(codeButton(f, which), Qt::LeftButton);
    QCOMPARE(countOpen(NoticeId::selimg), 1);
    QCOMPARE(f.ui().Text2->text(), QStringLiteral("earlier output"));
    QCOMPARE(f.services.clipboard, QStringLiteral("someone else's text"));
    QVERIFY(f.services.calls.isEmpty());
}

void TestCodeOutput::publishWritesFieldThenClipboard()
{
    QFETCH(CodeTemplate, which);
    WindowFixture f;
    // selimg stays open beside the window; the buttons keep working.
    QTest::mouseClick(codeButton(f, which), Qt::LeftButton);
    QCOMPARE(countOpen(NoticeId::selimg), 1);

    const QString address = QStringLiteral("http://g.test/pics/my cat \"<&[/img].jpg");
    f.selectImage(QStringLiteral("http://g.test/pics/my%20cat%20\"<&[/img].jpg"));
    QCOMPARE(f.window->selection().Text1, address);
    QCOMPARE(f.window->selection().Text2, address);

    for (int round = 0; round < 2; ++round) {
        f.services.calls.clear();
        QTest::mouseClick(codeButton(f, which), Qt::LeftButton);
        const QString expected = buildCode(which, address, Pinmark::LinkTargetUrl);
        QCOMPARE(f.window->selection().Text2, expected);
        QCOMPARE(f.ui().Text2->text(), expected); // the output field shows the state
        QCOMPARE(f.services.clipboard, expected);
        QCOMPARE(f.services.calls, (QStringList{"clipboardClear", "clipboardSetText"}));
        QCOMPARE(f.window->selection().Text1, address);
    }
}

void TestCodeOutput::pastedAddressIsStoredExactly_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::newRow("escaped space kept") << QStringLiteral("http://a.test/my%20pic.jpg");
    QTest::newRow("blanks inside") << QStringLiteral("https://a.test/x y  z.png");
    QTest::newRow("long") << QStringLiteral("ftp://a.test/") + QString(100000, QLatin1Char('a')) +
                                 QStringLiteral(".gif");
    QTest::newRow("rtl marks") << QStringLiteral("http://a.test/") + QChar(0x200F) + QChar(0x202E) +
                                      QStringLiteral("p.jpeg");
    QTest::newRow("lone surrogate")
        << QStringLiteral("http://a.test/") + QChar(0xD800) + QStringLiteral(".bmp");
}

void TestCodeOutput::pastedAddressIsStoredExactly()
{
    QFETCH(QString, clipboard);
    WindowFixture f;
    f.services.clipboard = clipboard;
    f.paste();
    QCOMPARE(countOpen(NoticeId::wronglink), 0);
    QCOMPARE(f.services.calls, QStringList{"clipboardReadText"});
    QCOMPARE(f.window->selection().Text1, clipboard);
    QCOMPARE(f.window->selection().Text2, clipboard);
    QCOMPARE(f.services.clipboard, clipboard);
    // However long the address, the field lays out only its beginning.
    QVERIFY(f.ui().Text2->text().size() <= TextField::ShownCharacters + 1);

    // swrd2 puts it back unchanged.
    QTest::mouseClick(f.ui().swrd2, Qt::LeftButton);
    QCOMPARE(f.services.clipboard, clipboard);
}

void TestCodeOutput::refusedPasteKeepsSelection()
{
    WindowFixture f;
    f.selectImage(QStringLiteral("http://g.test/a.jpg"));
    for (const QString &bad :
         {QString(), QStringLiteral("HTTP://g.test/b.jpg"), QStringLiteral("http://g.test/b.jpg?x"),
          QStringLiteral("http://g.test/\n[url=http://evil.example/]\n.png"),
          QStringLiteral("http://g.test/a") + QChar(0) + QStringLiteral(".png")}) {
        f.services.clipboard = bad;
        f.services.calls.clear();
        f.paste();
        QCOMPARE(f.services.calls, QStringList{"clipboardReadText"});
        QCOMPARE(f.window->selection().Text1, QStringLiteral("http://g.test/a.jpg"));
        QCOMPARE(f.services.clipboard, bad);
    }
    QTest::mouseClick(f.ui().swrfr22, Qt::LeftButton);
    QCOMPARE(f.services.clipboard,
             buildCode(CodeTemplate::ForumImage, QStringLiteral("http://g.test/a.jpg"),
                       Pinmark::LinkTargetUrl));
}

// An owner that answers each request differently cannot slip a text past the check: what was
// checked is what is kept, and a refused first answer is not followed by a second read.
void TestCodeOutput::pasteReadsTheClipboardOnce()
{
    const QString good = QStringLiteral("http://g.test/good.png");
    const QString bad = QStringLiteral("javascript:alert(1)\n[url=http://evil.example/]x.png");
    WindowFixture f;
    f.services.clipboardAnswers = {good, bad};
    f.paste();
    QCOMPARE(f.services.calls, QStringList{"clipboardReadText"});
    QCOMPARE(f.window->selection().Text1, good);
    QCOMPARE(f.window->selection().Text2, good);

    f.services.calls.clear();
    f.services.clipboardAnswers = {bad, QStringLiteral("http://g.test/other.png")};
    f.paste();
    QCOMPARE(f.services.calls, QStringList{"clipboardReadText"});
    QCOMPARE(countOpen(NoticeId::wronglink), 1);
    QCOMPARE(f.window->selection().Text1, good);
}

void TestCodeOutput::refusedPastesOpenOneWronglink()
{
    WindowFixture f;
    f.services.clipboard = QStringLiteral("not an address");
    f.paste();
    f.paste();
    QCOMPARE(countOpen(NoticeId::wronglink), 1);
    QVERIFY(f.window->selection().Text1.isEmpty());
}

// The paste button asks the clipboard's owner and goes on: the window answers meanwhile,
// presses while the answer is out start no further reads, and what else touches the selection
// keeps its order after the paste.
void TestCodeOutput::pasteWaitsForTheOwnerWithoutBlocking()
{
    const QString pasted = QStringLiteral("http://g.test/pasted.png");
    WindowFixture f;
    f.selectImage(QStringLiteral("http://g.test/a.jpg"));
    f.services.clipboard = pasted;
    QTest::mouseClick(f.ui().swrur, Qt::LeftButton);
    QCOMPARE(f.services.readsOut(), 1);
    QTest::mouseClick(f.ui().aboutimg, Qt::LeftButton);
    QCOMPARE(countOpen(NoticeId::about), 1);
    QTest::mouseClick(f.ui().swrur, Qt::LeftButton);
    QTest::mouseClick(f.ui().swrur, Qt::LeftButton);
    QCOMPARE(f.services.readsOut(), 1);
    QCOMPARE(f.window->selection().Text1, QStringLiteral("http://g.test/a.jpg"));

    // A code pressed meanwhile is the pasted address's, as the user pressed them in that order.
    QTest::mouseClick(f.ui().swrfr22, Qt::LeftButton);
    QVERIFY(!f.services.calls.contains(QStringLiteral("clipboardSetText")));

    QVERIFY(f.services.answerClipboardRead());
    QCOMPARE(f.window->selection().Text1, pasted);
    QCOMPARE(f.services.clipboard,
             buildCode(CodeTemplate::ForumImage, pasted, Pinmark::LinkTargetUrl));
    QCOMPARE(f.services.calls.count(QStringLiteral("clipboardReadText")), 1);
    // Once answered, the next press reads again.
    QTest::mouseClick(f.ui().swrur, Qt::LeftButton);
    QCOMPARE(f.services.readsOut(), 1);
}

void TestCodeOutput::unansweredReadKeepsSelection_data()
{
    QTest::addColumn<ClipboardReading::Status>("status");
    QTest::addColumn<QString>("told");
    QTest::newRow("no answer") << ClipboardReading::NoAnswer << ClipboardOwnerSilent.english;
    QTest::newRow("too long") << ClipboardReading::TooLong << ClipboardTextTooLong.english;
}

void TestCodeOutput::unansweredReadKeepsSelection()
{
    QFETCH(ClipboardReading::Status, status);
    QFETCH(QString, told);
    WindowFixture f;
    f.selectImage(QStringLiteral("http://g.test/a.jpg"));
    f.services.clipboard = QStringLiteral("http://g.test/never.png");
    QTest::mouseClick(f.ui().swrur, Qt::LeftButton);
    QVERIFY(f.services.answerClipboardRead(status));
    QCOMPARE(f.services.failures, QStringList{told});
    QCOMPARE(countOpen(NoticeId::wronglink), 0);
    QCOMPARE(f.window->selection().Text1, QStringLiteral("http://g.test/a.jpg"));
    // The button works again.
    f.paste();
    QCOMPARE(f.window->selection().Text1, QStringLiteral("http://g.test/never.png"));
}

void TestCodeOutput::readAnsweredAfterTheWindowClosedDoesNothing()
{
    {
        WindowFixture f;
        f.services.clipboard = QStringLiteral("not an address");
        QTest::mouseClick(f.ui().swrur, Qt::LeftButton);
        f.window->close();
        QVERIFY(f.services.answerClipboardRead());
        QCOMPARE(countOpen(NoticeId::wronglink), 0);
        QVERIFY(f.window->selection().Text1.isEmpty());
    }
    {
        WindowFixture f;
        QTest::mouseClick(f.ui().swrur, Qt::LeftButton);
        f.window.reset();
        QVERIFY(f.services.answerClipboardRead(ClipboardReading::NoAnswer));
        QVERIFY(f.services.failures.isEmpty());
    }
}

QTEST_MAIN(TestCodeOutput)
#include "tst_codeoutput.moc"
