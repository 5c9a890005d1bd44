#pragma once
#include "app/selectionstate.h"
#include "browser/htmldocument.h"
#include "core/codetemplate.h"

#include <QPixmap>
#include <QPointF>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace Ui {
class frmWeb;
}

namespace Pinmark {
class BrowserHost;
class DesktopServices;
struct ClipboardReading;
struct Message;
class PictureBox;
class Notices;

// The main window: a frameless, picture-skinned window around the embedded gallery browser.
// Every behaviour is a handler named after the object and the event it answers.
class frmWeb : public QWidget
{
    Q_OBJECT
public:
    frmWeb(DesktopServices &services, BrowserHost &browser, Notices &notices);
    ~frmWeb() override;

    // Runs once before the window is first shown: online, show the window and start loading
    // the gallery once its first frame is drawn; offline, close it unseen and show only the
    // not-connected notice.
    void Form_Load();
    bool IsWebConnected(QString &kind);

    // The selected address and the output; Text1 and Text2 show them.
    const SelectionState &selection() const { return m_selection; }
    Ui::frmWeb &layout() const { return *ui; }

    HtmlDocument *boundDocument() const { return HTMLdoc; }
    // What the page-status badge is called while its page is loading or loaded.
    static QString badgeName(bool loaded);
    QPointF dragOrigin;
    bool isDragging = false;

    // Handlers of the embedded browser and its bound document.
    void WebBrowser1_DocumentComplete(QObject *frame, const QVariant &address);
    void WebBrowser1_NavigationStarted();
    void WebBrowser1_FileDownload(const QString &address);
    void HTMLdoc_onreadystatechange();
    void HTMLDoc_onmousedown(const HtmlEventObj &event);
    bool HTMLDoc_onclick(const HtmlEventObj &event);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void wireButtons();
    void startGallery();
    void setSelection(const SelectionState &selection);
    void bindDocument(HtmlDocument *document);
    void publishCode(CodeTemplate which);
    void acceptPastedAddress(const QString &candidate);
    void report(const Message &message);
    bool afterPaste(std::function<void()> action);
    void showBadge(const PictureBox *holder);

    void xx_Click();
    void min_Click();
    void aboutimg_Click();
    void mwqa_Click();
    void swrd2_Click() { publishCode(CodeTemplate::DirectLink); }
    void swrfr22_Click() { publishCode(CodeTemplate::ForumImage); }
    void swrfrc22_Click() { publishCode(CodeTemplate::ForumImageCentred); }
    void swrh22_Click() { publishCode(CodeTemplate::HtmlImage); }
    void swrhc22_Click() { publishCode(CodeTemplate::HtmlImageCentred); }
    void swrur_Click();
    void Clipboard_ReadComplete(const ClipboardReading &reading);

    void Form_MouseDown(QPointF position);
    void Form_MouseMove(QPointF position);
    void Form_MouseUp();

    std::unique_ptr<Ui::frmWeb> ui;
    DesktopServices &services;
    BrowserHost *WebBrowser1;
    Notices &notices;
    QPointer<HtmlDocument> HTMLdoc;
    SelectionState m_selection;
    QPixmap m_background;
    bool m_galleryPending = false; // online: the gallery is loaded once the window is drawn
    bool m_systemMoveStarted = false;
    bool m_pasteReading = false; // the paste button's clipboard read is out
    std::vector<std::function<void()>> m_afterPaste;
};

} // namespace Pinmark
