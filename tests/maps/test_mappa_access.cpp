// The map window as an assistive tool (a screen reader) reads and drives it.
#include "frame/Globals.h"
#include "maps/frm_Mappa.h"
#include "maps/map_window_support.h"
#include "support/Controls.h"
#include "support/TestEnv.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <functional>
#include <gtest/gtest.h>
#include <map>

using namespace maps;
using testenv::ctl;

namespace {

MapInput provinces()
{
    MapInput in;
    in.header = "A0001_1996";
    in.description = "Superficie territoriale";
    in.level = 2;
    in.levelName = "provincia";
    for (int c = 1; c <= 107; ++c)
        in.rows.push_back({QString::number(c), QStringLiteral("%1,00").arg(c)});
    return in;
}

// The map window on every province, at the size the tests give it.
struct OpenMap : maptest::OpenMap {
    explicit OpenMap(const QSize &size = {1000, 650}) : maptest::OpenMap(provinces(), size) {}
};

// Every accessible interface under `root` with the number of children it
// reported, as a reader's walk leaves them.
std::map<QAccessible::Id, int> walk(QAccessibleInterface *root)
{
    std::map<QAccessible::Id, int> out;
    std::function<void(QAccessibleInterface *, int)> visit = [&](QAccessibleInterface *iface, int depth) {
        if (!iface || !iface->isValid() || depth > 40)
            return;
        const QAccessible::Id id = QAccessible::uniqueId(iface);
        if (out.count(id))
            return;
        const int n = iface->childCount();
        out[id] = n;
        for (int i = 0; i < n; ++i)
            visit(iface->child(i), depth + 1);
    };
    visit(root, 0);
    return out;
}

} // namespace

TEST(MapAccessibility, AReaderAskingForChildrenCountedBeforeAResetGetsNoneInsteadOfACrash)
{
    OpenMap m;
    ASSERT_NE(m.w, nullptr);
    auto *panel = m.w->findChild<QScrollArea *>();
    ASSERT_NE(panel, nullptr);
    // A window just tall enough for the panel with "Avanzate" ticked and no class grid.
    ctl<QCheckBox>(m.w, "Avanz")->click();
    QApplication::processEvents();
    const int tall = panel->widget()->minimumSizeHint().height() + 20;
    m.w->resize(m.w->width(), m.w->height() + tall - panel->viewport()->height());
    QApplication::processEvents();
    int shrunk = 0;
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        // "Avanzate" ticked and a map drawn: the left panel is taller than the window.
        QCheckBox *avanz = ctl<QCheckBox>(m.w, "Avanz");
        if (!avanz->isChecked())
            avanz->click();
        ctl<QPushButton>(m.w, "Cmd_cmdAutocolor")->click();
        QApplication::processEvents();
        ASSERT_TRUE(panel->verticalScrollBar()->isVisible());
        const auto before = walk(QAccessible::queryAccessibleInterface(m.w));

        // The reader counted; now the reset hides the class grid and the panel's scroll bar goes.
        ctl<QPushButton>(m.w, "cmd_reset")->click();
        QApplication::processEvents();

        for (const auto &[id, count] : before) {
            QAccessibleInterface *iface = QAccessible::accessibleInterface(id);
            if (!iface || !iface->isValid() || !qobject_cast<QScrollArea *>(iface->object()))
                continue;
            const int now = iface->childCount();
            shrunk += now < count;
            for (int i = 0; i <= count; ++i) {
                QAccessibleInterface *child = iface->child(i);
                if (i >= now)
                    EXPECT_EQ(child, nullptr) << "child " << i << " of " << now;
                else
                    EXPECT_TRUE(child && child->isValid() && child->parent() == iface) << "child " << i;
            }
        }
    }
    EXPECT_GT(shrunk, 0);   // the reset took a child away from a reader's view
}

TEST(MapAccessibility, OptionsAndCheckBoxesToggledByAnAssistiveToolRunTheirHandlers)
{
    OpenMap m;
    ASSERT_NE(m.w, nullptr);
    const auto toggle = [&](const char *name) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(ctl<QAbstractButton>(m.w, name));
        ASSERT_TRUE(iface && iface->actionInterface());
        iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QApplication::processEvents();
    };
    const auto visible = [&](const char *name) { return ctl<QWidget>(m.w, name)->isVisible(); };
    const auto checked = [&](const char *name) { return ctl<QAbstractButton>(m.w, name)->isChecked(); };
    const auto enabled = [&](const char *name) { return ctl<QWidget>(m.w, name)->isEnabled(); };
    struct Case {
        const char *control;
        std::function<void()> expect;
    };
    const Case cases[] = {
        {"Avanz", [&] { EXPECT_TRUE(visible("Frame4")); EXPECT_TRUE(visible("ListView1")); }},
        {"chk_inform", [&] { EXPECT_TRUE(checked("chk_inform")); EXPECT_FALSE(checked("chk_zoom")); }},
        {"chk_zoom", [&] { EXPECT_TRUE(checked("chk_zoom")); EXPECT_FALSE(checked("chk_inform")); }},
        {"chk_zoom", [&] { EXPECT_FALSE(checked("chk_zoom")); EXPECT_TRUE(checked("chk_inform")); }},
        {"Option2", [&] {
             EXPECT_TRUE(visible("Frame3")); EXPECT_FALSE(visible("Frame5")); EXPECT_FALSE(visible("cmdNota"));
         }},
        {"Option3", [&] {
             EXPECT_TRUE(visible("Frame2")); EXPECT_FALSE(visible("Frame3"));
             EXPECT_EQ(ctl<QGroupBox>(m.w, "fraCB")->title(), "Click sul colore per modificare");
         }},
        {"Option1", [&] { EXPECT_TRUE(visible("Frame5")); EXPECT_FALSE(visible("Frame2")); EXPECT_TRUE(visible("cmdNota")); }},
        {"chk_outline", [&] {
             EXPECT_EQ(enabled("pic_colorSep"), checked("chk_outline"));
             EXPECT_EQ(enabled("lbl_colorsep"), checked("chk_outline"));
         }},
        {"chk_Trasparent", [&] {
             EXPECT_EQ(enabled("pic_colorsfondo"), !checked("chk_Trasparent"));
             EXPECT_EQ(enabled("lbl_colors"), !checked("chk_Trasparent"));
         }},
        {"Avanz", [&] { EXPECT_FALSE(visible("Frame4")); EXPECT_FALSE(visible("ListView1")); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.control);
        toggle(c.control);
        c.expect();
    }
}
