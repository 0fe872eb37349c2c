// The start page: its text from InfoQrl.txt, its size and place in the main window.
#include "FrameTest.h"
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "frame/Layout.h"
#include "frame/frmStart.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <gtest/gtest.h>

namespace {

// A main window of a known size with the program's document area.
struct Main {
    QMainWindow window;
    frame::BackgroundMdiArea *area = new frame::BackgroundMdiArea;
    Main()
    {
        window.setObjectName("frmMainMDI");
        window.setCentralWidget(area);
        window.resize(1000, 760);
        window.show();
        frame::SetMdiArea(area);
    }
    ~Main()
    {
        for (QWidget *w : frame::OpenForms())
            frame::UnloadForm(w);
        frametest::processDeletes();
        frame::SetMdiArea(nullptr);
    }
};

void writeInfo(const QString &filesFolder, const QByteArray &bytes)
{
    QFile f(filesFolder + "InfoQrl.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

TEST(frmStart, CaptionIsTheFileLineByLine)
{
    struct Case { const char *what; QString text, caption; };
    const Case cases[] = {
        {"empty file", "", ""},
        {"three lines", "uno\ndue\ntre\n", "uno\r\ndue\r\ntre\r\n"},
        {"last line without its end", "uno\ndue\ntre", "uno\r\ndue\r\ntre\r\n"},
        {"CR LF and CR line ends", "uno\r\ndue\rtre\r\n", "uno\r\ndue\r\ntre\r\n"},
        {"empty lines kept", "uno\n\n\ndue\n", "uno\r\n\r\n\r\ndue\r\n"},
        {"one empty line", "\n", "\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(frmStart::InfoCaption(c.text), c.caption);
    }
    EXPECT_EQ(frmStart::PageSize(QSize(1400, 1000)), QSize(1387, 950));   // 200 and 750 twips less
}

TEST(frmStart, FillsTheMainWindowAndLendsItsPicture)
{
    testenv::ProgramFolder app;
    writeInfo(app.files(), "Benvenuti\nnella banca dati della citt\xe0\n");   // Latin-1
    Main main;
    frmStart *page = frmStart::ShowForm();
    ASSERT_NE(page, nullptr);
    auto *sub = qobject_cast<QMdiSubWindow *>(page->parentWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->pos(), QPoint(0, 0));
    EXPECT_EQ(sub->size(), frmStart::PageSize(main.window.size()));
    EXPECT_EQ(page->findChild<QLabel *>("lblInfo")->text(), QString("Benvenuti\r\nnella banca dati della città\r\n"));
    EXPECT_EQ(page->findChild<QLabel *>("Label3")->text(), "Progetto operativo");
    EXPECT_FALSE(Utility::BackgroundOf(page).isNull());
    EXPECT_EQ(Utility::BackgroundOf(page).width(), page->width());
    EXPECT_FALSE(main.area->picture().isNull());
    EXPECT_EQ(frmStart::ShowForm(), page);   // one start page
    EXPECT_TRUE(app.prompts.shown.empty());
}

TEST(frmStart, MissingTextIsLoggedAndThePageKeepsItsLook)
{
    testenv::ProgramFolder app;
    QFile::remove(app.files() + "InfoQrl.txt");
    Main main;
    frmStart *page = frmStart::ShowForm();
    EXPECT_TRUE(page->findChild<QLabel *>("lblInfo")->text().isEmpty());
    EXPECT_EQ(page->findChild<QLabel *>("Label3")->text(), "Progetto operativo");
    auto *sub = qobject_cast<QMdiSubWindow *>(page->parentWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->size(), frmStart::PageSize(main.window.size()));
    EXPECT_EQ(page->palette().color(QPalette::Window), Utility::BackColor);
    EXPECT_FALSE(Utility::BackgroundOf(page).isNull());
    EXPECT_FALSE(main.area->picture().isNull());
    const QStringList log = frametest::logLines(app.files());
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains("Module:frmStart Function: Form_Load Error N.53"));
    EXPECT_EQ(app.prompts.messages().size(), 1);
}

TEST(frmStart, TextWrittenOnTheOriginalPlatformReadsRight)
{
    testenv::ProgramFolder app;
    writeInfo(app.files(), "Costi in \x80 \x96 \x93" "banca dati\x94\r\n");   // Windows-1252
    Main main;
    frmStart *page = frmStart::ShowForm();
    EXPECT_EQ(page->findChild<QLabel *>("lblInfo")->text().toStdString(),
              QString::fromUtf8("Costi in € – “banca dati”\r\n").toStdString());
}
