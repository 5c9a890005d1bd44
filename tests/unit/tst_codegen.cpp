#include "codetemplate.h"
#include "pasteacceptance.h"

#include <QTest>

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
    const QString hostile = QStringLiteral("x\"<&[/img]y");
    const struct
    {
        const char *name;
        QString address;
    } addresses[] = {
        {"plain", plain}, {"spaces", spaced}, {"only spaces", blanks}, {"hostile", hostile}};

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
    QTest::newRow("line breaks inside") << QStringLiteral("http://a.test/\r\nmore p.gif") << true;
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
    QCOMPARE(hasAcceptedScheme(candidate) && hasAcceptedExtension(candidate), accepted);
}

QTEST_APPLESS_MAIN(TestCodegen)
#include "tst_codegen.moc"
