#include "core/schemepolicy.h"

#include <QTest>

using namespace Pinmark;

// One row per address, one column per use: where the uses part, the row shows why.
class TestSchemePolicy : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void uses_data();
    void uses();
};

void TestSchemePolicy::uses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("follow");
    QTest::addColumn<bool>("launch");
    QTest::addColumn<bool>("select");
    QTest::addColumn<bool>("paste");
    const auto row = [](const char *name, const char *address, bool follow, bool launch,
                        bool select, bool paste) {
        QTest::newRow(name) << QString::fromUtf8(address) << follow << launch << select << paste;
    };
    row("http", "http://g.test/a.jpg", true, true, true, true);
    row("https", "https://g.test/a.jpg", true, true, true, true);
    row("ftp: launched and taken, never shown in place", "ftp://g.test/a.jpg", false, true, true,
        true);
    row("mailto: launched only", "mailto:a@g.test", false, true, false, false);
    row("capitals: parsed as web, not written as the codes want", "HTTP://g.test/a.jpg", true, true,
        false, false);
    row("unencoded pipe and braces", "http://g.test/a|b{c}.jpg", true, true, true, true);
    row("ipv6 host", "http://[::1]:18731/a.png", true, true, true, true);
    row("no host", "http:///a.jpg", false, false, true, true);
    row("one slash", "http:/g.test/a.jpg", false, false, false, false);
    row("scheme alone", "https://", false, false, true, true);
    row("relative", "pics/a.jpg", false, false, false, false);
    row("protocol-relative", "//g.test/a.jpg", false, false, false, false);
    row("file", "file:///etc/a.jpg", false, false, false, false);
    row("javascript", "javascript:alert(1)//a.jpg", false, false, false, false);
    row("data", "data:image/png;base64,AAAA", false, false, false, false);
    row("blob", "blob:http://g.test/1234", false, false, false, false);
    row("about", "about:blank", false, false, false, false);
    row("mailto without address", "mailto:", false, false, false, false);
    row("empty", "", false, false, false, false);
}

void TestSchemePolicy::uses()
{
    QFETCH(QString, address);
    QFETCH(bool, follow);
    QFETCH(bool, launch);
    QFETCH(bool, select);
    QFETCH(bool, paste);
    QCOMPARE(schemeAllows(AddressUse::FollowInPlace, address), follow);
    QCOMPARE(schemeAllows(AddressUse::Launch, address), launch);
    QCOMPARE(schemeAllows(AddressUse::SelectAsPicture, address), select);
    QCOMPARE(schemeAllows(AddressUse::Paste, address), paste);
}

QTEST_APPLESS_MAIN(TestSchemePolicy)
#include "tst_schemepolicy.moc"
