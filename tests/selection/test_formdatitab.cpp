// The selection window driven through its controls on the sample databases.
#include "selection/FormdatiTab.h"
#include "selection/FillSons.h"
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "platform/db/Database.h"
#include "DataWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

using Utility_RQM::FindNode;
using Utility_RQM::NodeImage;
using testenv::ctl;

namespace {

class SelectionWindow : public ::testing::Test {
protected:
    testenv::ProgramFolder pf;
    FormdatiTab *w = nullptr;
    int dataWindowOpened = 0;
    QString sqlAtOpen;

    void open(const QString &kind, const QString &desc = {})
    {
        gDbName = kind + ".mdb";
        gTipoDb = kind;
        gDescSelezione = desc.isEmpty() ? kind : desc;
        frame::RegisterForm("FRM_DISPDATA", [this] {
            ++dataWindowOpened;
            sqlAtOpen = gSqlDati;
        });
        w = new FormdatiTab;
        w->Form_Load();
    }
    void TearDown() override
    {
        if (w) {
            w->close();
            delete w;
        }
        frame::ClearRegisteredForms();
    }

    QTreeWidget *tree() const { return ctl<QTreeWidget>(w, "objtree"); }
    QListWidget *list() const { return ctl<QListWidget>(w, "lst_allVar"); }
    QListWidget *terr() const { return ctl<QListWidget>(w, "lstDescTerr"); }
    QPushButton *button(const char *name) const { return ctl<QPushButton>(w, name); }
    QCheckBox *box(int i) const { return ctl<QCheckBox>(w, QString("Check1_%1").arg(i)); }
    QRadioButton *option(int i) const { return ctl<QRadioButton>(w, QString("optVisualizza_%1").arg(i)); }
    QString count() const { return ctl<QLineEdit>(w, "txtCount")->text(); }
    // "count|serie|cmdmetadati": the counter and whether the two buttons are on.
    QString state() const
    {
        return count() + "|" + QString::number(button("serie")->isEnabled()) + "|" +
               QString::number(button("cmdmetadati")->isEnabled());
    }

    QTreeWidgetItem *node(const QString &key) const { return testenv::must(FindNode(tree(), key), "node " + key.toStdString()); }
    void click(const QString &key)
    {
        QTreeWidgetItem *n = node(key);
        tree()->setCurrentItem(n);
        emit tree()->itemClicked(n, 0);
    }
    // Clicks an item, then one of its years.
    void pick(const QString &item, int year)
    {
        if (!FindNode(tree(), item + "-" + QString::number(year)))
            click(item);
        click(item + "-" + QString::number(year));
    }
    QStringList lines() const
    {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->item(i)->text();
        return out;
    }
    QStringList selectedTerritories() const
    {
        QStringList out;
        for (const QListWidgetItem *i : terr()->selectedItems())
            out << i->text();
        return out;
    }
    void selectTerritory(const QString &name)
    {
        const auto found = terr()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        found.front()->setSelected(true);
    }
};

} // namespace

TEST_F(SelectionWindow, LoadShowsTheKindAndAllTerritoriesActivateClosesOtherWindows)
{
    open("Variabili", "VARIABILI");
    EXPECT_EQ(QStringList({ctl<QLabel>(w, "Label8")->text(), ctl<QTabWidget>(w, "SSTab1")->tabText(1),
                           ctl<QLabel>(w, "lblSelezionati")->text()}),
              QStringList({" Selezione variabili e territorio ", "Variabili", "Variabili selezionate"}));
    EXPECT_EQ(tree()->topLevelItemCount(), 5);
    EXPECT_EQ(state(), "0|0|0");
    EXPECT_FALSE(button("cmdDatiPiu")->isEnabled() || button("conferma")->isEnabled());
    EXPECT_TRUE(option(2)->isChecked());
    EXPECT_GT(terr()->count(), 130);
    EXPECT_EQ(gLivelloTerritorio, 3);

    auto *other = new QWidget;
    other->setObjectName("frm_dispData");
    frame::ShowChild(other);
    w->Form_Activate();
    EXPECT_EQ(frame::FindForm("frm_dispData"), nullptr);
    // Closing clears the request.
    pick("A0101", 2005);
    gSqlDati = "x";
    w->close();
    EXPECT_EQ(std::make_tuple(gSqlDati, gLivelloTerritorio, list()->count()), std::make_tuple(QString(), 0, 0));
    EXPECT_TRUE(pf.prompts.messages().isEmpty()) << pf.prompts.messages().join("\n").toStdString();
}

TEST_F(SelectionWindow, YearsLoadOnceRedOnlyForVariableNotes)
{
    for (const QString kind : {"Variabili", "Indicatori"}) {
        open(kind);
        const bool var = kind == "Variabili";
        const QString item = var ? "A0101" : "A01001";
        click(item);
        click(item);   // a second click adds nothing
        QTreeWidgetItem *n = node(item);
        ASSERT_EQ(n->childCount(), 13);
        EXPECT_TRUE(n->isExpanded() && n->child(0)->text(0) == "1996");
        EXPECT_EQ(NodeImage(FindNode(tree(), item + "-2001")), var ? "closeR" : "close");   // A0101 has a 2001 note
        EXPECT_EQ(NodeImage(FindNode(tree(), item + "-2002")), "close");
        EXPECT_EQ(ctl<QLabel>(w, "Label5")->isHidden(), !var);
        click("B");   // the accordion closes the other areas
        EXPECT_FALSE(node("A")->isExpanded());
        delete std::exchange(w, nullptr);
    }
}

TEST_F(SelectionWindow, NoteMenuOnTheSelectedRedYear)
{
    open("Variabili");
    pick("A0101", 2001);
    QString offered;
    QTimer::singleShot(0, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            offered = menu->actions().value(0)->text();
            menu->actions().value(0)->trigger();
            menu->close();
        }
    });
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QApplication::sendEvent(tree()->viewport(), &press);
    EXPECT_EQ(offered, "Note");
    ASSERT_EQ(pf.prompts.shown.size(), 1u);
    EXPECT_EQ(pf.prompts.shown[0].text.left(14) + "|" + pf.prompts.shown[0].title + QString::number(pf.prompts.shown[0].style),
              "Dato allineato|Note Anno0");
    click("A0101-2002");   // no note
    EXPECT_FALSE(w->objtree_MouseDown(Qt::RightButton));
    click("A0101-2001");
    EXPECT_FALSE(w->objtree_MouseDown(Qt::LeftButton));
}

TEST_F(SelectionWindow, SelectionListCounterButtonsAndReset)
{
    // An item named by a number is still an item.
    platform::db::Database::open(pf.databases(), "Metadati.mdb")
        .execute("UPDATE MetadatiVariabili SET DescVariabile = '2005' WHERE IdVariabile = 'A0102'");
    open("Variabili");
    pick("A0101", 2005);
    pick("A0101", 2005);
    EXPECT_EQ(lines(), QStringList({"A0101-2005 - Popolazione residente al 31 dicembre"}));
    EXPECT_EQ(state(), "1|1|1");
    // The metadata sheet of the selected line.
    int sheets = 0;
    frame::RegisterForm("FRMSCHEDAVARIABILI", [&] { ++sheets; });
    button("cmdmetadati")->click();
    EXPECT_TRUE(sheets == 1 && gSqlScheda.endsWith("Where IdVariabile ='A0101';")) << gSqlScheda.toStdString();
    // A double-click on the only line removes it.
    emit list()->itemDoubleClicked(list()->item(0));
    EXPECT_EQ(QString::number(list()->count()) + count() + QString::number(button("serie")->isEnabled()), "000");
    pick("A0102", 2004);
    EXPECT_EQ(lines(), QStringList({"A0102-2004 - 2005"}));
    // Reset keeps the loaded years and the territories.
    selectTerritory("Torino");
    gSqlDati = "x";
    button("CmdNewric")->click();
    EXPECT_EQ(QString::number(list()->count()) + state() + gSqlDati, "00|0|0");
    for (QTreeWidgetItemIterator it(tree()); *it; ++it)
        EXPECT_FALSE((*it)->isExpanded());
    EXPECT_NE(FindNode(tree(), "A0102-2004"), nullptr);
    EXPECT_EQ(selectedTerritories(), QStringList({"Torino"}));
}

TEST_F(SelectionWindow, TheListHoldsAtMost251Items)
{
    open("Indicatori");
    int added = 0;
    for (QTreeWidgetItemIterator it(tree()); *it && added < 252; ++it) {
        if (!(*it)->parent() || !(*it)->parent()->parent() || (*it)->parent()->parent()->parent())
            continue;   // items only
        click(Utility_RQM::NodeKey(*it));
        for (int y = 0; y < (*it)->childCount() && added < 252; ++y, ++added)
            click(Utility_RQM::NodeKey((*it)->child(y)));
    }
    ASSERT_EQ(added, 252);
    EXPECT_EQ(QString::number(list()->count()) + "|" + count(), "251|251");
    EXPECT_EQ(pf.prompts.messages(), QStringList({"Raggiunto il limite massimo di Indicatori selezionabili."}));
    EXPECT_EQ(pf.prompts.shown.back().style, 48);
}

TEST_F(SelectionWindow, LevelsAndGroupBoxesSelectTheirTerritories)
{
    open("Variabili");
    auto typesSelected = [&] {
        QSet<QString> types;
        for (int i = 0; i < terr()->count(); ++i)
            if (terr()->item(i)->isSelected())
                types.insert(w->arrTerr()[size_t(i)].CodTipoTerr);
        return types;
    };
    selectTerritory("Torino");
    box(3)->setChecked(true);
    EXPECT_EQ(typesSelected(), QSet<QString>({"1", "3", "4"}));
    box(3)->setChecked(false);
    EXPECT_EQ(selectedTerritories(), QStringList({"Torino"}));
    for (const bool on : {true, false}) {
        box(5)->setChecked(on);
        EXPECT_EQ(selectedTerritories().size(), on ? terr()->count() : 0);
        EXPECT_EQ(box(1)->isChecked() + box(2)->isChecked() + box(3)->isChecked() + box(4)->isChecked(), on ? 4 : 0);
    }

    gNomeLivelloMappa = "prima";
    const std::tuple<int, int, const char *, QString, int> cases[] = {
        // option, the one box enabled (0 = all), map, territory type, level
        {0, 2, "regione", "2", 2}, {1, 1, "provincia", "1", 1}, {2, 0, "provincia", "", 3}};
    for (const auto &[opt, enabledBox, mapName, type, level] : cases) {
        box(enabledBox ? enabledBox : 5)->setChecked(true);
        option(opt)->setChecked(true);
        for (int i = 1; i <= 5; ++i) {
            EXPECT_FALSE(box(i)->isChecked()) << opt;
            EXPECT_EQ(box(i)->isEnabled(), enabledBox == 0 || enabledBox == i) << opt << " box " << i;
        }
        EXPECT_TRUE(selectedTerritories().isEmpty());
        EXPECT_EQ(gNomeLivelloMappa + QString::number(gLivelloTerritorio), mapName + QString::number(level));
        for (const auto &t : w->arrTerr())
            EXPECT_TRUE(type.isEmpty() || t.CodTipoTerr == type) << opt;
    }
}

TEST_F(SelectionWindow, VisualizzaDatiBuildsTheQueryAndOpensTheTable)
{
    open("Variabili");
    pick("B0101", 2005);
    pick("A0101", 2005);
    pick("A0102", 2005);
    pick("A0101", 2004);
    gSqlDati = "precedente";
    button("serie")->click();   // no territory
    EXPECT_EQ(pf.prompts.messages(), QStringList({"Selezionare un territorio!"}));
    EXPECT_EQ(pf.prompts.shown.back().style, 48);
    EXPECT_EQ(gSqlDati + QString::number(dataWindowOpened), "precedente0");

    pf.prompts.clear();
    selectTerritory("L'Aquila");
    selectTerritory("Reggio nell'Emilia");
    button("serie")->click();
    EXPECT_TRUE(pf.prompts.messages().isEmpty()) << pf.prompts.messages().join("\n").toStdString();
    EXPECT_EQ(dataWindowOpened, 1);
    // The lines of the list, the kind and the territories in the order of their list.
    EXPECT_EQ(sqlAtOpen, testenv::request("Variabili.mdb", "Variabili", {"B0101-2005", "A0101-2005", "A0102-2005", "A0101-2004"},
                                          {"Reggio nell'Emilia", "L'Aquila"}));
    EXPECT_TRUE(sqlAtOpen.endsWith("WHERE land_Ind.DES_TERR IN( 'Reggio nell''Emilia', 'L''Aquila')"));

    // An item and year without data table: reported, the old query gone, no table.
    platform::db::Database::open(gDbPath, "Metadati.mdb")
        .execute("DELETE FROM IndVarAnno WHERE Variabile = 'A0101' AND Anno = 2005");
    button("serie")->click();
    EXPECT_EQ(gSqlDati + QString::number(dataWindowOpened), "1");
    ASSERT_EQ(pf.prompts.messages().size(), 1);
    EXPECT_TRUE(pf.prompts.messages()[0].startsWith("Errore : Nessuna tabella di dati per A0101 nell'anno 2005."));
}

TEST_F(SelectionWindow, MissingTerritoryDatabaseLeavesTheListEmpty)
{
    QFile::remove(pf.databases() + "Territorio.mdb");
    open("Variabili");
    option(1)->setChecked(true);
    EXPECT_EQ(terr()->count(), 0);
    EXPECT_FALSE(pf.prompts.messages().isEmpty());
    EXPECT_EQ(gLivelloTerritorio, 1);
}
