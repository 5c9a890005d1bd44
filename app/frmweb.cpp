#include "app/frmweb.h"

#include "app/logging.h"
#include "app/messages.h"
#include "browser/browserhost.h"
#include "core/clickrouting.h"
#include "core/connectivity.h"
#include "core/pasteacceptance.h"
#include "core/placement.h"
#include "dialogs/notices.h"
#include "pinmark/config.h"
#include "platform/desktopservices.h"
#include "platform/windowsystem.h"
#include "ui_frmweb.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <utility>

namespace Pinmark {

frmWeb::frmWeb(DesktopServices &services, BrowserHost &browser, Notices &notices)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::frmWeb),
      services(services), WebBrowser1(&browser), notices(notices)
{
    ui->setupUi(this);
    setFixedSize(size());
    m_background = loadSkinPicture(property("backgroundPicture").toString());
    ui->WebBrowser1->setAttribute(Qt::WA_NoMousePropagation);
    WebBrowser1->attachTo(ui->WebBrowser1);
    wireButtons();
    ui->loadimg->setAccessibleName(badgeName(false));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(placeWindow(size(), screen->availableGeometry()));
}

frmWeb::~frmWeb() = default;

// The fields show the selection; nothing reads it back from them.
void frmWeb::setSelection(const SelectionState &selection)
{
    m_selection = selection;
    ui->Text1->setText(m_selection.Text1);
    ui->Text2->setText(m_selection.Text2);
    ui->Text2->announceText();
}

void frmWeb::wireButtons()
{
    const struct
    {
        PictureButton *button;
        PictureBox *pressed;
        PictureBox *released;
        void (frmWeb::*click)();
    } buttons[] = {
        {ui->xx, ui->xdn, ui->xup, &frmWeb::xx_Click},
        {ui->min, ui->mindn, ui->minup, &frmWeb::min_Click},
        {ui->aboutimg, ui->aboutdn, ui->aboutup, &frmWeb::aboutimg_Click},
        {ui->mwqa, ui->mwqadn, ui->mwqaup, &frmWeb::mwqa_Click},
        {ui->swrd2, ui->swrd2dn, ui->swrd2up, &frmWeb::swrd2_Click},
        {ui->swrfr22, ui->swrfr22dn, ui->swrfr22up, &frmWeb::swrfr22_Click},
        {ui->swrfrc22, ui->swrfrc22dn, ui->swrfrc22up, &frmWeb::swrfrc22_Click},
        {ui->swrh22, ui->swrh22dn, ui->swrh22up, &frmWeb::swrh22_Click},
        {ui->swrhc22, ui->swrhc22dn, ui->swrhc22up, &frmWeb::swrhc22_Click},
        {ui->swrur, ui->swrurdn, ui->swrurup, &frmWeb::swrur_Click},
    };
    for (const auto &b : buttons) {
        b.button->setHolders(b.pressed, b.released);
        connect(b.button, &PictureButton::clicked, this, b.click);
    }
    connect(WebBrowser1, &BrowserHost::DocumentComplete, this,
            &frmWeb::WebBrowser1_DocumentComplete);
    connect(WebBrowser1, &BrowserHost::NavigationStarted, this,
            &frmWeb::WebBrowser1_NavigationStarted);
    connect(WebBrowser1, &BrowserHost::FileDownload, this, &frmWeb::WebBrowser1_FileDownload);
}

// ---- Start-up ------------------------------------------------------------------------------

bool frmWeb::IsWebConnected(QString &kind)
{
    kind.clear();
    quint32 flags = 0;
    const bool verdict = services.probeConnectivity(&flags, 0) != 0;
    if (verdict)
        kind = connectionKind(flags);
    return verdict;
}

void frmWeb::Form_Load()
{
    QString kind;
    const bool online = IsWebConnected(kind);
    qCDebug(lcApp) << "start:" << (online ? "online," : "offline") << kind;
    if (online) {
        // The window needs nothing of the engine: it is on screen first, and the engine starts
        // behind it (see paintEvent).
        m_galleryPending = true;
        WebBrowser1->prepareWindow();
        // Keyboard focus starts in the browser, first in the tab order, and goes on into the page.
        ui->WebBrowser1->setFocus(Qt::OtherFocusReason);
        services.showWindow(this);
    } else {
        services.closeWindow(this);
        notices.show(NoticeId::notcon);
    }
}

// ---- Window chrome -------------------------------------------------------------------------

void frmWeb::xx_Click()
{
    services.endApplication();
}

void frmWeb::min_Click()
{
    services.minimiseWindow(this);
}

void frmWeb::aboutimg_Click()
{
    notices.show(NoticeId::about);
}

void frmWeb::mwqa_Click()
{
    services.launchInSystemBrowser(PortalUrl);
}

void frmWeb::mousePressEvent(QMouseEvent *event)
{
    Form_MouseDown(event->position());
}

void frmWeb::mouseMoveEvent(QMouseEvent *event)
{
    Form_MouseMove(event->position());
}

void frmWeb::mouseReleaseEvent(QMouseEvent *)
{
    Form_MouseUp();
}

void frmWeb::Form_MouseDown(QPointF position)
{
    dragOrigin = position;
    isDragging = true;
    m_systemMoveStarted = false;
}

void frmWeb::Form_MouseMove(QPointF position)
{
    if (!isDragging)
        return;
    // A Wayland client cannot place its own window: the compositor takes over the drag.
    if (windowSystem() == WindowSystem::Wayland) {
        if (!m_systemMoveStarted && windowHandle())
            m_systemMoveStarted = windowHandle()->startSystemMove();
        return;
    }
    const QPointF delta = position - dragOrigin;
    move(x() + qRound(delta.x()), y() + qRound(delta.y()));
}

void frmWeb::Form_MouseUp()
{
    isDragging = false;
}

void frmWeb::paintEvent(QPaintEvent *)
{
    QPainter(this).drawPixmap(0, 0, m_background);
    if (m_galleryPending) {
        qCDebug(lcTiming, "first frame %lld", QDateTime::currentMSecsSinceEpoch());
        // On the next turn of the event loop, once this first frame has gone to the screen.
        m_galleryPending = false;
        QMetaObject::invokeMethod(this, &frmWeb::startGallery, Qt::QueuedConnection);
    }
}

void frmWeb::startGallery()
{
    qCDebug(lcTiming, "gallery navigation asked %lld", QDateTime::currentMSecsSinceEpoch());
    WebBrowser1->Navigate2(GalleryPageUrl);
    qCDebug(lcTiming, "gallery navigation started %lld", QDateTime::currentMSecsSinceEpoch());
}

// ---- Code output and paste -----------------------------------------------------------------

void frmWeb::publishCode(CodeTemplate which)
{
    if (afterPaste([this, which] { publishCode(which); }))
        return;
    if (m_selection.Text1.isEmpty()) {
        notices.show(NoticeId::selimg);
        return;
    }
    setSelection({m_selection.Text1, buildCode(which, m_selection.Text1, LinkTargetUrl)});
    services.clipboardClear();
    services.clipboardSetText(m_selection.Text2);
}

void frmWeb::swrur_Click()
{
    // One read at a time: presses while the clipboard's owner has not answered add none.
    if (m_pasteReading)
        return;
    m_pasteReading = true;
    services.clipboardReadText(
        this, [this](const ClipboardReading &reading) { Clipboard_ReadComplete(reading); });
}

void frmWeb::Clipboard_ReadComplete(const ClipboardReading &reading)
{
    m_pasteReading = false;
    const auto pressedMeanwhile = std::exchange(m_afterPaste, {});
    if (!isVisible())
        return; // the window closed while the owner was being asked
    switch (reading.status) {
    case ClipboardReading::Text:
        acceptPastedAddress(reading.text);
        break;
    case ClipboardReading::NoAnswer:
        report(ClipboardOwnerSilent);
        break;
    case ClipboardReading::TooLong:
        report(ClipboardTextTooLong);
        break;
    }
    for (const auto &action : pressedMeanwhile)
        action();
}

// The selection changes in the order the user asked: a code pressed, or a picture clicked, while
// the paste's read is out acts once the paste has, on what it left.
bool frmWeb::afterPaste(std::function<void()> action)
{
    if (!m_pasteReading)
        return false;
    m_afterPaste.push_back(std::move(action));
    return true;
}

void frmWeb::report(const Message &message)
{
    qCWarning(lcApp, "%s", qUtf8Printable(message.english));
    services.reportFailure(message.arabic, message.english);
}

void frmWeb::acceptPastedAddress(const QString &candidate)
{
    // One read: the text checked is the text kept, whatever the clipboard's owner answers next.
    if (!isAcceptedPaste(candidate)) {
        notices.show(NoticeId::wronglink);
        return;
    }
    qCDebug(lcApp) << "pasted:" << candidate.left(200);
    setSelection({candidate, candidate});
}

// ---- The gallery document ------------------------------------------------------------------

void frmWeb::WebBrowser1_DocumentComplete(QObject *, const QVariant &address)
{
    if (address.isNull() || address.toString().isEmpty())
        return;
    bindDocument(WebBrowser1->Document());
}

void frmWeb::bindDocument(HtmlDocument *document)
{
    if (HTMLdoc) {
        disconnect(HTMLdoc, nullptr, this, nullptr);
        HTMLdoc->setBound(false);
    }
    HTMLdoc = document;
    if (!document)
        return;
    connect(document, &HtmlDocument::onclick, this, &frmWeb::HTMLDoc_onclick);
    connect(document, &HtmlDocument::onmousedown, this, &frmWeb::HTMLDoc_onmousedown);
    connect(document, &HtmlDocument::onreadystatechange, this, &frmWeb::HTMLdoc_onreadystatechange);
    document->setBound(true);
    qCDebug(lcTiming, "document bound %lld", QDateTime::currentMSecsSinceEpoch());
    // The badge follows the document from the moment it is bound, not only from its next change.
    HTMLdoc_onreadystatechange();
}

void frmWeb::WebBrowser1_NavigationStarted()
{
    showBadge(ui->loadimgdn);
}

// The program saves nothing: the web browser gets the address, under the launch rules.
void frmWeb::WebBrowser1_FileDownload(const QString &address)
{
    services.launchInSystemBrowser(address);
}

void frmWeb::HTMLdoc_onreadystatechange()
{
    if (!HTMLdoc)
        return;
    showBadge(HTMLdoc->readyState() == QLatin1String("complete") ? ui->loadimgup : ui->loadimgdn);
}

void frmWeb::showBadge(const PictureBox *holder)
{
    ui->loadimg->setPixmap(holder->pixmap());
    // A screen reader cannot see the picture: the name says the same, and changing it is
    // announced.
    const QString name = badgeName(holder == ui->loadimgup);
    if (ui->loadimg->accessibleName() != name)
        ui->loadimg->setAccessibleName(name);
}

QString frmWeb::badgeName(bool loaded)
{
    return loaded ? QStringLiteral("تم التحميل — Loaded")
                  : QStringLiteral("جاري التحميل — Loading");
}

void frmWeb::HTMLDoc_onmousedown(const HtmlEventObj &event)
{
    if (event.button == 2)
        services.showMessageBox(PublisherHost, QStringLiteral("velmora"));
}

bool frmWeb::HTMLDoc_onclick(const HtmlEventObj &event)
{
    const ClickRoute route = routeClick(event.srcElement);
    switch (route.action) {
    case ClickRoute::SelectImage:
        qCDebug(lcApp) << "picture selected:" << route.address.left(200);
        if (!afterPaste([this, address = route.address] { setSelection({address, address}); }))
            setSelection({route.address, route.address});
        break;
    case ClickRoute::LaunchExternal:
        services.launchInSystemBrowser(route.address);
        break;
    case ClickRoute::NavigateInPlace:
        WebBrowser1->Navigate(route.address);
        break;
    case ClickRoute::ImageWithoutWebAddress:
        report(PictureWithoutWebAddress);
        break;
    case ClickRoute::ImageAddressTooLong:
        report(PictureAddressTooLong);
        break;
    case ClickRoute::Nothing:
        break;
    }
    return false;
}

} // namespace Pinmark
