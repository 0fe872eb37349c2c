// Window colour, position and background picture; the start page; activation; help.
#include "FrameTest.h"
#include "frame/Globals.h"
#include "frame/frmStart.h"
#include "support/Controls.h"
#include "support/TestEnv.h"

#include <QBuffer>
#include <QDialog>
#include <QIcon>
#include <QLabel>
#include <QMdiSubWindow>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

using frametest::MainWindow;
using frametest::processDeletes;

namespace {

QWidget *window(const QString &name, int width, int height = 200)
{
    auto *w = new QWidget;
    w->setObjectName(name);
    w->resize(width, height);
    return w;
}

QTextBrowser *help() { return qobject_cast<QTextBrowser *>(Utility::HelpWindow()); }

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

// A window that asks for more room than it is given.
struct Hinted : QWidget { QSize hint; QSize sizeHint() const override { return hint; } };

} // namespace

TEST(InitFormLayout, PositionColourPictureAndTheProgramsIcon)
{
    for (const bool files : {true, false}) {
        SCOPED_TRACE(files ? "the program folder as built" : "no picture (logged at each load) and no icon file");
        testenv::ProgramFolder app;
        if (!files) {
            ASSERT_TRUE(QFile::remove(app.path() + "Images/sfondopxn2.jpg"));
            ASSERT_TRUE(QFile::remove(app.path() + "Images/trambelo.png"));
        }
        QApplication::setWindowIcon(QIcon());
        MainWindow a;
        const int areaWidth = a.area->viewport()->width();
        struct Case { QString name; int width; int x; bool fits; };
        const Case cases[] = {
            {"frmStart", 300, 0, true},
            {"frmMetadati", 300, (areaWidth - 300) / 2, true},
            {"frm_Glossario", areaWidth + 200, 0, false},   // wider than the area: shrunk into it
        };
        QList<QWidget *> windows;
        for (const Case &c : cases) {
            SCOPED_TRACE(c.name.toStdString());
            QWidget *w = window(c.name, c.width);
            Utility::InitFormLayout(w);
            frame::ShowChild(w);
            auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
            ASSERT_TRUE(sub);
            windows << w << sub;
            EXPECT_EQ(sub->pos(), QPoint(c.x, 0));
            if (c.fits)
                EXPECT_EQ(w->size(), QSize(c.width, 200));   // the child frame keeps the window's size
            else
                EXPECT_EQ(sub->width(), areaWidth);
            EXPECT_EQ(w->palette().color(QPalette::Window), QColor(85, 85, 255));
            const QImage bg = Utility::BackgroundOf(w);
            EXPECT_EQ(bg.isNull() ? QSize() : bg.size(), files ? QSize(c.width, 210) : QSize());
        }
        // The start page lends its picture to the main window, which gets no picture of its own.
        EXPECT_EQ(a.area->picture().isNull() ? QSize() : a.area->picture().size(), files ? QSize(300, 210) : QSize());
        Utility::InitFormLayout(&a.window);
        EXPECT_TRUE(a.area->picture().isNull());
        EXPECT_EQ(a.area->background().color(), QColor(85, 85, 255));
        // The main window gives every window the program's icon.
        EXPECT_EQ(QApplication::windowIcon().isNull(), !files);
        const QImage icon(app.path() + "Images/trambelo.png");
        for (QWidget *w : files ? windows << &a.window : QList<QWidget *>()) {
            const QImage shown = w->windowIcon().pixmap(128, 128).toImage();
            ASSERT_EQ(shown.size(), icon.size());
            EXPECT_EQ(shown.pixelColor(100, 60), icon.pixelColor(100, 60));   // a bar of the icon
        }
        frametest::expectLog(app.files(), files ? 0 : 3, "Module:Utility Function: CaricaSfondoForm Error N.53");
        EXPECT_EQ(app.prompts.messages().size(), files ? 0 : 3);
    }
    QApplication::setWindowIcon(QIcon());
}

TEST(CaricaSfondoForm, ThePictureReadAheadCountsOnlyForTheSameFileAndABadPictureIsLogged)
{
    // Pictures of the window's size (10 rows taller), so that they are drawn unscaled.
    const auto picture = [](QColor left, QColor right) {
        QImage img(40, 30, QImage::Format_RGB32);
        for (int x = 0; x < img.width(); ++x)
            for (int y = 0; y < img.height(); ++y)
                img.setPixelColor(x, y, x < 20 ? left : right);
        return img;
    };
    const auto saved = [](const QImage &img) {
        QByteArray bytes;
        QBuffer buf(&bytes);
        buf.open(QIODevice::WriteOnly);
        img.save(&buf, "JPG", 90);
        return bytes;
    };
    const auto decoded = [](const QByteArray &bytes) {
        return QImage::fromData(bytes).convertToFormat(QImage::Format_RGB32);
    };
    const QByteArray first = saved(picture(Qt::red, Qt::green));
    const QByteArray second = saved(picture(Qt::blue, Qt::yellow)) + QByteArray(16, '\0');   // another size too
    struct Case { const char *name; QByteArray later; bool valid; };
    const Case cases[] = {
        {"the same file", first, true},
        {"replaced after it was read ahead", second, true},
        {"replaced by a damaged picture", first.left(100) + QByteArray(300, 'x'), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app;
        const QString path = app.path() + "Images/sfondopxn2.jpg";
        ASSERT_TRUE(frametest::writeAll(path, first));
        MainWindow a;
        Utility::BackgroundReadAhead ahead(app.path());
        QThread::msleep(100);   // read ahead by now (were it not, the new file is read: the same outcome)
        if (c.later != first) {
            ASSERT_TRUE(frametest::writeAll(path, c.later));
        }
        QWidget *page = window("frmStart", 40, 20);
        Utility::InitFormLayout(page);
        if (c.valid) {
            EXPECT_TRUE(Utility::BackgroundOf(page) == decoded(c.later));
            EXPECT_TRUE(a.area->picture() == decoded(c.later));
        } else {
            EXPECT_TRUE(Utility::BackgroundOf(page).isNull());
            EXPECT_EQ(page->palette().color(QPalette::Window), QColor(85, 85, 255));
        }
        frametest::expectLog(app.files(), c.valid ? 0 : 1, "Module:Utility Function: CaricaSfondoForm Error N.481");
        EXPECT_EQ(app.prompts.messages().size(), c.valid ? 0 : 1);
        delete page;
    }
}

TEST(ShowHelpTopic, OpensThePageOfTheTopic)
{
    testenv::ProgramFolder app;
    gHelpFile = app.files() + "Help/index.html";
    // every topic of the program has its own page
    for (long topic : {1000, 1100, 1200, 1300, 2000, 2100, 2200, 3000, 4000, 5000}) {
        EXPECT_NE(Utility::HelpPage(topic), "index.html");
        EXPECT_TRUE(QFileInfo::exists(app.files() + "Help/" + Utility::HelpPage(topic))) << topic;
    }
    // A page written on the original platform (Windows-1252); a missing page falls back to the index.
    ASSERT_TRUE(frametest::writeAll(app.files() + "Help/formula.html",
                                    "<html><body><p>Il costo in \x80 \x96 \x93" "formula\x94</p></body></html>"));
    QFile::remove(app.files() + "Help/mappa.html");
    struct Case { long topic; QString page; };
    const Case cases[] = {{1000, "selezione.html"}, {9999, "index.html"}, {1200, "index.html"}, {4000, "formula.html"}};
    for (const Case &c : cases) {
        ASSERT_TRUE(Utility::ShowHelpTopic(c.topic) && help());
        EXPECT_TRUE(help()->source().toLocalFile().endsWith("/Help/" + c.page)) << c.topic;
        EXPECT_FALSE(help()->toPlainText().isEmpty());
        EXPECT_FALSE(frame::OpenForms().contains(help()));
    }
    EXPECT_EQ(help()->toPlainText().trimmed().toStdString(), "Il costo in € – “formula”");
    help()->close();
    processDeletes();

    QDir(app.files() + "Help").removeRecursively();
    EXPECT_FALSE(Utility::ShowHelpTopic(1000));
    EXPECT_TRUE(app.prompts.shown.empty());
}

TEST(ShowHelpTopic, HelpFromAModalWindowTakesInputAtOnceAndOutlivesIt)
{
    testenv::ProgramFolder app;
    gHelpFile = app.files() + "Help/index.html";
    for (const bool helpOpenBefore : {false, true}) {
        SCOPED_TRACE(helpOpenBefore ? "help already open when the modal window opens" : "help opened from it");
        ASSERT_TRUE(!helpOpenBefore || Utility::ShowHelpTopic(0));
        BlockWatch watch;
        if (QWidget *h = Utility::HelpWindow())
            h->installEventFilter(&watch);
        QDialog dialog;
        dialog.setObjectName("frmInfo");
        bool blockedInside = true, shownInside = false;
        QTimer::singleShot(0, [&] {
            EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
            EXPECT_EQ(watch.blocked, helpOpenBefore);   // the open help is blocked by the new modal window
            ASSERT_TRUE(Utility::ShowHelpTopic(5000));
            QWidget *h = Utility::HelpWindow();
            h->removeEventFilter(&watch);
            h->installEventFilter(&watch);
            QCoreApplication::processEvents();
            blockedInside = watch.blocked;
            shownInside = h->isVisible() && h->isWindow();
            dialog.accept();
        });
        dialog.exec();
        EXPECT_TRUE(!blockedInside && shownInside);
        processDeletes();
        // The help stays open once the modal window is closed and destroyed.
        ASSERT_TRUE(help() && help()->isVisible() && !help()->parentWidget());
        EXPECT_TRUE(help()->source().toLocalFile().endsWith("informazioni.html"));
        help()->removeEventFilter(&watch);
        help()->close();
        processDeletes();
    }
}

TEST(OnFormActivate, OnlyARealChangeCountsAndClosingAChildComesBackToTheOneBefore)
{
    testenv::ProgramFolder app;
    QStringList calls;   // outlives the windows
    MainWindow a;
    // the selection window, the data table it opened, a sheet opened from the table;
    // coming back to the selection window closes the others
    const auto show = [&](const char *name, const char *call) {
        QWidget *w = window(name, 100);
        frame::OnFormActivate(w, [&calls, call, name] {
            calls << call;
            if (QString(name) == "frmSelezione")
                Utility::CloseOtherForms(name);
        });
        frame::ShowChild(w);
        return w;
    };
    QWidget *selection = show("frmSelezione", "selezione");
    auto *subSelection = qobject_cast<QMdiSubWindow *>(selection->parentWidget());
    a.area->setActiveSubWindow(subSelection);   // the same child again
    a.area->setActiveSubWindow(nullptr);        // the program loses the focus
    a.area->setActiveSubWindow(subSelection);   // and regains it
    EXPECT_EQ(calls.join(' ').toStdString(), "selezione");
    show("frmTabella", "tabella");
    frame::UnloadForm(show("frmScheda", "scheda"));
    processDeletes();
    EXPECT_EQ(calls.join(' ').toStdString(), "selezione tabella scheda tabella");
    EXPECT_EQ(frametest::openNames().join(' ').toStdString(), "frmSelezione frmTabella");
    frame::ShowChild(selection);   // closes the table
    EXPECT_EQ(calls.join(' ').toStdString(), "selezione tabella scheda tabella selezione");
    EXPECT_EQ(frametest::openNames(), QStringList{"frmSelezione"});
}

TEST(ShowChild, TheWindowKeepsItsGivenSizeAndThePictureIsStretchedToItAsItWasWhenItLoaded)
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
    MainWindow a;
    struct Case { const char *name; QSize given, hint; bool layout; QSize later; };   // later: resized after the load
    const Case cases[] = {
        {"wider and taller hint", {300, 200}, {900, 760}, true, {}},
        {"no layout, taller hint, larger than the picture", {400, 290}, {420, 700}, false, {}},
        {"smaller than the picture", {120, 70}, {}, false, {}},
        {"made larger after the load", {300, 190}, {}, false, {600, 380}},
    };
    const auto near = [](QColor a, QColor b) {
        return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())}) < 40;
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto *w = new Hinted;
        w->hint = c.hint;
        w->setObjectName("frmProva");
        if (c.layout)
            (new QVBoxLayout(w))->addWidget(new QLabel("testo"));
        w->resize(c.given);
        Utility::InitFormLayout(w);
        frame::ShowChild(w);
        QCoreApplication::processEvents();
        auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
        ASSERT_TRUE(sub);
        EXPECT_EQ(w->size(), c.given);
        EXPECT_TRUE(sub->rect().contains(w->geometry()));
        const QImage picture = Utility::BackgroundOf(w);
        EXPECT_TRUE(picture.height() >= w->height() && picture.width() >= w->width());
        if (c.later.isValid()) {
            sub->resize(sub->size() + (c.later - c.given));
            QCoreApplication::processEvents();
        } else {
            frame::ShowChild(w);   // brought forward again, it keeps its size
            EXPECT_EQ(w->size(), c.given);
        }
        const QImage shot = w->grab().toImage();
        // The picture covers the size at load and 10 rows more, whatever comes later.
        const int pw = c.given.width(), ph = c.given.height() + 10;
        for (int q = 0; q < 4; ++q) {
            const QPoint p(pw / 4 + (q % 2) * pw / 2, ph / 4 + (q / 2) * ph / 2);
            EXPECT_TRUE(near(shot.pixelColor(p), colors[q])) << q << " at " << p.x() << "," << p.y();
        }
        EXPECT_TRUE(c.later.width() <= pw + 10 || shot.pixelColor(pw + 5, ph / 4) == QColor(85, 85, 255));
        frame::UnloadForm(w);
        processDeletes();
    }
}

TEST(frmStart, CaptionIsTheFileLineByLine)
{
    struct Case { const char *what; QString text, caption; };
    const Case cases[] = {
        {"empty file", "", ""},
        {"last line without its end", "uno\ndue\ntre", "uno\r\ndue\r\ntre\r\n"},
        {"CR LF and CR line ends", "uno\r\ndue\rtre\r\n", "uno\r\ndue\r\ntre\r\n"},
        {"empty lines kept", "uno\n\n\ndue\n", "uno\r\n\r\n\r\ndue\r\n"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(frmStart::InfoCaption(c.text), c.caption) << c.what;
    EXPECT_EQ(frmStart::PageSize(QSize(1400, 1000)), QSize(1387, 950));   // 200 and 750 twips less
}

TEST(frmStart, FillsTheMainWindowAndLendsItsPictureWithOrWithoutItsText)
{
    struct Case { const char *what; QByteArray file; QString text; };
    const Case cases[] = {
        {"Windows-1252", "Costi in \x80 \x96 \x93" "banca dati\x94\r\n", "Costi in € – “banca dati”\r\n"},
        {"no file: logged, the page keeps its look", {}, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        testenv::ProgramFolder app;
        QFile::remove(app.files() + "InfoQrl.txt");
        ASSERT_TRUE(c.file.isNull() || frametest::writeAll(app.files() + "InfoQrl.txt", c.file));
        MainWindow main;
        frmStart *page = frmStart::ShowForm();
        auto *sub = page ? qobject_cast<QMdiSubWindow *>(page->parentWidget()) : nullptr;
        ASSERT_NE(sub, nullptr);
        EXPECT_EQ(sub->geometry(), QRect(QPoint(0, 0), frmStart::PageSize(main.window.size())));
        EXPECT_EQ(testenv::ctl<QLabel>(page, "lblInfo")->text().toStdString(), c.text.toStdString());
        EXPECT_EQ(testenv::ctl<QLabel>(page, "Label3")->text(), "Progetto operativo");
        EXPECT_FALSE(main.area->picture().isNull());   // laid out with the program's picture, which it lends
        EXPECT_EQ(frmStart::ShowForm(), page);   // one start page
        frametest::expectLog(app.files(), c.file.isNull() ? 1 : 0, "Module:frmStart Function: Form_Load Error N.53");
        EXPECT_EQ(app.prompts.shown.size(), c.file.isNull() ? 1u : 0u);
    }
}
