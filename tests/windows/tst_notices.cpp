#include "app/focusreturn.h"
#include "platform/qtdesktopservices.h"
#include "widgets/picturebutton.h"
#include "windowfixture.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

using namespace Pinmark;

using namespace Qt::StringLiterals;

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
    void escapeAnswersAsOk_data() { okButtonFeedbackAndClose_data(); }
    void escapeAnswersAsOk();
    void doubleClickOnOkActsOnce_data() { okButtonFeedbackAndClose_data(); }
    void doubleClickOnOkActsOnce();
    void screenReaderReadsMessageAndOk_data();
    void screenReaderReadsMessageAndOk();
    void keyboardComesBackWhereItWas_data();
    void keyboardComesBackWhereItWas();
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
    // A window of its own: a tool window would be kept above the main window.
    QCOMPARE(notice->windowType(), Qt::Window);
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

void TestNotices::escapeAnswersAsOk()
{
    QFETCH(NoticeId, id);
    QFETCH(bool, endsProgram);
    int ended = 0;
    Notices notices([&ended] { ++ended; });
    QPointer<NoticeWindow> notice = notices.show(id);
    QVERIFY(QTest::qWaitForWindowExposed(notice));
    // The key reaches the focused OK button first; it passes Escape on to its notice.
    QTest::keyClick(notice->Picture1, Qt::Key_Escape, Qt::ShiftModifier);
    QTest::keyClick(notice->Picture1, Qt::Key_A);
    QVERIFY(notice && notice->isVisible());
    QCOMPARE(ended, 0);

    QTest::keyClick(notice->Picture1, Qt::Key_Escape);
    QCOMPARE(ended, endsProgram ? 1 : 0);
    QCOMPARE(notice && notice->isVisible(), endsProgram);
    if (notice)
        QCOMPARE(notice->Picture1->pixmap().cacheKey(), notice->Picture2->pixmap().cacheKey());
}

void TestNotices::keyboardComesBackWhereItWas_data()
{
    QTest::addColumn<bool>("messageBox");
    QTest::newRow("notice") << false;
    QTest::newRow("message box") << true;
}

// A box answered from the keyboard gives the keyboard back to the control it came from, where
// no window manager does (the offscreen platform activates nothing either).
void TestNotices::keyboardComesBackWhereItWas()
{
    QFETCH(bool, messageBox);
    FocusReturn focusReturn;
    WindowFixture f;
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    f.ui().swrd2->setFocus(Qt::TabFocusReason);
    QtDesktopServices services;
    if (messageBox)
        services.showMessageBox(QStringLiteral("127.0.0.1"), QStringLiteral("velmora"));
    else
        QTest::keyClick(f.ui().swrd2, Qt::Key_Space); // nothing is selected: selimg
    QTRY_VERIFY(QApplication::activeWindow() && QApplication::activeWindow() != f.window.get());

    QTest::keyClick(QApplication::activeWindow(), Qt::Key_Escape);
    QTRY_COMPARE(QApplication::activeWindow(), f.window.get());
    QCOMPARE(QApplication::focusWidget(), f.ui().swrd2);
}

void TestNotices::doubleClickOnOkActsOnce()
{
    QFETCH(NoticeId, id);
    QFETCH(bool, endsProgram);
    int ended = 0;
    Notices notices([&ended] { ++ended; });
    QPointer<NoticeWindow> notice = notices.show(id);
    QVERIFY(QTest::qWaitForWindowExposed(notice));
    QPointer<PictureButton> ok = notice->Picture1;
    int clicks = 0;
    connect(ok, &PictureButton::clicked, [&clicks] { ++clicks; });
    doubleClickPress(ok);
    if (ok)
        QTest::mouseRelease(ok, Qt::LeftButton);
    QCOMPARE(clicks, 1);
    QCOMPARE(ended, endsProgram ? 1 : 0);
}

void TestNotices::screenReaderReadsMessageAndOk_data()
{
    QTest::addColumn<NoticeId>("id");
    QTest::addColumn<QStringList>("words"); // the lines drawn in the notice's picture
    QTest::addColumn<QString>("meaning");   // a part of their English meaning
    QTest::newRow("notcon") << NoticeId::notcon
                            << QStringList{u"لا يمكنك تشغيل البرنامج دون الاتصال بالانترنت"_s,
                                           u"إضغط موافق لإنهاء البرنامج الآن"_s}
                            << u"without an Internet connection"_s;
    QTest::newRow("selimg") << NoticeId::selimg
                            << QStringList{u"يجب عليك اختيار الصورة أولا"_s,
                                           u"لاختيار الصورة اضغط بزر الماوس الايسر عليها"_s}
                            << u"select the image first"_s;
    QTest::newRow("wronglink")
        << NoticeId::wronglink
        << QStringList{u"يبدو للبرنامج أن رابط الصورة الذي لصقته غير صحيحا"_s,
                       u"تأكد من انك قمت بنسخ رابط مباشر وصحيح للصورة"_s}
        << u"link you pasted is not correct"_s;
    QTest::newRow("about") << NoticeId::about
                           << QStringList{u"مثبت الصور - الإصدار 1.2"_s,
                                          u"Pinmark 1.2"_s,
                                          u"تل الورد - فلسطين"_s,
                                          u"برمجة وتصميم : نادر سليم الورداني"_s,
                                          u"ذكرى لن ينساها التاريخ"_s,
                                          u"البريد الإلكتروني : Email: support@velmora.net"_s,
                                          u"www.velmora.net"_s,
                                          u"جوال: 0599 555 017"_s,
                                          u"من الخارج : +970 599 555 017"_s}
                           << u"version 1.2"_s;
}

void TestNotices::screenReaderReadsMessageAndOk()
{
    QFETCH(NoticeId, id);
    QFETCH(QStringList, words);
    QFETCH(QString, meaning);
    Notices notices([] {});
    NoticeWindow *notice = notices.show(id);
    QVERIFY(QTest::qWaitForWindowExposed(notice));

    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(notice);
    QVERIFY(window);
    QCOMPARE(window->text(QAccessible::Name), words.join(u'\n'));
    QVERIFY2(window->text(QAccessible::Description).contains(meaning),
             qPrintable(window->text(QAccessible::Description)));

    QAccessibleInterface *ok = QAccessible::queryAccessibleInterface(notice->Picture1);
    QCOMPARE(ok->role(), QAccessible::Button);
    QCOMPARE(ok->text(QAccessible::Name), u"موافق — OK"_s);
    QVERIFY(!ok->state().invisible);
    // The holders are part of the window but never shown.
    for (QWidget *holder :
         {static_cast<QWidget *>(notice->Picture2), static_cast<QWidget *>(notice->Picture3)})
        QVERIFY(QAccessible::queryAccessibleInterface(holder)->state().invisible);
}

QTEST_MAIN(TestNotices)
#include "tst_notices.moc"
