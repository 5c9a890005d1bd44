// Where Back leads: the trail over the engine's history list.
#include "core/historytrail.h"

#include <QtTest>

using namespace Pinmark;

namespace {

// Plays a story of the engine's list and the user's doings on a trail. Each step is one of:
//   "G:1 P:2 *Q:3"  the engine's list now: address:stamp, the shown entry starred;
//   "load" / "end"  a load the user asked for begins / ends;
//   "use"           the user clicks in the page shown;
//   "fail"          the load of the page shown failed;
//   "forward"       the user goes forward;
//   "back=P"        Back is asked for and leads to P ("back=" when it leads nowhere); the
//                   engine then shows that entry with a new stamp.
// Returns the first mismatch, or an empty text.
QString play(const QStringList &steps)
{
    HistoryTrail trail;
    QList<HistoryTrail::Entry> list;
    int current = -1;
    qint64 stamp = 1000;
    for (const QString &step : steps) {
        if (step == QLatin1String("load")) {
            trail.expectChosenEntry();
        } else if (step == QLatin1String("end")) {
            trail.endExpectation();
        } else if (step == QLatin1String("use")) {
            trail.markCurrentChosen();
        } else if (step == QLatin1String("fail")) {
            trail.markCurrentFailed(list.value(current).address);
        } else if (step == QLatin1String("forward")) {
            trail.wentForward();
        } else if (step.startsWith(QLatin1String("back="))) {
            const auto target = trail.goBack();
            const QString seen = target ? list.value(*target).address : QString();
            if (seen != step.mid(5))
                return QStringLiteral("%1 gave \"%2\"").arg(step, seen);
            if (target) {
                current = *target;
                list[current].shownAt = ++stamp;
                trail.update(list, current);
            }
        } else {
            list.clear();
            current = -1;
            for (QString entry : step.split(QLatin1Char(' '))) {
                if (entry.startsWith(QLatin1Char('*'))) {
                    entry.remove(0, 1);
                    current = int(list.size());
                }
                const qsizetype colon = entry.lastIndexOf(QLatin1Char(':'));
                list.append({entry.left(colon), entry.mid(colon + 1).toLongLong()});
            }
            trail.update(list, current);
        }
    }
    return {};
}

// "F?s1:101 F?s2:102 ...": the entries a page added with pushState.
QString pushed(int from, int to)
{
    QStringList entries;
    for (int i = from; i <= to; ++i)
        entries << QStringLiteral("F?s%1:%2").arg(i).arg(100 + i);
    return entries.join(QLatin1Char(' '));
}

} // namespace

class TestHistoryTrail : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void back_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("the page before a followed link")
            << QStringList{"load", "*G:1", "end", "load", "G:1 *P:2", "end", "back=G", "back="};
        QTest::newRow("pushState flood on a followed page: the page, then the gallery")
            << QStringList{"load",
                           "*G:1",
                           "end",
                           "load",
                           "G:1 *F:2",
                           "end",
                           "G:1 F:2 " + pushed(1, 39) + " *F?s40:140",
                           "back=F",
                           "back=G"};
        QTest::newRow("flood whose first entries the engine dropped")
            << QStringList{"load",
                           "*G:1",
                           "end",
                           "load",
                           "G:1 *F:2",
                           "end",
                           "G:1 F:2 " + pushed(1, 9) + " *F?s10:110",
                           "G:1 " + pushed(5, 39) + " *F?s40:140",
                           "back=G"};
        QTest::newRow("flood on the gallery, its entry dropped: nothing left")
            << QStringList{"load",
                           "*G:1",
                           "G:1 " + pushed(1, 3) + " *F?s4:104",
                           "end",
                           pushed(2, 39) + " *F?s40:140",
                           "back="};
        QTest::newRow("a page that left by itself")
            << QStringList{"load", "*G:1", "end", "G:1 *about:blank:2", "back=G"};
        QTest::newRow("a page Back returned to that leaves again is not returned to")
            << QStringList{"load",         "*G:1",     "end",
                           "load",         "G:1 *P:2", "end",
                           "G:1 P:2 *Q:3", "back=P",   "G:1 P:1001 *Q:5",
                           "back=G"};
        QTest::newRow("the user's Forward is not leaving by itself")
            << QStringList{"load",  "*G:1",         "end",    "load",    "G:1 *P:2",
                           "end",   "G:1 P:2 *Q:3", "back=P", "forward", "G:1 P:1001 *Q:6",
                           "back=P"};
        QTest::newRow("a page the user used is chosen") << QStringList{
            "load", "*G:1", "end", "G:1 *Q:2", "use", "load", "G:1 Q:2 *R:3", "end", "back=Q"};
        QTest::newRow("a page the user did not use is passed over") << QStringList{
            "load", "*G:1", "end", "G:1 *Q:2", "load", "G:1 Q:2 *R:3", "end", "back=G"};
        QTest::newRow("a failed link: back to the page before it, past the error page")
            << QStringList{"load",       "*G:1", "end", "load",
                           "G:1 *bad:2", "fail", "end", "G:1 bad:2 *data:3",
                           "back=G"};
        QTest::newRow("a reload leaves no expectation for the page to use") << QStringList{
            "load", "*G:1", "end", "load", "*G:2", "end", "G:2 *x:3", "G:2 x:3 *y:4", "back=G"};
        QTest::newRow("an entry that replaced the one shown keeps its standing")
            << QStringList{"load",      "*G:1", "end",          "load",
                           "G:1 *P:2",  "end",  "G:1 *P#top:3", "G:1 P#top:3 *Q:4",
                           "back=P#top"};
        QTest::newRow("a page that replaced itself before it was used") << QStringList{
            "load", "*G:1", "end", "G:1 *x:2", "G:1 *y:3", "load", "G:1 y:3 *R:4", "end", "back=G"};
        QTest::newRow("entries the page added while a load of the user's was on its way")
            << QStringList{"load", "*G:1",     "end",
                           "load", "G:1 *P:2", "G:1 P:2 " + pushed(1, 39) + " *F?s40:140",
                           "end",  "back=P",   "back=G"};
    }

    void back()
    {
        QFETCH(QStringList, steps);
        QCOMPARE(play(steps), QString());
    }
};

QTEST_GUILESS_MAIN(TestHistoryTrail)
#include "tst_historytrail.moc"
