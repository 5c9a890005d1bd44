// The least a program can do to show the gallery: a frameless window of the same size with a
// web view where the gallery sits, loading the address given on the command line. Pinmark's
// start-up, load and memory are measured against it. With --code-button it also has a plain
// button where Pinmark's first code button sits that puts a text on the clipboard the way
// Pinmark does, the floor for Pinmark's click-to-clipboard time; --no-view leaves the web view
// out, to show what the view adds to every repaint of the window. --quit-after S ends the run
// through the event loop after S seconds, so its teardown can be checked like Pinmark's.

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char *argv[])
{
    // Qt WebEngine wants this before the application object exists; Pinmark sets it too.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const char *address = nullptr;
    bool codeButton = false;
    bool withView = true;
    int quitAfterMs = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--code-button") == 0)
            codeButton = true;
        else if (std::strcmp(argv[i], "--quit-after") == 0 && i + 1 < argc)
            quitAfterMs = static_cast<int>(std::atof(argv[++i]) * 1000);
        else if (std::strcmp(argv[i], "--no-view") == 0)
            withView = false;
        else
            address = argv[i];
    }
    if (!address) {
        std::fprintf(stderr, "usage: %s [--code-button] [--no-view] [--quit-after S] GALLERY-URL\n",
                     argv[0]);
        return 2;
    }

    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle(withView ? QStringLiteral("pinmark-bench-baseline")
                                   : QStringLiteral("pinmark-bench-button"));
    window.setFixedSize(684, 552);
    QWebEngineView *view = nullptr;
    if (withView) {
        // Where Pinmark's gallery area lies, so both render the same page area.
        view = new QWebEngineView(&window);
        view->setGeometry(5, 144, 673, 353);
        QObject::connect(view, &QWebEngineView::loadFinished, [](bool ok) {
            std::fprintf(stderr, "load finished %lld%s\n", QDateTime::currentMSecsSinceEpoch(),
                         ok ? "" : " (failed)");
            std::fflush(stderr);
        });
    }
    if (codeButton) {
        auto *button = new QPushButton(QStringLiteral("code"), &window);
        button->setGeometry(18, 33, 129, 34);
        QObject::connect(button, &QPushButton::clicked, [] {
            static int count = 0;
            const QString text = QStringLiteral("[url=http://127.0.0.1:18741/][img]http://"
                                                "127.0.0.1:18741/fmm/fe/baseline-%1.jpg"
                                                "[/img][/url]")
                                     .arg(++count);
            QClipboard *clipboard = QGuiApplication::clipboard();
            clipboard->clear();
            clipboard->setText(text);
            if (clipboard->text() != text)
                std::fprintf(stderr, "clipboard refused the text\n");
        });
    }
    // Pinmark starts the load before it shows its window; the same order here.
    if (view)
        view->load(QUrl(QString::fromLocal8Bit(address)));
    window.show();
    if (quitAfterMs > 0)
        QTimer::singleShot(quitAfterMs, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
