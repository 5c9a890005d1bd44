// The hand-over of the clipboard's text to a keeper at exit, with stand-in keepers: what the
// keeper is given, what its answer means, and that a keeper that fails or hangs neither holds
// the exit nor goes unreported.
#include "platform/clipboardkeeper.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace Pinmark;

Q_DECLARE_METATYPE(KeeperStart)

class TestClipboardKeeper : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void answers_data();
    void answers();
    void exitTellsWhyTheCodeIsLost_data();
    void exitTellsWhyTheCodeIsLost();

private:
    // A stand-in keeper: a shell script that finds the test's folder in $KEEPER_TEST_DIR.
    QString keeper(const QString &name, const QByteArray &body);
    QByteArray written(const QString &name) const;

    QTemporaryDir m_dir;
};

void TestClipboardKeeper::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("KEEPER_TEST_DIR", QFile::encodeName(m_dir.path()));
}

// Keepers that were told to hang wrote their process id; they run in sessions of their own.
void TestClipboardKeeper::cleanup()
{
    bool ok = false;
    const int pid = written(QStringLiteral("pid")).trimmed().toInt(&ok);
    if (ok && pid > 0)
        ::kill(pid, SIGKILL);
    QFile::remove(m_dir.filePath(QStringLiteral("pid")));
    QFile::remove(m_dir.filePath(QStringLiteral("got")));
    QFile::remove(m_dir.filePath(QStringLiteral("args")));
}

QString TestClipboardKeeper::keeper(const QString &name, const QByteArray &body)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n" + body + "\n") < 0)
        return {};
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

QByteArray TestClipboardKeeper::written(const QString &name) const
{
    QFile file(m_dir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray Serves = "echo $# > \"$KEEPER_TEST_DIR/args\"; cat > \"$KEEPER_TEST_DIR/got\"; "
                          "printf 1";
const QByteArray Declines = "cat > /dev/null; printf 0";
const QByteArray EndsWithoutAnswer = "cat > /dev/null; exit 1";
const QByteArray StopsReading = "echo $$ > \"$KEEPER_TEST_DIR/pid\"; exec sleep 60";
const QByteArray NeverAnswers = "cat > /dev/null; echo $$ > \"$KEEPER_TEST_DIR/pid\"; "
                                "exec sleep 60";

void TestClipboardKeeper::answers_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("textSize");
    QTest::addColumn<KeeperStart>("expected");

    QTest::newRow("serves") << Serves << 64 << KeeperStart::Serving;
    QTest::newRow("serves a text larger than a pipe holds")
        << Serves << (4 << 20) << KeeperStart::Serving;
    QTest::newRow("declines") << Declines << 64 << KeeperStart::Declined;
    QTest::newRow("ends without an answer") << EndsWithoutAnswer << 64 << KeeperStart::Failed;
    QTest::newRow("is no program") << QByteArray() << 64 << KeeperStart::Failed;
    QTest::newRow("stops reading") << StopsReading << (4 << 20) << KeeperStart::Failed;
    QTest::newRow("never answers") << NeverAnswers << 64 << KeeperStart::Failed;
}

void TestClipboardKeeper::answers()
{
    QFETCH(QByteArray, body);
    QFETCH(int, textSize);
    QFETCH(KeeperStart, expected);
    QByteArray text(textSize, 'a');
    text.prepend("[url=http://x.test/][img]http://x.test/\xd8\xb5.png[/img][/url] ");
    const QString program = body.isEmpty() ? m_dir.filePath(QStringLiteral("missing"))
                                           : keeper(QStringLiteral("keeper"), body);

    QCOMPARE(startClipboardKeeper(program, text), expected);
    if (expected == KeeperStart::Serving) {
        QCOMPARE(written(QStringLiteral("got")), text);
        QCOMPARE(written(QStringLiteral("args")), QByteArray("0\n")); // never on a command line
    }
}

void TestClipboardKeeper::exitTellsWhyTheCodeIsLost_data()
{
    QTest::addColumn<QStringList>("keepers");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<bool>("served");

    const QString missing = m_dir.filePath(QStringLiteral("missing"));
    QTest::newRow("none installed")
        << QStringList{missing, missing + QStringLiteral("2")}
        << QStringLiteral("No clipboard keeper is installed.*missing") << false;
    QTest::newRow("keeper fails") << QStringList{keeper(QStringLiteral("failing"),
                                                        EndsWithoutAnswer)}
                                  << QStringLiteral("clipboard keeper .*failing did not start")
                                  << false;
    QTest::newRow("keeper declines")
        << QStringList{keeper(QStringLiteral("declining"), Declines)} << QString() << false;
    QTest::newRow("first installed keeper serves")
        << QStringList{missing, keeper(QStringLiteral("serving"), Serves),
                       keeper(QStringLiteral("unused"), EndsWithoutAnswer)}
        << QString() << true;
}

void TestClipboardKeeper::exitTellsWhyTheCodeIsLost()
{
    QFETCH(QStringList, keepers);
    QFETCH(QString, warning);
    QFETCH(bool, served);
    if (warning.isEmpty())
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    else
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));

    keepClipboardText(keepers, "http://x.test/kept.png");
    QCOMPARE(written(QStringLiteral("got")), served ? QByteArray("http://x.test/kept.png") : "");
}

QTEST_GUILESS_MAIN(TestClipboardKeeper)
#include "tst_clipboardkeeper.moc"
