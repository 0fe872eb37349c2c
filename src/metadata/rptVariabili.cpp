#include "metadata/rptVariabili.h"
#include "platform/Prompts.h"

using namespace platform::report;

rptVariabili::rptVariabili() : rptMetadata(QStringLiteral("rptVariabili"), MakeDesign()) {}

rptVariabili &rptVariabili::Default()
{
    static rptVariabili report;
    return report;
}

namespace {

// The thirteen rows of a block by year: the year label at `labelLeft`, the box
// bound to `prefix` + year.
void yearRows(std::vector<Control> &c, int firstLabel, int firstBox, const QString &prefix, int top, int labelLeft,
              int boxLeft, int boxWidth, const FontDef &label, const FontDef &box, const FontDef &firstBoxFont)
{
    for (int i = 0; i < 13; ++i) {
        const int year = 1996 + i;
        const int y = top + 840 * i;
        c.push_back(Label(QStringLiteral("Label%1").arg(firstLabel + i), QString::number(year),
                          QRect(labelLeft, y, 555, 255), label));
        c.push_back(TextBox(QStringLiteral("TextBox%1").arg(firstBox + i), prefix + QString::number(year),
                            QRect(boxLeft, y, boxWidth, 750), i == 0 ? firstBoxFont : box));
    }
}

} // namespace

Design rptVariabili::MakeDesign()
{
    Design d;
    d.caption = QStringLiteral("Stampa Scheda Variabile");
    d.reportWidth = 10845;
    d.margins = QMargins(500, 500, 500, 500);
    const FontDef lbl{QStringLiteral("Arial"), 9, true};
    const FontDef box{QStringLiteral("Arial"), 9, false};
    const FontDef small{QStringLiteral("Arial"), 6, false};

    d.reportHeader = {QStringLiteral("Section4"), 0, {}};
    d.pageHeader = {QStringLiteral("Section2"),
                    735,
                    {Label(QStringLiteral("Label76"), QStringLiteral("Scheda variabile"), QRect(2115, 90, 3960, 570),
                           FontDef{QStringLiteral("Arial"), 21.75, false})}};

    std::vector<Control> c = {
        Label(QStringLiteral("Label2"), QStringLiteral("Variabile"), QRect(180, 153, 1740, 255), lbl),
        TextBox(QStringLiteral("TextBox1"), QStringLiteral("idvariabile"), QRect(165, 543, 1740, 330), lbl),
        TextBox(QStringLiteral("TextBox2"), QStringLiteral("descvariabile"), QRect(2025, 543, 8715, 735), lbl),
        Label(QStringLiteral("Label3"), QStringLiteral("Argomento"), QRect(195, 1398, 1740, 255), lbl),
        TextBox(QStringLiteral("TextBox3"), QStringLiteral("CodiceArgomento"), QRect(180, 1788, 1740, 330), box),
        TextBox(QStringLiteral("TextBox4"), QStringLiteral("descArg"), QRect(2040, 1788, 8700, 360), box),
        Label(QStringLiteral("Label4"), QStringLiteral("Anni disponibili"), QRect(195, 2553, 2145, 255), lbl),
    };
    for (int i = 0; i < 13; ++i) {
        const int left = i < 10 ? 195 + 750 * i : 7710 + 750 * (i - 10);
        const int top = i < 7 ? 3198 : 3195;
        c.push_back(Label(QStringLiteral("Label%1").arg(5 + i), QString::number(1996 + i),
                          QRect(left, top - 270, 735, 255), lbl));
        c.push_back(TextBox(QStringLiteral("TextBox%1").arg(5 + i), QString::number(1996 + i),
                            QRect(left, top, 750, 285), box, Format::BooleanSiNo));
    }
    c.push_back(Label(QStringLiteral("Label18"), QStringLiteral("Unità di misura"), QRect(180, 4005, 1740, 255), lbl));
    c.push_back(TextBox(QStringLiteral("TextBox18"), QStringLiteral("unitamisura"), QRect(180, 4410, 1740, 330), box));
    c.push_back(Label(QStringLiteral("Label19"), QStringLiteral("Periodo di riferimento dei dati"),
                      QRect(2010, 4005, 3315, 255), lbl));
    c.push_back(TextBox(QStringLiteral("TextBox19"), QStringLiteral("periodorif"), QRect(2010, 4365, 4455, 360), box));
    c.push_back(Label(QStringLiteral("Label20"), QStringLiteral("Note sull'intera serie"), QRect(195, 5103, 3315, 255),
                      lbl));
    Control serie = TextBox(QStringLiteral("TextBox20"), QStringLiteral("noteserie"), QRect(180, 5355, 10560, 1305), small);
    serie.backColor = QColor(224, 224, 224);
    c.push_back(serie);

    c.push_back(Label(QStringLiteral("Label21"), QStringLiteral("Note sui singoli anni"), QRect(195, 6783, 3315, 255), lbl));
    yearRows(c, 22, 21, QStringLiteral("note_"), 7098, 180, 750, 10035, lbl, small, small);
    c.push_back(Label(QStringLiteral("Label1"), QStringLiteral("Fonti"), QRect(180, 18138, 3315, 255), lbl));
    yearRows(c, 35, 34, QStringLiteral("Fonte_"), 18453, 180, 735, 7380, lbl, box, small);
    c.push_back(Label(QStringLiteral("Label48"), QStringLiteral("Pubblicazioni"), QRect(165, 29493, 3315, 255), lbl));
    yearRows(c, 49, 47, QStringLiteral("Pubblicazione_"), 29808, 165, 720, 7380, lbl, box, box);
    c.push_back(Label(QStringLiteral("Label62"), QStringLiteral("Enti"), QRect(135, 40842, 3315, 255), lbl));
    yearRows(c, 63, 60, QStringLiteral("Ente_"), 41157, 135, 690, 7380, lbl, box, box);

    d.detail = {QStringLiteral("Section1"), 52035, std::move(c)};
    d.pageFooter = {QStringLiteral("Section3"), 135, {}};
    d.reportFooter = {QStringLiteral("Section5"), 90, {}};
    return d;
}

QString rptVariabili::Query(const QString &p)
{
    return QStringLiteral("SELECT MetadatiVariabili.*, Argomento.[Desc argomento] as descArg FROM Argomento INNER JOIN "
                          "MetadatiVariabili ON Argomento.[Codice argomento] = MetadatiVariabili.CodiceArgomento where "
                          "idvariabile = '") +
           QuoteSql(p) + QStringLiteral("';");
}

bool rptVariabili::InitReport(const QString &p)
{
    return OpenData(Query(p));
}

void rptVariabili::DataReport_Error(long number, const QString &, bool &showError)
{
    if (number == rpterr::NoPrinter) {
        platform::prompts().msgBox(QStringLiteral("Stampante non installata!"), platform::mb::OkOnly);
        showError = false;
    } else {
        showError = true;
    }
}
