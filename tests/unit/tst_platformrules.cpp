#include "core/connectivity.h"
#include "core/launchpolicy.h"
#include "core/placement.h"
#include "platform/routetable.h"

#include <QTest>

using namespace Pinmark;

Q_DECLARE_METATYPE(NetworkInterface)

class TestPlatformRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void verdict_data();
    void verdict();
    void launchable_data();
    void launchable();
    void launchedEncoded_data();
    void launchedEncoded();
    void placement_data();
    void placement();
};

namespace {
const QByteArray Ipv4Header =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
QByteArray ipv4Default(const char *iface, const char *flags = "0003")
{
    return QByteArray(iface) + "\t00000000\t0102A8C0\t" + flags +
           "\t0\t0\t100\t00000000\t0\t0\t0\n";
}
const QByteArray Ipv4Subnet = "eth0\t0002A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n";
const QByteArray Ipv6LoReject =
    "00000000000000000000000000000000 00 00000000000000000000000000000000 "
    "00 00000000000000000000000000000000 ffffffff 00000001 00000000 "
    "00200200       lo\n";
const QByteArray Ipv6Default =
    "00000000000000000000000000000000 00 00000000000000000000000000000000 "
    "00 fe800000000000000000000000000001 00000400 00000001 00000000 "
    "00000003     wlan0\n";

NetworkInterface nic(const char *name, bool up, bool loopback = false, bool p2p = false,
                     bool address = true)
{
    return {QString::fromLatin1(name), up, loopback, p2p, address};
}
} // namespace

void TestPlatformRules::verdict_data()
{
    QTest::addColumn<QByteArray>("v4");
    QTest::addColumn<QByteArray>("v6");
    QTest::addColumn<QList<NetworkInterface>>("nics");
    QTest::addColumn<bool>("proxy");
    QTest::addColumn<int>("result");
    QTest::addColumn<quint32>("flags");

    const QList<NetworkInterface> lan = {nic("lo", true, true), nic("eth0", true)};
    QTest::newRow("lan default route") << Ipv4Header + Ipv4Subnet + ipv4Default("eth0")
                                       << QByteArray() << lan << false << 1 << quint32(0x42);
    QTest::newRow("lan with proxy")
        << Ipv4Header + ipv4Default("eth0") << QByteArray() << lan << true << 1 << quint32(0x46);
    QTest::newRow("modem") << Ipv4Header + ipv4Default("ppp0") << QByteArray()
                           << QList<NetworkInterface>{nic("ppp0", true, false, true)} << false << 1
                           << quint32(0x41);
    QTest::newRow("no default route")
        << Ipv4Header + Ipv4Subnet << QByteArray() << lan << false << 0 << quint32(0x40);
    QTest::newRow("default route down") << Ipv4Header + ipv4Default("eth0", "0002") << QByteArray()
                                        << lan << false << 0 << quint32(0x40);
    QTest::newRow("interface down")
        << Ipv4Header + ipv4Default("eth0") << QByteArray()
        << QList<NetworkInterface>{nic("eth0", false)} << false << 0 << quint32(0x40);
    QTest::newRow("loopback only, ipv6 reject route")
        << Ipv4Header << Ipv6LoReject << QList<NetworkInterface>{nic("lo", true, true)} << false
        << 0 << quint32(0);
    QTest::newRow("ipv6 default") << Ipv4Header << Ipv6LoReject + Ipv6Default
                                  << QList<NetworkInterface>{nic("lo", true, true),
                                                             nic("wlan0", true)}
                                  << false << 1 << quint32(0x42);
    QTest::newRow("garbage") << QByteArray("\x01\x02 nonsense\n\n") << QByteArray("x y z\n") << lan
                             << false << 0 << quint32(0x40);
}

void TestPlatformRules::verdict()
{
    QFETCH(QByteArray, v4);
    QFETCH(QByteArray, v6);
    QFETCH(QList<NetworkInterface>, nics);
    QFETCH(bool, proxy);
    QFETCH(int, result);
    QFETCH(quint32, flags);
    quint32 word = 0xdeadbeef;
    QCOMPARE(connectivityVerdict({defaultRouteInterfaces(v4, v6), nics, proxy}, &word), result);
    QCOMPARE(word, flags);
}

void TestPlatformRules::launchable_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("launchable");
    QTest::newRow("http") << "http://www.example.test/" << true;
    QTest::newRow("https with path") << "https://www.example.test/a/b.jpg?x=1" << true;
    QTest::newRow("ftp") << "ftp://files.example.test/p.png" << true;
    QTest::newRow("mailto") << "mailto:someone@example.test" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("relative") << "pics/a.jpg" << false;
    QTest::newRow("file") << "file:///etc/passwd" << false;
    QTest::newRow("javascript") << "javascript:alert(1)" << false;
    QTest::newRow("data") << "data:text/html,<b>x</b>" << false;
    QTest::newRow("leading dash") << "--help" << false;
    QTest::newRow("shell metacharacters") << "; rm -rf ~ $(id) `id`" << false;
    QTest::newRow("http without host") << "http:///path" << false;
    QTest::newRow("mailto empty") << "mailto:" << false;
    QTest::newRow("leading space") << " https://www.example.test/" << false;
    QTest::newRow("trailing space") << "https://www.example.test/a.jpg " << false;
    QTest::newRow("line break inside") << "https://www.example.test/a\nb.jpg" << false;
    QTest::newRow("tab inside") << "https://www.example.test/a\tb.jpg" << false;
    QTest::newRow("blank and pipe inside") << "https://www.example.test/my pic|{x}.jpg" << true;
}

void TestPlatformRules::launchable()
{
    QFETCH(QString, address);
    QFETCH(bool, launchable);
    QCOMPARE(isLaunchableAddress(address), launchable);
}

// What the opener receives: one argument with nothing in it that a command line would split.
void TestPlatformRules::launchedEncoded_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QByteArray>("encoded");
    QTest::newRow("plain") << "https://www.example.test/a/b.jpg?x=1&y=2#top"
                           << QByteArray("https://www.example.test/a/b.jpg?x=1&y=2#top");
    QTest::newRow("blank") << "https://host.test/my pic.jpg"
                           << QByteArray("https://host.test/my%20pic.jpg");
    QTest::newRow("pipe and braces")
        << "http://host.test/a|b{c}.png" << QByteArray("http://host.test/a%7Cb%7Bc%7D.png");
    QTest::newRow("quotes and angle brackets")
        << "http://host.test/\"x\"<y>.png" << QByteArray("http://host.test/%22x%22%3Cy%3E.png");
    QTest::newRow("escapes stay") << "http://host.test/a%20b%2Fc.png"
                                  << QByteArray("http://host.test/a%20b%2Fc.png");
    QTest::newRow("lone percent") << "http://host.test/100%.png"
                                  << QByteArray("http://host.test/100%25.png");
    QTest::newRow("non-ASCII path")
        << QStringLiteral("http://host.test/ص.png") << QByteArray("http://host.test/%D8%B5.png");
    QTest::newRow("mailto with blank") << "mailto:a@example.test?subject=hi there"
                                       << QByteArray("mailto:a@example.test?subject=hi%20there");
}

void TestPlatformRules::launchedEncoded()
{
    QFETCH(QString, address);
    QFETCH(QByteArray, encoded);
    QVERIFY(isLaunchableAddress(address));
    QCOMPARE(launchUrl(address).toEncoded(), encoded);
}

void TestPlatformRules::placement_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("expected");
    const QSize main(684, 552);
    QTest::newRow("fits: centred") << main << QRect(0, 0, 1280, 1024) << QPoint(298, 236);
    QTest::newRow("fits below a top panel") << main << QRect(0, 27, 1280, 997) << QPoint(298, 249);
    QTest::newRow("exactly fits") << main << QRect(0, 0, 684, 552) << QPoint(0, 0);
    // 1280 x 1024 at scale 2, where centring put the window at (-44, -40).
    QTest::newRow("too big both ways") << main << QRect(0, 0, 640, 512) << QPoint(0, 0);
    QTest::newRow("too wide only") << main << QRect(0, 0, 640, 800) << QPoint(0, 124);
    QTest::newRow("too tall only") << main << QRect(0, 0, 1024, 500) << QPoint(170, 0);
    QTest::newRow("second screen, left panel")
        << main << QRect(1330, 0, 590, 1080) << QPoint(1330, 264);
    QTest::newRow("screen left of the primary")
        << QSize(400, 340) << QRect(-1024, 100, 1024, 668) << QPoint(-712, 264);
}

void TestPlatformRules::placement()
{
    QFETCH(QSize, window);
    QFETCH(QRect, available);
    QFETCH(QPoint, expected);
    const QPoint at = placeWindow(window, available);
    QCOMPARE(at, expected);
    // The top-left corner, where the title band starts, is always on the available area.
    QVERIFY(available.contains(at));
}

QTEST_APPLESS_MAIN(TestPlatformRules)
#include "tst_platformrules.moc"
