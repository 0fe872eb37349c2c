// The metadata browser driven through its controls on the sample databases.
#include "MetaTest.h"
#include "metadata/frmMetadati.h"
#include "selection/FillSons.h"
#include "frame/Config.h"
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "frame/Shared.h"

#include <QComboBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

using Utility_RQM::FindNode;

namespace {

class MetadataBrowser : public testenv::MetaTest {
protected:
    frmMetadati *w = nullptr;
    QStringList sheets;   // "FRMSCHEDA...:" + gSqlScheda at each opening

    void SetUp() override
    {
        for (const char *name : {"FRMSCHEDAVARIABILI", "FRMSCHEDAINDICATORI"})
            frame::RegisterForm(name, [this, name] { sheets << QString(name) + ":" + gSqlScheda; });
    }
    void TearDown() override
    {
        delete w;
        frame::ClearRegisteredForms();
    }
    void open()
    {
        w = new frmMetadati;
        w->Form_Load();
    }
    QComboBox *combo(const char *name) const { return testenv::ctl<QComboBox>(w, name); }
    QTreeWidget *tree() const { return testenv::ctl<QTreeWidget>(w, "objtree"); }
    QTreeWidgetItem *node(const QString &key) const { return testenv::must(FindNode(tree(), key), "node " + key.toStdString()); }
    void chooseDatabase(int index)
    {
        combo("cmb_Databases")->setCurrentIndex(index);
        emit combo("cmb_Databases")->activated(index);
    }
    void click(const QString &key)
    {
        QTreeWidgetItem *n = node(key);
        tree()->setCurrentItem(n);
        emit tree()->itemClicked(n, 0);
    }
    int leaves() const
    {
        int n = 0;
        for (QTreeWidgetItemIterator it(tree()); *it; ++it)
            n += (*it)->childCount() == 0 ? 1 : 0;
        return n;
    }
};

} // namespace

TEST_F(MetadataBrowser, LoadListsTheDatabasesAndTheKindFollowsThePositionOfTheDatabase)
{
    // A third database, described as variables: any row but the first is taken for indicators.
    sql("insert into DbConfigs (DbFile, dbdesc, dbnames) values ('Storico.mdb', 'Variabili storiche', 'Storico.mdb')");
    gSqlScheda = "vecchia";
    open();
    EXPECT_EQ(w->windowTitle(), "PXN - Metadati - Variabili");
    QComboBox *desc = combo("cmb_Databases");
    QComboBox *files = combo("cmb_DatabasesN");
    ASSERT_EQ(desc->count(), 3);
    EXPECT_EQ(desc->itemText(0) + "|" + files->itemText(1), "Variabili di dotazione infrastrutturale|Indicatori.mdb");
    EXPECT_TRUE(files->isHidden() && desc->currentIndex() == 0);
    const std::tuple<int, const char *, const char *, const char *, const char *, int> cases[] = {
        {-1, "Variabili", "Variabili.mdb", "A0101", "A01001", 19},   // as loaded: every variable
        {1, "Indicatori", "Indicatori.mdb", "A01001", "A0101", 35},
        {2, "Indicatori", "Storico.mdb", "A01001", "A0101", 35},
        {0, "Variabili", "Variabili.mdb", "A0101", "A01001", 19},
    };
    for (const auto &[index, kind, file, item, absent, count] : cases) {
        if (index >= 0)
            chooseDatabase(index);
        SCOPED_TRACE(index);
        EXPECT_EQ(gTipoDb + "|" + gMetaConfig->currentDatabase() + "|" + gSqlScheda, QString(kind) + "|" + file + "|");
        EXPECT_EQ(leaves(), count); // rebuilt, not added to
        EXPECT_TRUE(FindNode(tree(), item) && !FindNode(tree(), absent));
        gSqlScheda = "vecchia";
    }
    EXPECT_EQ(messages(), "");
}

TEST_F(MetadataBrowser, OnlyAnItemOpensItsSheetAndComingBackClosesIt)
{
    open();
    // Visualizza with nothing selected: no sheet, the failure logged under the node click.
    testenv::ctl<QPushButton>(w, "cmdmetadati")->click();
    EXPECT_TRUE(sheets.isEmpty());
    EXPECT_EQ(pf.prompts.messages().size(), 1);
    EXPECT_TRUE(errorLog().contains("Module:frmMetadati Function: objtree_NodeClick")) << errorLog().toStdString();
    tree()->setCurrentItem(node("B0201"));
    testenv::ctl<QPushButton>(w, "cmdmetadati")->click();
    EXPECT_EQ(sheets, QStringList("FRMSCHEDAVARIABILI:" + Utility::CreaQueryMetadati("Variabili", "B0201")));
    pf.prompts.clear();

    const std::tuple<int, const char *, const char *> cases[] = {
        // database, node, the sheet it opens (nullptr: none)
        {0, "A", nullptr}, {0, "A01", nullptr}, {0, "A0101", "FRMSCHEDAVARIABILI"},
        {1, "B", nullptr}, {1, "A01001", "FRMSCHEDAINDICATORI"}};
    for (const auto &[database, key, sheet] : cases) {
        if (combo("cmb_Databases")->currentIndex() != database)
            chooseDatabase(database);
        sheets.clear();
        gSqlScheda = "precedente";
        click(key);
        if (!sheet) {
            EXPECT_TRUE(node(key)->isExpanded() && sheets.isEmpty() && gSqlScheda == "precedente") << key;
        } else {
            EXPECT_EQ(sheets, QStringList(QString(sheet) + ":" + Utility::CreaQueryMetadati(gTipoDb, key))) << key;
        }
    }
    // The accordion: opening another area closes the first.
    click("A");
    click("B");
    EXPECT_TRUE(!node("A")->isExpanded() && node("B")->isExpanded());
    EXPECT_EQ(messages(), "");

    // Coming back to the browser closes the sheet it opened.
    chooseDatabase(0);
    frame::RegisterForm("FRMSCHEDAVARIABILI", [&] {
        auto *sheet = new QWidget;
        sheet->setObjectName("frmSchedaVariabili");
        frame::ShowChild(sheet);
    });
    w->show();
    click("A0102");
    ASSERT_NE(frame::FindForm("frmSchedaVariabili"), nullptr);
    w->Form_Activate();
    EXPECT_EQ(frame::FindForm("frmSchedaVariabili"), nullptr);
    EXPECT_EQ(frame::FindForm("frmMetadati"), w);
}

TEST_F(MetadataBrowser, UnreadableDatabaseListLeavesAnEmptyWindow)
{
    // Both are reported once, under the load, and leave the window open and empty:
    // choosing in the empty list does nothing.
    const std::pair<const char *, const char *> cases[] = {
        {"no databases", "delete from DbConfigs"},
        {"no table", "drop table DbConfigs"},
    };
    for (const auto &[name, breakIt] : cases) {
        sql(breakIt);
        pf.prompts.clear();
        QFile::remove(pf.files() + "Error.log");
        frmMetadati browser;
        browser.Form_Load();
        SCOPED_TRACE(name);
        auto *list = testenv::ctl<QComboBox>(&browser, "cmb_Databases");
        EXPECT_EQ(list->count(), 0);
        emit list->activated(0);
        EXPECT_EQ(testenv::ctl<QTreeWidget>(&browser, "objtree")->topLevelItemCount(), 0);
        EXPECT_EQ(pf.prompts.messages().join('|').left(9) + QString::number(pf.prompts.messages().size()), "Errore : 1");
        EXPECT_TRUE(errorLog().contains("Module:frmMetadati Function: Form_Load"));
    }
}
