// The identify list of the map window, as the window opens in the main window.
#include "frame/Forms.h"
#include "frame/Layout.h"
#include "maps/map_window_support.h"

#include <QCheckBox>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace maps;
using testenv::ctl;

TEST(MapIdentify, TheListShowsNameRegionAndValueWithoutScrolling)
{
    // A large desktop font (rows taller than the headless default), on a 1024 x 768 screen.
    const QFont oldFont = QApplication::font();
    QFont font = oldFont;
    font.setPointSize(16);
    QApplication::setFont(font);
    {
        testenv::ProgramFolder pf;
        QMainWindow main;
        auto *area = new frame::BackgroundMdiArea;
        main.setCentralWidget(area);
        main.menuBar()->addMenu("File");
        main.resize(1024, 718);
        main.show();
        frame::SetMdiArea(area);
        QApplication::processEvents();

        gNomeLivelloMappa = "provincia";
        gLivelloMappa = 2;
        frm_Mappa *w = frm_Mappa::ShowForm(maptest::provinceInput(false));
        ASSERT_NE(w, nullptr);
        ctl<QPushButton>(w, "Cmd_cmdAutocolor")->click();
        ctl<QCheckBox>(w, "Avanz")->click();
        ctl<QCheckBox>(w, "chk_inform")->click();
        QApplication::processEvents();
        w->DoIdentify(maptest::pointIn(w, "58"));
        QApplication::processEvents();

        auto *list = ctl<QTreeWidget>(w, "ListView1");
        ASSERT_EQ(list->topLevelItemCount(), 3);   // the value, the province, its region
        EXPECT_EQ(list->topLevelItem(1)->text(1), "Roma");
        // Every row in view, top to bottom: inside the list, and the list inside
        // the part of the panel in view.
        auto *panel = w->findChild<QScrollArea *>();
        ASSERT_NE(panel, nullptr);
        const auto within = [](const QRect &r, int height) { return r.top() >= 0 && r.bottom() < height; };
        for (int i = 0; i < 3; ++i) {
            const QRect r = list->visualItemRect(list->topLevelItem(i));
            EXPECT_TRUE(within(r, list->viewport()->height()))
                << "row " << i << " at " << r.y() << "+" << r.height() << " of " << list->viewport()->height();
            const QRect onPanel(list->viewport()->mapTo(panel->viewport(), r.topLeft()), r.size());
            EXPECT_TRUE(within(onPanel, panel->viewport()->height()))
                << "row " << i << " at " << onPanel.y() << " of the panel's " << panel->viewport()->height();
        }
        frame::UnloadForm(w);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        frame::SetMdiArea(nullptr);
    }
    QApplication::setFont(oldFont);
}
