// The list of codes driven through its controls on the sample databases.
#include "MetaTest.h"
#include "metadata/frmListaMetadati.h"
#include "frame/Forms.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

namespace {

class CodeList : public testenv::MetaTest {
protected:
    frmListaMetadati *w = nullptr;

    void TearDown() override { delete w; }
    void open()
    {
        w = new frmListaMetadati;
        w->Form_Load();
    }
    QListWidget *list() const { return testenv::ctl<QListWidget>(w, "lst_CodVar"); }
    QComboBox *kind() const { return testenv::ctl<QComboBox>(w, "cmbVarInd"); }
    QString text(const char *name) const { return testenv::ctl<QLineEdit>(w, name)->text(); }
    QStringList texts() const { return {text("txtDescrizione"), text("txtArgomento"), text("txtSettore")}; }
    QStringList codes() const
    {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->item(i)->text();
        return out;
    }
    // "1" / "0" per year box, 1996 first.
    QString years() const
    {
        QString out;
        for (int i = 1; i <= 13; ++i)
            out += testenv::ctl<QCheckBox>(w, QString("Check%1").arg(i))->isChecked() ? u'1' : u'0';
        return out;
    }
    void chooseKind(int index)
    {
        kind()->setCurrentIndex(index);
        emit kind()->activated(index);
    }
    void show(const QString &code)
    {
        const auto found = list()->findItems(code, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << code.toStdString();
        list()->setCurrentItem(found.front());
    }
};

} // namespace

TEST_F(CodeList, OpensOnTheVariablesAndChangingTheKindEmptiesTheTextsAndTheYears)
{
    sql("update MetadatiVariabili set [1996]=0 where IdVariabile = 'A0101'");
    open();
    EXPECT_EQ(kind()->currentText() + QString::number(kind()->count()), "Variabili2");
    auto db = platform::db::Database::open(pf.databases(), "Metadati.mdb");
    const std::tuple<const char *, const char *, const char *> kinds[] = {
        {"Variabili", "A0101", "0111111111111"}, {"Indicatori", "A01001", "1111111111111"}};
    for (const auto &[table, code, ticks] : kinds) {
        const QString id = table == QString("Variabili") ? "IdVariabile" : "IdIndicatore";
        QStringList all;
        for (auto rs = db.query(QString("select %1 from Metadati%2 order by %1").arg(id, table)); !rs.eof(); rs.moveNext())
            all << rs.text(0);
        EXPECT_EQ(codes(), all);
        EXPECT_EQ(list()->currentRow(), -1);
        EXPECT_EQ(texts().join("") + years(), "0000000000000");
        show(code);
        EXPECT_EQ(years(), ticks);
        chooseKind(1);
    }
    EXPECT_EQ(messages(), "");
}

TEST_F(CodeList, CodesOfUnpublishedSubAreasAreNotListed)
{
    sql("update MetadatiVariabili set CodiceArgomento = 'A01-NO' where IdVariabile = 'A0102'");
    sql("update MetadatiVariabili set CodiceArgomento = 'B01 - NO' where IdVariabile = 'B0101'");
    sql("update MetadatiIndicatori set Argomento = 'A01 - no' where IdIndicatore = 'A01002'");
    sql("update MetadatiIndicatori set Argomento = 'X-NOTE' where IdIndicatore = 'A01003'");
    open();
    const std::tuple<int, const char *, bool> cases[] = {   // kind, code, listed
        {0, "A0102", false}, {0, "B0101", false}, {0, "A0101", true},
        {1, "A01002", false},   // "- no": the search ignores letter case
        {1, "A01003", false}, {1, "A01001", true},
    };
    for (const auto &[k, code, listed] : cases) {
        if (kind()->currentIndex() != k)
            chooseKind(k);
        EXPECT_EQ(codes().contains(code), listed) << code;
    }
}

TEST_F(CodeList, ACodeShowsItsDescriptionSubAreaAreaAndYears)
{
    sql("update MetadatiVariabili set [1997]=0, [1998]=0, [1999]=0, [2000]=0, [2001]=0, [2002]=0, [2003]=0, "
        "[2004]=0, [2005]=0, [2006]=0, [2007]=0 where IdVariabile = 'A0102'");
    // No year at all: false or unknown.
    sql("update MetadatiVariabili set [1996]=0, [1997]=null, [1998]=0, [1999]=0, [2000]=0, [2001]=0, [2002]=0, "
        "[2003]=0, [2004]=0, [2005]=0, [2006]=0, [2007]=0, [2008]=null where IdVariabile = 'B0201'");
    // A sub-area missing from Argomento: no row in the join; a sub-area without description; a code with an apostrophe.
    sql("update MetadatiVariabili set CodiceArgomento = 'Z99' where IdVariabile = 'B0101'");
    sql("update Argomento set [Desc argomento] = null where [Codice argomento] = 'B02'");
    sql("insert into MetadatiVariabili (IdVariabile, DescVariabile, CodiceArgomento, [1996], [2008]) "
        "values ('B01''X', 'Variabile con apostrofo', 'B01', 1, 0)");
    open();
    struct Case {
        int kind;
        const char *code, *shown;   // description|sub-area|area; "*": any description
        QString years;
    } cases[] = {
        {0, "A0101", "Popolazione residente al 31 dicembre|A01 - Popolazione e territorio|A - Contesto territoriale",
         "1111111111111"},
        {0, "A0102", "*", "1000000000001"},   // 1996 and 2008 only
        {0, "B0201", "*", "0000000000000"},   // after a code with ticks: none left behind
        {0, "A0101", "*", "1111111111111"},
        {0, "B0101", "||", "0000000000000"},   // no row: nothing shown, the years included
        {0, "B01'X", "Variabile con apostrofo|B01 - Rete stradale|B - Trasporti", "1000000000000"},
        {1, "A01001", "*", "1111111111111"},
    };
    for (const Case &c : cases) {
        if (kind()->currentIndex() != c.kind)
            chooseKind(c.kind);
        show(c.code);
        if (QString(c.shown) == "*")
            EXPECT_FALSE(text("txtDescrizione").isEmpty()) << c.code;
        else
            EXPECT_EQ(texts().join('|'), c.shown);
        EXPECT_EQ(years(), c.years) << c.code;
        if (QString(c.code) == "B0201") {
            EXPECT_EQ(text("txtArgomento"), "B02 - ");
        }
    }
    EXPECT_TRUE(text("txtSettore").startsWith("A - ")) << text("txtSettore").toStdString();   // the indicator's area
    EXPECT_EQ(messages(), "");
}

TEST_F(CodeList, MissingDatabaseIsReportedOnceAndTheWindowStaysUsable)
{
    ASSERT_TRUE(QFile::remove(pf.databases() + "Metadati.mdb"));
    open();
    chooseKind(1);
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(pf.prompts.messages().size(), 1);
}
