// Where the browser's page stands: each story of engine reports ends in the right state, and
// the questions the host asks get the right answers along the way.
#include "core/pagestate.h"

#include <QtTest>

using namespace Pinmark;

Q_DECLARE_METATYPE(Pinmark::PageState)

namespace {

// Plays the steps on a fresh machine and writes what the answering steps answered:
//   nav             the engine starts a top-level load;
//   web / ours      it names the load: a web page / our page for a failure;
//   report:N        document N reports itself complete: "bind" or "-";
//   ours-report:N   our page's document N reports itself complete: "bind" or "-";
//   fail / ask      a load failed / our page for it is put in place;
//   take            the engine asks to show our page: "yes" or "no";
//   restart / close a renderer restart / the browser's end.
QString play(PageStateMachine &page, const QString &story)
{
    QStringList answers;
    for (const QString &step : story.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString name = step.section(QLatin1Char(':'), 0, 0);
        const quint64 generation = step.section(QLatin1Char(':'), 1).toULongLong();
        if (name == QLatin1String("nav"))
            page.navigationStarted();
        else if (name == QLatin1String("web") || name == QLatin1String("ours"))
            page.loadStarted(name == QLatin1String("ours"));
        else if (name == QLatin1String("report") || name == QLatin1String("ours-report"))
            answers << (page.pageReported(generation, name != QLatin1String("report"))
                            ? QStringLiteral("bind")
                            : QStringLiteral("-"));
        else if (name == QLatin1String("fail"))
            page.loadFailed();
        else if (name == QLatin1String("ask"))
            page.errorPageAsked();
        else if (name == QLatin1String("take"))
            answers << (page.takeErrorPageNavigation() ? QStringLiteral("yes")
                                                       : QStringLiteral("no"));
        else if (name == QLatin1String("restart"))
            page.restarted();
        else if (name == QLatin1String("close"))
            page.closing();
        else
            qFatal("unknown step %s", qPrintable(step));
    }
    return answers.join(QLatin1Char(' '));
}

} // namespace

class TestPageState : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void stories_data();
    void stories();
};

void TestPageState::stories_data()
{
    QTest::addColumn<QString>("story");
    QTest::addColumn<QString>("answers");
    QTest::addColumn<PageState>("state");
    QTest::addColumn<bool>("failure");
    QTest::addColumn<bool>("awaits");
    QTest::addColumn<quint64>("completed");

    using S = PageState;
    QTest::newRow("start") << ""
                           << "" << S::Idle << false << false << quint64(0);
    QTest::newRow("loading") << "nav web"
                             << "" << S::Loading << false << true << quint64(0);
    QTest::newRow("loaded") << "nav web report:1"
                            << "bind" << S::Loaded << false << false << quint64(1);
    // A navigation that was refused leaves the old page, which is reported again.
    QTest::newRow("reported again") << "nav web report:1 nav report:1"
                                    << "bind bind" << S::Loaded << false << false << quint64(1);
    QTest::newRow("next page") << "nav web report:1 nav web report:2"
                               << "bind bind" << S::Loaded << false << false << quint64(2);
    // A failure holds from the failed load to the next web page's start.
    QTest::newRow("failed") << "nav web fail"
                            << "" << S::Failed << true << true << quint64(0);
    QTest::newRow("failed page reports") << "nav web fail report:2"
                                         << "-" << S::Failed << true << true << quint64(0);
    QTest::newRow("our page") << "nav web report:1 nav web fail ask take nav ours ours-report:3"
                              << "bind yes -" << S::ErrorPage << true << false << quint64(1);
    QTest::newRow("retry from our page")
        << "nav web fail ask take nav ours ours-report:2 nav web report:3"
        << "yes - bind" << S::Loaded << false << false << quint64(3);
    QTest::newRow("still ours while the engine names nothing")
        << "nav web fail ask take ours ours-report:2 nav"
        << "yes -" << S::ErrorPageLoading << true << true << quint64(0);
    // Our page is let in once, only when asked for, and never after a web page began instead.
    QTest::newRow("not asked") << "nav web fail take"
                               << "no" << S::Failed << true << true << quint64(0);
    QTest::newRow("once") << "nav web fail ask take take"
                          << "yes no" << S::ErrorPageLoading << true << true << quint64(0);
    QTest::newRow("leave dropped by a web load")
        << "nav web fail ask nav web take"
        << "no" << S::Loading << false << true << quint64(0);
    QTest::newRow("a page's report is not ours")
        << "nav ours report:4"
        << "-" << S::ErrorPage << true << false << quint64(0);
    QTest::newRow("our address outside a failure")
        << "nav web report:1 ours-report:2"
        << "bind -" << S::Loaded << false << false << quint64(1);
    QTest::newRow("renderer restart") << "nav web fail ask restart"
                                      << "" << S::Loading << false << true << quint64(0);
    QTest::newRow("closing ends all") << "nav web close nav web fail ask take report:1 restart"
                                      << "no -" << S::Closing << false << false << quint64(0);
}

void TestPageState::stories()
{
    QFETCH(QString, story);
    QFETCH(QString, answers);
    QFETCH(PageState, state);
    QFETCH(bool, failure);
    QFETCH(bool, awaits);
    QFETCH(quint64, completed);
    PageStateMachine page;
    QCOMPARE(play(page, story), answers);
    QCOMPARE(page.state(), state);
    QCOMPARE(page.showsFailure(), failure);
    QCOMPARE(page.awaitsCompletion(), awaits);
    QCOMPARE(page.completedGeneration(), completed);
}

QTEST_GUILESS_MAIN(TestPageState)
#include "tst_pagestate.moc"
