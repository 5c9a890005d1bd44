// What the program's error page says about a load that failed.
#include "core/loadfailure.h"

#include <QtTest>

using namespace Pinmark;

Q_DECLARE_METATYPE(LoadFailure)

class TestLoadFailure : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reason_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<LoadFailure>("reason");
        QTest::newRow("untrusted authority") << -202 << LoadFailure::CertificateNotTrusted;
        QTest::newRow("wrong name") << -200 << LoadFailure::CertificateNotTrusted;
        QTest::newRow("last certificate error") << -299 << LoadFailure::CertificateNotTrusted;
        QTest::newRow("insecure response") << -501 << LoadFailure::CertificateNotTrusted;
        QTest::newRow("redirect loop") << -310 << LoadFailure::TooManyRedirects;
        QTest::newRow("refused") << -102 << LoadFailure::Refused;
        QTest::newRow("reset") << -101 << LoadFailure::Unreachable;
        QTest::newRow("address unreachable") << -109 << LoadFailure::Unreachable;
        QTest::newRow("empty response") << -324 << LoadFailure::Unreachable;
        QTest::newRow("unknown name") << -105 << LoadFailure::NotFound;
        QTest::newRow("a DNS error") << -802 << LoadFailure::NotFound;
        QTest::newRow("answered 404") << 404 << LoadFailure::NotFound;
        QTest::newRow("answered 500") << 500 << LoadFailure::Other;
        QTest::newRow("timed out") << -7 << LoadFailure::TooSlow;
        QTest::newRow("connect timed out") << -118 << LoadFailure::TooSlow;
        QTest::newRow("DNS timed out") << -803 << LoadFailure::TooSlow;
        QTest::newRow("SSL protocol error") << -107 << LoadFailure::Other;
        QTest::newRow("failed") << -2 << LoadFailure::Other;
    }

    void reason()
    {
        QFETCH(int, code);
        QFETCH(LoadFailure, reason);
        QCOMPARE(loadFailureOf(code), reason);
    }

    void pageIsFilled_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "https://127.0.0.1:18732/page.htm?a=1&b=2"
                               << "https://127.0.0.1:18732/page.htm?a=1&amp;b=2";
        QTest::newRow("markup in the path")
            << "http://x.test/<script>alert(1)</script>\"'"
            << "http://x.test/%3Cscript%3Ealert(1)%3C/script%3E%22'";
        QTest::newRow("direction mark and blanks")
            << QStringLiteral("http://x.test/\u202Egpj.exe a")
            << "http://x.test/%E2%80%AEgpj.exe%20a";
        QTest::newRow("not an address at all") << "<b>{{reason}}</b>"
                                               << "%3Cb%3E%7B%7Breason%7D%7D%3C/b%3E";
        QTest::newRow("invalid address") << QStringLiteral("http://[bad host/<x> \u00e9")
                                         << "http://[bad%20host/%3Cx%3E%20%C3%A9";
        QTest::newRow("long") << "http://x.test/" + QString(400, QLatin1Char('a'))
                              << "http://x.test/" + QString(286, QLatin1Char('a')) + "…";
    }

    void pageIsFilled()
    {
        QFETCH(QString, address);
        QFETCH(QString, shown);
        const QString page = QStringLiteral(
            "<main data-kind=\"{{kind}}\" data-reason=\"{{reason}}\"><p>{{address}}</p></main>");
        QCOMPARE(
            fillErrorPage(page, ErrorPageKind::Link, LoadFailure::CertificateNotTrusted, address),
            "<main data-kind=\"link\" data-reason=\"certificate\"><p>" + shown + "</p></main>");
    }

    void everyReasonHasItsName()
    {
        const QString page = QStringLiteral("{{kind}} {{reason}}");
        QStringList names;
        for (LoadFailure reason :
             {LoadFailure::CertificateNotTrusted, LoadFailure::TooManyRedirects,
              LoadFailure::Refused, LoadFailure::Unreachable, LoadFailure::NotFound,
              LoadFailure::TooSlow, LoadFailure::Other})
            names << fillErrorPage(page, ErrorPageKind::Gallery, reason, {});
        QCOMPARE(names, (QStringList{"gallery certificate", "gallery redirects", "gallery refused",
                                     "gallery unreachable", "gallery notfound", "gallery tooslow",
                                     "gallery other"}));
    }
};

QTEST_GUILESS_MAIN(TestLoadFailure)
#include "tst_loadfailure.moc"
