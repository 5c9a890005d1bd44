// qtsilentowner: a Qt program that takes the clipboard and never answers for it.
//
// Shows a window and, at a click into it, takes the clipboard (a Wayland compositor takes the
// selection only from a client the user has just given input), offers text, and hangs in the
// first request for it, as a program that has stopped answering would. Prints "shown" once its
// window is up, "ready" once the clipboard is its own, then "asked" at that request.

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QRasterWindow>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace {

class SilentText : public QMimeData
{
public:
    QStringList formats() const override
    {
        return {QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("text/plain")};
    }
    bool hasFormat(const QString &format) const override { return formats().contains(format); }

protected:
    QVariant retrieveData(const QString &, QMetaType) const override
    {
        std::printf("asked\n");
        std::fflush(stdout);
        for (;;)
            QThread::sleep(3600);
    }
};

class Window : public QRasterWindow
{
protected:
    void mousePressEvent(QMouseEvent *) override
    {
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setMimeData(new SilentText);
        QTimer::singleShot(200, this, [clipboard] {
            if (clipboard->ownsClipboard()) {
                std::printf("ready\n");
                std::fflush(stdout);
            }
        });
    }
    void exposeEvent(QExposeEvent *event) override
    {
        QRasterWindow::exposeEvent(event);
        if (isExposed() && !m_shown) {
            m_shown = true;
            std::printf("shown\n");
            std::fflush(stdout);
        }
    }

private:
    bool m_shown = false;
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    Window window;
    window.resize(40, 40);
    window.show();
    return QGuiApplication::exec();
}
