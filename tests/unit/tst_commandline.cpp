#include "app/commandline.h"
#include "pinmark/config.h"

#include <QTest>

using namespace Pinmark;

using Kind = CommandLineAnswer::Kind;
Q_DECLARE_METATYPE(CommandLineAnswer::Kind)

class TestCommandLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void answer_data();
    void answer();
    void refusalIsOneLine_data();
    void refusalIsOneLine();
};

void TestCommandLine::answer_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("status");

    QTest::newRow("none") << QStringList{} << Kind::Run << 0;
    QTest::newRow("help") << QStringList{"--help"} << Kind::Help << 0;
    QTest::newRow("short help") << QStringList{"-h"} << Kind::Help << 0;
    QTest::newRow("version") << QStringList{"--version"} << Kind::Version << 0;
    QTest::newRow("first answer wins") << QStringList{"--version", "--help"} << Kind::Version << 0;
    QTest::newRow("help after a Qt option")
        << QStringList{"-platform", "offscreen", "--help"} << Kind::Help << 0;
    QTest::newRow("Qt options") << QStringList{"-platform", "xcb", "-reverse", "-style=fusion"}
                                << Kind::Run << 0;
    QTest::newRow("Qt options with two dashes")
        << QStringList{"--platform", "wayland", "--reverse"} << Kind::Run << 0;
    QTest::newRow("a Qt option's value is not an option")
        << QStringList{"-qwindowtitle", "--version"} << Kind::Run << 0;
    QTest::newRow("debugger") << QStringList{"-qmljsdebugger=port:1234"} << Kind::Run << 0;
    QTest::newRow("web engine arguments")
        << QStringList{"--webEngineArgs", "--disable-gpu", "--whatever"} << Kind::Run << 0;

    QTest::newRow("unknown long") << QStringList{"--frobnicate"} << Kind::Refuse << 2;
    QTest::newRow("unknown short") << QStringList{"-x"} << Kind::Refuse << 2;
    QTest::newRow("version spelled short") << QStringList{"-v"} << Kind::Refuse << 2;
    QTest::newRow("unknown before help") << QStringList{"--nope", "--help"} << Kind::Refuse << 2;
    QTest::newRow("an address") << QStringList{"https://example.org/a.png"} << Kind::Refuse << 2;
    QTest::newRow("lone dash") << QStringList{"-"} << Kind::Refuse << 2;
    QTest::newRow("empty") << QStringList{""} << Kind::Refuse << 2;
    QTest::newRow("Qt option without its value") << QStringList{"-platform"} << Kind::Refuse << 2;
    QTest::newRow("Qt flag with a value") << QStringList{"-reverse=yes"} << Kind::Refuse << 2;
    QTest::newRow("option close to a Qt one")
        << QStringList{"-platforms", "x"} << Kind::Refuse << 2;
}

void TestCommandLine::answer()
{
    QFETCH(QStringList, arguments);
    QFETCH(Kind, kind);
    QFETCH(int, status);

    const CommandLineAnswer answer = answerCommandLine(arguments);
    QCOMPARE(answer.kind, kind);
    QCOMPARE(answer.exitStatus, status);
    switch (kind) {
    case Kind::Run:
        QVERIFY(answer.text.isEmpty());
        break;
    case Kind::Help:
        QVERIFY(answer.text.startsWith("Usage: pinmark"));
        QVERIFY(answer.text.contains("--version"));
        break;
    case Kind::Version:
        QCOMPARE(answer.text, "Pinmark " + Pinmark::ApplicationVersion + "\n");
        break;
    case Kind::Refuse:
        QVERIFY(answer.text.startsWith("pinmark: "));
        break;
    }
}

void TestCommandLine::refusalIsOneLine_data()
{
    QTest::addColumn<QString>("argument");
    QTest::newRow("plain") << "--nope";
    // A hostile argument must not forge further lines of the message.
    QTest::newRow("newline inside") << "--a\nb";
}

void TestCommandLine::refusalIsOneLine()
{
    QFETCH(QString, argument);
    const CommandLineAnswer answer = answerCommandLine({argument});
    QCOMPARE(answer.kind, Kind::Refuse);
    QCOMPARE(answer.text.count(u'\n'), 1);
    QVERIFY(answer.text.endsWith(u'\n'));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
