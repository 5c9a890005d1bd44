// The rules that bring the gallery back after a failure.
#include "core/recoverypolicy.h"

#include <QtTest>

using namespace Pinmark;

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

class TestRecoveryPolicy : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void retryPausesGrowToHalfAMinute()
    {
        RetrySchedule schedule;
        QList<qint64> seconds;
        for (int i = 0; i < 8; ++i)
            seconds
                << std::chrono::duration_cast<std::chrono::seconds>(schedule.nextDelay()).count();
        QCOMPARE(seconds, (QList<qint64>{2, 4, 8, 15, 30, 30, 30, 30}));
        schedule.reset();
        QCOMPARE(schedule.nextDelay(), Ms(2s));
    }

    void restartBudget_data()
    {
        QTest::addColumn<QList<qint64>>("restartsAt"); // seconds
        QTest::addColumn<QList<bool>>("allowed");
        QTest::newRow("three in a minute, the fourth refused")
            << QList<qint64>{0, 1, 2, 3} << QList<bool>{true, true, true, false};
        QTest::newRow("the oldest leaves the window")
            << QList<qint64>{0, 10, 20, 59, 60} << QList<bool>{true, true, true, false, true};
        QTest::newRow("refusals are not counted")
            << QList<qint64>{0, 0, 0, 0, 0, 60}
            << QList<bool>{true, true, true, false, false, true};
        QTest::newRow("spread out, never refused")
            << QList<qint64>{0, 30, 60, 90, 120, 150} << QList<bool>(6, true);
    }

    void restartBudget()
    {
        QFETCH(QList<qint64>, restartsAt);
        QFETCH(QList<bool>, allowed);
        RestartBudget budget(3, 60s);
        QList<bool> seen;
        for (qint64 at : restartsAt)
            seen << budget.take(std::chrono::seconds(at));
        QCOMPARE(seen, allowed);
    }

    void budgetRestsOnceTheWindowIsClear()
    {
        RestartBudget budget(3, 60s);
        QVERIFY(budget.isRested(0ms));
        QVERIFY(budget.take(5s));
        QVERIFY(!budget.isRested(64s));
        QVERIFY(budget.isRested(65s));
    }
};

QTEST_GUILESS_MAIN(TestRecoveryPolicy)
#include "tst_recoverypolicy.moc"
