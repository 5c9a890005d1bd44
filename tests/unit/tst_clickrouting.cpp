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

QTEST_APPLESS_MAIN(TestClickRouting)
#include "tst_clickrouting.moc"
