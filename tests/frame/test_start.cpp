// The start page: its text from InfoQrl.txt, its size and place in the main window.
#include "FrameTest.h"
#include "frame/Globals.h"
#include "frame/frmStart.h"
#include "support/Controls.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QMdiSubWindow>
#include <gtest/gtest.h>

using testenv::ctl;

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
    for (const Case &c : cases)
        EXPECT_EQ(frmStart::InfoCaption(c.text), c.caption) << c.what;
    EXPECT_EQ(frmStart::PageSize(QSize(1400, 1000)), QSize(1387, 950));   // 200 and 750 twips less
}

TEST(frmStart, FillsTheMainWindowAndLendsItsPictureWithOrWithoutItsText)
{
    struct Case { const char *what; QByteArray file; QString text; };
    const Case cases[] = {
        {"Latin-1", "Benvenuti\nnella banca dati della citt\xe0\n", "Benvenuti\r\nnella banca dati della città\r\n"},
        {"Windows-1252", "Costi in \x80 \x96 \x93" "banca dati\x94\r\n", "Costi in € – “banca dati”\r\n"},
        {"no file: logged, the page keeps its look", {}, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        testenv::ProgramFolder app;
        QFile::remove(app.files() + "InfoQrl.txt");
        if (!c.file.isNull())
            ASSERT_TRUE(frametest::writeAll(app.files() + "InfoQrl.txt", c.file));
        frametest::MainWindow main;
        frmStart *page = frmStart::ShowForm();
        ASSERT_NE(page, nullptr);
        auto *sub = qobject_cast<QMdiSubWindow *>(page->parentWidget());
        ASSERT_NE(sub, nullptr);
        EXPECT_EQ(sub->pos(), QPoint(0, 0));
        EXPECT_EQ(sub->size(), frmStart::PageSize(main.window.size()));
        EXPECT_EQ(ctl<QLabel>(page, "lblInfo")->text().toStdString(), c.text.toStdString());
        EXPECT_EQ(ctl<QLabel>(page, "Label3")->text(), "Progetto operativo");
        EXPECT_EQ(page->palette().color(QPalette::Window), Utility::BackColor);
        EXPECT_EQ(Utility::BackgroundOf(page).width(), page->width());
        EXPECT_FALSE(main.area->picture().isNull());
        EXPECT_EQ(frmStart::ShowForm(), page);   // one start page
        const QStringList log = frametest::logLines(app.files());
        EXPECT_EQ(log.size(), c.file.isNull() ? 1 : 0);
        if (c.file.isNull()) {
            EXPECT_TRUE(log.value(0).contains("Module:frmStart Function: Form_Load Error N.53"));
            EXPECT_EQ(app.prompts.messages().size(), 1);
        } else {
            EXPECT_TRUE(app.prompts.shown.empty());
        }
    }
}
