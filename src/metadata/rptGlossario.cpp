#include "metadata/rptGlossario.h"

using namespace platform::report;

rptGlossario::rptGlossario() : rptMetadata(QStringLiteral("rptGlossario"), MakeDesign()) {}

rptGlossario &rptGlossario::Default()
{
    static rptGlossario report;
    return report;
}

Design rptGlossario::MakeDesign()
{
    Design d;
    d.caption = QStringLiteral("Stampa Glossario");
    d.reportWidth = 8508;
    d.margins = QMargins(1440, 1440, 1440, 1440);
    const FontDef title{QStringLiteral("Arial"), 15.75, false};
    const FontDef bold{QStringLiteral("Arial"), 9.75, true};
    const FontDef plain{QStringLiteral("Arial"), 9.75, false};

    d.reportHeader = {QStringLiteral("Section4"), 930,
                      {Label(QStringLiteral("Label1"), QStringLiteral(" Corvenna - Glossario"), QRect(1701, 0, 5100, 570),
                             title)}};
    d.pageHeader = {QStringLiteral("Section2"), 0, {}};
    d.detail = {QStringLiteral("Section1"),
                5310,
                {Rectangle(QStringLiteral("Shape1"), QRect(570, 165, 7365, 4665)),
                 Label(QStringLiteral("Label2"), QStringLiteral("DENOMINAZIONE:"), QRect(690, 270, 1980, 270), bold),
                 TextBox(QStringLiteral("txtNome"), QStringLiteral("nome"), QRect(735, 660, 7005, 675), bold),
                 Label(QStringLiteral("Label3"), QStringLiteral("DESCRIZIONE:"), QRect(735, 1695, 1620, 315), plain),
                 TextBox(QStringLiteral("txtDesc"), QStringLiteral("definizione"), QRect(735, 2055, 7035, 2550), plain)}};
    d.pageFooter = {QStringLiteral("Section3"), 0, {}};
    d.reportFooter = {QStringLiteral("Section5"), 159, {}};
    return d;
}

QString rptGlossario::Query(const QString &p)
{
    return QStringLiteral("SELECT Nome, Definizione FROM Glossario where nome = '") + QuoteSql(p) + QStringLiteral("'");
}

bool rptGlossario::InitReport(const QString &p)
{
    return OpenData(Query(p));
}

bool rptGlossario::ShowTerm(const QString &term, QWidget *parent)
{
    rptGlossario &r = Default();
    if (!r.InitReport(term))
        return false;
    r.Show(parent);
    return true;
}
