#include "metadata/Glossario.h"
#include "selection/FillSons.h"
#include "platform/db/Database.h"

namespace metadata {

using Utility_RQM::SqlText;

QStringList LettereAlfabeto()
{
    QStringList letters;
    for (char16_t c = u'a'; c <= u'z'; ++c)
        letters << QString(QChar(c)).toUpper();
    return letters;
}

QString GlossarioTuttiQuery()
{
    return QStringLiteral("select nome from glossario order by 1;");
}

QString GlossarioLetteraQuery(const QString &lettera)
{
    return QStringLiteral("Select nome from glossario where left(nome,1) =") + SqlText(lettera);
}

QString GlossarioSettoreQuery(const QString &idSettore)
{
    return QStringLiteral("Select nome from glossario where idsettore =") + SqlText(idSettore);
}

std::optional<QString> GlossarioRicercaQuery(const RicercaTesto &r)
{
    QString pattern;
    if (r.contieneAbilitato && !r.contiene.isEmpty())
        pattern = u'%' + r.contiene + u'%';
    else if (r.iniziaAbilitato && !r.inizia.isEmpty())
        pattern = r.inizia + u'%';
    else
        return std::nullopt;
    return QStringLiteral("select nome from glossario where nome like ") + SqlText(pattern);
}

QString GlossarioDefinizioneQuery(const QString &nome)
{
    return QStringLiteral("select definizione from glossario where nome = ") + SqlText(nome);
}

QStringList GlossarioNomi(platform::db::Database &conn, const QString &sql)
{
    QStringList names;
    auto rs = conn.query(sql);
    for (; !rs.eof(); rs.moveNext())
        names << rs.text(0);
    return names;
}

std::optional<QString> GlossarioDefinizione(platform::db::Database &conn, const QString &nome)
{
    auto rs = conn.query(GlossarioDefinizioneQuery(nome));
    if (rs.eof() || rs.bof())
        return std::nullopt;
    return rs.text(0);
}

} // namespace metadata
