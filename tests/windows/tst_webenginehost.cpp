// WebBrowser1 on the real web engine, offscreen: the gallery fixture is served on loopback, the
// user's clicks go through the view's focus proxy (they reach the page as trusted events).
#include "browser/webengine/documentbridge.h"
#include "browser/webengine/webenginebrowserhost.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtTest>

#include <memory>
#include <optional>

#include <csignal>
#include <unistd.h>

using namespace Pinmark;

namespace {

// Serves a few fixed files over HTTP/1.0 and remembers every request ("GET /path").
class FixtureServer : public QObject
{
public:
    QHash<QByteArray, QPair<QByteArray, QByteArray>> files; // path -> (type, body)
    QHash<QByteArray, QByteArray> redirects;                // path -> where it sends the engine
    QHash<QByteArray, QByteArray> headers;                  // path -> header lines of its own
    QSet<QByteArray> stalled; // paths whose body stops half way, the connection left open
    QSet<QByteArray> dropped; // paths whose connection is closed without an answer
    QList<QByteArray> requests;
    QList<QByteArray> heads; // "GET /gallery.htm", "HEAD /gallery.htm": with the method

    bool start()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serve(socket);
        });
        return m_server.listen(QHostAddress::LocalHost);
    }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_server.serverPort()).arg(path);
    }

private:
    void serve(QTcpSocket *socket)
    {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            m_pending[socket] += socket->readAll();
            const QByteArray head = m_pending.value(socket);
            if (!head.contains("\r\n\r\n"))
                return;
            m_pending.remove(socket);
            const QList<QByteArray> words = head.split(' ');
            const QByteArray path = words.value(1);
            requests << path;
            heads << words.value(0) + ' ' + path;
            const auto file = files.constFind(path);
            QByteArray reply;
            if (dropped.contains(path)) {
                socket->disconnectFromHost();
                return;
            }
            if (redirects.contains(path)) {
                reply = "HTTP/1.0 302 Found\r\nLocation: " + redirects.value(path) +
                        "\r\nContent-Length: 0\r\n\r\n";
            } else if (file == files.cend()) {
                reply = "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n";
            } else {
                const QByteArray body = stalled.contains(path)
                                            ? file->second.left(file->second.size() / 2)
                                            : file->second;
                reply = "HTTP/1.0 200 OK\r\nContent-Type: " + file->first +
                        "\r\nContent-Length: " + QByteArray::number(file->second.size()) +
                        "\r\nCache-Control: no-store\r\n" + headers.value(path) + "\r\n" + body;
            }
            socket->write(reply);
            if (!stalled.contains(path))
                socket->disconnectFromHost();
        });
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_pending;
};

// An https server whose certificate nobody vouches for: made here, signed by itself.
class UntrustedServer
{
public:
    QString start()
    {
        if (!m_dir.isValid())
            return QStringLiteral("no temporary folder");
        const QString key = m_dir.filePath(QStringLiteral("key.pem"));
        const QString cert = m_dir.filePath(QStringLiteral("cert.pem"));
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                       "/CN=127.0.0.1", "-keyout", key, "-out", cert});
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
            return QStringLiteral(
                       "openssl could not make a certificate (Debian package openssl): ") +
                   QString::fromLocal8Bit(openssl.readAllStandardError());
        QFile keyFile(key), certFile(cert);
        if (!keyFile.open(QIODevice::ReadOnly) || !certFile.open(QIODevice::ReadOnly))
            return QStringLiteral("the certificate files cannot be read");
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Rsa));
        config.setLocalCertificate(QSslCertificate(certFile.readAll()));
        m_server.setSslConfiguration(config);
        if (!m_server.listen(QHostAddress::LocalHost))
            return m_server.errorString();
        return {};
    }
    QString url(const QString &path) const
    {
        return QStringLiteral("https://127.0.0.1:%1/%2").arg(m_server.serverPort()).arg(path);
    }

private:
    QTemporaryDir m_dir;
    QSslServer m_server;
};

// Counts the helper processes this process started.
int webEngineChildProcesses()
{
    int count = 0;
    const QString self = QString::number(getpid());
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &pid : entries) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may itself hold spaces and parentheses.
        const QString line = QString::fromLatin1(stat.readAll());
        const qsizetype open = line.indexOf(QLatin1Char('('));
        const qsizetype close = line.lastIndexOf(QLatin1Char(')'));
        if (open < 0 || close < open)
            continue;
        const QString name = line.mid(open + 1, close - open - 1);
        const QString ppid = line.mid(close + 2).section(QLatin1Char(' '), 1, 1);
        if (ppid == self && name.startsWith(QLatin1String("QtWebEngine")))
            ++count;
    }
    return count;
}

// What the main window does with a document it binds, recording what its handlers see.
struct Binding
{
    QPointer<HtmlDocument> doc;
    QList<QMetaObject::Connection> connections;
    QList<HtmlEventObj> clicks;
    QList<HtmlEventObj> mouseDowns;
    QStringList readyStates;

    void bind(HtmlDocument *next)
    {
        for (const auto &connection : std::as_const(connections))
            QObject::disconnect(connection);
        connections.clear();
        if (doc)
            doc->setBound(false);
        doc = next;
        connections << QObject::connect(next, &HtmlDocument::onclick, next,
                                        [this](const HtmlEventObj &event) { clicks << event; });
        connections << QObject::connect(next, &HtmlDocument::onmousedown, next,
                                        [this](const HtmlEventObj &event) { mouseDowns << event; });
        connections << QObject::connect(next, &HtmlDocument::onreadystatechange, next,
                                        [this, next] { readyStates << next->readyState(); });
        next->setBound(true);
    }
    void clear()
    {
        clicks.clear();
        mouseDowns.clear();
    }
};

// The tag names of the elements events reached, in order: "IMG A P".
QString tagsOf(const QList<HtmlEventObj> &events)
{
    QStringList tags;
    for (const HtmlEventObj &event : events)
        tags << event.srcElement.tagName;
    return tags.join(QLatin1Char(' '));
}

QByteArray pictureBytes()
{
    QImage image(120, 90, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class TestWebEngineHost : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void engineStartsAtFirstNavigation();
    void userClicksReachTheBoundDocumentOnce();
    void scriptMadeEventsAreDropped_data();
    void scriptMadeEventsAreDropped();
    void mouseDownCarriesButtonsWord_data();
    void mouseDownCarriesButtonsWord();
    void frameLoadCompletesAgainAndRebindingKeepsOneDelivery();
    void newWindowsAreNotOpened();
    void refusedNavigationLeavesThePageBound();
    void otherTopLevelPagesComplete_data();
    void otherTopLevelPagesComplete();
    void pageDialogsNeverBlock();
    void pagePermissionsAreRefused();
    void noButtonFollowsALinkWhileBound();
    void tabAndArrowsVisitPicturesAmongLinks();
    void keysOnAFocusedPictureSelectIt_data();
    void keysOnAFocusedPictureSelectIt();
    void keysMadeByThePageSelectNothing();
    void manyPicturesAndPicturesThatComeAndGo();
    void rewrittenDocumentStaysBound();
    void failedLoadShowsOurPageUntilTheUserRetries();
    void deadRendererBringsTheGalleryBack();
    void backFromADeadEndShowsTheGallery();
    void failedLinkSaysWhatFailed_data();
    void failedLinkSaysWhatFailed();
    void failedLinkWaitsForTheUser();
    void downloadsGoToTheWebBrowser();
    // Last of the page's own navigations: the engine then holds back a page's navigations for
    // a while.
    void backLeavesPagesThatPileUpEntries_data();
    void backLeavesPagesThatPileUpEntries();
    void documentsThatDoNotArriveAreGivenUp();
    void bridgeRefusesMalformedReports_data();
    void bridgeRefusesMalformedReports();
    void cleanupTestCase();

private:
    QVariant evaluate(const QString &script, quint32 world = QWebEngineScript::MainWorld);
    QPoint centreOf(const QString &id);
    void click(const QString &id);
    void waitForScript();
    void sentinelClick();
    void showGallery();
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void waitForErrorPage();
    QString errorPageText();
    QString focusedId();
    QString moveFocus(Qt::Key key, Qt::KeyboardModifiers modifiers = {});
    bool tabTo(const QString &id);

    FixtureServer m_server;
    UntrustedServer m_untrusted;
    QWidget *m_area = nullptr;
    WebEngineBrowserHost *m_host = nullptr;
    Binding m_binding;
    QString m_gallery;
};

QVariant TestWebEngineHost::evaluate(const QString &script, quint32 world)
{
    // Shared, since an answer may still come after a timeout here.
    const auto answer = std::make_shared<std::optional<QVariant>>();
    m_host->view()->page()->runJavaScript(script, world,
                                          [answer](const QVariant &value) { *answer = value; });
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, 10000))
        qWarning("script did not answer: %s", qPrintable(script));
    return answer->value_or(QVariant());
}

QPoint TestWebEngineHost::centreOf(const QString &id)
{
    const QVariantList xy =
        evaluate(QStringLiteral("(function () { var r = document.getElementById('%1')"
                                ".getBoundingClientRect(); return [r.left + r.width / 2,"
                                " r.top + r.height / 2]; })()")
                     .arg(id))
            .toList();
    if (xy.size() != 2)
        return {};
    return QPoint(qRound(xy.at(0).toDouble()), qRound(xy.at(1).toDouble()));
}

void TestWebEngineHost::click(const QString &id)
{
    QTest::mouseClick(m_host->view()->focusProxy(), Qt::LeftButton, {}, centreOf(id));
}

// A round trip through the document script's world; channel messages sent before it have been
// handled by the page once it answers.
void TestWebEngineHost::waitForScript()
{
    evaluate(QStringLiteral("0"), QWebEngineScript::ApplicationWorld);
}

// The page's reports arrive in order, so once a click on the paragraph is delivered, anything
// the page was going to report before it has been delivered too.
void TestWebEngineHost::sentinelClick()
{
    const auto paragraphClicks = [this] {
        return std::count_if(m_binding.clicks.cbegin(), m_binding.clicks.cend(), [](const auto &e) {
            return e.srcElement.id == QLatin1String("para");
        });
    };
    const auto before = paragraphClicks();
    click(QStringLiteral("para"));
    QTRY_COMPARE(paragraphClicks(), before + 1);
}

void TestWebEngineHost::initTestCase()
{
    const QString fixture = QFINDTESTDATA("../fixtures/webengine-gallery.htm");
    QFile page(fixture);
    QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(fixture));
    m_server.files.insert("/gallery.htm", {"text/html; charset=utf-8", page.readAll()});
    m_server.files.insert("/sunny%20day.png", {"image/png", pictureBytes()});
    m_server.files.insert("/frame.htm", {"text/html", "<p>A frame</p>"});
    m_server.files.insert("/elsewhere.htm", {"text/html", "<p>Elsewhere</p>"});
    m_server.files.insert("/popup.htm", {"text/html", "<p>A popup</p>"});
    // Pages that pile up history entries by themselves: on arrival, and again whenever Back
    // returns to them.
    m_server.files.insert("/flood.htm", {"text/html", "<p>Flood</p><script>"
                                                      "function flood() { for (var i = 0; i < 5000;"
                                                      " i++) history.pushState({}, '', '?s' + i); }"
                                                      "addEventListener('load', flood);"
                                                      "addEventListener('popstate', flood);"
                                                      "</script>"});
    m_server.files.insert("/leaver.htm",
                          {"text/html", "<p>Leaves</p><script>addEventListener('pageshow', "
                                        "function () { setTimeout(function () {"
                                        " location.href = 'elsewhere.htm'; }, 50); });</script>"});
    m_server.files.insert("/archive.zip",
                          {"application/zip", QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')});
    m_server.files.insert("/archive.zip?again", m_server.files.value("/archive.zip"));
    m_server.files.insert("/attachment.txt", {"text/plain", "Saved, not shown"});
    m_server.headers.insert("/attachment.txt",
                            "Content-Disposition: attachment; filename=\"a.txt\"\r\n");
    // Half a page, and the rest never; a whole page whose picture never ends.
    m_server.files.insert("/trickle.htm", {"text/html", "<p>Slow</p>" + QByteArray(4096, ' ')});
    m_server.stalled.insert("/trickle.htm");
    m_server.files.insert("/slowpicture.htm",
                          {"text/html", "<p id=\"para\">Here</p><img src=\"slow.png\">"});
    m_server.files.insert("/slow.png", {"image/png", pictureBytes()});
    m_server.stalled.insert("/slow.png");
    m_server.redirects.insert("/loop.htm", "/loop.htm");
    QVERIFY(m_server.start());
    m_gallery = m_server.url(QStringLiteral("gallery.htm"));
    const QString untrusted = m_untrusted.start();
    QVERIFY2(untrusted.isEmpty(), qPrintable(untrusted));
    m_server.redirects.insert("/tohttps.htm", m_untrusted.url(QStringLiteral("page.htm")).toUtf8());

    m_area = new QWidget;
    m_area->resize(640, 480);
    m_area->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_area));
    m_host = new WebEngineBrowserHost;
    m_host->attachTo(m_area);
}

void TestWebEngineHost::engineStartsAtFirstNavigation()
{
    // Attached but not navigated: no view, no profile, no helper process.
    QVERIFY(!m_host->view());
    QVERIFY(m_area->findChildren<QWebEngineView *>().isEmpty());
    QVERIFY(m_host->findChildren<QWebEngineProfile *>().isEmpty());
    QCOMPARE(webEngineChildProcesses(), 0);

    QSignalSpy completes(m_host, &BrowserHost::DocumentComplete);
    QSignalSpy starts(m_host, &BrowserHost::NavigationStarted);
    m_host->Navigate2(m_gallery);

    QVERIFY(m_host->view());
    QCOMPARE(m_host->view()->parentWidget(), m_area);
    QCOMPARE(m_host->view()->contextMenuPolicy(), Qt::NoContextMenu);
    QVERIFY(m_host->view()->page()->profile()->isOffTheRecord());
    QTRY_VERIFY_WITH_TIMEOUT(!completes.isEmpty(), 30000);
    QCOMPARE(completes.size(), 1);
    QCOMPARE(completes.first().at(0).value<QObject *>(), nullptr);
    QCOMPARE(completes.first().at(1).value<QVariant>().toString(), m_gallery);
    QCOMPARE(starts.size(), 1);
    QVERIFY(webEngineChildProcesses() > 0); // the count above would have seen them

    HtmlDocument *doc = m_host->Document();
    QVERIFY(doc);
    QCOMPARE(doc->url(), m_gallery);
    QCOMPARE(doc->readyState(), QStringLiteral("complete"));
    QVERIFY(doc->generation() >= 1);
    m_binding.bind(doc);
    waitForScript();
}

void TestWebEngineHost::userClicksReachTheBoundDocumentOnce()
{
    QVERIFY(m_binding.doc);
    m_binding.clear();
    QSignalSpy starts(m_host, &BrowserHost::NavigationStarted);

    click(QStringLiteral("5"));
    click(QStringLiteral("7"));
    sentinelClick();

    QCOMPARE(tagsOf(m_binding.clicks), QStringLiteral("IMG A P"));
    const HtmlElement picture = m_binding.clicks.at(0).srcElement;
    QCOMPARE(picture.id, QStringLiteral("5"));
    QCOMPARE(picture.title, QStringLiteral("An ordinary picture"));
    QCOMPARE(picture.src, m_server.url(QStringLiteral("sunny%20day.png")));
    const HtmlElement link = m_binding.clicks.at(1).srcElement;
    QCOMPARE(link.id, QStringLiteral("7"));
    QCOMPARE(link.href, m_server.url(QStringLiteral("elsewhere.htm")));
    QCOMPARE(tagsOf(m_binding.mouseDowns), QStringLiteral("IMG A P"));

    // The link's own action was cancelled; the page's listeners still heard all three clicks.
    QCOMPARE(starts.size(), 0);
    QVERIFY(!m_server.requests.contains("/elsewhere.htm"));
    QCOMPARE(m_host->view()->url().toString(), m_gallery);
    QCOMPARE(evaluate(QStringLiteral("window.pageClicks")).toInt(), 3);
}

void TestWebEngineHost::scriptMadeEventsAreDropped_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("img.click()") << QStringLiteral("document.getElementById('5').click()");
    QTest::newRow("a.click()") << QStringLiteral("document.getElementById('7').click()");
    QTest::newRow("dispatched click on a link")
        << QStringLiteral("document.getElementById('7').dispatchEvent("
                          "new MouseEvent('click', {bubbles: true, cancelable: true}))");
    QTest::newRow("dispatched right-button press")
        << QStringLiteral("document.getElementById('5').dispatchEvent("
                          "new MouseEvent('mousedown', {bubbles: true, button: 2, buttons: 2}))");
}

void TestWebEngineHost::scriptMadeEventsAreDropped()
{
    QFETCH(QString, script);
    QVERIFY(m_binding.doc);
    m_binding.clear();
    QSignalSpy starts(m_host, &BrowserHost::NavigationStarted);
    const int pageClicks = evaluate(QStringLiteral("window.pageClicks")).toInt();

    evaluate(script);
    sentinelClick();

    QCOMPARE(tagsOf(m_binding.clicks), QStringLiteral("P"));
    QCOMPARE(tagsOf(m_binding.mouseDowns), QStringLiteral("P"));
    QCOMPARE(starts.size(), 0);
    QVERIFY(!m_server.requests.contains("/elsewhere.htm"));
    QCOMPARE(m_host->view()->url().toString(), m_gallery);
    // Not even the page's own listeners hear the made-up event.
    QCOMPARE(evaluate(QStringLiteral("window.pageClicks")).toInt(), pageClicks + 1);
}

void TestWebEngineHost::mouseDownCarriesButtonsWord_data()
{
    QTest::addColumn<QList<Qt::MouseButton>>("pressed");
    QTest::addColumn<QList<quint32>>("words");
    QTest::newRow("left") << QList<Qt::MouseButton>{Qt::LeftButton} << QList<quint32>{1};
    QTest::newRow("right") << QList<Qt::MouseButton>{Qt::RightButton} << QList<quint32>{2};
    QTest::newRow("middle") << QList<Qt::MouseButton>{Qt::MiddleButton} << QList<quint32>{4};
    QTest::newRow("left, then right too")
        << QList<Qt::MouseButton>{Qt::LeftButton, Qt::RightButton} << QList<quint32>{1, 3};
}

void TestWebEngineHost::mouseDownCarriesButtonsWord()
{
    QFETCH(QList<Qt::MouseButton>, pressed);
    QFETCH(QList<quint32>, words);
    QVERIFY(m_binding.doc);
    m_binding.clear();

    QWidget *input = m_host->view()->focusProxy();
    const QPoint picture = centreOf(QStringLiteral("5"));
    for (Qt::MouseButton button : pressed)
        QTest::mousePress(input, button, {}, picture);
    for (auto button = pressed.crbegin(); button != pressed.crend(); ++button)
        QTest::mouseRelease(input, *button, {}, picture);
    // Also shows that no context menu took the next click.
    sentinelClick();

    QList<quint32> seen;
    for (const HtmlEventObj &event : std::as_const(m_binding.mouseDowns))
        seen << event.button;
    QCOMPARE(seen, words + QList<quint32>{1});
    QCOMPARE(m_binding.mouseDowns.first().srcElement.tagName, QStringLiteral("IMG"));
}

void TestWebEngineHost::frameLoadCompletesAgainAndRebindingKeepsOneDelivery()
{
    QVERIFY(m_binding.doc);
    const quint64 generation = m_host->Document()->generation();
    QSignalSpy completes(m_host, &BrowserHost::DocumentComplete);

    evaluate(QStringLiteral("var f = document.createElement('iframe'); f.src = 'frame.htm';"
                            " document.body.appendChild(f); 0"));
    QTRY_COMPARE_WITH_TIMEOUT(completes.size(), 1, 10000);
    QCOMPARE(completes.first().at(1).value<QVariant>().toString(),
             m_server.url(QStringLiteral("frame.htm")));
    // Still the same top-level document, bound again as the main window does.
    QCOMPARE(m_host->Document()->generation(), generation);
    m_binding.bind(m_host->Document());
    waitForScript();

    m_binding.clear();
    click(QStringLiteral("5"));
    sentinelClick();
    QCOMPARE(tagsOf(m_binding.clicks), QStringLiteral("IMG P"));
    QCOMPARE(tagsOf(m_binding.mouseDowns), QStringLiteral("IMG P"));
    QCOMPARE(m_host->view()->url().toString(), m_gallery);
}

void TestWebEngineHost::newWindowsAreNotOpened()
{
    QVERIFY(m_binding.doc);
    // Asked by a page script, and from a click of the user's. The engine hands the page a
    // window object at once; it must end up closed without having loaded anything.
    evaluate(QStringLiteral("window.asked = window.open('popup.htm'); 0"));
    click(QStringLiteral("opener"));
    sentinelClick();
    const QString gone = QStringLiteral("%1 === null || %1.closed");
    QTRY_VERIFY(evaluate(gone.arg(QLatin1String("window.asked"))).toBool());
    QTRY_VERIFY(evaluate(gone.arg(QLatin1String("window.opened"))).toBool());

    QVERIFY(!m_server.requests.contains("/popup.htm"));
    int views = 0;
    for (QWidget *widget : QApplication::allWidgets())
        views += qobject_cast<QWebEngineView *>(widget) ? 1 : 0;
    QCOMPARE(views, 1);
    QCOMPARE(m_host->view()->url().toString(), m_gallery);
}

void TestWebEngineHost::refusedNavigationLeavesThePageBound()
{
    QVERIFY(m_binding.doc);
    const quint64 generation = m_host->Document()->generation();
    QSignalSpy starts(m_host, &BrowserHost::NavigationStarted);
    QSignalSpy completes(m_host, &BrowserHost::DocumentComplete);
    QSignalSpy finished(m_host->view()->page(), &QWebEnginePage::loadFinished);

    // The program itself never follows a file address into the embedded browser.
    m_host->Navigate(QStringLiteral("file:///etc/hostname"));
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 10000);
    QCOMPARE(finished.first().at(0).toBool(), false);
    // The engine reported a start; the page that stayed reports complete again, so the page
    // status does not stay on "loading".
    QTRY_COMPARE(completes.size(), starts.size());
    for (const QList<QVariant> &complete : std::as_const(completes))
        QCOMPARE(complete.at(1).value<QVariant>().toString(), m_gallery);
    QCOMPARE(m_host->view()->url().toString(), m_gallery);
    QCOMPARE(m_host->Document()->generation(), generation);
    QCOMPARE(m_host->Document()->readyState(), QStringLiteral("complete"));

    m_binding.bind(m_host->Document());
    waitForScript();
    m_binding.clear();
    sentinelClick();
    QCOMPARE(tagsOf(m_binding.clicks), QStringLiteral("P"));
}

void TestWebEngineHost::otherTopLevelPagesComplete_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("picture opened directly") << QStringLiteral("sunny%20day.png");
    QTest::newRow("missing page") << QStringLiteral("missing.htm");
}

// Not the gallery: each still becomes a new document that completes, so the program binds it
// and the page status leaves "loading".
void TestWebEngineHost::otherTopLevelPagesComplete()
{
    QFETCH(QString, path);
    const QString address = m_server.url(path);

    const quint64 generation = m_host->Document()->generation();
    QSignalSpy starts(m_host, &BrowserHost::NavigationStarted);
    QSignalSpy completes(m_host, &BrowserHost::DocumentComplete);
    m_host->Navigate(address);
    QTRY_VERIFY_WITH_TIMEOUT(!completes.isEmpty(), 30000);
    QCOMPARE(starts.size(), 1);
    QVERIFY(!completes.last().at(1).value<QVariant>().toString().isEmpty());
    QVERIFY(m_host->Document()->generation() > generation);
    QCOMPARE(m_host->Document()->readyState(), QStringLiteral("complete"));
}

// Loads the gallery again and binds it as the main window does.
void TestWebEngineHost::showGallery()
{
    QSignalSpy completes(m_host, &BrowserHost::DocumentComplete);
    m_host->Navigate(m_gallery);
    QTRY_VERIFY_WITH_TIMEOUT(!completes.isEmpty(), 30000);
    QCOMPARE(completes.last().at(1).value<QVariant>().toString(), m_gallery);
    m_binding.bind(m_host->Document());
    waitForScript();
}

// A box of the page's would hold the whole program; every one is answered at once instead
// (this test would hang on the first).
void TestWebEngineHost::pageDialogsNeverBlock()
{
    showGallery();
    const QVariantList answers =
        evaluate(QStringLiteral("[alert('one'), confirm('two?'), prompt('three', 'x')]")).toList();
    QCOMPARE(answers.size(), 3);
    QVERIFY(answers.at(0).isNull());
    QCOMPARE(answers.at(1), QVariant(false));
    QVERIFY(answers.at(2).isNull());

    // A page that asks before it is left is left all the same, without asking.
    evaluate(QStringLiteral("window.addEventListener('beforeunload', function (e) {"
                            " e.preventDefault(); e.returnValue = 'stay'; }); 0"));
    click(QStringLiteral("para")); // the question is only asked of a page the user touched
    sentinelClick();
    showGallery();
}

// Every permission a page asks for is refused at once; a request left unanswered would leave
// the page waiting (this test, too) and a prompt would be a box the page could raise at will.
void TestWebEngineHost::pagePermissionsAreRefused()
{
    showGallery();
    evaluate(QStringLiteral(
        "Notification.requestPermission().then(function (r) { window.notifying = r; });"
        "navigator.geolocation.getCurrentPosition(function () { window.located = 'granted'; },"
        " function (e) { window.located = e.code === e.PERMISSION_DENIED ? 'denied' : e.message; });"
        "0"));
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("window.notifying")).toString(),
                              QStringLiteral("denied"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("window.located")).toString(),
                              QStringLiteral("denied"), 10000);
}

void TestWebEngineHost::noButtonFollowsALinkWhileBound()
{
    QVERIFY(m_binding.doc);
    QSignalSpy starts(m_host, &BrowserHost::NavigationStarted);
    QWidget *input = m_host->view()->focusProxy();
    const QPoint link = centreOf(QStringLiteral("script"));
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton})
        QTest::mouseClick(input, button, {}, link);
    QTest::mouseClick(input, Qt::MiddleButton, {}, centreOf(QStringLiteral("7")));
    sentinelClick();
    QVERIFY(evaluate(QStringLiteral("window.ran")).isNull());
    QCOMPARE(starts.size(), 0);
    QVERIFY(!m_server.requests.contains("/elsewhere.htm"));
}

QString TestWebEngineHost::focusedId()
{
    return evaluate(QStringLiteral("document.activeElement ? document.activeElement.id : ''"))
        .toString();
}

// Presses a key that moves the focus and returns where it went. Keys and scripts reach the page
// on roads of their own, so the answer is awaited.
QString TestWebEngineHost::moveFocus(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    const QString before = focusedId();
    QTest::keyClick(m_host->view()->focusProxy(), key, modifiers);
    if (!QTest::qWaitFor([&] { return focusedId() != before; }, 5000))
        qWarning("the focus stayed on '%s'", qPrintable(before));
    return focusedId();
}

// Moves the focus with Tab, as the user does, until the element with that id has it.
bool TestWebEngineHost::tabTo(const QString &id)
{
    for (int step = 0; step < 12 && focusedId() != id; ++step)
        moveFocus(Qt::Key_Tab);
    return focusedId() == id;
}

// In document order, forwards and backwards; the arrow keys go by place.
void TestWebEngineHost::tabAndArrowsVisitPicturesAmongLinks()
{
    showGallery();
    m_area->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_area));
    m_host->view()->setFocus();
    const QStringList order = {QStringLiteral("5"),       QStringLiteral("7"),
                               QStringLiteral("script"),  QStringLiteral("opener"),
                               QStringLiteral("wrapped"), QStringLiteral("field")};
    const QString box =
        QStringLiteral("JSON.stringify(document.getElementById('5').getBoundingClientRect())");
    const QString unfocused = evaluate(box).toString();
    QStringList visited;
    for (qsizetype i = 0; i < order.size(); ++i) {
        visited << moveFocus(Qt::Key_Tab);
        if (i == 0) {
            // The ring in the program's colours, and the picture stays where it was.
            QCOMPARE(evaluate(QStringLiteral("getComputedStyle(document.activeElement)"
                                             ".outlineColor"))
                         .toString(),
                     QStringLiteral("rgb(30, 60, 124)"));
            QCOMPARE(evaluate(box).toString(), unfocused);
        }
    }
    QCOMPARE(visited, order);
    visited.clear();
    for (qsizetype i = 1; i < order.size(); ++i)
        visited.prepend(moveFocus(Qt::Key_Tab, Qt::ShiftModifier));
    QCOMPARE(visited, order.mid(0, order.size() - 1));

    QCOMPARE(moveFocus(Qt::Key_Down), QStringLiteral("7"));
    QCOMPARE(moveFocus(Qt::Key_Up), QStringLiteral("5"));
}

void TestWebEngineHost::keysOnAFocusedPictureSelectIt_data()
{
    QTest::addColumn<QString>("focused");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QString>("picture");
    QTest::newRow("Enter on a picture")
        << QStringLiteral("5") << Qt::Key_Return << QStringLiteral("5");
    QTest::newRow("Space on a picture")
        << QStringLiteral("5") << Qt::Key_Space << QStringLiteral("5");
    QTest::newRow("Enter on a link that is a picture")
        << QStringLiteral("wrapped") << Qt::Key_Return << QStringLiteral("inlink");
    QTest::newRow("Space in the page's text field")
        << QStringLiteral("field") << Qt::Key_Space << QString();
}

// Tab reaches the pictures in document order; Enter or Space on one is a click on it, and a link
// that is only a picture is not followed. The page's own markup is not touched for any of it.
void TestWebEngineHost::keysOnAFocusedPictureSelectIt()
{
    QFETCH(QString, focused);
    QFETCH(Qt::Key, key);
    QFETCH(QString, picture);
    showGallery();
    m_area->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_area));
    m_host->view()->setFocus();
    const QString markup = QStringLiteral("document.documentElement.outerHTML");
    const QString before = evaluate(markup).toString();
    QSignalSpy starts(m_host, &BrowserHost::NavigationStarted);
    m_binding.clear();

    QVERIFY2(tabTo(focused), qPrintable(focusedId()));
    QTest::keyClick(m_host->view()->focusProxy(), key);
    sentinelClick();

    QStringList selected;
    for (const HtmlEventObj &event : std::as_const(m_binding.clicks))
        selected << event.srcElement.id;
    QCOMPARE(selected, (picture.isEmpty() ? QStringList() : QStringList{picture}) +
                           QStringList{QStringLiteral("para")});
    if (!picture.isEmpty()) {
        const HtmlElement element = m_binding.clicks.first().srcElement;
        QCOMPARE(element.tagName, QStringLiteral("IMG"));
        QCOMPARE(element.src, m_server.url(QStringLiteral("sunny%20day.png")));
    }
    QCOMPARE(starts.size(), 0);
    QVERIFY(!m_server.requests.contains("/elsewhere.htm"));
    if (focused == QLatin1String("field"))
        QCOMPARE(evaluate(QStringLiteral("document.getElementById('field').value")).toString(),
                 QStringLiteral(" "));
    else
        QCOMPARE(evaluate(markup).toString(), before);
}

// A page script can move the focus and make up key events, but what it makes is not the user's.
void TestWebEngineHost::keysMadeByThePageSelectNothing()
{
    QVERIFY(m_binding.doc);
    m_binding.clear();
    evaluate(QStringLiteral(
        "['5', 'wrapped'].forEach(function (id) { var e = document.getElementById(id); e.focus();"
        " ['Enter', ' '].forEach(function (key) { e.dispatchEvent(new KeyboardEvent('keydown',"
        " {key: key, bubbles: true, cancelable: true})); }); }); 0"));
    sentinelClick();
    QCOMPARE(tagsOf(m_binding.clicks), QStringLiteral("P"));
}

// Thousands of pictures, and a page that takes away the focused picture and adds others: Tab
// goes on from where the focus was, and every picture that arrives later is reachable too.
void TestWebEngineHost::manyPicturesAndPicturesThatComeAndGo()
{
    QByteArray page = "<!DOCTYPE html><title>Many</title><p id=\"para\">Many pictures</p>";
    for (int i = 0; i < 3000; ++i)
        page += "<img id=\"m" + QByteArray::number(i) +
                "\" src=\"sunny%20day.png\" width=\"8\" height=\"8\" alt=\"\">";
    m_server.files.insert("/many.htm", {"text/html", page});
    QSignalSpy completes(m_host, &BrowserHost::DocumentComplete);
    m_host->Navigate(m_server.url(QStringLiteral("many.htm")));
    QTRY_VERIFY_WITH_TIMEOUT(!completes.isEmpty(), 30000);
    m_binding.bind(m_host->Document());
    waitForScript();
    m_area->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_area));
    m_host->view()->setFocus();

    QVERIFY2(tabTo(QStringLiteral("m2")), qPrintable(focusedId()));
    evaluate(QStringLiteral(
        "document.getElementById('m2').remove();"
        " document.body.insertBefore(Object.assign(document.createElement('img'),"
        " {id: 'late', src: 'sunny%20day.png'}), document.getElementById('m3')); 0"));
    m_binding.clear();
    QCOMPARE(moveFocus(Qt::Key_Tab), QStringLiteral("late"));
    QCOMPARE(moveFocus(Qt::Key_Tab), QStringLiteral("m3"));
    QTest::keyClick(m_host->view()->focusProxy(), Qt::Key_Return);
    sentinelClick();
    QCOMPARE(tagsOf(m_binding.clicks), QStringLiteral("IMG P"));
    QCOMPARE(m_binding.clicks.first().srcElement.id, QStringLiteral("m3"));
    showGallery();
}

// document.open() erases every listener of the document and its window; the program still
// hears the rewritten page, and its clicks stay cancelled.
void TestWebEngineHost::rewrittenDocumentStaysBound()
{
    QVERIFY(m_binding.doc);
    const quint64 generation = m_host->Document()->generation();
    evaluate(
        QStringLiteral("document.open(); document.write('<p id=\"para\">Rewritten</p>"
                       "<a id=\"script\" href=\"javascript:window.ran = 1\">Run</a>"
                       "<img id=\"5\" src=\"sunny%20day.png\" style=\"width:120px;height:90px\">');"
                       " document.close(); 0"));
    QTRY_COMPARE(evaluate(QStringLiteral("document.readyState")).toString(),
                 QStringLiteral("complete"));
    m_binding.clear();

    click(QStringLiteral("5"));
    click(QStringLiteral("script"));
    evaluate(QStringLiteral("document.getElementById('5').click(); 0"));
    sentinelClick();
    QCOMPARE(tagsOf(m_binding.clicks), QStringLiteral("IMG A P"));
    QVERIFY(evaluate(QStringLiteral("window.ran")).isNull());
    QCOMPARE(m_host->Document()->generation(), generation);
    QCOMPARE(m_binding.readyStates.last(), QStringLiteral("complete"));
}

// A gallery that cannot be reached shows our own page instead of the engine's, binds nothing,
// and a click of the user's on its button (only the user's) brings the gallery back.
void TestWebEngineHost::failedLoadShowsOurPageUntilTheUserRetries()
{
    m_server.dropped.insert("/gallery.htm");
    QSignalSpy completes(m_host, &BrowserHost::DocumentComplete);
    QSignalSpy starts(m_host, &BrowserHost::NavigationStarted);
    m_host->Navigate(m_gallery);
    waitForErrorPage();
    QVERIFY(!starts.isEmpty());
    QVERIFY(completes.isEmpty()); // the badge keeps saying "loading"
    QVERIFY2(errorPageText().contains(QLatin1String("The gallery could not be reached")),
             qPrintable(errorPageText()));
    m_server.dropped.remove("/gallery.htm");

    const auto galleryRequests = [this] { return m_server.requests.count("/gallery.htm"); };
    const auto before = galleryRequests();
    evaluate(QStringLiteral("document.getElementById('retry').click(); 0"));
    waitForScript();
    QTest::qWait(300);
    QCOMPARE(galleryRequests(), before);

    click(QStringLiteral("retry"));
    QTRY_VERIFY_WITH_TIMEOUT(!completes.isEmpty(), 10000);
    QCOMPARE(completes.last().at(1).value<QVariant>().toString(), m_gallery);
    QVERIFY(!m_host->isShowingErrorPage());
    m_binding.bind(m_host->Document());
    waitForScript();
}

// A renderer that dies (here: killed) is restarted on the gallery, a few times a minute at
// most; after that our page for a failed load takes over instead of a loop. Each page shown
// anew hears the user: the new renderer runs the document script.
void TestWebEngineHost::deadRendererBringsTheGalleryBack()
{
    for (int restart = 0; restart < 3; ++restart) {
        QSignalSpy completes(m_host, &BrowserHost::DocumentComplete);
        QSignalSpy starts(m_host, &BrowserHost::NavigationStarted);
        const qint64 pid = m_host->view()->page()->renderProcessPid();
        QVERIFY(pid > 0);
        ::kill(pid_t(pid), SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(!starts.isEmpty(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!completes.isEmpty(), 30000);
        QCOMPARE(completes.last().at(1).value<QVariant>().toString(), m_gallery);
        QVERIFY(m_host->view()->page()->renderProcessPid() != pid);
        // The new renderer's page has its scripts: the user's clicks are heard.
        m_binding.bind(m_host->Document());
        waitForScript();
        sentinelClick();
    }
    ::kill(pid_t(m_host->view()->page()->renderProcessPid()), SIGKILL);
    waitForErrorPage();
    QSignalSpy completes(m_host, &BrowserHost::DocumentComplete);
    click(QStringLiteral("retry"));
    QTRY_VERIFY_WITH_TIMEOUT(!completes.isEmpty(), 30000);
    QCOMPARE(completes.last().at(1).value<QVariant>().toString(), m_gallery);
    m_binding.bind(m_host->Document());
    waitForScript();
}

void TestWebEngineHost::backFromADeadEndShowsTheGallery()
{
    // A page that left for a blank document: Alt+Left goes back to the gallery.
    QSignalSpy completes(m_host, &BrowserHost::DocumentComplete);
    evaluate(QStringLiteral("location.href = 'about:blank'; 0"));
    // Its address may change before its load has ended: wait for the blank page to complete.
    QTRY_VERIFY_WITH_TIMEOUT(!completes.isEmpty() &&
                                 completes.last().at(1).value<QVariant>().toString() ==
                                     QLatin1String("about:blank"),
                             10000);
    completes.clear();
    // The keys belong to the window, as a browser's do.
    m_area->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_area));
    QTest::keyClick(m_area, Qt::Key_Left, Qt::AltModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!completes.isEmpty(), 30000);
    QCOMPARE(completes.last().at(1).value<QVariant>().toString(), m_gallery);

    // F5 loads the page again.
    completes.clear();
    QTest::keyClick(m_area, Qt::Key_F5);
    QTRY_VERIFY_WITH_TIMEOUT(!completes.isEmpty(), 30000);
    QCOMPARE(completes.last().at(1).value<QVariant>().toString(), m_gallery);
    m_binding.bind(m_host->Document());
    waitForScript();
}

void TestWebEngineHost::press(int key, Qt::KeyboardModifiers modifiers)
{
    // The keys belong to the window, as a browser's do.
    m_area->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_area));
    QTest::keyClick(m_area, Qt::Key(key), modifiers);
}

void TestWebEngineHost::waitForErrorPage()
{
    QTRY_VERIFY_WITH_TIMEOUT(m_host->isShowingErrorPage(), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("!!document.querySelector('main[role]')"),
                                      QWebEngineScript::ApplicationWorld)
                                 .toBool(),
                             15000);
    // A click reaches the page once it has been drawn, with its fonts in.
    evaluate(QStringLiteral("window.drawn = false; requestAnimationFrame(function () {"
                            " requestAnimationFrame(function () { window.drawn = true; }); }); 0"),
             QWebEngineScript::ApplicationWorld);
    QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("window.drawn && document.fonts.status"
                                                     " === 'loaded'"),
                                      QWebEngineScript::ApplicationWorld)
                                 .toBool(),
                             15000);
    waitForScript();
}

// The words the page shows, as a reader gets them: hidden parts are left out.
QString TestWebEngineHost::errorPageText()
{
    return evaluate(QStringLiteral("document.body.innerText"), QWebEngineScript::ApplicationWorld)
        .toString();
}

void TestWebEngineHost::failedLinkSaysWhatFailed_data()
{
    QTest::addColumn<QString>("link"); // "refused", "ipv6", "server:PATH" or "untrusted:PATH"
    QTest::addColumn<QString>("reason");
    QTest::newRow("refused port") << "refused"
                                  << "The server refused the connection.";
    QTest::newRow("untrusted certificate") << "untrusted:page.htm"
                                           << "The site's security certificate is not trusted";
    QTest::newRow("redirect to an untrusted certificate")
        << "server:tohttps.htm"
        << "The site's security certificate is not trusted";
    QTest::newRow("redirect loop") << "server:loop.htm"
                                   << "The site redirects too many times.";
    QTest::newRow("nobody on [::1]")
        << "ipv6"
        << "The server (refused the connection|cannot be reached)."; // IPv6 or none
}

// A link that fails is not the gallery failing: the page names the link and the reason, and
// the user goes back to the page before.
void TestWebEngineHost::failedLinkSaysWhatFailed()
{
    QFETCH(QString, link);
    QFETCH(QString, reason);
    if (link == QLatin1String("refused") || link == QLatin1String("ipv6")) {
        QTcpServer closed; // a port nobody listens on any more
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString host =
            link == QLatin1String("ipv6") ? QStringLiteral("[::1]") : QStringLiteral("127.0.0.1");
        link = QStringLiteral("http://%1:%2/gone.htm").arg(host).arg(closed.serverPort());
    } else if (link.startsWith(QLatin1String("server:"))) {
        link = m_server.url(link.mid(7));
    } else {
        link = m_untrusted.url(link.mid(10));
    }
    showGallery();
    QSignalSpy completes(m_host, &BrowserHost::DocumentComplete);
    m_host->Navigate(link);
    waitForErrorPage();
    const QString text = errorPageText();
    QVERIFY2(text.contains(QLatin1String("The link could not be opened")), qPrintable(text));
    QVERIFY2(text.contains(link), qPrintable(text));
    QVERIFY2(text.contains(QRegularExpression(reason)), qPrintable(text));
    QVERIFY2(!text.contains(QLatin1String("Try again")), qPrintable(text));
    QVERIFY(completes.isEmpty());

    click(QStringLiteral("back"));
    QTRY_VERIFY_WITH_TIMEOUT(!completes.isEmpty(), 15000);
    QCOMPARE(completes.last().at(1).value<QVariant>().toString(), m_gallery);
    QVERIFY(!m_host->isShowingErrorPage());
    m_binding.bind(m_host->Document());
    waitForScript();
}

void TestWebEngineHost::failedLinkWaitsForTheUser()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const QString link = QStringLiteral("http://127.0.0.1:%1/gone.htm").arg(closed.serverPort());
    closed.close();
    showGallery();
    QSignalSpy completes(m_host, &BrowserHost::DocumentComplete);
    QSignalSpy starts(m_host, &BrowserHost::NavigationStarted);
    m_host->Navigate(link);
    waitForErrorPage();

    // Longer than the gallery's own page waits before it tries again; a page script cannot
    // press the buttons either.
    const auto seen = m_server.heads.size();
    evaluate(QStringLiteral("document.getElementById('back').click();"
                            " document.getElementById('gallery').click(); 0"));
    QTest::qWait(2500);
    QCOMPARE(m_server.heads.mid(seen), QList<QByteArray>{});
    QVERIFY(m_host->isShowingErrorPage());
    QVERIFY(completes.isEmpty());

    // F5 tries the link again; Alt+Left then goes back past both failures.
    starts.clear();
    press(Qt::Key_F5);
    QTRY_VERIFY_WITH_TIMEOUT(!starts.isEmpty(), 10000);
    waitForErrorPage();
    press(Qt::Key_Left, Qt::AltModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!completes.isEmpty(), 15000);
    QCOMPARE(completes.last().at(1).value<QVariant>().toString(), m_gallery);

    // From a page followed in place: its Gallery button, and Alt+Home anywhere.
    const QString elsewhere = m_server.url(QStringLiteral("elsewhere.htm"));
    for (bool button : {true, false}) {
        completes.clear();
        m_host->Navigate(elsewhere);
        QTRY_VERIFY_WITH_TIMEOUT(!completes.isEmpty(), 15000);
        if (button) {
            m_host->Navigate(link);
            waitForErrorPage();
            click(QStringLiteral("gallery"));
        } else {
            press(Qt::Key_Home, Qt::AltModifier);
        }
        QTRY_COMPARE_WITH_TIMEOUT(completes.last().at(1).value<QVariant>().toString(), m_gallery,
                                  15000);
    }
    m_binding.bind(m_host->Document());
    waitForScript();
}

// The program saves nothing: a download the user asked for goes to the web browser, once, with
// its address; one a page starts by itself goes nowhere. The gallery stays, bound.
void TestWebEngineHost::downloadsGoToTheWebBrowser()
{
    showGallery();
    const quint64 generation = m_host->Document()->generation();
    QSignalSpy downloads(m_host, &BrowserHost::FileDownload);
    QStringList addresses;
    for (const QString &path : {QStringLiteral("archive.zip"), QStringLiteral("attachment.txt")}) {
        addresses << m_server.url(path);
        m_host->Navigate(addresses.last());
        QTRY_COMPARE_WITH_TIMEOUT(downloads.size(), addresses.size(), 15000);
        QCOMPARE(downloads.last().at(0).toString(), addresses.last());
    }
    evaluate(QStringLiteral("setTimeout(function () { location.href = 'archive.zip?again'; }, 0)"));
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests.contains("/archive.zip?again"), 15000);
    waitForScript();
    QTest::qWait(300);
    QCOMPARE(downloads.size(), 2);
    QCOMPARE(m_host->view()->url().toString(), m_gallery);
    QCOMPARE(m_host->Document()->generation(), generation);
    QVERIFY(!m_host->isShowingErrorPage());
}

void TestWebEngineHost::backLeavesPagesThatPileUpEntries_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("pushState flood, again on every return") << QStringLiteral("flood.htm");
    QTest::newRow("a page that leaves whenever it is shown") << QStringLiteral("leaver.htm");
}

// The user followed a link to a page that piles up history entries by itself: two presses of
// Alt+Left at most lead back to the gallery.
void TestWebEngineHost::backLeavesPagesThatPileUpEntries()
{
    QFETCH(QString, path);
    showGallery();
    m_host->Navigate(m_server.url(path));
    QWebEngineHistory *history = m_host->view()->page()->history();
    QTRY_VERIFY_WITH_TIMEOUT(history->count() >= 3, 15000);
    QTest::qWait(500); // the page goes on piling up a while

    const auto atGallery = [this] { return m_host->view()->url().toString() == m_gallery; };
    for (int presses = 0; presses < 2 && !atGallery(); ++presses) {
        const QUrl before = m_host->view()->url();
        press(Qt::Key_Left, Qt::AltModifier);
        QTRY_VERIFY_WITH_TIMEOUT(m_host->view()->url() != before, 10000);
        QTest::qWait(500); // the page answers its return by piling up again
    }
    QVERIFY2(atGallery(), qPrintable(m_host->view()->url().toString()));
    QTRY_COMPARE_WITH_TIMEOUT(m_host->Document()->readyState(), QStringLiteral("complete"), 15000);
    QCOMPARE(m_host->Document()->url(), m_gallery);
    m_binding.bind(m_host->Document());
    waitForScript();
}

// A document that has not arrived in time is given up with its reason; one that has arrived
// while its pictures are still on their way is kept.
void TestWebEngineHost::documentsThatDoNotArriveAreGivenUp()
{
    m_host->setArrivalTimeout(std::chrono::milliseconds(1500));
    showGallery();
    const QString trickle = m_server.url(QStringLiteral("trickle.htm"));
    m_host->Navigate(trickle);
    waitForErrorPage();
    const QString text = errorPageText();
    QVERIFY2(text.contains(QLatin1String("The page is taking too long.")), qPrintable(text));
    QVERIFY2(text.contains(trickle), qPrintable(text));

    const QString slowPicture = m_server.url(QStringLiteral("slowpicture.htm"));
    m_host->Navigate(slowPicture);
    QTRY_VERIFY_WITH_TIMEOUT(m_host->Document()->url() == slowPicture &&
                                 m_host->Document()->readyState() == QLatin1String("interactive"),
                             15000);
    QTest::qWait(2500); // past the time a document may take to arrive
    QVERIFY(!m_host->isShowingErrorPage());
    QCOMPARE(m_host->view()->url().toString(), slowPicture);
    m_host->setArrivalTimeout(std::chrono::seconds(30));
    showGallery();
}

void TestWebEngineHost::bridgeRefusesMalformedReports_data()
{
    QTest::addColumn<double>("generationOffset"); // from the current document's generation
    QTest::addColumn<double>("buttons");
    QTest::addColumn<bool>("delivered");
    QTest::newRow("well formed") << 0.0 << 2.0 << true;
    QTest::newRow("another document") << 1.0 << 2.0 << false;
    QTest::newRow("fractional generation") << 0.5 << 2.0 << false;
    QTest::newRow("fractional buttons") << 0.0 << 1.5 << false;
    QTest::newRow("negative buttons") << 0.0 << -1.0 << false;
    QTest::newRow("buttons beyond 32 bits") << 0.0 << 4294967298.0 << false;
}

// The bridge on its own, with a host that never navigates (so no engine): a report reaches the
// current document only when every value is of the right form, and only later, never inside the
// channel's call.
void TestWebEngineHost::bridgeRefusesMalformedReports()
{
    QFETCH(double, generationOffset);
    QFETCH(double, buttons);
    QFETCH(bool, delivered);

    WebEngineBrowserHost host;
    DocumentBridge *bridge = host.findChild<DocumentBridge *>();
    QVERIFY(bridge);
    const double current = bridge->beginDocument(QStringLiteral("http://127.0.0.1/"));
    QVERIFY(current >= 1);
    HtmlDocument *doc = host.Document();
    QList<quint32> words;
    connect(doc, &HtmlDocument::onmousedown, this,
            [&](const HtmlEventObj &event) { words << event.button; });

    bridge->mouseDown(current + generationOffset, QStringLiteral("IMG"), QStringLiteral("5"), {},
                      {}, {}, buttons);
    QVERIFY(words.isEmpty());
    QCoreApplication::processEvents();
    QCOMPARE(words, delivered ? QList<quint32>{quint32(buttons)} : QList<quint32>{});
    QVERIFY(!host.view());
}

void TestWebEngineHost::cleanupTestCase()
{
    // The page must go before its profile; the engine warns otherwise.
    QTest::failOnWarning(
        QRegularExpression(QStringLiteral("profile"), QRegularExpression::CaseInsensitiveOption));
    delete m_host;
    delete m_area;
}

int main(int argc, char **argv)
{
    // Chromium's sandbox refuses to run as root.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestWebEngineHost test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_webenginehost.moc"
