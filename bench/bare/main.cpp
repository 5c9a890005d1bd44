// The floor under an offline start: a bare 400 × 135 frameless window, the size of the
// not-connected notice, with nothing in it. Built twice: with Qt Widgets alone, and also linked
// to Qt WebEngine with shared OpenGL contexts switched on, as Pinmark is, so the bench can show
// what merely linking the web engine costs a start that never uses it.

#include <QApplication>
#include <QWidget>

#ifdef BARE_WITH_WEBENGINE
#include <QWebEngineView>
// Keeps the library linked even where the linker drops unused ones.
const QMetaObject *volatile linkedView = &QWebEngineView::staticMetaObject;
#endif

int main(int argc, char *argv[])
{
#ifdef BARE_WITH_WEBENGINE
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("Pinmark 1.0"));
    window.setFixedSize(400, 135);
    window.show();
    return QApplication::exec();
}
