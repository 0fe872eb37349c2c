// Every window on a 1024 x 768 screen: it opens inside the main window's work
// area, every button of it can be reached, and a screen reader has a name for
// every control that shows no text of its own.
#include "FrameTest.h"
#include "frame/Globals.h"
#include "frame/frmInfo.h"
#include "frame/frmStart.h"
#include "maps/ColorBox.h"
#include "maps/PrintMappa.h"
#include "maps/RegisterPrint.h"
#include "maps/frmSelMappa.h"
#include "maps/frm_Mappa.h"
#include "metadata/frmListaMetadati.h"
#include "metadata/frmMetadati.h"
#include "metadata/frmSchedaIndicatori.h"
#include "metadata/frmSchedaVariabili.h"
#include "metadata/frm_Glossario.h"
#include "metadata/rptGlossario.h"
#include "frame/Shared.h"
#include "selection/FormdatiTabLogic.h"
#include "selection/FormdatiTab.h"
#include "selection/frmFunzione.h"
#include "selection/frmNota.h"
#include "selection/frm_dispData.h"
#include "support/TestEnv.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScreen>
#include <QTimer>
#include <functional>

namespace {

// The main window as it is on a 1024 x 768 screen with a panel and a title bar.
struct SmallScreen {
    testenv::ProgramFolder app;
    frametest::MainWindow main{QSize(1024, 768 - 50)};
    SmallScreen()
    {
        for (const char *m : {"File", "Banche dati", "Metadati", "?"})
            main.window.menuBar()->addMenu(m)->addAction("x");
        QApplication::processEvents();
        RegisterPrintForms();
    }
    ~SmallScreen() { frame::ClearRegisteredForms(); }
    QRect visible() const { return main.area->viewport()->rect(); }
};

frm_dispData *dataTable()
{
    gDbName = "Variabili.mdb";
    gTipoDb = "Variabili";
    gLivelloTerritorio = 3;
    auto db = platform::db::Database::open(gDbPath, "Variabili.mdb", platform::db::OpenMode::ReadOnly);
    gSqlDati = selection::CreaQuery({"A0102-2005 - x"}, "Variabili",
                                    selection::CreaFiltroTerritori({"Torino", "Roma", "Sassari", "Piemonte"}),
                                    [&](const QString &id, const QString &anno) {
                                        auto rs = db.query(selection::LookupQuery(id, anno));
                                        return rs.eof() ? QString() : rs.text(0);
                                    });
    return frm_dispData::ShowForm();
}

// The map window with the provinces drawn and its advanced panel open.
frm_Mappa *mapWindow()
{
    gNomeLivelloMappa = "provincia";
    gLivelloMappa = 2;
    maps::MapInput in;
    in.header = "A0102_2005";
    in.description = "Superficie territoriale";
    in.level = 2;
    in.levelName = "provincia";
    for (int c = 1; c <= 107; ++c)
        in.rows.push_back({QString::number(c), QStringLiteral("%1,00").arg(c)});
    frm_Mappa *w = frm_Mappa::ShowForm(in);
    if (w) {
        w->findChild<QPushButton *>("Cmd_cmdAutocolor")->click();
        w->findChild<QCheckBox *>("Avanz")->click();
    }
    return w;
}

// The innermost scroll area that holds `w` inside `window`, if any.
QAbstractScrollArea *scrolledIn(QWidget *w, QWidget *window)
{
    for (QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (auto *s = qobject_cast<QScrollArea *>(p))
            return s;
    return nullptr;
}

// Controls that a screen reader would announce without a name: buttons and
// check boxes without text, colour swatches.
QStringList unnamed(QWidget *window)
{
    // The toolkit falls back on the title of the group box around a control:
    // that names the group, not what the control does.
    const auto name = [](QWidget *w) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        const QString text = iface ? iface->text(QAccessible::Name).trimmed() : QString();
        for (QWidget *p = w->parentWidget(); p; p = p->parentWidget())
            if (auto *g = qobject_cast<QGroupBox *>(p); g && g->title().trimmed() == text)
                return QString();
        return text;
    };
    QStringList out;
    for (QAbstractButton *b : window->findChildren<QAbstractButton *>())
        if (name(b).isEmpty() && !b->objectName().startsWith("qt_") &&
            qstrcmp(b->metaObject()->className(), "QTableCornerButton") != 0)   // the toolkit's own
            out << b->objectName();
    for (maps::ColorBox *c : window->findChildren<maps::ColorBox *>())
        if (name(c).isEmpty())
            out << c->objectName();
    return out;
}

} // namespace

TEST(SmallScreen, EveryWindowOpensInsideTheWorkAreaWithEveryButtonWithinReach)
{
    SmallScreen s;
    struct Case { const char *name; std::function<QWidget *()> open; };
    const Case cases[] = {
        {"start page", [] { return frmStart::ShowForm(); }},
        {"selection", [] {
             gDbName = "Variabili.mdb";
             gTipoDb = gDescSelezione = "Variabili";
             return FormdatiTab::ShowForm();
         }},
        {"data table", [] { return dataTable(); }},
        {"map with a drawn map and Avanzate", [] { return mapWindow(); }},
        {"print layout", [] {
             frm_Mappa *map = mapWindow();
             map->findChild<QPushButton *>("cmd_Stampa")->click();
             return static_cast<QWidget *>(PrintMappa::Instance());
         }},
        {"metadata browser", [] { return frmMetadati::ShowForm(); }},
        {"list of codes", [] { return frmListaMetadati::ShowForm(); }},
        {"glossary", [] { return frm_Glossario::ShowForm(); }},
        {"variable sheet", [] {
             gSqlScheda = Utility::CreaQueryMetadati("Variabili", "A0102");
             return frmSchedaVariabili::ShowForm();
         }},
        {"indicator sheet", [] {
             gSqlScheda = Utility::CreaQueryMetadati("Indicatori", "A01001");
             return frmSchedaIndicatori::ShowForm();
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QWidget *w = c.open();
        QApplication::processEvents();
        auto *sub = w ? qobject_cast<QMdiSubWindow *>(w->parentWidget()) : nullptr;
        ASSERT_NE(sub, nullptr);
        EXPECT_TRUE(s.visible().contains(sub->geometry())) << sub->width() << "x" << sub->height();
        for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
            if (!b->isVisible())
                continue;
            // A button in a scroll area of its own is reached by scrolling it.
            QWidget *reach = scrolledIn(b, w) ? static_cast<QWidget *>(scrolledIn(b, w)) : b;
            const QRect r(reach->mapTo(s.main.area->viewport(), QPoint(0, 0)), reach->size());
            EXPECT_TRUE(s.visible().contains(r)) << b->objectName().toStdString() << " " << b->text().toStdString();
        }
        EXPECT_EQ(unnamed(w).join(", ").toStdString(), "");
        frametest::unloadAll();
    }
}

TEST(SmallScreen, TheDialogsFitTheScreen)
{
    SmallScreen s;
    frm_dispData *table = dataTable();
    ASSERT_NE(table, nullptr);
    // The headless screen (800 x 600) is smaller than the one the program asks for.
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    const auto check = [&](QWidget *d) {
        EXPECT_EQ(d->frameGeometry().size().boundedTo(screen), d->frameGeometry().size());
        EXPECT_EQ(unnamed(d).join(", ").toStdString(), "");
    };
    int level = 0;
    struct Case { const char *name; std::function<QWidget *()> make; };
    const Case cases[] = {
        {"about", [] { auto *d = new frmInfo; d->Form_Load(); return d; }},
        {"map level", [&] { return new frmSelMappa(level); }},
        {"note", [] { return new frmNota; }},
        {"formula", [&] { return new frmFunzione(*table); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<QWidget> d(c.make());
        d->show();
        QApplication::processEvents();
        check(d.get());
    }
    // The print preview of a report, a window of its own.
    SCOPED_TRACE("report preview");
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget *dlg = QApplication::activeModalWidget();
        ASSERT_NE(dlg, nullptr);
        seen = true;
        check(dlg);
        dlg->findChild<QPushButton *>("cmdChiudi")->click();
    });
    EXPECT_TRUE(rptGlossario::ShowTerm("Accosto"));
    EXPECT_TRUE(seen);
}
