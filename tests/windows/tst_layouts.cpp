// The five window layouts, checked control by control against the layout tables:
// place, size, container, visibility, stacking, tab order, pictures, frames and tooltips.

#include "ui_about.h"
#include "ui_frmweb.h"
#include "ui_notcon.h"
#include "ui_selimg.h"
#include "ui_wronglink.h"
#include "widgets/picturebox.h"
#include "widgets/picturebutton.h"

#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

using namespace Pinmark;

using namespace Qt::StringLiterals;

namespace {

enum class Frame
{
    None,
    Flat,
    Sunken
};

struct Control
{
    const char *window;
    const char *name;
    const char *kind;
    const char *container;
    QPoint place; // inside the container's frame
    QSize size;
    QPoint windowPos; // where the user sees it; only meaningful when shown
    bool shown;
    int tab;
    const char *picture;
    Frame frame;
    const char *toolTip;
};

constexpr const char *Close = "Close - اغلاق";
constexpr QPoint Unseen;

// Each container's controls are listed from the top of the stacking order down.
// clang-format off
const Control kControls[] = {
    {"frmWeb", "almbak", "PictureBox", "frmWeb", {0, 498}, {684, 54}, {0, 498}, true, 39, "B2", Frame::None, ""},
    {"frmWeb", "mwqa", "PictureButton", "frmWeb", {536, 101}, {136, 42}, {536, 101}, true, 36, "B5", Frame::None, ""},
    {"frmWeb", "aboutimg", "PictureButton", "frmWeb", {104, 101}, {50, 41}, {104, 101}, true, 33, "B7", Frame::None, "About - عن البرنامج"},
    {"frmWeb", "Picture1", "PictureBox", "frmWeb", {-16, 176}, {657, 57}, Unseen, false, 28, "", Frame::Sunken, ""},
    {"frmWeb", "min", "PictureButton", "frmWeb", {56, 101}, {50, 41}, {56, 101}, true, 27, "B9", Frame::None, "minimize -  تصغير"},
    {"frmWeb", "xx", "PictureButton", "frmWeb", {8, 101}, {50, 41}, {8, 101}, true, 26, "B11", Frame::None, Close},
    {"frmWeb", "swrurdn", "PictureBox", "frmWeb", {40, 32}, {129, 34}, Unseen, false, 25, "B14", Frame::None, ""},
    {"frmWeb", "urup1", "PictureBox", "frmWeb", {16, 16}, {131, 37}, Unseen, false, 23, "B15", Frame::Flat, ""},
    {"frmWeb", "urimgbac", "PictureBox", "frmWeb", {277, 104}, {131, 37}, {277, 104}, true, 21, "B15", Frame::Flat, ""},
    {"frmWeb", "btnbac1dn", "PictureBox", "frmWeb", {-8, 240}, {652, 37}, Unseen, false, 15, "B16", Frame::Flat, ""},
    {"frmWeb", "btnbac1up", "PictureBox", "frmWeb", {-8, 176}, {652, 37}, Unseen, false, 9, "B16", Frame::Flat, ""},
    {"frmWeb", "btnbac1", "PictureBox", "frmWeb", {16, 32}, {652, 37}, {16, 32}, true, 3, "B16", Frame::Flat, ""},
    {"frmWeb", "Text2", "TextField", "frmWeb", {18, 80}, {649, 21}, {18, 80}, true, 2, "", Frame::None, ""},
    {"frmWeb", "Text1", "TextField", "frmWeb", {96, 496}, {489, 25}, Unseen, false, 1, "", Frame::None, ""},
    {"frmWeb", "WebBrowser1", "QWidget", "frmWeb", {5, 144}, {673, 353}, {5, 144}, true, 0, "", Frame::None, ""},

    {"frmWeb", "loadimg", "PictureBox", "almbak", {278, 2}, {129, 48}, {278, 500}, true, 40, "B3", Frame::None, ""},
    {"frmWeb", "loadimgup", "PictureBox", "Picture1", {496, 0}, {129, 48}, Unseen, false, 42, "B4", Frame::None, Close},
    {"frmWeb", "loadimgdn", "PictureBox", "Picture1", {368, 32}, {129, 48}, Unseen, false, 41, "B3", Frame::None, Close},
    {"frmWeb", "mwqadn", "PictureBox", "Picture1", {360, 0}, {136, 42}, Unseen, false, 38, "B6", Frame::None, Close},
    {"frmWeb", "mwqaup", "PictureBox", "Picture1", {240, 0}, {136, 42}, Unseen, false, 37, "B5", Frame::None, Close},
    {"frmWeb", "aboutdn", "PictureBox", "Picture1", {288, 0}, {50, 41}, Unseen, false, 35, "B8", Frame::None, ""},
    {"frmWeb", "aboutup", "PictureBox", "Picture1", {232, 0}, {50, 41}, Unseen, false, 34, "B7", Frame::None, ""},
    {"frmWeb", "mindn", "PictureBox", "Picture1", {176, 0}, {50, 41}, Unseen, false, 32, "B10", Frame::None, ""},
    {"frmWeb", "minup", "PictureBox", "Picture1", {120, 0}, {50, 41}, Unseen, false, 31, "B9", Frame::None, ""},
    {"frmWeb", "xdn", "PictureBox", "Picture1", {56, 0}, {50, 41}, Unseen, false, 30, "B12", Frame::None, ""},
    {"frmWeb", "xup", "PictureBox", "Picture1", {0, 0}, {50, 41}, Unseen, false, 29, "B11", Frame::None, ""},
    {"frmWeb", "swrurup", "PictureBox", "urup1", {0, 0}, {129, 34}, Unseen, false, 24, "B13", Frame::None, ""},
    {"frmWeb", "swrur", "PictureButton", "urimgbac", {0, 0}, {129, 34}, {278, 105}, true, 22, "B13", Frame::None, ""},
    {"frmWeb", "swrd2dn", "PictureBox", "btnbac1dn", {1, 0}, {129, 34}, Unseen, false, 20, "B18", Frame::None, ""},
    {"frmWeb", "swrhc22dn", "PictureBox", "btnbac1dn", {131, 0}, {129, 34}, Unseen, false, 19, "B26", Frame::None, ""},
    {"frmWeb", "swrh22dn", "PictureBox", "btnbac1dn", {261, 0}, {129, 34}, Unseen, false, 18, "B24", Frame::None, ""},
    {"frmWeb", "swrfrc22dn", "PictureBox", "btnbac1dn", {391, 0}, {129, 34}, Unseen, false, 17, "B22", Frame::None, ""},
    {"frmWeb", "swrfr22dn", "PictureBox", "btnbac1dn", {520, 0}, {129, 34}, Unseen, false, 16, "B20", Frame::None, ""},
    {"frmWeb", "swrfr22up", "PictureBox", "btnbac1up", {520, 8}, {129, 34}, Unseen, false, 14, "B19", Frame::None, ""},
    {"frmWeb", "swrfrc22up", "PictureBox", "btnbac1up", {391, 0}, {129, 34}, Unseen, false, 13, "B21", Frame::None, ""},
    {"frmWeb", "swrh22up", "PictureBox", "btnbac1up", {261, 0}, {129, 34}, Unseen, false, 12, "B23", Frame::None, ""},
    {"frmWeb", "swrhc22up", "PictureBox", "btnbac1up", {131, 0}, {129, 34}, Unseen, false, 11, "B25", Frame::None, ""},
    {"frmWeb", "swrd2up", "PictureBox", "btnbac1up", {1, 0}, {129, 34}, Unseen, false, 10, "B17", Frame::None, ""},
    {"frmWeb", "swrd2", "PictureButton", "btnbac1", {1, 0}, {129, 34}, {18, 33}, true, 8, "B17", Frame::None, ""},
    {"frmWeb", "swrhc22", "PictureButton", "btnbac1", {131, 0}, {129, 34}, {148, 33}, true, 7, "B25", Frame::None, ""},
    {"frmWeb", "swrh22", "PictureButton", "btnbac1", {261, 0}, {129, 34}, {278, 33}, true, 6, "B23", Frame::None, ""},
    {"frmWeb", "swrfrc22", "PictureButton", "btnbac1", {391, 0}, {129, 34}, {408, 33}, true, 5, "B21", Frame::None, ""},
    {"frmWeb", "swrfr22", "PictureButton", "btnbac1", {520, 0}, {129, 34}, {537, 33}, true, 4, "B19", Frame::None, ""},

    {"about", "Picture3", "PictureBox", "about", {208, 248}, {96, 35}, Unseen, false, 2, "O2", Frame::None, ""},
    {"about", "Picture2", "PictureBox", "about", {104, 248}, {96, 35}, Unseen, false, 1, "O1", Frame::None, ""},
    {"about", "Picture1", "PictureButton", "about", {152, 299}, {96, 35}, {152, 299}, true, 0, "O1", Frame::None, ""},
    {"notcon", "Picture1", "PictureButton", "notcon", {152, 94}, {96, 35}, {152, 94}, true, 2, "O1", Frame::None, ""},
    {"notcon", "Picture2", "PictureBox", "notcon", {0, 0}, {96, 35}, Unseen, false, 1, "O1", Frame::None, ""},
    {"notcon", "Picture3", "PictureBox", "notcon", {104, 0}, {96, 35}, Unseen, false, 0, "O2", Frame::None, ""},
    {"selimg", "Picture3", "PictureBox", "selimg", {104, 0}, {96, 35}, Unseen, false, 2, "O2", Frame::None, ""},
    {"selimg", "Picture2", "PictureBox", "selimg", {0, 0}, {96, 35}, Unseen, false, 1, "O1", Frame::None, ""},
    {"selimg", "Picture1", "PictureButton", "selimg", {152, 94}, {96, 35}, {152, 94}, true, 0, "O1", Frame::None, ""},
    {"wronglink", "Picture3", "PictureBox", "wronglink", {104, 0}, {96, 35}, Unseen, false, 2, "O2", Frame::None, ""},
    {"wronglink", "Picture2", "PictureBox", "wronglink", {0, 0}, {96, 35}, Unseen, false, 1, "O1", Frame::None, ""},
    {"wronglink", "Picture1", "PictureButton", "wronglink", {152, 94}, {96, 35}, {152, 94}, true, 0, "O1", Frame::None, ""},
};
// clang-format on

const char *const kWindows[] = {"frmWeb", "about", "notcon", "selimg", "wronglink"};

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QString pictureResource(const QString &picture)
{
    return u":/skin/"_s + picture + u".jpg"_s;
}

std::vector<const Control *> controlsOf(const QString &window)
{
    std::vector<const Control *> controls;
    for (const Control &control : kControls) {
        if (text(control.window) == window)
            controls.push_back(&control);
    }
    return controls;
}

std::unique_ptr<QWidget> buildWindow(const QString &name)
{
    auto window = std::make_unique<QWidget>();
    if (name == "frmWeb"_L1)
        Ui::frmWeb().setupUi(window.get());
    else if (name == "about"_L1)
        Ui::about().setupUi(window.get());
    else if (name == "notcon"_L1)
        Ui::notcon().setupUi(window.get());
    else if (name == "selimg"_L1)
        Ui::selimg().setupUi(window.get());
    else if (name == "wronglink"_L1)
        Ui::wronglink().setupUi(window.get());
    else
        qFatal("no layout named %s", qPrintable(name));
    return window;
}

// The controls of a layout, without the helper widgets Qt creates inside its own classes.
QSet<QString> namedControls(const QWidget *window)
{
    QSet<QString> names;
    const auto children = window->findChildren<QWidget *>();
    for (const QWidget *child : children) {
        if (!child->objectName().isEmpty() && !child->objectName().startsWith("qt_"_L1))
            names.insert(child->objectName());
    }
    return names;
}

QWidget *control(const QWidget *window, const QString &name)
{
    const auto found = window->findChildren<QWidget *>(name);
    return found.size() == 1 ? found.first() : nullptr;
}

// A control that carries a picture, read alike from either class: a picture box, which may
// have a frame, or a picture button, which has none.
struct PictureControl
{
    const PictureBox *box;
    const PictureButton *button;

    QPixmap pixmap() const { return box ? box->pixmap() : button->pixmap(); }
    QFrame::Shape frameShape() const { return box ? box->frameShape() : QFrame::NoFrame; }
    QFrame::Shadow frameShadow() const { return box ? box->frameShadow() : QFrame::Plain; }
    int frameWidth() const { return box ? box->frameWidth() : 0; }
    QSize size() const { return box ? box->size() : button->size(); }
};

std::optional<PictureControl> pictureControl(const QWidget *widget)
{
    const PictureControl control{qobject_cast<const PictureBox *>(widget),
                                 qobject_cast<const PictureButton *>(widget)};
    if (!control.box && !control.button)
        return std::nullopt;
    return control;
}

} // namespace

class tst_Layouts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windows_data();
    void windows();
    void controls_data();
    void controls();
    void nothingBeyondTheTable_data();
    void nothingBeyondTheTable();
    void stacking_data();
    void stacking();
    void hitTest_data();
    void hitTest();
    void focusChain_data();
    void focusChain();
    void tabKey_data();
    void tabKey();
    void textFields();
    void accessibility_data();
    void accessibility();
};

void tst_Layouts::windows_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSize>("clientSize");
    QTest::addColumn<QString>("background");
    QTest::addColumn<QSize>("backgroundSize");

    QTest::newRow("frmWeb") << u"frmWeb"_s << u"Pinmark 1.0"_s << QSize(684, 552) << u"B1"_s
                            << QSize(684, 552);
    QTest::newRow("about") << u"about"_s << u"About Pinmark 1.0"_s << QSize(400, 340) << u"D1"_s
                           << QSize(400, 340);
    // The short notices cut off the last row of their pictures.
    QTest::newRow("notcon") << u"notcon"_s << u"Pinmark 1.0"_s << QSize(400, 135) << u"D2"_s
                            << QSize(400, 136);
    QTest::newRow("selimg") << u"selimg"_s << u"Pinmark 1.0"_s << QSize(400, 135) << u"D3"_s
                            << QSize(400, 136);
    QTest::newRow("wronglink") << u"wronglink"_s << u"Pinmark 1.0"_s << QSize(400, 135) << u"D4"_s
                               << QSize(400, 136);
}

void tst_Layouts::windows()
{
    QFETCH(QString, window);
    QFETCH(QString, title);
    QFETCH(QSize, clientSize);
    QFETCH(QString, background);
    QFETCH(QSize, backgroundSize);

    const auto w = buildWindow(window);
    QCOMPARE(w->objectName(), window);
    QCOMPARE(w->windowTitle(), title);
    QCOMPARE(w->size(), clientSize);
    QCOMPARE(w->minimumSize(), clientSize);
    QCOMPARE(w->maximumSize(), clientSize);

    const QString resource = pictureResource(background);
    QCOMPARE(w->property("backgroundPicture").toString(), resource);
    const QPixmap picture(resource);
    QVERIFY2(!picture.isNull(), qPrintable(resource));
    QCOMPARE(picture.size(), backgroundSize);
}

void tst_Layouts::controls_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QPoint>("place");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("windowPos");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<int>("frame");
    QTest::addColumn<QString>("toolTip");

    for (const Control &c : kControls) {
        QTest::addRow("%s/%s", c.window, c.name)
            << text(c.window) << text(c.name) << text(c.kind) << text(c.container) << c.place
            << c.size << c.windowPos << c.shown << text(c.picture) << int(c.frame)
            << text(c.toolTip);
    }
}

void tst_Layouts::controls()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, container);
    QFETCH(QPoint, place);
    QFETCH(QSize, size);
    QFETCH(QPoint, windowPos);
    QFETCH(bool, shown);
    QFETCH(QString, picture);
    QFETCH(int, frame);
    QFETCH(QString, toolTip);

    const auto w = buildWindow(window);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));

    QWidget *widget = control(w.get(), name);
    QVERIFY2(widget, "missing, or more than one control of that name");
    // Our own widget classes live in the program's namespace; the table names them plainly.
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()).remove(u"Pinmark::"_s), kind);
    QWidget *parent = widget->parentWidget();
    QVERIFY(parent);
    QCOMPARE(parent->objectName(), container);

    QCOMPARE(widget->pos() - parent->contentsRect().topLeft(), place);
    QCOMPARE(widget->size(), size);
    QCOMPARE(widget->isVisibleTo(w.get()), shown);
    QCOMPARE(widget->isVisible(), shown);
    if (shown)
        QCOMPARE(widget->mapTo(w.get(), QPoint()), windowPos);
    QCOMPARE(widget->toolTip(), toolTip);

    const auto box = pictureControl(widget);
    if (!box) {
        QVERIFY(picture.isEmpty());
        return;
    }
    switch (Frame(frame)) {
    case Frame::None:
        QCOMPARE(box->frameShape(), QFrame::NoFrame);
        QCOMPARE(box->frameWidth(), 0);
        break;
    case Frame::Flat:
        QCOMPARE(box->frameShape(), QFrame::Box);
        QCOMPARE(box->frameShadow(), QFrame::Plain);
        QCOMPARE(box->frameWidth(), 1);
        break;
    case Frame::Sunken:
        QCOMPARE(box->frameShape(), QFrame::WinPanel);
        QCOMPARE(box->frameShadow(), QFrame::Sunken);
        QCOMPARE(box->frameWidth(), 2);
        break;
    }

    if (picture.isEmpty()) {
        QVERIFY(box->pixmap().isNull());
        return;
    }
    const QPixmap expected(pictureResource(picture));
    QVERIFY2(!expected.isNull(), qPrintable(picture));
    QVERIFY2(box->pixmap().toImage() == expected.toImage(), "carries another picture");
    // A box is exactly its picture, plus its frame on each side.
    const int border = 2 * box->frameWidth();
    QCOMPARE(box->size(), box->pixmap().deviceIndependentSize().toSize() + QSize(border, border));
}

void tst_Layouts::nothingBeyondTheTable_data()
{
    QTest::addColumn<QString>("window");
    for (const char *window : kWindows)
        QTest::newRow(window) << text(window);
}

void tst_Layouts::nothingBeyondTheTable()
{
    QFETCH(QString, window);
    QSet<QString> expected;
    for (const Control *c : controlsOf(window))
        expected.insert(text(c->name));
    const auto w = buildWindow(window);
    QCOMPARE(namedControls(w.get()), expected);
}

void tst_Layouts::stacking_data()
{
    nothingBeyondTheTable_data();
}

void tst_Layouts::stacking()
{
    QFETCH(QString, window);
    const auto w = buildWindow(window);

    // Table order is top first; Qt keeps siblings bottom first.
    QStringList containers;
    for (const Control *c : controlsOf(window)) {
        if (!containers.contains(text(c->container)))
            containers << text(c->container);
    }
    for (const QString &containerName : std::as_const(containers)) {
        QStringList expected;
        for (const Control *c : controlsOf(window)) {
            if (text(c->container) == containerName)
                expected.prepend(text(c->name));
        }
        const QWidget *container =
            containerName == window ? w.get() : control(w.get(), containerName);
        QVERIFY(container);
        QStringList actual;
        for (const QObject *child : container->children()) {
            if (child->isWidgetType() && !child->objectName().startsWith("qt_"_L1))
                actual << child->objectName();
        }
        QCOMPARE(actual, expected);
    }
}

void tst_Layouts::hitTest_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QString>("expected"); // empty: the window's own surface

    // The round buttons overlap by 2 px; the one to the right is on top.
    QTest::newRow("xx alone") << u"frmWeb"_s << QPoint(55, 120) << u"xx"_s;
    QTest::newRow("min over xx, 56") << u"frmWeb"_s << QPoint(56, 120) << u"min"_s;
    QTest::newRow("min over xx, 57") << u"frmWeb"_s << QPoint(57, 120) << u"min"_s;
    QTest::newRow("aboutimg over min, 104") << u"frmWeb"_s << QPoint(104, 120) << u"aboutimg"_s;
    QTest::newRow("aboutimg over min, 105") << u"frmWeb"_s << QPoint(105, 120) << u"aboutimg"_s;
    QTest::newRow("aboutimg right edge") << u"frmWeb"_s << QPoint(153, 120) << u"aboutimg"_s;

    // One column of the bar's fill between the code buttons, except where two of them touch.
    QTest::newRow("bar frame left") << u"frmWeb"_s << QPoint(17, 45) << u"btnbac1"_s;
    QTest::newRow("swrd2 left edge") << u"frmWeb"_s << QPoint(18, 45) << u"swrd2"_s;
    QTest::newRow("swrd2 right edge") << u"frmWeb"_s << QPoint(146, 45) << u"swrd2"_s;
    QTest::newRow("gap 147") << u"frmWeb"_s << QPoint(147, 45) << u"btnbac1"_s;
    QTest::newRow("swrhc22") << u"frmWeb"_s << QPoint(148, 45) << u"swrhc22"_s;
    QTest::newRow("gap 277") << u"frmWeb"_s << QPoint(277, 45) << u"btnbac1"_s;
    QTest::newRow("swrh22") << u"frmWeb"_s << QPoint(278, 45) << u"swrh22"_s;
    QTest::newRow("gap 407") << u"frmWeb"_s << QPoint(407, 45) << u"btnbac1"_s;
    QTest::newRow("swrfrc22 left edge") << u"frmWeb"_s << QPoint(408, 45) << u"swrfrc22"_s;
    QTest::newRow("swrfrc22 meets swrfr22") << u"frmWeb"_s << QPoint(536, 45) << u"swrfrc22"_s;
    QTest::newRow("swrfr22 meets swrfrc22") << u"frmWeb"_s << QPoint(537, 45) << u"swrfr22"_s;
    QTest::newRow("swrfr22 right edge") << u"frmWeb"_s << QPoint(665, 45) << u"swrfr22"_s;
    QTest::newRow("bar below buttons") << u"frmWeb"_s << QPoint(300, 67) << u"btnbac1"_s;

    QTest::newRow("title band") << u"frmWeb"_s << QPoint(342, 12) << QString();
    QTest::newRow("Text2") << u"frmWeb"_s << QPoint(300, 90) << u"Text2"_s;
    QTest::newRow("paste panel frame") << u"frmWeb"_s << QPoint(277, 120) << u"urimgbac"_s;
    QTest::newRow("swrur") << u"frmWeb"_s << QPoint(278, 105) << u"swrur"_s;
    QTest::newRow("mwqa") << u"frmWeb"_s << QPoint(600, 120) << u"mwqa"_s;
    // Hidden holders and containers lie over the browser and the strip but never catch a press.
    QTest::newRow("browser under Picture1") << u"frmWeb"_s << QPoint(300, 200) << u"WebBrowser1"_s;
    QTest::newRow("browser under btnbac1dn") << u"frmWeb"_s << QPoint(100, 260) << u"WebBrowser1"_s;
    QTest::newRow("loadimg") << u"frmWeb"_s << QPoint(342, 520) << u"loadimg"_s;
    QTest::newRow("strip under Text1") << u"frmWeb"_s << QPoint(150, 510) << u"almbak"_s;
    QTest::newRow("swrd2 under swrurdn") << u"frmWeb"_s << QPoint(50, 40) << u"swrd2"_s;

    QTest::newRow("about OK top left") << u"about"_s << QPoint(152, 299) << u"Picture1"_s;
    QTest::newRow("about OK bottom right") << u"about"_s << QPoint(247, 333) << u"Picture1"_s;
    QTest::newRow("about holders") << u"about"_s << QPoint(120, 260) << QString();
    for (const char *notice : {"notcon", "selimg", "wronglink"}) {
        QTest::addRow("%s OK top left", notice) << text(notice) << QPoint(152, 94) << u"Picture1"_s;
        QTest::addRow("%s OK bottom right", notice)
            << text(notice) << QPoint(247, 128) << u"Picture1"_s;
        QTest::addRow("%s left of OK", notice) << text(notice) << QPoint(151, 110) << QString();
        QTest::addRow("%s holders", notice) << text(notice) << QPoint(10, 10) << QString();
    }
}

void tst_Layouts::hitTest()
{
    QFETCH(QString, window);
    QFETCH(QPoint, point);
    QFETCH(QString, expected);

    const auto w = buildWindow(window);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    const QWidget *hit = w->childAt(point);
    QCOMPARE(hit ? hit->objectName() : QString(), expected);
}

void tst_Layouts::focusChain_data()
{
    nothingBeyondTheTable_data();
}

void tst_Layouts::focusChain()
{
    QFETCH(QString, window);
    const auto w = buildWindow(window);

    // Only controls that take focus have a say in the order; holders and bars never get it.
    auto controls = controlsOf(window);
    std::sort(controls.begin(), controls.end(),
              [](const Control *a, const Control *b) { return a->tab < b->tab; });
    QStringList expected;
    QSet<QString> focusable;
    for (const Control *c : controls) {
        const QWidget *widget = control(w.get(), text(c->name));
        QVERIFY(widget);
        if (widget->focusPolicy() & Qt::TabFocus) {
            expected << text(c->name);
            focusable.insert(text(c->name));
        }
    }

    QStringList chain;
    for (QWidget *next = w->nextInFocusChain(); next && next != w.get();
         next = next->nextInFocusChain()) {
        if (focusable.contains(next->objectName()))
            chain << next->objectName();
    }
    QCOMPARE(chain, expected);
}

void tst_Layouts::tabKey_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("stops");

    QTest::newRow("frmWeb") << u"frmWeb"_s
                            << QStringList{u"WebBrowser1"_s, u"Text2"_s,    u"swrfr22"_s,
                                           u"swrfrc22"_s,    u"swrh22"_s,   u"swrhc22"_s,
                                           u"swrd2"_s,       u"swrur"_s,    u"xx"_s,
                                           u"min"_s,         u"aboutimg"_s, u"mwqa"_s};
    for (const char *notice : {"about", "notcon", "selimg", "wronglink"})
        QTest::newRow(notice) << text(notice) << QStringList{u"Picture1"_s};
}

void tst_Layouts::tabKey()
{
    QFETCH(QString, window);
    QFETCH(QStringList, stops);

    const auto w = buildWindow(window);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));

    // Focus starts on the first stop, and Tab walks the stops round to the first again.
    QStringList visited;
    for (qsizetype i = 0; i <= stops.size(); ++i) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        visited << focus->objectName();
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(visited, stops + QStringList{stops.first()});
}

void tst_Layouts::textFields()
{
    const auto w = buildWindow(u"frmWeb"_s);
    auto *text2 = w->findChild<QLineEdit *>(u"Text2"_s);
    auto *text1 = w->findChild<QLineEdit *>(u"Text1"_s);
    QVERIFY(text2);
    QVERIFY(text1);
    QVERIFY(text2->text().isEmpty());
    QVERIFY(text1->text().isEmpty());
    QVERIFY(text2->isReadOnly());
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        QCOMPARE(text2->palette().color(group, QPalette::Base), QColor(255, 255, 255));
}

void tst_Layouts::accessibility_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("accessibleName");
    QTest::addColumn<QString>("accessibleDescription");

    const auto row = [](const char *window, const char *name, const char *accessible,
                        const char *description) {
        QTest::addRow("%s/%s", window, name)
            << text(window) << text(name) << text(accessible) << text(description);
    };
    row("frmWeb", "xx", "اغلاق", "Close the program");
    row("frmWeb", "min", "تصغير", "Minimize");
    row("frmWeb", "aboutimg", "عن البرنامج", "About the program");
    row("frmWeb", "mwqa", "موقع البرنامج", "The program's web site: opens it in the web browser");
    row("frmWeb", "swrur", "لصق صورتك الخاصة",
        "Paste your own image: takes an image address from the clipboard as the selected image");
    row("frmWeb", "swrd2", "نسخ رابط مباشر",
        "Copy direct link: puts the selected image's address on the clipboard");
    row("frmWeb", "swrhc22", "نسخ وتوسيط HTML",
        "Copy and centre HTML: puts centred HTML for the selected image on the clipboard");
    row("frmWeb", "swrh22", "نسخ كود HTML",
        "Copy HTML code: puts HTML for the selected image on the clipboard");
    row("frmWeb", "swrfrc22", "نسخ وتوسيط للمنتدى",
        "Copy and centre for the forum: puts centred BBCode for the selected image on the "
        "clipboard");
    row("frmWeb", "swrfr22", "نسخ صورة للمنتدى",
        "Copy image for the forum: puts BBCode for the selected image on the clipboard");
    row("frmWeb", "Text2", "الكود — Output code", "");
    row("about", "Picture1", "موافق — OK", "Closes this notice");
    row("notcon", "Picture1", "موافق — OK", "Ends the program");
    row("selimg", "Picture1", "موافق — OK", "Closes this notice");
    row("wronglink", "Picture1", "موافق — OK", "Closes this notice");
}

void tst_Layouts::accessibility()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(QString, accessibleName);
    QFETCH(QString, accessibleDescription);

    const auto w = buildWindow(window);
    const QWidget *button = control(w.get(), name);
    QVERIFY(button);
    QCOMPARE(button->accessibleName(), accessibleName);
    QCOMPARE(button->accessibleDescription(), accessibleDescription);

    // No picture button of the window goes without a name.
    const auto buttons = w->findChildren<PictureButton *>();
    for (const PictureButton *b : buttons)
        QVERIFY2(!b->accessibleName().isEmpty(), qPrintable(b->objectName()));
}

QTEST_MAIN(tst_Layouts)
#include "tst_layouts.moc"
