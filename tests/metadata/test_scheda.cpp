// The variable and indicator sheets on the sample databases, driven through
// their controls: filling, missing records, errors part-way, re-opening and
// printing through their reports.
#include "MetaTest.h"
#include "metadata/RegisterSchede.h"
#include "metadata/frmSchedaIndicatori.h"
#include "metadata/frmSchedaVariabili.h"
#include "metadata/rptIndicatori.h"
#include "metadata/rptVariabili.h"
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "frame/Layout.h"
#include "frame/Shared.h"
#include "platform/report/Report.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>

namespace {

using testenv::ctl;

QString text(QWidget *w, const QString &name)
{
    if (auto *l = w->findChild<QLineEdit *>(name))
        return l->text();
    if (auto *t = w->findChild<QPlainTextEdit *>(name))
        return t->toPlainText();
    ADD_FAILURE() << "no box " << name.toStdString();
    return {};
}

QList<bool> years(QWidget *w)
{
    QList<bool> out;
    for (int k = 1; k <= 13; ++k)
        out << ctl<QCheckBox>(w, QStringLiteral("Check%1").arg(k))->isChecked();
    return out;
}

class Sheets : public testenv::MetaTest {
protected:
    QList<QPointer<QWidget>> opened;

    void TearDown() override
    {
        for (const auto &w : opened)
            delete w.data();
        frame::ClearRegisteredForms();
    }
    template <class W>
    W *open(const QString &kind, const QString &id)
    {
        gSqlScheda = Utility::CreaQueryMetadati(kind, id);
        W *w = W::ShowForm();
        opened << w;
        return w;
    }
};

TEST_F(Sheets, VariableSheetShowsTheRecord)
{
    sql("insert into Argomento ([Codice argomento], [Desc argomento], idSettore) values ('A01-PD', 'Popolazione (PD)', 'A')");
    sql(QString::fromUtf8(
        "insert into MetadatiVariabili (IdVariabile, DescVariabile, CodiceArgomento, [1996], [1997], [2008], "
        "Fonte_1996, Fonte_1997, Fonte_1998, Fonte_2008, Pubblicazione_2000, Ente_2001, Note_1999, NoteSerie, "
        "LivelloTerritoriale, NumProvince, UnitaMisura, PeriodoRif) values ('Z9901', 'Variabile d''esempio', 'A01-PD', "
        "1, 0, 1, 'ISTAT', '-', '   ', 'Ministero', 'Annuario 2001', 'Ente X', 'Stima', "
        "'Prima riga\nseconda \u2022 \u201cvoce\u201d', 'p', 103, 'km', '31 dicembre')"));
    auto *w = open<frmSchedaVariabili>("Variabili", "Z9901");
    EXPECT_EQ(w->windowTitle(), "Scheda metadati variabili ");
    const std::pair<QString, QString> boxes[] = {
        {"txtVariabili", "Z9901 - Variabile d'esempio"}, {"txtSettore", "Contesto territoriale"},
        {"txtArgomento", "A01 - Popolazione (PD)"},      {"txtFonti", "1996: ISTAT\n\n2008: Ministero\n\n"},
        {"txtPubblicazioni", "2000: Annuario 2001\n\n"}, {"txtEnti", "2001: Ente X\n\n"},
        {"txtLivelloTerr", "Provinciale"},               {"txtNumProv", "103"},
        {QString::fromUtf8("txtUnità_mis"), "km"},      {"txtPeriodo_rif", "31 dicembre"},
        {"txtNoteSerie", "Prima riga seconda - 'voce'"}, {"txtNoteAnni", "1999: Stima\n\n"}};
    for (const auto &[box, shown] : boxes)
        EXPECT_EQ(text(w, box), shown) << box.toStdString();
    EXPECT_EQ(years(w), (QList<bool>{true, false, false, false, false, false, false, false, false, false, false, false,
                                     true}));
    EXPECT_EQ(messages(), "");
}

TEST_F(Sheets, NoRecordLeavesTheSheetEmpty)
{
    const std::tuple<QString, QString, QString> cases[] = {
        {"Variabili", "Informazioni per la variabile non disponibili!", "txtVariabili"},
        {"Indicatori", "Informazioni per l'indicatore non disponibili!", "txtIndicatore"}};
    for (const auto &[kind, message, box] : cases) {
        pf.prompts.clear();
        QWidget *w = kind == "Variabili" ? static_cast<QWidget *>(open<frmSchedaVariabili>(kind, "NOPE1"))
                                         : open<frmSchedaIndicatori>(kind, "NOPE01");
        ASSERT_EQ(pf.prompts.shown.size(), 1u);
        EXPECT_EQ(pf.prompts.shown[0].text + QString::number(pf.prompts.shown[0].style), message + "64");
        EXPECT_EQ(text(w, box), "");
        EXPECT_TRUE(w->isVisible());
        // Nothing to print: "Stampa" is off and prints no empty report.
        auto *stampa = ctl<QPushButton>(w, "cmdStampa");
        EXPECT_FALSE(stampa->isEnabled()) << kind.toStdString();
        stampa->click();
        EXPECT_EQ(pf.prompts.shown.size(), 1u);
        frame::UnloadForm(w);
        QApplication::processEvents();
    }
}

TEST_F(Sheets, ErrorPartWayIsLoggedAndKeepsWhatWasFilled)
{
    gSqlScheda = "SELECT IdVariabile, DescVariabile FROM MetadatiVariabili WHERE IdVariabile = 'A0101'";
    QWidget *w = opened.emplace_back(frmSchedaVariabili::ShowForm());
    EXPECT_EQ(text(w, "txtVariabili") + "|" + text(w, "txtSettore"), "A0101 - Popolazione residente al 31 dicembre|");
    ASSERT_EQ(pf.prompts.messages().size(), 1);
    EXPECT_TRUE(pf.prompts.messages()[0].startsWith("Errore : "));
    EXPECT_TRUE(errorLog().contains("Module:frmSchedaVariabili Function: Form_Load")) << errorLog().toStdString();
}

TEST_F(Sheets, IndicatorSheetShowsTheRecord)
{
    // The words and ticks themselves are the sheet logic's; here one record shows them.
    sql("insert into Argomento ([Codice argomento], [Desc argomento], idSettore) values ('B01-PD', 'Strade (PD)', 'B')");
    sql("insert into MetadatiIndicatori (IdIndicatore, DescIndicatore, Argomento, ModalitaCalcolo, IdVariabilAssociate, "
        "[1996], [2001], NoteTecniche, PSM, BdQuid, Valutazione, Destinazione, Prov, SLL, Comune, DatoPuntuale, "
        "UtilizzSintesi) values ('Z01001', 'Indice di prova', 'B01-PD', 'a / b', 'B0101, A0102', 1, 1, 'Nota tecnica', "
        "'Si', 'No', 'B2', 'Imprese', 1, '1', 0, null, 'si')");
    auto *w = open<frmSchedaIndicatori>("Indicatori", "Z01001");
    EXPECT_EQ(w->windowTitle(), "Scheda metadati indicatori");
    const std::pair<const char *, QString> boxes[] = {
        {"txtIndicatore", "Z01001 - Indice di prova"}, {"txtSettore", "Trasporti"},
        {"txtArgomento", "B01-PD - Strade (PD)"},      {"txtPsm", "Si"}, {"txtBdquid", "No"},
        {"txtValutazione", "Dotazione"},               {"txtModalitaCalcolo", "a / b"},
        {"txtVariabiliAssociate", "B0101, A0102"},     {"txtNoteTecniche", "Nota tecnica"},
        {"txtDestinazione", "Imprese"}};
    for (const auto &[box, shown] : boxes)
        EXPECT_EQ(text(w, box), shown) << box;
    QList<bool> ticks;
    for (const char *name : {"chkProv", "chkSll", "chkComune", "chkDatoP", "chkSintesi"})
        ticks << ctl<QCheckBox>(w, name)->isChecked();
    EXPECT_EQ(ticks, (QList<bool>{true, true, false, false, true}));
    EXPECT_EQ(years(w), (QList<bool>{true, false, false, false, false, true, false, false, false, false, false, false,
                                     false}));
    EXPECT_EQ(messages(), "");
}

TEST_F(Sheets, AnOpenSheetShowsTheItemAskedFor)
{
    RegisterSchedeForms();
    gSqlScheda = Utility::CreaQueryMetadati("Variabili", "A0101");
    ASSERT_TRUE(frame::OpenRegisteredForm("FRMSCHEDAVARIABILI"));
    QWidget *first = testenv::must(frame::FindForm("frmSchedaVariabili"), "sheet");
    // The same item again: the open sheet comes forward as it is.
    ASSERT_TRUE(frame::OpenRegisteredForm("FRMSCHEDAVARIABILI"));
    EXPECT_EQ(frame::FindForm("frmSchedaVariabili"), first);
    // Another item: its own sheet, in place of the open one.
    gSqlScheda = Utility::CreaQueryMetadati("Variabili", "A0102");
    ASSERT_TRUE(frame::OpenRegisteredForm("FRMSCHEDAVARIABILI"));
    QWidget *second = opened.emplace_back(testenv::must(frame::FindForm("frmSchedaVariabili"), "sheet"));
    EXPECT_TRUE(text(second, "txtVariabili").startsWith("A0102 - ")) << text(second, "txtVariabili").toStdString();
    const QList<QWidget *> forms = frame::OpenForms(); // the first one gave way
    EXPECT_EQ(std::count_if(forms.begin(), forms.end(), [](QWidget *f) { return f->objectName() == "frmSchedaVariabili"; }), 1);
    gSqlScheda = Utility::CreaQueryMetadati("Indicatori", "A01001");
    ASSERT_TRUE(frame::OpenRegisteredForm("FRMSCHEDAINDICATORI"));
    QWidget *ind = opened.emplace_back(testenv::must(frame::FindForm("frmSchedaIndicatori"), "sheet"));
    EXPECT_TRUE(text(ind, "txtIndicatore").startsWith("A01001 - "));
}

TEST_F(Sheets, PrintShowsTheReportOfTheRecordShownHelpItsTopic)
{
    // An Id longer than the usual five characters still prints its own sheet.
    sql("insert into MetadatiVariabili (IdVariabile, DescVariabile, CodiceArgomento, [1996]) "
        "values ('A01011', 'Variabile lunga', 'A01', 1)");
    struct Case {
        QWidget *sheet;
        const char *caption, *id, *help, *idField;
        rptMetadata *report;
    } cases[] = {
        {open<frmSchedaVariabili>("Variabili", "A01011"), "Stampa Scheda Variabile", "A01011", "scheda_variabile.html",
         "idvariabile", &rptVariabili::Default()},
        {open<frmSchedaIndicatori>("Indicatori", "B01002"), "Stampa Scheda Indicatore", "B01002",
         "scheda_indicatore.html", "IdIndicatore", &rptIndicatori::Default()}};
    for (const Case &c : cases) {
        QString caption, id;
        testenv::onModal([&](QWidget *dlg) {
            caption = dlg->windowTitle();
            const auto *rs = testenv::must(c.report->dataSource(), "report data");
            ASSERT_EQ(rs->recordCount(), 1);
            id = rs->text(c.idField);
        });
        ctl<QPushButton>(c.sheet, "cmdStampa")->click();
        EXPECT_EQ(caption + "|" + id, QString(c.caption) + "|" + c.id);
        EXPECT_FALSE(c.report->HasConnection());

        ctl<QPushButton>(c.sheet, "cmdHelp")->click();
        auto *help = testenv::must(qobject_cast<QTextBrowser *>(Utility::HelpWindow()), "help");
        EXPECT_TRUE(help->source().toLocalFile().endsWith(c.help)) << c.help;
        help->close();
    }
    EXPECT_EQ(messages(), "");
}

TEST_F(Sheets, PrintWithoutTheDatabaseSaysSo)
{
    auto *v = open<frmSchedaVariabili>("Variabili", "A0101");
    auto *i = open<frmSchedaIndicatori>("Indicatori", "A01001");
    ASSERT_TRUE(QFile::rename(pf.databases() + "Metadati.mdb", pf.databases() + "Metadati.old"));
    for (QWidget *w : {static_cast<QWidget *>(v), static_cast<QWidget *>(i)}) {
        pf.prompts.clear();
        ctl<QPushButton>(w, "cmdStampa")->click();
        ASSERT_FALSE(pf.prompts.shown.empty());
        EXPECT_EQ(pf.prompts.shown.back().text + QString::number(pf.prompts.shown.back().style),
                  "Impossibile eseguire la stampa0");
    }
}

} // namespace
