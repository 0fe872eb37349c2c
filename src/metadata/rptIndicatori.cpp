#include "metadata/rptIndicatori.h"

using namespace platform::report;

rptIndicatori::rptIndicatori() : rptMetadata(QStringLiteral("rptIndicatori"), MakeDesign()) {}

rptIndicatori &rptIndicatori::Default()
{
    static rptIndicatori report;
    return report;
}

Design rptIndicatori::MakeDesign()
{
    Design d;
    d.caption = QStringLiteral("Stampa Scheda Indicatore");
    d.reportWidth = 8850;
    d.margins = QMargins(1440, 1440, 1440, 1440);
    const FontDef plain;
    const FontDef bold{QStringLiteral("Arial"), 8.25, true};
    const FontDef title{QStringLiteral("Arial"), 21.75, false};

    d.reportHeader = {QStringLiteral("Section4"), 30, {}};
    d.pageHeader = {QStringLiteral("Section2"),
                    945,
                    {Label(QStringLiteral("Label1"), QStringLiteral("Scheda indicatore"), QRect(2250, 195, 3960, 570),
                           title)}};
    std::vector<Control> c = {
        Label(QStringLiteral("Label2"), QStringLiteral("Indicatore"), QRect(555, 255, 1665, 285), bold),
        TextBox(QStringLiteral("TextBox1"), QStringLiteral("IdIndicatore"), QRect(567, 567, 2268, 567), plain),
        TextBox(QStringLiteral("TextBox2"), QStringLiteral("DescIndicatore"), QRect(2265, 600, 5700, 570), plain),
        Label(QStringLiteral("Label3"), QStringLiteral("Argomento"), QRect(570, 1425, 1665, 285), bold),
        TextBox(QStringLiteral("TextBox3"), QStringLiteral("Argomento"), QRect(567, 1701, 1701, 567), plain),
        TextBox(QStringLiteral("TextBox4"), QStringLiteral("descarg"), QRect(2265, 1695, 4530, 570), plain),
        Label(QStringLiteral("Label4"), QStringLiteral("Aspetto"), QRect(570, 2295, 2145, 315), bold),
        TextBox(QStringLiteral("TextBox5"), QStringLiteral("Descrizione"), QRect(570, 2595, 3405, 570), plain),
        Label(QStringLiteral("Label5"), QStringLiteral("Modalità di calcolo"), QRect(570, 3270, 2145, 315), bold),
        TextBox(QStringLiteral("TextBox6"), QStringLiteral("ModalitaCalcolo"), QRect(570, 3570, 7395, 570), plain),
        Label(QStringLiteral("Label6"), QStringLiteral("Id varibili associate"), QRect(570, 4275, 2145, 315), bold),
        TextBox(QStringLiteral("TextBox7"), QStringLiteral("IdVariabilAssociate"), QRect(570, 4575, 7395, 570), plain),
        Label(QStringLiteral("Label7"), QStringLiteral("Anni disponibili"), QRect(585, 5160, 1695, 285),
              FontDef{QStringLiteral("Arial"), 9, true}),
    };
    // The years: 1996-2002 on the first row, 2003-2008 on the second.
    for (int i = 0; i < 13; ++i) {
        const int year = 1996 + i;
        const bool first = i < 7;
        const int left = first ? 570 + 750 * i : 555 + 750 * (i - 7);
        const int top = first ? 5715 : 6285;
        c.push_back(Label(QStringLiteral("Label%1").arg(8 + i), QString::number(year),
                          QRect(left + 15, top - 270, 735, 285), bold));
        c.push_back(TextBox(QStringLiteral("TextBox%1").arg(8 + i), QString::number(year), QRect(left, top, 750, 285),
                            plain, Format::BooleanSiNo));
    }
    c.push_back(Label(QStringLiteral("Label21"), QStringLiteral("Note tecniche"), QRect(585, 6840, 2850, 270), bold));
    c.push_back(TextBox(QStringLiteral("TextBox21"), QStringLiteral("NoteTecniche"), QRect(585, 7155, 7965, 1680),
                        FontDef{QStringLiteral("Arial"), 9, false}));
    d.detail = {QStringLiteral("Section1"), 8880, std::move(c)};
    d.pageFooter = {QStringLiteral("Section3"), 360, {}};
    d.reportFooter = {QStringLiteral("Section5"), 360, {}};
    return d;
}

QString rptIndicatori::Query(const QString &p)
{
    // The evaluation joins on the left: an indicator whose code has no
    // description still prints, with "Aspetto" empty.
    return QStringLiteral("SELECT MetadatiIndicatori.*, Argomento.[Desc argomento] as DescArg, Valutazioni.Descrizione "
                          "FROM (Argomento INNER JOIN MetadatiIndicatori ON Argomento.[Codice argomento] = "
                          "MetadatiIndicatori.Argomento) LEFT JOIN Valutazioni ON Valutazioni.Valutazione = "
                          "MetadatiIndicatori.Valutazione where  idindicatore = '") +
           QuoteSql(p) + QStringLiteral("'");
}

bool rptIndicatori::InitReport(const QString &p)
{
    return OpenData(Query(p));
}
