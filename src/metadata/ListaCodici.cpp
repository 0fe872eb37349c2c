#include "metadata/ListaCodici.h"
#include "selection/FillSons.h"
#include "platform/db/Database.h"

namespace metadata {

namespace {

bool isVariabili(const QString &kind)
{
    return kind == QLatin1String("Variabili");
}

QString yearList()
{
    // "[1996] , [1997], ... [2008] "
    QString s = QStringLiteral("[%1] ").arg(PrimoAnno);
    for (int y = PrimoAnno + 1; y <= UltimoAnno; ++y)
        s += QStringLiteral(", [%1]").arg(y);
    return s + u' ';
}

} // namespace

QString ListaCodiciQuery(const QString &kind)
{
    if (isVariabili(kind))
        return QStringLiteral("SELECT IdVariabile FROM MetadatiVariabili WHERE InStr([CodiceArgomento],'- NO')=0 "
                              "AND InStr([CodiceArgomento],'-NO')=0 order by IdVariabile;");
    return QStringLiteral("SELECT IdIndicatore FROM MetadatiIndicatori WHERE InStr([Argomento],'- NO')=0 "
                          "AND InStr([Argomento],'-NO')=0 order by IdIndicatore;");
}

QString MetadatoQuery(const QString &kind, const QString &code)
{
    const QString literal = Utility_RQM::SqlText(code);
    if (isVariabili(kind))
        return QStringLiteral("SELECT MetadatiVariabili.DescVariabile, Argomento.[Codice argomento], [Desc argomento], "
                              "Settore.idSettore, [Descrizione Settore], ") +
               yearList() +
               QStringLiteral("FROM (Argomento INNER JOIN MetadatiVariabili ON Argomento.[Codice argomento] = "
                              "MetadatiVariabili.CodiceArgomento) INNER JOIN Settore ON Argomento.idSettore = "
                              "Settore.idSettore ") +
               QStringLiteral("WHERE IdVariabile =") + literal + u';';
    return QStringLiteral("SELECT MetadatiIndicatori.DescIndicatore, Argomento.[Codice argomento], [Desc argomento], "
                          "Settore.idSettore, [Descrizione Settore], ") +
           yearList() +
           QStringLiteral("FROM (Argomento INNER JOIN Settore ON Argomento.idSettore = Settore.idSettore) INNER JOIN "
                          "MetadatiIndicatori ON Argomento.[Codice argomento] = MetadatiIndicatori.Argomento ") +
           QStringLiteral("WHERE IdIndicatore =") + literal + u';';
}

QStringList LeggiCodici(platform::db::Database &conn, const QString &kind)
{
    QStringList codes;
    auto rs = conn.query(ListaCodiciQuery(kind));
    for (; !rs.eof(); rs.moveNext())
        codes << rs.text(0);
    return codes;
}

std::optional<Metadato> LeggiMetadato(platform::db::Database &conn, const QString &kind, const QString &code)
{
    auto rs = conn.query(MetadatoQuery(kind, code));
    if (rs.eof())
        return std::nullopt;
    Metadato m;
    m.descrizione = rs.text(0);
    m.argomento = rs.text(1) + QStringLiteral(" - ") + rs.text(2);
    m.settore = rs.text(3) + QStringLiteral(" - ") + rs.text(4);
    for (int i = 0; i < NumAnni; ++i)
        m.anni[size_t(i)] = rs.field(QString::number(PrimoAnno + i)).toBool();
    return m;
}

} // namespace metadata
