// The menu built from DBMainMenu and the dispatch of its commands.
#include "FrameTest.h"
#include "frame/Config.h"
#include "frame/Globals.h"
#include "frame/Menu.h"
#include "platform/Error.h"
#include "support/Controls.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>

using mdlMenu::MenuEntry;
using mdlMenu::MenuRow;
using Kind = mdlMenu::MenuEntry::Kind;

namespace {

MenuRow popup(qint64 id, qint64 parent, const QString &caption, bool separator = false, bool disabled = false)
{
    return {id, parent, caption, separator, disabled, false, {}, {}, {}};
}

MenuRow command(qint64 parent, const QString &caption, bool disabled = false, bool checked = false)
{
    return {0, parent, caption, false, disabled, checked, "FORMDATITAB", "-", "-"};
}

// "caption@parent#number" for popups, "caption@parent:slot" for commands (then "(grey)" when
// greyed, "(v)" when checked), "-@parent" separators, "caption@parent(grey)" for greyed popups.
QStringList describe(const mdlMenu::MenuModel &m)
{
    QStringList out;
    for (const MenuEntry &e : m.entries) {
        const QString at = "@" + QString::number(e.parent);
        switch (e.kind) {
        case Kind::Popup: out << e.caption + at + "#" + QString::number(e.popupNumber); break;
        case Kind::Separator: out << "-" + at; break;
        case Kind::GreyedPopup: out << e.caption + at + "(grey)"; break;
        case Kind::Command:
            out << e.caption + at + ":" + QString::number(e.slot) + (e.disabled ? "(grey)" : "") + (e.checked ? "(v)" : "");
            break;
        }
    }
    return out;
}

// Windows registered under menu names; each records the current database
// when it is closed.
struct FakeForms {
    QStringList opened;
    QStringList closedWithDb;
    struct Window : QWidget {
        FakeForms *owner;
        void closeEvent(QCloseEvent *e) override
        {
            owner->closedWithDb << objectName() + ":" + gDbName;
            e->accept();
        }
    };
    void show(const QString &name, bool hidden = false)
    {
        auto *w = new Window;
        w->owner = this;
        w->setObjectName(name);
        opened << name;
        if (!hidden)
            frame::ShowChild(w);
    }
    FakeForms()
    {
        frame::ClearRegisteredForms();
        frame::RegisterForm("FORMDATITAB", [this] { show("FormdatiTab"); });
        frame::RegisterForm("FRMMETADATI", [this] { show("frmMetadati"); });
        frame::RegisterForm("GUASTA", [] { throw platform::RuntimeError(5, "finestra guasta"); });
    }
    ~FakeForms()
    {
        frametest::unloadAll();
        frame::ClearRegisteredForms();
    }
};

} // namespace

TEST(MenuModel, NumberingOfPopupsAndSlots)
{
    struct Case { const char *name; std::vector<MenuRow> rows; QStringList entries; int rowErrors; };
    const Case cases[] = {
        {"sample menu",
         {popup(1, -1, "File"), popup(2, -1, "Banche dati"), popup(3, -1, "Metadati"), popup(4, -1, "?"),
          command(0, "Aggiornamento"), command(1, "Variabili"), command(1, "Indicatori"), popup(5, 1, "", true),
          popup(6, 1, "Archivio storico"), command(2, "Consulta"), command(4, "Storico", true)},
         {"File@-1#0", "Banche dati@-1#1", "Metadati@-1#2", "?@-1#3", "Aggiornamento@0:1", "Variabili@1:2",
          "Indicatori@1:3", "-@1", "Archivio storico@1#4", "Consulta@2:4", "Storico@4:5(grey)"},
         0},
        {"separator and greyed popup on the bar shift no number",
         {popup(1, -1, "", true), popup(2, -1, "Spento", false, true), popup(3, -1, "Primo"), command(0, "Uno")},
         {"-@-1", "Spento@-1(grey)", "Primo@-1#0", "Uno@0:1"}, 0},
        {"a greyed command takes a slot; only an enabled command shows its check mark",
         {popup(1, -1, "P"), command(0, "Grigio", true, true), command(0, "Spunta", false, true), command(0, "Dopo")},
         {"P@-1#0", "Grigio@0:1(grey)", "Spunta@0:2(v)", "Dopo@0:3"}, 0},
        {"a row naming a missing popup is left out, the rest is built",
         {popup(1, -1, "P"), command(7, "Orfano"), popup(2, 3, "Sotto orfano"), command(0, "Buono")},
         {"P@-1#0", "Buono@0:1"}, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto model = mdlMenu::BuildMenuModel(c.rows);
        EXPECT_EQ(describe(model), c.entries);
        EXPECT_EQ(model.rowErrors.size(), c.rowErrors);
        EXPECT_TRUE(model.commandSlots.at(0).formToOpen.isEmpty());
    }
}

TEST(MenuDispatch, CurrentDatabaseCaptionWordAndWindow)
{
    // The current database, its type and caption word after the command; the end of the line logged, if any.
    struct Case { const char *name; int slot; mdlMenu::MenuSlot command; QString dbName, tipoDb, descSelezione;
                  QStringList opened; QString logged = {}; };
    const Case cases[] = {
        {"slot 1 never changes the database", 1, {"FORMDATITAB", "Indicatori.mdb", "Indicatori"}, "Vecchio.mdb",
         "Variabili", "vecchia", {"FormdatiTab"}},
        {"a database command", 2, {"FORMDATITAB", "Indicatori.mdb", "Indicatori"}, "Indicatori.mdb", "Indicatori",
         "Indicatori", {"FormdatiTab"}},
        {"a database missing from DbConfigs keeps the caption word", 2, {"FRMMETADATI", "Altro.mdb", "Variabili"},
         "Altro.mdb", "Variabili", "vecchia", {"frmMetadati"}},
        {"an unknown window opens nothing", 4, {"NESSUNA", "-", "-"}, "Vecchio.mdb", "Variabili", "vecchia", {}},
        {"slots beyond thirty", 35, {"FORMDATITAB", "Variabili.mdb", "Variabili"}, "Variabili.mdb", "Variabili",
         "Variabili", {"FormdatiTab"}},
        {"an error opening the window is logged", 1, {"GUASTA", "-", "-"}, "Vecchio.mdb", "Variabili", "vecchia", {},
         "Module:frmMainMDI Function: mnu_submnu_Click Error N.5 Description:finestra guasta"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app;
        FakeForms forms;
        std::vector<mdlMenu::MenuSlot> slotList(40);
        slotList[size_t(c.slot)] = c.command;
        mdlMenu::SetSlots(slotList);
        gDbName = "Vecchio.mdb";
        gTipoDb = "Variabili";
        gDescSelezione = "vecchia";
        forms.show("frmListaMetadati");
        forms.show("frm_Nascosta", true);
        forms.opened.clear();

        frame::mnu_submnu_Click(c.slot);

        EXPECT_EQ(QStringList({gDbName, gTipoDb, gDescSelezione}), QStringList({c.dbName, c.tipoDb, c.descSelezione}));
        EXPECT_EQ(forms.opened, c.opened);
        // every window open before the command was closed first, while the old database was current
        EXPECT_EQ(forms.closedWithDb, QStringList({"frmListaMetadati:Vecchio.mdb", "frm_Nascosta:Vecchio.mdb"}));
        EXPECT_EQ(frametest::openNames(), c.opened);
        frametest::expectLog(app.files(), c.logged.isEmpty() ? 0 : 1, c.logged);
        EXPECT_EQ(app.prompts.shown.size(), c.logged.isEmpty() ? 0u : 1u);
    }
}

TEST(MenuBar, NoMenuDatabaseBuildsNothingAndSaysSo)
{
    testenv::ProgramFolder app;
    ASSERT_TRUE(QFile::remove(app.databases() + "Metadati.mdb"));
    QMenuBar bar;
    EXPECT_FALSE(mdlMenu::BuildMainMenu(&bar));
    EXPECT_TRUE(bar.actions().isEmpty());
    EXPECT_EQ(app.prompts.messages().size(), 1);
    EXPECT_TRUE(frametest::logLines(app.files()).value(0).contains("Function: GetDbConnection"));
}

TEST(MenuBar, BadRowsAreSkippedLoggedOneByOneAndToldInOneBoxTheGoodOnesWork)
{
    struct Case { const char *name; QString sql; int skipped; QString box; };   // sql run on Metadati.mdb
    QString orphans;
    for (int i = 0; i < 12; ++i)
        orphans += QString("insert into DBMainMenu (IdMenu, IdMenuParent, DescName, Orderb) values (0, %1, 'Orfano %1', 1);")
                       .arg(40 + i);
    const Case cases[] = {
        {"a text in IdMenu", "update DBMainMenu set IdMenu = 'uno' where DescName = 'Glossario'", 1,
         "Errore : La voce di menu 'Glossario' ha un numero non valido (Tipo non corrispondente): tralasciata. Il File "
         "Error.log è stato riempito."},
        {"texts and orphans together", orphans + "update DBMainMenu set IdMenu = 'uno' where DescName = 'Glossario'", 13,
         "Errore : 13 voci del menu non sono valide e sono state tralasciate. Il File Error.log è stato riempito."},
        {"a checked command, a Null caption, an orphan",
         "update DBMainMenu set isChecked = -1 where DescName = 'Consulta metadati';"
         "update DBMainMenu set DescName = null where DescName = 'Glossario';"
         "insert into DBMainMenu (IdMenu, IdMenuParent, DescName, FormToOpen, Orderb) values (0, 9, 'Orfano', 'X', 1)",
         1, "Errore : La voce di menu 'Orfano' appartiene al menu 9, che non esiste. Il File Error.log è stato riempito."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app;
        FakeForms forms;
        frametest::exec(app.databases(), "Metadati.mdb", c.sql);
        const bool checked = c.sql.contains("isChecked");
        QMenuBar bar;
        ASSERT_TRUE(mdlMenu::BuildMainMenu(&bar));
        QStringList titles;
        for (QAction *a : bar.actions())
            titles << a->text();
        ASSERT_EQ(titles, QStringList({"File", "Banche dati", "Metadati", "?"}));   // every good row is built
        EXPECT_EQ(QStringList({gArrFormToOpen[1], gArrFormToOpen[2], gArrDBName[3], gArrTipoDb[3]}),
                  QStringList({"FRMINFO", "FORMDATITAB", "Indicatori.mdb", "Indicatori"}));
        frametest::expectLog(app.files(), c.skipped, "Module:frmMainMDI Function: BuildMainMenu");
        EXPECT_EQ(app.prompts.messages(), QStringList{c.box});

        QMenu *banche = testenv::must(bar.actions().at(1)->menu(), "Banche dati");
        const auto items = banche->actions();
        ASSERT_EQ(items.size(), 4);
        EXPECT_TRUE(items[2]->isSeparator() && items[3]->text() == "Archivio storico");
        QAction *storico = testenv::must(items[3]->menu(), "Archivio storico")->actions().value(0);
        EXPECT_TRUE(storico && !storico->isEnabled());
        items[1]->trigger();   // "Indicatori di dotazione infrastrutturale"
        EXPECT_EQ(QStringList({gDbName, gTipoDb, gDescSelezione}), QStringList({"Indicatori.mdb", "Indicatori", "Indicatori"}));

        QMenu *meta = testenv::must(bar.actions().at(2)->menu(), "Metadati");
        QAction *consulta = meta->actions().at(0);
        EXPECT_EQ(consulta->isChecked(), checked);
        consulta->trigger();
        EXPECT_EQ(consulta->isChecked(), checked);   // a check mark stays
        EXPECT_EQ(forms.opened, QStringList({"FormdatiTab", "frmMetadati"}));
        EXPECT_EQ(app.prompts.messages(), QStringList{c.box});   // nothing more told
        EXPECT_TRUE(!checked || meta->actions().at(2)->text().isEmpty());   // a Null caption reads as empty
    }
}

TEST(FormRegistry, TheLoaderRegistersWindowsNotYetRegistered)
{
    // "A" is registered from the start, "B" by the loader, "D" by nobody.
    struct Case { const char *name; QString form; bool loaderFails; bool opened; int loads; bool raises; };
    const Case cases[] = {
        {"registered from the start", "a", false, true, 0, false},
        {"registered by the loader", "B", false, true, 1, false},
        {"registered once the loader has run", "b", false, true, 1, false},
        {"a name nobody registers", "D", false, false, 2, false},
        {"a loader that fails", "D", true, false, 3, true},
    };
    frame::ClearRegisteredForms();
    QStringList opened;
    int loads = 0;
    bool failing = false;
    frame::RegisterForm("A", [&] { opened << "A"; });
    frame::SetFormLoader([&] {
        ++loads;
        if (failing)
            throw platform::RuntimeError(48, "modulo mancante");
        frame::RegisterForm("B", [&] { opened << "B"; });
    });
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        failing = c.loaderFails;
        const qsizetype before = opened.size();
        bool result = false, raised = false;
        try {
            result = frame::OpenRegisteredForm(c.form);
        } catch (const platform::RuntimeError &) {
            raised = true;
        }
        EXPECT_EQ(result, c.opened);
        EXPECT_EQ(opened.size() - before, c.opened ? 1 : 0);
        EXPECT_EQ(loads, c.loads);
        EXPECT_EQ(raised, c.raises);
    }
    frame::ClearRegisteredForms();
    EXPECT_FALSE(frame::OpenRegisteredForm("A"));
    EXPECT_EQ(loads, 3);   // the loader went with the registrations
}
