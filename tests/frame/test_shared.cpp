// The small shared procedures: sheet query, tree accordion, area lists, value tests.
#include "FrameTest.h"
#include "frame/Globals.h"
#include "frame/Shared.h"
#include "support/TestEnv.h"

#include <QComboBox>
#include <QTreeWidget>

using namespace Utility;

TEST(CreaQueryMetadati, RunsOnTheSampleMetadata)
{
    testenv::ProgramFolder app;
    auto db = platform::db::Database::open(app.databases(), "Metadati.mdb", platform::db::OpenMode::ReadOnly);
    const QString varId = db.query("select IdVariabile from MetadatiVariabili").text(0);
    const QString indId = db.query("select IdIndicatore from MetadatiIndicatori").text(0);
    struct Case { QString kind, id; int rows; };
    // a quote in the id does not break the query
    const Case cases[] = {{"Variabili", varId, 1}, {"Indicatori", indId, 1}, {"Variabili", "X'Y", 0}};
    for (const Case &c : cases) {
        auto rs = db.query(CreaQueryMetadati(c.kind, c.id));
        EXPECT_EQ(rs.recordCount(), c.rows) << c.id.toStdString();
    }
}

namespace {
// Areas A and B, sub-areas of 3 characters, items of 5 and 6, year nodes.
struct Tree {
    QTreeWidget tree;
    std::map<QString, QTreeWidgetItem *> byKey;
    void add(const QString &key, const QString &parentKey)
    {
        auto *item = parentKey.isEmpty() ? new QTreeWidgetItem(&tree) : new QTreeWidgetItem(byKey.at(parentKey));
        item->setData(0, NodeKeyRole, key);
        byKey[key] = item;
    }
    Tree()
    {
        for (const QString a : {"A", "B"}) {
            add(a, {});
            for (const QString s : {"01", "02"}) {
                add(a + s, a);                       // sub-area, 3 characters
                add(a + s + "01", a + s);            // item, 5 characters
                add(a + s + "001", a + s);           // item, 6 characters
                add(a + s + "01-2005", a + s + "01"); // year
            }
        }
        for (auto &[k, item] : byKey)
            item->setExpanded(k != "B02");
    }
    QStringList collapsed() const
    {
        QStringList out;
        for (const auto &[k, item] : byKey)
            if (!item->isExpanded() && item->childCount() > 0)
                out << k;
        return out;
    }
};
} // namespace

TEST(ExpandNodeExclusive, ClosesTheOtherNodesOfTheClickedLevelAndBelow)
{
    struct Case { QString clicked; QStringList collapsed; };
    const Case cases[] = {
        // an area closes every other node with children
        {"A", {"A01", "A0101", "A02", "A0201", "B", "B01", "B0101", "B02", "B0201"}},
        // a sub-area (here a closed one, which opens) closes other sub-areas and items, never an area
        {"B02", {"A01", "A0101", "A02", "A0201", "B01", "B0101", "B0201"}},
        // an item closes the other items only
        {"A0101", {"A0201", "B0101", "B02", "B0201"}},
        // a year changes nothing
        {"A0101-2005", {"B02"}},
    };
    for (const Case &c : cases) {
        Tree t;
        ExpandNodeExclusive(&t.tree, t.byKey.at(c.clicked));
        SCOPED_TRACE(c.clicked.toStdString());
        EXPECT_EQ(t.collapsed(), c.collapsed);
        EXPECT_TRUE(t.byKey.at(c.clicked)->isExpanded() || t.byKey.at(c.clicked)->childCount() == 0);
    }
}

TEST(ValueTests, IsEmptyValueAndIsAlphaNumeric)
{
    using platform::db::Value;
    EXPECT_TRUE(IsEmptyValue(Value()) && IsEmptyValue(QVariant()));                 // Null
    EXPECT_TRUE(IsEmptyValue(Value::text(" - ")) && IsEmptyValue(QString("  ")));   // blanks, a dash
    EXPECT_FALSE(IsEmptyValue(Value::integer(0)) || IsEmptyValue(QString("--")));

    struct Case { QString text; bool expected; };
    const Case cases[] = {{"", true}, {"abcXYZ09", true}, {"a_b", false}, {QString::fromUtf8("è"), false},
                          {QString(QChar(8)), true}};
    for (const Case &c : cases)
        EXPECT_EQ(IsAlphaNumeric(c.text), c.expected) << c.text.toStdString();
}

TEST(FillSettoreCombos, ParallelListsWithoutAreaA)
{
    testenv::ProgramFolder app;
    frametest::exec(app.databases(), "Metadati.mdb", "update Settore set idSettore = 'a' where idSettore = 'A'");
    QComboBox desc, code;
    desc.addItem("vecchio");
    FillSettoreCombos(&desc, &code);
    auto db = platform::db::Database::open(app.databases(), "Metadati.mdb", platform::db::OpenMode::ReadOnly);
    auto rs = db.query("select idSettore, [Descrizione Settore] from Settore");
    QStringList expected, shown;   // code and description, side by side
    for (; !rs.eof(); rs.moveNext())
        if (rs.text(0).toUpper() != "A")
            expected << rs.text(0) + "|" + rs.text(1);
    for (int i = 0; i < std::max(code.count(), desc.count()); ++i)
        shown << code.itemText(i) + "|" + desc.itemText(i);
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(app.prompts.shown.empty());
}
