// The glossary window driven through its controls on the sample glossary.
#include "MetaTest.h"
#include "metadata/frm_Glossario.h"
#include "metadata/rptGlossario.h"
#include "platform/db/TextRules.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using testenv::ctl;

namespace {

class Glossary : public testenv::MetaTest {
protected:
    frm_Glossario *w = nullptr;

    void SetUp() override
    {
        w = new frm_Glossario;
        w->Form_Load();
    }
    void TearDown() override { delete w; }

    QListWidget *list() const { return ctl<QListWidget>(w, "lst_NameVar"); }
    QLineEdit *box(int i) const { return ctl<QLineEdit>(w, QString("txt_ricerca_%1").arg(i)); }
    QRadioButton *option(int i) const { return ctl<QRadioButton>(w, QString("Option1_%1").arg(i)); }
    QString definition() const { return ctl<QPlainTextEdit>(w, "txt_desc")->toPlainText(); }
    QStringList terms() const
    {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->item(i)->text();
        return out;
    }
    // Enabled state of: contains box, letter list, begins-with box, "Ricerca".
    QString enabled() const
    {
        QString out;
        for (QWidget *c : std::initializer_list<QWidget *>{box(0), ctl<QComboBox>(w, "cmb_alfabeto"), box(1),
                                                           ctl<QPushButton>(w, "cmd_ricerca")})
            out += c->isEnabled() ? u'1' : u'0';
        return out;
    }
    void choose(const char *combo, const QString &text)
    {
        auto *c = ctl<QComboBox>(w, combo);
        const int i = c->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        c->setCurrentIndex(i);
        emit c->activated(i);
    }
    void select(const QString &term)
    {
        const auto found = list()->findItems(term, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << term.toStdString();
        list()->setCurrentItem(found.front());
    }
    void search(int mode, const QString &text)
    {
        option(mode)->click();
        box(mode == 0 ? 0 : 1)->setText(text);
        ctl<QPushButton>(w, "cmd_ricerca")->click();
    }
    int allTerms()
    {
        return platform::db::Database::open(pf.databases(), "Metadati.mdb").query("select count(*) from Glossario").field(0).toInt();
    }
};

} // namespace

TEST_F(Glossary, OpensInLetterModeOnTheTermsBeginningWithAEachModeEnablesItsInputs)
{
    EXPECT_EQ(terms(), QStringList({"Accosto", "Aeroporto", "Autostrada"}));
    EXPECT_TRUE(option(1)->isChecked());
    EXPECT_EQ(enabled(), "0100");
    auto *letters = ctl<QComboBox>(w, "cmb_alfabeto");
    EXPECT_EQ(letters->currentText() + letters->itemText(25) + QString::number(letters->count()), "AZ26");
    auto *sectors = ctl<QComboBox>(w, "cmbSettore");
    EXPECT_TRUE(sectors->isEnabled());
    EXPECT_EQ(std::make_pair(sectors->count(), sectors->currentIndex()), std::make_pair(4, -1)); // every sector but "A"
    EXPECT_EQ(definition() + messages(), "");

    // Each mode enables its inputs and clears the texts.
    select("Accosto");
    const QString shown = definition();
    ASSERT_FALSE(shown.isEmpty());
    for (const auto &[mode, on] : {std::pair{0, "1001"}, {2, "0011"}, {4, "0000"}, {1, "0100"}, {3, "0000"}}) {
        box(0)->setText("x");
        box(1)->setText("y");
        option(mode)->click();
        EXPECT_EQ(enabled() + box(0)->text() + box(1)->text(), on) << mode;
    }
    // The last mode lists every term alphabetically and keeps the definition shown.
    QStringList sorted = terms();
    std::sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(terms(), sorted);
    EXPECT_EQ(terms().size(), allTerms());
    EXPECT_EQ(definition(), shown);
}

TEST_F(Glossary, TextSearches)
{
    const std::tuple<int, const char *, QStringList> cases[] = {   // 0 contains, 2 begins with
        {0, "strada", {"Autostrada", "Rete stradale", "Strada provinciale", "Strada statale"}},
        {2, "strada", {"Strada provinciale", "Strada statale"}},
        {0, " stradale", {"Rete stradale"}},   // taken as typed, blank included
        {0, "d'u", {"Bacino d'utenza", "Grado d'utilizzo"}},
        {2, "S_rada", {"Strada provinciale", "Strada statale"}},   // the pattern's wildcards
        // A quote cannot end the text early: these find nothing and break nothing.
        {0, "' or ''='", {}},
        {2, "x'; drop table Glossario; --", {}},
    };
    for (const auto &[mode, text, found] : cases) {
        option(1)->click();
        choose("cmb_alfabeto", "A");
        select("Accosto");
        search(mode, text);
        EXPECT_EQ(terms(), found) << text;
        EXPECT_EQ(definition() + messages(), "") << text;
    }
    // Without text, or with text only in the box of the other mode, nothing changes.
    option(3)->click();
    const QStringList before = terms();
    search(0, "");
    option(2)->click();
    box(0)->setText("strada");
    ctl<QPushButton>(w, "cmd_ricerca")->click();
    EXPECT_EQ(terms(), before);
}

TEST_F(Glossary, AccentedLettersAreFoundAndSortedAsInItalian)
{
    sql("insert into Glossario (Nome, Definizione, idsettore) values ('Èlite', 'x', 'B'), ('àmbito', 'x', 'B'), "
        "('Zeta nulla', 'x', 'B')");
    const std::tuple<int, const char *, QStringList> cases[] = {   // 0 contains, 2 begins with, 1 letter
        {0, "DENSITÀ", {"Densità di popolazione"}},
        {0, "densita", {"Densità di popolazione"}},
        {2, "À", {"Accosto", "Aeroporto", "àmbito", "Autostrada"}},
        {2, "è", {"Èlite"}},
        {2, "elite", {"Èlite"}},
        {1, "E", {"Èlite"}},
        {1, "A", {"Accosto", "Aeroporto", "àmbito", "Autostrada"}},
    };
    for (const auto &[mode, text, expected] : cases) {
        if (mode == 1) {
            option(1)->click();
            choose("cmb_alfabeto", text);
        } else {
            search(mode, QString::fromUtf8(text));
        }
        QStringList found = terms();
        std::sort(found.begin(), found.end(), [](const QString &a, const QString &b) { return platform::db::text::compare(a, b) < 0; });
        EXPECT_EQ(found, expected) << text;
    }
    // Every term: "Èlite" among the E's, after the D's and before the G's.
    option(3)->click();
    const QStringList all = terms();
    const qsizetype at = all.indexOf(QString::fromUtf8("Èlite"));
    ASSERT_GT(at, 0);
    EXPECT_EQ(all.at(at - 1), "Dotazione infrastrutturale");
    EXPECT_EQ(all.at(at + 1), "Grado d'utilizzo");
    EXPECT_EQ(all.indexOf(QString::fromUtf8("àmbito")), 2);
    EXPECT_EQ(all.last(), "Zeta nulla");
}

TEST_F(Glossary, SectorListsItsTermsWhateverTheModeAndATermShowsItsDefinition)
{
    option(0)->click();
    select(terms().value(0));
    choose("cmbSettore", "Comunicazioni e servizi alle imprese");
    QStringList found = terms();
    found.sort();
    EXPECT_EQ(found, QStringList({"Banda larga", "Sportello bancario", "Telefonia fissa"}));
    EXPECT_EQ(ctl<QComboBox>(w, "cmbIdSettore")->currentText() + definition(), "D");

    // The definition of the clicked term.
    choose("cmb_alfabeto", "G");
    select("Grado d'utilizzo");
    EXPECT_EQ(definition(), "Rapporto tra l'uso effettivo di un'infrastruttura e la sua capacità.");
    // A term gone from the glossary: the definition shown stays.
    sql("insert into Glossario (Nome, Definizione, idsettore) values ('Gru', null, 'B')");
    choose("cmb_alfabeto", "G");
    select("Gru"); // Null definition: shown empty
    EXPECT_TRUE(definition().isEmpty());
    select("Grado d'utilizzo");
    sql("delete from Glossario where Nome = 'Gru'");
    select("Gru");
    EXPECT_FALSE(definition().isEmpty());
    EXPECT_EQ(messages(), "");
}

TEST_F(Glossary, PrintsTheSelectedTermOrSaysWhyNot)
{
    sql("insert into Glossario (Nome, Definizione, idsettore) values "
        "('Banchina ', 'Con uno spazio in fondo.', 'B'), (' Binario', 'Con uno spazio in testa.', 'B')");
    const std::tuple<int, const char *, QString, const char *> cases[] = {   // mode (1 letter, 3 all), letter, term, definition
        {1, "B", "Bacino d'utenza", "Territorio e popolazione serviti"},
        {1, "B", "Banchina ", "Con uno spazio in fondo."},
        {3, "", " Binario", "Con uno spazio in testa."},
    };
    for (const auto &[mode, letter, term, meaning] : cases) {
        option(mode)->click();
        if (mode == 1)
            choose("cmb_alfabeto", letter);
        select(term);
        // The definition shown and the one printed are the same term's.
        EXPECT_TRUE(definition().startsWith(meaning)) << term.toStdString();
        QStringList printed;
        QTimer::singleShot(0, [&] {
            if (const auto *rows = rptGlossario::Default().dataSource())
                for (int r = 0; r < rows->recordCount(); ++r)
                    printed << rows->at(r, 0).toString() << rows->at(r, 1).toString();
            if (QWidget *preview = QApplication::activeModalWidget())
                preview->close();
        });
        ctl<QPushButton>(w, "Cmd_print")->click();
        EXPECT_TRUE(printed.size() == 2 && printed[0] == term && printed[1].startsWith(meaning))
            << printed.join('|').toStdString();
    }
    EXPECT_EQ(messages(), "");

    // Nothing selected.
    option(1)->click();
    choose("cmb_alfabeto", "A");
    ctl<QPushButton>(w, "Cmd_print")->click();
    EXPECT_EQ(pf.prompts.messages(), QStringList("Selezionare un termine da stampare."));
    // The report cannot open its data.
    pf.prompts.clear();
    select("Accosto");
    ASSERT_TRUE(QFile::remove(pf.databases() + "Metadati.mdb"));
    ctl<QPushButton>(w, "Cmd_print")->click();
    ASSERT_FALSE(pf.prompts.shown.empty());
    EXPECT_EQ(pf.prompts.shown.back().text + "|" + QString::number(pf.prompts.shown.back().style) + "|" +
                  pf.prompts.shown.back().title,
              "Impossibile eseguire la stampa|0|");
}

TEST(GlossaryMissingDatabase, OpensEmptyAndStaysUsable)
{
    testenv::ProgramFolder pf;
    ASSERT_TRUE(QFile::remove(pf.databases() + "Metadati.mdb"));
    frm_Glossario w;
    w.Form_Load();
    const int reported = int(pf.prompts.messages().size());
    EXPECT_GE(reported, 1);
    ctl<QRadioButton>(&w, "Option1_3")->click();
    ctl<QRadioButton>(&w, "Option1_0")->click();
    ctl<QLineEdit>(&w, "txt_ricerca_0")->setText("strada");
    ctl<QPushButton>(&w, "cmd_ricerca")->click();
    EXPECT_EQ(ctl<QListWidget>(&w, "lst_NameVar")->count(), 0);
    EXPECT_EQ(int(pf.prompts.messages().size()), reported); // reported once, at opening
}
