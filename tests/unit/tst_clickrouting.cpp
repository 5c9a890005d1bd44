#include "core/clickrouting.h"

#include <QTest>

using namespace Pinmark;

Q_DECLARE_METATYPE(ClickRoute::Action)

class TestClickRouting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void route_data();
    void route();
    void restoreSpaces_data();
    void restoreSpaces();
    void followableInPlace_data();
    void followableInPlace();
};

void TestClickRouting::route_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("src");
    QTest::addColumn<QString>("href");
    QTest::addColumn<QString>("title");
    QTest::addColumn<ClickRoute::Action>("action");
    QTest::addColumn<QString>("address");

    const QString pic = QStringLiteral("http://g.test/pics/my%20cat.jpg");
    const QString picSelected = QStringLiteral("http://g.test/pics/my cat.jpg");
    const QString far = QStringLiteral("https://elsewhere.test/big.jpg");
    const QString page = QStringLiteral("http://g.test/fmm/fe/page2.htm");
    QTest::newRow("img id 5") << "IMG"
                              << "5" << pic << ""
                              << "" << ClickRoute::SelectImage << picSelected;
    QTest::newRow("img id empty") << "img"
                                  << "" << pic << ""
                                  << "" << ClickRoute::SelectImage << picSelected;
    QTest::newRow("img id 04") << "IMG"
                               << "04" << pic << "" << far << ClickRoute::SelectImage
                               << picSelected;
    QTest::newRow("img id 4 external")
        << "IMG"
        << "4" << pic << "" << far << ClickRoute::LaunchExternal << far;
    QTest::newRow("img id 22 external")
        << "Img"
        << "22" << pic << "" << far << ClickRoute::LaunchExternal << far;
    QTest::newRow("img id 4 without title") << "IMG"
                                            << "4" << pic << ""
                                            << "" << ClickRoute::LaunchExternal << "";
    QTest::newRow("link id 7 in place") << "A"
                                        << "7"
                                        << "" << page << "" << ClickRoute::NavigateInPlace << page;
    QTest::newRow("link no id in place") << "a"
                                         << ""
                                         << "" << page << "" << ClickRoute::NavigateInPlace << page;
    QTest::newRow("link id 9 external") << "A"
                                        << "9"
                                        << "" << far << "" << ClickRoute::LaunchExternal << far;
    QTest::newRow("link javascript ignored") << "A"
                                             << "7"
                                             << ""
                                             << "javascript:alert(1)"
                                             << "" << ClickRoute::Nothing << "";
    QTest::newRow("link file ignored") << "A"
                                       << ""
                                       << ""
                                       << "file:///etc/passwd"
                                       << "" << ClickRoute::Nothing << "";
    QTest::newRow("link data ignored") << "A"
                                       << ""
                                       << ""
                                       << "data:text/html,hi"
                                       << "" << ClickRoute::Nothing << "";
    // The innermost element decides: an image inside a link is an image click.
    QTest::newRow("img inside link")
        << "IMG"
        << "" << pic << page << "" << ClickRoute::SelectImage << picSelected;
    QTest::newRow("bold text inside link") << "B"
                                           << "7"
                                           << "" << page << "" << ClickRoute::Nothing << "";
    QTest::newRow("img without address keeps the selection")
        << "IMG"
        << "5"
        << ""
        << "" << far << ClickRoute::Nothing << "";
    QTest::newRow("div") << "DIV"
                         << "4" << pic << page << far << ClickRoute::Nothing << "";
    // Only the schemes a pasted address may have: nothing else is an address a forum can show.
    QTest::newRow("img ftp") << "IMG"
                             << ""
                             << "ftp://g.test/a%20b.png"
                             << ""
                             << "" << ClickRoute::SelectImage << "ftp://g.test/a b.png";
    QTest::newRow("img https") << "IMG"
                               << "" << far << ""
                               << "" << ClickRoute::SelectImage << far;
    for (const char *src : {"data:image/png;base64,iVBORw0KGgo=", "blob:http://g.test/1f0e-42",
                            "file:///home/u/a.png", "chrome://favicon/x.png", "about:blank",
                            "HTTP://G.TEST/A.PNG", "http:/g.test/a.png"}) {
        QTest::addRow("img %s", src) << "IMG"
                                     << "" << src << ""
                                     << "" << ClickRoute::ImageWithoutWebAddress << "";
    }
    const QString longest = QStringLiteral("http://g.test/") +
                            QString(MaxPageTextLength - 18, QLatin1Char('a')) +
                            QStringLiteral(".png");
    QTest::newRow("img address at the cap") << "IMG"
                                            << "" << longest << ""
                                            << "" << ClickRoute::SelectImage << longest;
    QTest::newRow("img address over the cap") << "IMG"
                                              << "" << longest + QLatin1Char('x') << ""
                                              << "" << ClickRoute::ImageAddressTooLong << "";
    // An external picture goes to the browser by its title, whatever its own address.
    QTest::newRow("img id 4 with a data address") << "IMG"
                                                  << "4"
                                                  << "data:image/png;base64,AAAA"
                                                  << "" << far << ClickRoute::LaunchExternal << far;
}

void TestClickRouting::route()
{
    QFETCH(QString, tag);
    QFETCH(QString, id);
    QFETCH(QString, src);
    QFETCH(QString, href);
    QFETCH(QString, title);
    QFETCH(ClickRoute::Action, action);
    QFETCH(QString, address);
    const ClickRoute got = routeClick({tag, id, title, src, href});
    QCOMPARE(got.action, action);
    QCOMPARE(got.address, address);
}

void TestClickRouting::restoreSpaces_data()
{
    QTest::addColumn<QString>("src");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << "http://a/b.jpg"
                          << "http://a/b.jpg";
    QTest::newRow("several") << "a%20b%20%20c"
                             << "a b  c";
    QTest::newRow("other escapes stay") << "x%2520y%41z%20"
                                        << "x%2520y%41z ";
    QTest::newRow("percent before escape") << "%%2020"
                                           << "% 20";
    QTest::newRow("lower-case escape stays") << "a%2fb"
                                             << "a%2fb";
    QTest::newRow("incomplete at end") << "a%2"
                                       << "a%2";
}

void TestClickRouting::restoreSpaces()
{
    QFETCH(QString, src);
    QFETCH(QString, expected);
    QCOMPARE(::restoreSpaces(src), expected);
}

void TestClickRouting::followableInPlace_data()
{
    QTest::addColumn<QString>("href");
    QTest::addColumn<bool>("followed");
    // What the engine reports as a link's address: characters it leaves unencoded included.
    QTest::newRow("plain") << "http://g.test/fmm/fe/page2.htm" << true;
    QTest::newRow("https with port") << "https://g.test:8443/a" << true;
    QTest::newRow("pipe in query") << "http://g.test/page2.htm?q=a|b" << true;
    QTest::newRow("braces in query") << "http://g.test/page2.htm?q={x}" << true;
    QTest::newRow("caret and backtick") << "http://g.test/a^b?c=`d`" << true;
    QTest::newRow("pipe in fragment") << "http://g.test/page2.htm#sec|1" << true;
    QTest::newRow("pipe in path") << "http://g.test/a|b/c{d}.htm" << true;
    QTest::newRow("lone percent") << "http://g.test/a?x=100%" << true;
    QTest::newRow("ipv6 host") << "http://[::1]:18731/a?q=|" << true;
    QTest::newRow("user and password") << "http://u:p@g.test/" << true;
    QTest::newRow("no host") << "http:///a" << false;
    QTest::newRow("relative") << "page2.htm?q=a|b" << false;
    QTest::newRow("ftp") << "ftp://g.test/a|b" << false;
    QTest::newRow("mailto") << "mailto:a@g.test" << false;
    QTest::newRow("javascript with pipe") << "javascript:a|b" << false;
    QTest::newRow("file") << "file:///etc/passwd" << false;
    QTest::newRow("blank in host") << "http://g .test/" << false;
    QTest::newRow("empty") << "" << false;
}

void TestClickRouting::followableInPlace()
{
    QFETCH(QString, href);
    QFETCH(bool, followed);
    QCOMPARE(isFollowableInPlace(href), followed);
    const ClickRoute route =
        routeClick({QStringLiteral("A"), QString(), QString(), QString(), href});
    QCOMPARE(route.action, followed ? ClickRoute::NavigateInPlace : ClickRoute::Nothing);
}

QTEST_APPLESS_MAIN(TestClickRouting)
#include "tst_clickrouting.moc"
