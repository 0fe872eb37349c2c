// Window colour, position and background picture; closing the other windows; help.
#include "FrameTest.h"
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "frame/Layout.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QTimer>
#include <QIcon>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// A main window's area of a known size, installed as the program's area.
struct Area {
    frame::BackgroundMdiArea area;
    Area()
    {
        area.setObjectName("MDIClient");
        area.resize(800, 600);
        area.show();
        frame::SetMdiArea(&area);
    }
    ~Area()
    {
        for (QWidget *w : frame::OpenForms())
            frame::UnloadForm(w);
        frametest::processDeletes();
        frame::SetMdiArea(nullptr);
    }
};

QWidget *window(const QString &name, int width, int height = 200)
{
    auto *w = new QWidget;
    w->setObjectName(name);
    w->resize(width, height);
    return w;
}

} // namespace

TEST(InitFormLayout, PositionColourAndPicture)
{
    testenv::ProgramFolder app;
    Area a;
    const int areaWidth = a.area.viewport()->width();
    struct Case { QString name; int width; int x; bool fits; };
    const Case cases[] = {
        {"frmStart", 300, 0, true},
        {"frmMetadati", 300, (areaWidth - 300) / 2, true},
        {"frm_Glossario", areaWidth + 200, 0, false},   // wider than the area: shrunk into it
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        QWidget *w = window(c.name, c.width);
        Utility::InitFormLayout(w);
        frame::ShowChild(w);
        auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
        ASSERT_TRUE(sub);
        EXPECT_EQ(sub->pos(), QPoint(c.x, 0));
        if (c.fits)
            EXPECT_EQ(w->size(), QSize(c.width, 200));   // the child frame keeps the window's size
        else
            EXPECT_EQ(sub->width(), areaWidth);
        EXPECT_EQ(w->palette().color(QPalette::Window), QColor(85, 85, 255));
        const QImage picture = Utility::BackgroundOf(w);
        EXPECT_EQ(picture.size(), QSize(c.width, 210));
    }
    // The start page lends its picture to the main window, which gets no picture of its own.
    EXPECT_EQ(a.area.picture().size(), QSize(300, 210));
    QWidget main;
    main.setObjectName("frmMainMDI");
    Utility::InitFormLayout(&main);
    EXPECT_TRUE(a.area.picture().isNull());
    EXPECT_EQ(a.area.background().color(), QColor(85, 85, 255));
    EXPECT_TRUE(app.prompts.shown.empty());
    EXPECT_FALSE(QFileInfo::exists(app.files() + "Error.log"));
}

TEST(InitFormLayout, MissingPictureIsLoggedAtEachLoad)
{
    testenv::ProgramFolder app;
    QFile::remove(app.path() + "Images/sfondopxn2.jpg");
    Area a;
    for (int i = 0; i < 2; ++i) {
        QWidget *w = window("frmStart", 300);
        Utility::InitFormLayout(w);
        EXPECT_TRUE(Utility::BackgroundOf(w).isNull());
        EXPECT_EQ(w->palette().color(QPalette::Window), QColor(85, 85, 255));
        frame::ShowChild(w);
    }
    const QStringList lines = frametest::logLines(app.files());
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains("Module:Utility Function: CaricaSfondoForm Error N.53"));
    EXPECT_EQ(app.prompts.messages().size(), 2);
    EXPECT_TRUE(a.area.picture().isNull());
}

TEST(CloseOtherForms, ClosesEveryOtherWindowFromASnapshot)
{
    struct Case { QString keep; QStringList left; };
    const Case cases[] = {{"", {}}, {"frmMetadati", {"frmMetadati"}}, {"frmmetadati", {}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.keep.toStdString());
        testenv::ProgramFolder app;
        Area a;
        for (const QString n : {"FormdatiTab", "frm_dispData", "frmMetadati", "frm_Glossario"})
            frame::ShowChild(window(n, 100));
        QPointer<QWidget> hidden = window("frmSelMappa", 100);   // loaded, never shown
        QWidget main;
        main.setObjectName("frmMainMDI");
        Utility::CloseOtherForms(c.keep);
        QStringList left;
        for (QWidget *w : frame::OpenForms())
            left << w->objectName();
        EXPECT_EQ(left, c.left);
        frametest::processDeletes();
        EXPECT_TRUE(hidden.isNull());
        EXPECT_EQ(frame::FindForm("frmMetadati") != nullptr, !c.left.isEmpty());
    }
}

TEST(ShowHelpTopic, OpensThePageOfTheTopic)
{
    testenv::ProgramFolder app;
    gHelpFile = app.files() + "Help/index.html";
    struct Case { long topic; QString page; };
    const Case cases[] = {{1000, "selezione.html"}, {1100, "tabella_dati.html"}, {5000, "informazioni.html"},
                          {0, "index.html"}, {9999, "index.html"}};
    for (const Case &c : cases) {
        EXPECT_TRUE(Utility::ShowHelpTopic(c.topic));
        auto *help = qobject_cast<QTextBrowser *>(Utility::HelpWindow());
        ASSERT_TRUE(help);
        EXPECT_TRUE(help->source().toLocalFile().endsWith("/Help/" + c.page)) << c.topic;
        EXPECT_FALSE(help->toPlainText().isEmpty());
        EXPECT_FALSE(frame::OpenForms().contains(help));
    }
    // every topic of the program has its own page
    for (long topic : {1000, 1100, 1200, 1300, 2000, 2100, 2200, 3000, 4000, 5000}) {
        EXPECT_NE(Utility::HelpPage(topic), "index.html");
        EXPECT_TRUE(QFileInfo::exists(app.files() + "Help/" + Utility::HelpPage(topic))) << topic;
    }
    // a page that is missing falls back to the index
    QFile::remove(app.files() + "Help/mappa.html");
    EXPECT_TRUE(Utility::ShowHelpTopic(1200));
    EXPECT_TRUE(qobject_cast<QTextBrowser *>(Utility::HelpWindow())->source().toLocalFile().endsWith("index.html"));
    Utility::HelpWindow()->close();
    frametest::processDeletes();

    QDir(app.files() + "Help").removeRecursively();
    EXPECT_FALSE(Utility::ShowHelpTopic(1000));
    EXPECT_TRUE(app.prompts.shown.empty());
}

namespace {
// Whether a window is blocked by a modal window, as the toolkit tells it.
struct BlockWatch : QObject {
    bool blocked = false;
    bool eventFilter(QObject *, QEvent *ev) override
    {
        if (ev->type() == QEvent::WindowBlocked)
            blocked = true;
        else if (ev->type() == QEvent::WindowUnblocked)
            blocked = false;
        return false;
    }
};
} // namespace

TEST(ShowHelpTopic, HelpFromAModalWindowTakesInputAtOnceAndOutlivesIt)
{
    testenv::ProgramFolder app;
    gHelpFile = app.files() + "Help/index.html";
    struct Case { const char *what; bool helpOpenBefore; };
    for (const Case &c : {Case{"help opened from the modal window", false},
                          Case{"help already open when the modal window opens", true}}) {
        SCOPED_TRACE(c.what);
        if (c.helpOpenBefore)
            ASSERT_TRUE(Utility::ShowHelpTopic(0));
        BlockWatch watch;
        if (QWidget *help = Utility::HelpWindow())
            help->installEventFilter(&watch);
        QDialog dialog;
        dialog.setObjectName("frmInfo");
        bool blockedInside = true;
        bool shownInside = false;
        QTimer::singleShot(0, [&] {
            EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
            EXPECT_EQ(watch.blocked, c.helpOpenBefore);   // the open help is blocked by the new modal window
            ASSERT_TRUE(Utility::ShowHelpTopic(5000));
            QWidget *help = Utility::HelpWindow();
            help->removeEventFilter(&watch);
            help->installEventFilter(&watch);
            QCoreApplication::processEvents();
            blockedInside = watch.blocked;
            shownInside = help->isVisible() && help->isWindow();
            dialog.accept();
        });
        dialog.exec();
        EXPECT_FALSE(blockedInside);
        EXPECT_TRUE(shownInside);
        frametest::processDeletes();
        // The help stays open once the modal window is closed and destroyed.
        auto *help = qobject_cast<QTextBrowser *>(Utility::HelpWindow());
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(help->isVisible());
        EXPECT_EQ(help->parentWidget(), nullptr);
        EXPECT_TRUE(help->source().toLocalFile().endsWith("informazioni.html"));
        help->removeEventFilter(&watch);
        help->close();
        frametest::processDeletes();
    }
}

TEST(ShowHelpTopic, PagesWrittenOnTheOriginalPlatformReadRight)
{
    testenv::ProgramFolder app;
    gHelpFile = app.files() + "Help/index.html";
    QFile page(app.files() + "Help/formula.html");
    ASSERT_TRUE(page.open(QIODevice::WriteOnly | QIODevice::Truncate));
    page.write("<html><body><p>Il costo in \x80 \x96 \x93" "formula\x94</p></body></html>");   // Windows-1252
    page.close();
    ASSERT_TRUE(Utility::ShowHelpTopic(4000));
    auto *help = qobject_cast<QTextBrowser *>(Utility::HelpWindow());
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->toPlainText().trimmed().toStdString(), QString::fromUtf8("Il costo in € – “formula”").toStdString());
    help->close();
    frametest::processDeletes();
}

TEST(OnFormActivate, OnlyARealChangeOfTheActiveChildCounts)
{
    testenv::ProgramFolder app;
    QStringList calls;   // outlives the windows
    Area a;
    QWidget *first = window("frmPrimo", 100);
    QWidget *second = window("frmSecondo", 100);
    QWidget *third = window("frmTerzo", 100);
    frame::OnFormActivate(first, [&] { calls << "primo"; });
    // coming back to the second window closes the others
    frame::OnFormActivate(second, [&] { calls << "secondo"; Utility::CloseOtherForms("frmSecondo"); });
    frame::OnFormActivate(third, [&] { calls << "terzo"; });
    frame::ShowChild(first);
    auto *subFirst = qobject_cast<QMdiSubWindow *>(first->parentWidget());
    a.area.setActiveSubWindow(subFirst);   // the same child again
    a.area.setActiveSubWindow(nullptr);    // the program loses the focus
    a.area.setActiveSubWindow(subFirst);   // and regains it
    EXPECT_EQ(calls, QStringList({"primo"}));
    frame::ShowChild(third);
    frame::ShowChild(second);              // closes the first and the third window
    EXPECT_EQ(calls, QStringList({"primo", "terzo", "secondo"}));
    QStringList open;
    for (QWidget *w : frame::OpenForms())
        open << w->objectName();
    EXPECT_EQ(open, QStringList({"frmSecondo"}));
}

TEST(OnFormActivate, ClosingAChildComesBackToTheOneActiveBeforeIt)
{
    testenv::ProgramFolder app;
    QStringList calls;
    Area a;
    // the selection window, the data table it opened, a sheet opened from the table;
    // coming back to the selection window closes the others
    QWidget *selection = window("frmSelezione", 100);
    frame::OnFormActivate(selection, [&] { calls << "selezione"; Utility::CloseOtherForms("frmSelezione"); });
    frame::ShowChild(selection);
    QWidget *table = window("frmTabella", 100);
    frame::OnFormActivate(table, [&] { calls << "tabella"; });
    frame::ShowChild(table);
    QWidget *sheet = window("frmScheda", 100);
    frame::OnFormActivate(sheet, [&] { calls << "scheda"; });
    frame::ShowChild(sheet);
    frame::UnloadForm(sheet);
    frametest::processDeletes();
    EXPECT_EQ(calls.join(' ').toStdString(), "selezione tabella scheda tabella");
    QStringList open;
    for (QWidget *w : frame::OpenForms())
        open << w->objectName();
    EXPECT_EQ(open.join(' ').toStdString(), "frmSelezione frmTabella");
}

namespace {

// A window that asks for more room than it is given.
struct Hinted : QWidget {
    QSize hint;
    QSize sizeHint() const override { return hint; }
};

} // namespace

TEST(ShowChild, TheWindowKeepsItsGivenSizeAndItsPictureCoversIt)
{
    testenv::ProgramFolder app;
    Area a;
    struct Case { const char *name; QSize given; QSize hint; bool layout; };
    const Case cases[] = {
        {"taller hint", {400, 300}, {400, 700}, true},
        {"wider and taller hint", {300, 200}, {900, 760}, true},
        {"smaller hint", {500, 400}, {100, 80}, true},
        {"no layout, taller hint", {400, 300}, {420, 700}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto *w = new Hinted;
        w->hint = c.hint;
        w->setObjectName("frmProva");
        if (c.layout) {
            auto *box = new QVBoxLayout(w);
            box->addWidget(new QLabel("testo"));
        }
        w->resize(c.given);
        Utility::InitFormLayout(w);
        frame::ShowChild(w);
        QCoreApplication::processEvents();
        auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
        ASSERT_TRUE(sub);
        EXPECT_EQ(w->size(), c.given);
        EXPECT_TRUE(sub->rect().contains(w->geometry()));
        const QImage picture = Utility::BackgroundOf(w);
        EXPECT_GE(picture.height(), w->height());
        EXPECT_GE(picture.width(), w->width());
        // brought forward again, it keeps its size
        frame::ShowChild(w);
        EXPECT_EQ(w->size(), c.given);
        frame::UnloadForm(w);
        frametest::processDeletes();
    }
}

TEST(CaricaSfondoForm, ThePictureIsStretchedToTheWindowAsItWasWhenItLoaded)
{
    testenv::ProgramFolder app;
    // A picture of four coloured quarters, so that a picture drawn at the
    // wrong size or place shows the wrong colour.
    QImage quarters(200, 100, QImage::Format_RGB32);
    const QColor colors[4] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            quarters.setPixelColor(x, y, colors[(y >= 50) * 2 + (x >= 100)]);
    ASSERT_TRUE(quarters.save(app.path() + "Images/sfondopxn2.jpg", "JPG", 100));
    Area a;
    struct Case {
        const char *name;
        QSize atLoad;
        QSize later;   // resized after the load
    };
    const Case cases[] = {
        {"larger than the picture", {400, 290}, {400, 290}},
        {"smaller than the picture", {120, 70}, {120, 70}},
        {"made larger after the load", {300, 190}, {600, 380}},
    };
    const auto near = [](const QColor &a, const QColor &b) {
        return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 &&
               std::abs(a.blue() - b.blue()) < 40;
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QWidget *w = window("frmProva", c.atLoad.width(), c.atLoad.height());
        Utility::InitFormLayout(w);
        frame::ShowChild(w);
        if (c.later != c.atLoad) {
            auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
            sub->resize(sub->size() + (c.later - c.atLoad));
        }
        QCoreApplication::processEvents();
        const QImage shot = w->grab().toImage();
        // The picture covers the size at load and 10 rows more, whatever comes later.
        const int pw = c.atLoad.width(), ph = c.atLoad.height() + 10;
        for (int q = 0; q < 4; ++q) {
            const QPoint p(pw / 4 + (q % 2) * pw / 2, ph / 4 + (q / 2) * ph / 2);
            EXPECT_TRUE(near(shot.pixelColor(p), colors[q])) << q << " at " << p.x() << "," << p.y();
        }
        if (c.later.width() > pw + 10)
            EXPECT_EQ(shot.pixelColor(pw + 5, ph / 4), QColor(85, 85, 255));
        frame::UnloadForm(w);
        frametest::processDeletes();
    }
}

TEST(InitFormLayout, TheMainWindowGivesEveryWindowTheProgramsIcon)
{
    struct Case {
        const char *name;
        bool iconFile;
    };
    const Case cases[] = {{"the program folder as built", true}, {"no icon file", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app;
        if (!c.iconFile)
            ASSERT_TRUE(QFile::remove(app.path() + "Images/trambelo.png"));
        QApplication::setWindowIcon(QIcon());
        Area a;
        QWidget main;
        main.setObjectName("frmMainMDI");
        Utility::InitFormLayout(&main);
        QWidget *child = window("frmMetadati", 300);
        Utility::InitFormLayout(child);
        frame::ShowChild(child);
        if (c.iconFile) {
            const QImage file(app.path() + "Images/trambelo.png");
            ASSERT_FALSE(file.isNull());
            for (QWidget *w : {&main, child, child->parentWidget()}) {
                const QImage shown = w->windowIcon().pixmap(128, 128).toImage();
                ASSERT_EQ(shown.size(), file.size());
                EXPECT_EQ(shown.pixelColor(100, 60), file.pixelColor(100, 60));   // a bar of the icon
            }
        } else {
            EXPECT_TRUE(QApplication::windowIcon().isNull());
        }
        EXPECT_TRUE(app.prompts.shown.empty());
        EXPECT_FALSE(QFileInfo::exists(app.files() + "Error.log"));
    }
    QApplication::setWindowIcon(QIcon());
}
