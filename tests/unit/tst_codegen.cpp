#include "core/codetemplate.h"
#include "core/pasteacceptance.h"
#include "core/safeaddress.h"

#include <QTest>

using namespace Pinmark;

Q_DECLARE_METATYPE(CodeTemplate)

namespace {
const QString Target = QStringLiteral("https://www.example.test/");
}

class TestCodegen : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void templates_data();
    void templates();
    void safeAddresses_data();
    void safeAddresses();
    void addedLengths_data();
    void addedLengths();
    void pasteAcceptance_data();
    void pasteAcceptance();
};

void TestCodegen::templates_data()
{
    QTest::addColumn<CodeTemplate>("which");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected");

    const QString plain = QStringLiteral("http://a.test/p.jpg");
    const QString spaced = QStringLiteral("http://a.test/my pic.jpg");
    const QString blanks = QStringLiteral("   ");
    const QString query = QStringLiteral("http://a.test/get.php?id=7&size=big&x=%22q%22");
    const QString ipv6 = QStringLiteral("http://[2001:db8::1]:8080/p.png");
    const struct
    {
        const char *name;
        QString address;
    } addresses[] = {{"plain", plain},
                     {"spaces", spaced},
                     {"only spaces", blanks},
                     {"query", query},
                     {"ipv6 host", ipv6}};

    for (const auto &a : addresses) {
        const QString &s = a.address;
        QTest::addRow("direct/%s", a.name) << CodeTemplate::DirectLink << s << s;
        QTest::addRow("forum/%s", a.name)
            << CodeTemplate::ForumImage << s
            << QStringLiteral("[url=https://www.example.test/][img]") + s +
                   QStringLiteral("[/img][/url]");
        QTest::addRow("forum centred/%s", a.name)
            << CodeTemplate::ForumImageCentred << s
            << QStringLiteral("[center][url=https://www.example.test/][img]") + s +
                   QStringLiteral("[/img][/url][/center]");
        QTest::addRow("html/%s", a.name)
            << CodeTemplate::HtmlImage << s
            << QStringLiteral("<a href=\"https://www.example.test/\" target=\"_blank\"><img "
                              "style=\"border-style: solid;border-width: 0px\" alt=\"\" src=\"") +
                   s + QStringLiteral("\"/></a>");
        QTest::addRow("html centred/%s", a.name)
            << CodeTemplate::HtmlImageCentred << s
            << QStringLiteral("<div align=\"center\"><a href=\"https://www.example.test/\" "
                              "target=\"_blank\"><img style=\"border-style: solid;border-width: "
                              "0px\" alt=\"\" src=\"") +
                   s + QStringLiteral("\"/></a></div>");
    }
}

void TestCodegen::templates()
{
    QFETCH(CodeTemplate, which);
    QFETCH(QString, address);
    QFETCH(QString, expected);
    QCOMPARE(buildCode(which, address, Target), expected);
}

// Each hostile address, and what each family of codes places of it.
void TestCodegen::safeAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("direct");
    QTest::addColumn<QString>("forum");
    QTest::addColumn<QString>("html");

    QTest::newRow("quote opens an attribute")
        << QStringLiteral("data:image/png;base64,AAAA\" onerror=\"alert(1)")
        << QStringLiteral("data:image/png;base64,AAAA\" onerror=\"alert(1)")
        << QStringLiteral("data:image/png;base64,AAAA\" onerror=\"alert(1)")
        << QStringLiteral("data:image/png;base64,AAAA%22 onerror=%22alert(1)");
    QTest::newRow("tags close the image")
        << QStringLiteral("http://g.test/a[/img][/url][url=http://evil.example/][img]b.png")
        << QStringLiteral("http://g.test/a[/img][/url][url=http://evil.example/][img]b.png")
        << QStringLiteral("http://g.test/a%5B/img%5D%5B/url%5D%5Burl=http://evil.example/"
                          "%5D%5Bimg%5Db.png")
        << QStringLiteral("http://g.test/a[/img][/url][url=http://evil.example/][img]b.png");
    QTest::newRow("markup") << QStringLiteral("http://g.test/<script>x</script>.png")
                            << QStringLiteral("http://g.test/<script>x</script>.png")
                            << QStringLiteral("http://g.test/<script>x</script>.png")
                            << QStringLiteral("http://g.test/%3Cscript%3Ex%3C/script%3E.png");
    QTest::newRow("line breaks and controls")
        << QStringLiteral("http://g.test/a\r\n[b]\t\x01") + QChar(0x7f) + QChar(0x85) +
               QChar(0x2028) + QStringLiteral("c.png")
        << QStringLiteral("http://g.test/a%0D%0A[b]%09%01%7F%C2%85%E2%80%A8c.png")
        << QStringLiteral("http://g.test/a%0D%0A%5Bb%5D%09%01%7F%C2%85%E2%80%A8c.png")
        << QStringLiteral("http://g.test/a%0D%0A[b]%09%01%7F%C2%85%E2%80%A8c.png");
    QTest::newRow("nul") << QStringLiteral("http://g.test/a") + QChar(0) + QStringLiteral(".png")
                         << QStringLiteral("http://g.test/a%00.png")
                         << QStringLiteral("http://g.test/a%00.png")
                         << QStringLiteral("http://g.test/a%00.png");
    QTest::newRow("brackets posing as an ipv6 host")
        << QStringLiteral("http://[/img][url=x][img]/p.png")
        << QStringLiteral("http://[/img][url=x][img]/p.png")
        << QStringLiteral("http://%5B/img%5D%5Burl=x%5D%5Bimg%5D/p.png")
        << QStringLiteral("http://[/img][url=x][img]/p.png");
    QTest::newRow("ipv6 host, brackets in the path")
        << QStringLiteral("http://u@[::1]/[a].png") << QStringLiteral("http://u@[::1]/[a].png")
        << QStringLiteral("http://u@[::1]/%5Ba%5D.png") << QStringLiteral("http://u@[::1]/[a].png");
    QTest::newRow("apostrophe, ampersand, escapes and non-ASCII stay")
        << QStringLiteral("http://g.test/it's&amp;%22ü😀 x.png")
        << QStringLiteral("http://g.test/it's&amp;%22ü😀 x.png")
        << QStringLiteral("http://g.test/it's&amp;%22ü😀 x.png")
        << QStringLiteral("http://g.test/it's&amp;%22ü😀 x.png");
}

void TestCodegen::safeAddresses()
{
    QFETCH(QString, address);
    QFETCH(QString, direct);
    QFETCH(QString, forum);
    QFETCH(QString, html);
    const struct
    {
        CodeTemplate which;
        QString placed;
        QString before;
        QString after;
    } codes[] = {
        {CodeTemplate::DirectLink, direct, {}, {}},
        {CodeTemplate::ForumImage, forum, QStringLiteral("[url=https://www.example.test/][img]"),
         QStringLiteral("[/img][/url]")},
        {CodeTemplate::ForumImageCentred, forum,
         QStringLiteral("[center][url=https://www.example.test/][img]"),
         QStringLiteral("[/img][/url][/center]")},
        {CodeTemplate::HtmlImage, html,
         QStringLiteral("<a href=\"https://www.example.test/\" target=\"_blank\"><img "
                        "style=\"border-style: solid;border-width: 0px\" alt=\"\" src=\""),
         QStringLiteral("\"/></a>")},
        {CodeTemplate::HtmlImageCentred, html,
         QStringLiteral("<div align=\"center\"><a href=\"https://www.example.test/\" "
                        "target=\"_blank\"><img style=\"border-style: solid;border-width: 0px\" "
                        "alt=\"\" src=\""),
         QStringLiteral("\"/></a></div>")},
    };
    for (const auto &c : codes) {
        QCOMPARE(safeAddress(c.which, address), c.placed);
        QCOMPARE(buildCode(c.which, address, Target), c.before + c.placed + c.after);
    }
}

void TestCodegen::addedLengths_data()
{
    QTest::addColumn<CodeTemplate>("which");
    QTest::addColumn<int>("added");
    QTest::addColumn<bool>("usesTarget");
    QTest::newRow("direct") << CodeTemplate::DirectLink << 0 << false;
    QTest::newRow("forum") << CodeTemplate::ForumImage << 23 << true;
    QTest::newRow("forum centred") << CodeTemplate::ForumImageCentred << 40 << true;
    QTest::newRow("html") << CodeTemplate::HtmlImage << 97 << true;
    QTest::newRow("html centred") << CodeTemplate::HtmlImageCentred << 123 << true;
}

void TestCodegen::addedLengths()
{
    QFETCH(CodeTemplate, which);
    QFETCH(int, added);
    QFETCH(bool, usesTarget);
    const QString address = QStringLiteral("http://a.test/p.png");
    const QString out = buildCode(which, address, Target);
    QCOMPARE(out.size(), address.size() + added + (usesTarget ? Target.size() : 0));
    QVERIFY(!out.endsWith(QLatin1Char('\n')));
}

void TestCodegen::pasteAcceptance_data()
{
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<bool>("accepted");

    for (const QString &scheme : AcceptedSchemes) {
        for (const QString &ending : AcceptedExtensions) {
            const QString text = scheme + QStringLiteral("host.test/dir/picture.") + ending;
            QTest::newRow(qPrintable(text)) << text << true;
        }
    }
    QTest::newRow("capital scheme") << QStringLiteral("HTTP://a.test/p.jpg") << false;
    QTest::newRow("capital https") << QStringLiteral("Https://a.test/p.jpg") << false;
    QTest::newRow("capital ending") << QStringLiteral("http://a.test/p.JPG") << false;
    QTest::newRow("query after name") << QStringLiteral("http://a.test/p.jpg?w=100") << false;
    QTest::newRow("fragment after name") << QStringLiteral("http://a.test/p.png#top") << false;
    QTest::newRow("query ending in png") << QStringLiteral("http://a.test/get?f=p.png") << true;
    QTest::newRow("leading space") << QStringLiteral(" http://a.test/p.jpg") << false;
    QTest::newRow("trailing space") << QStringLiteral("http://a.test/p.jpg ") << false;
    QTest::newRow("leading newline") << QStringLiteral("\nhttp://a.test/p.jpg") << false;
    QTest::newRow("trailing newline") << QStringLiteral("http://a.test/p.jpg\n") << false;
    QTest::newRow("blanks inside") << QStringLiteral("http://a.test/my pic.gif") << true;
    QTest::newRow("line feed inside") << QStringLiteral("http://a.test/\nmore.gif") << false;
    QTest::newRow("carriage return inside") << QStringLiteral("http://a.test/\rp.gif") << false;
    QTest::newRow("tab inside") << QStringLiteral("http://a.test/\tp.gif") << false;
    QTest::newRow("nul inside") << QStringLiteral("http://a.test/") + QChar(0) +
                                       QStringLiteral("p.gif")
                                << false;
    QTest::newRow("delete inside") << QStringLiteral("http://a.test/\x7fp.gif") << false;
    QTest::newRow("next line inside")
        << QStringLiteral("http://a.test/") + QChar(0x85) + QStringLiteral("p.gif") << false;
    QTest::newRow("line separator inside")
        << QStringLiteral("http://a.test/") + QChar(0x2028) + QStringLiteral("p.gif") << false;
    QTest::newRow("forum code and script across lines")
        << QStringLiteral("http://a.test/\n[url=http://evil.example/]<script>x</script>\n.png")
        << false;
    QTest::newRow("right-to-left override is not a control")
        << QStringLiteral("http://a.test/") + QChar(0x202E) + QStringLiteral("gnp.exe.png") << true;
    QTest::newRow("no dot before ending") << QStringLiteral("http://a.test/imagepng") << true;
    QTest::newRow("scheme meets ending") << QStringLiteral("http://jpg") << true;
    QTest::newRow("scheme alone") << QStringLiteral("http://") << false;
    QTest::newRow("escaped space kept") << QStringLiteral("http://a.test/my%20pic.jpg") << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("shorter than scheme") << QStringLiteral("ftp:/") << false;
    QTest::newRow("other scheme") << QStringLiteral("file:///home/p.jpg") << false;
    QTest::newRow("javascript") << QStringLiteral("javascript:alert(1)//.png") << false;
}

void TestCodegen::pasteAcceptance()
{
    QFETCH(QString, candidate);
    QFETCH(bool, accepted);
    QCOMPARE(isAcceptedPaste(candidate), accepted);
}

QTEST_APPLESS_MAIN(TestCodegen)
#include "tst_codegen.moc"
