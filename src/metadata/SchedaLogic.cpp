#include "metadata/SchedaLogic.h"
#include "frame/Shared.h"

#include <QLocale>

namespace scheda {

using platform::db::Value;

QString NzStr(const Value &v)
{
    return v.isNull() ? QString() : v.toString();
}

QString PulisciTesto(const QString &s)
{
    QString out = s;
    for (QChar &c : out) {
        switch (c.unicode()) {
        case 0x000A: c = u' '; break;               // line feed
        case 0x201C:                                  // left double quotation mark
        case 0x201D: c = u'\''; break;               // right double quotation mark
        case 0x2022: c = u'-'; break;                // bullet
        default: break;
        }
    }
    return out;
}

QString YearLines(const platform::db::Recordset &rs, const QString &prefix)
{
    QString out;
    for (int y = FirstYear; y <= LastYear; ++y) {
        const Value &v = rs.field(prefix + QString::number(y));
        if (!Utility::IsEmptyValue(v))
            out += QString::number(y) + QStringLiteral(": ") + v.toString() + QStringLiteral("\r\n\r\n");
    }
    return out;
}

QString SubAreaCode(const QString &code)
{
    if (code.contains(QLatin1String("-PD"), Qt::CaseSensitive))
        return code.left(std::max<qsizetype>(0, code.size() - 3));
    return code;
}

std::optional<QString> LivelloWord(const QString &code)
{
    if (code.isEmpty())
        return QString();
    const QString u = code.toUpper();
    if (u == QLatin1String("P"))
        return QStringLiteral("Provinciale");
    if (u == QLatin1String("R"))
        return QStringLiteral("Regionale");
    return std::nullopt;
}

QString ValutazioneWord(const QString &code)
{
    if (code == QLatin1String("A"))
        return QStringLiteral("Contesto");
    if (code == QLatin1String("B1") || code == QLatin1String("B2") || code == QLatin1String("B3"))
        return QStringLiteral("Dotazione");
    if (code == QLatin1String("C") || code == QLatin1String("C1") || code == QLatin1String("D"))
        return QStringLiteral("Funzionalità");
    if (code == QLatin1String("E") || code == QLatin1String("E1") || code == QLatin1String("E2"))
        return QStringLiteral("Domanda");
    return QString();
}

bool IsOne(const Value &v)
{
    switch (v.type()) {
    case Value::Type::Integer:
    case Value::Type::Real:
        return v.toDouble() == 1.0;
    case Value::Type::Text: {
        const QString t = v.toString().trimmed();
        bool ok = false;
        double d = QLocale().toDouble(t, &ok);
        if (!ok)
            d = QLocale::c().toDouble(t, &ok);
        return ok && d == 1.0;
    }
    default:
        return false;   // Null; a Boolean true is -1, never 1
    }
}

bool IsSi(const Value &v)
{
    return !v.isNull() && v.toString().compare(QLatin1String("Si"), Qt::CaseInsensitive) == 0;
}

bool YearAvailable(const platform::db::Recordset &rs, int year)
{
    const Value &v = rs.field(QString::number(year));
    return !v.isNull() && v.toBool();
}

QString IdOfHeading(const QString &heading)
{
    const qsizetype dash = heading.indexOf(QLatin1String(" - "));
    return (dash < 0 ? heading : heading.left(dash)).trimmed();
}

QString ForDisplay(const QString &s)
{
    QString out = s;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.remove(u'\r');   // a carriage return alone breaks no line
    return out;
}

} // namespace scheda
