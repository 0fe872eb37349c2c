// The map window as an assistive tool (a screen reader) reads and drives it.
#include "maps/map_window_support.h"

#include <QAccessible>
#include <QCheckBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <functional>
#include <gtest/gtest.h>
#include <map>

using namespace maps;
using testenv::ctl;

namespace {

// The map window on every province, at the size the tests give it.
struct OpenMap : maptest::OpenMap {
    OpenMap() : maptest::OpenMap(maptest::provinceInput(false), {1000, 650}) {}
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
    // The control toggled, then the controls shown, ticked and enabled ("+name") or not ("-name").
    struct Case { const char *control, *visible, *checked, *enabled; };
    const Case cases[] = {
        {"Avanz", "+Frame4 +ListView1", "", ""},
        {"chk_inform", "", "+chk_inform -chk_zoom", ""},
        {"chk_zoom", "", "+chk_zoom -chk_inform", ""},
        {"chk_zoom", "", "-chk_zoom +chk_inform", ""},
        {"Option2", "+Frame3 -Frame5 -cmdNota", "", ""},
        {"Option3", "+Frame2 -Frame3", "", ""},
        {"Option1", "+Frame5 -Frame2 +cmdNota", "", ""},
        {"chk_outline", "", "-chk_outline", "-pic_colorSep -lbl_colorsep"},
        {"chk_outline", "", "+chk_outline", "+pic_colorSep +lbl_colorsep"},
        {"chk_Trasparent", "", "+chk_Trasparent", "-pic_colorsfondo -lbl_colors"},
        {"Avanz", "-Frame4 -ListView1", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.control);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(ctl<QAbstractButton>(m.w, c.control));
        ASSERT_TRUE(iface && iface->actionInterface());
        iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QApplication::processEvents();
        EXPECT_EQ(maptest::wrongVisible(m.w, c.visible), "");
        EXPECT_EQ(maptest::wrongChecked(m.w, c.checked), "");
        EXPECT_EQ(maptest::wrongEnabled(m.w, c.enabled), "");
    }
}
