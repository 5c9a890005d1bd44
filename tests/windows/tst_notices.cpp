#include "picturebutton.h"
#include "windowfixture.h"

#include <QApplication>
#include <QTest>

class TestNotices : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void okButtonFeedbackAndClose_data();
    void okButtonFeedbackAndClose();
    void secondShowKeepsOneInstance();
    void pressMovedOffLeavesNoticeOpen();
    void reshowStartsWithReleasedPicture();
    void differentNoticesOpenTogether();
    void cleanup();
};

void TestNotices::cleanup()
{
    QApplication::closeAllWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestNotices::okButtonFeedbackAndClose_data()
{
    QTest::addColumn<NoticeId>("id");
    QTest::addColumn<bool>("endsProgram");
    QTest::newRow("about") << NoticeId::about << false;
    QTest::newRow("notcon") << NoticeId::notcon << true;
    QTest::newRow("selimg") << NoticeId::selimg << false;
    QTest::newRow("wronglink") << NoticeId::wronglink << false;
}

void TestNotices::okButtonFeedbackAndClose()
{
    QFETCH(NoticeId, id);
    QFETCH(bool, endsProgram);
    int ended = 0;
    Notices notices([&ended] { ++ended; });
    QPointer<NoticeWindow> notice = notices.show(id);
    QVERIFY(QTest::qWaitForWindowExposed(notice));
    QVERIFY(notice->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(notice->windowType(), Qt::Tool); // no taskbar button
    QVERIFY(!notice->parentWidget());

    const QRect before = notice->Picture1->geometry();
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(notice->Picture1, button);
        QCOMPARE(notice->Picture1->pixmap().cacheKey(), notice->Picture3->pixmap().cacheKey());
        QVERIFY(!notice->Picture3->isVisible() && !notice->Picture2->isVisible());
        QTest::mouseRelease(notice->Picture1, button);
        QCOMPARE(notice->Picture1->pixmap().cacheKey(), notice->Picture2->pixmap().cacheKey());
        QVERIFY(notice->isVisible()); // only the left button clicks
    }
    QCOMPARE(notice->Picture1->geometry(), before);

    QTest::mouseClick(notice->Picture1, Qt::LeftButton);
    QCOMPARE(ended, endsProgram ? 1 : 0);
    QCOMPARE(notice && notice->isVisible(), endsProgram);
}

void TestNotices::secondShowKeepsOneInstance()
{
    Notices notices([] {});
    NoticeWindow *first = notices.show(NoticeId::selimg);
    NoticeWindow *second = notices.show(NoticeId::selimg);
    QCOMPARE(first, second);
    QCOMPARE(countOpen(NoticeId::selimg), 1);
}

void TestNotices::pressMovedOffLeavesNoticeOpen()
{
    Notices notices([] {});
    NoticeWindow *notice = notices.show(NoticeId::about);
    QVERIFY(QTest::qWaitForWindowExposed(notice));
    QTest::mousePress(notice->Picture1, Qt::LeftButton);
    QTest::mouseMove(notice->Picture1, QPoint(-30, -30));
    QTest::mouseRelease(notice->Picture1, Qt::LeftButton, {}, QPoint(-30, -30));
    QCOMPARE(notice->Picture1->pixmap().cacheKey(), notice->Picture2->pixmap().cacheKey());
    QVERIFY(notice->isVisible());
}

void TestNotices::reshowStartsWithReleasedPicture()
{
    Notices notices([] {});
    QPointer<NoticeWindow> notice = notices.show(NoticeId::wronglink);
    QVERIFY(QTest::qWaitForWindowExposed(notice));
    QTest::mouseClick(notice->Picture1, Qt::LeftButton);
    QTRY_VERIFY(!notice); // destroyed on close
    NoticeWindow *again = notices.show(NoticeId::wronglink);
    QVERIFY(QTest::qWaitForWindowExposed(again));
    QCOMPARE(again->Picture1->pixmap().toImage(), again->Picture2->pixmap().toImage());
    QVERIFY(again->Picture1->pixmap().toImage() != again->Picture3->pixmap().toImage());
}

void TestNotices::differentNoticesOpenTogether()
{
    Notices notices([] {});
    NoticeWindow *selimg = notices.show(NoticeId::selimg);
    NoticeWindow *wronglink = notices.show(NoticeId::wronglink);
    QCOMPARE(countOpen(NoticeId::selimg), 1);
    QCOMPARE(countOpen(NoticeId::wronglink), 1);
    QTest::mouseClick(wronglink->Picture1, Qt::LeftButton);
    QCOMPARE(countOpen(NoticeId::wronglink), 0);
    QCOMPARE(countOpen(NoticeId::selimg), 1);
    QTest::mouseClick(selimg->Picture1, Qt::LeftButton);
    QCOMPARE(countOpen(NoticeId::selimg), 0);
}

QTEST_MAIN(TestNotices)
#include "tst_notices.moc"
