#include "platform/db/Value.h"
#include "platform/Error.h"
#include "platform/NumText.h"

#include <QLocale>
#include <cmath>

namespace platform::db {

double Value::toDouble() const
{
    switch (type()) {
    case Type::Null: return 0.0;
    case Type::Integer: return double(std::get<qint64>(m_v));
    case Type::Real: return std::get<double>(m_v);
    case Type::Boolean: return std::get<bool>(m_v) ? -1.0 : 0.0;
    case Type::Text: {
        const auto v = num::parse(std::get<QString>(m_v));
        if (!v)
            throw RuntimeError(err::TypeMismatch, QStringLiteral("Tipo non corrispondente"));
        return *v;
    }
    }
    return 0.0;
}

qint64 Value::toInt() const
{
    switch (type()) {
    case Type::Integer: return std::get<qint64>(m_v);
    case Type::Null: return 0;
    default: {
        const double d = num::roundHalfEven(toDouble(), 0);
        if (!std::isfinite(d) || std::fabs(d) > 9.2e18)
            throw RuntimeError(6, QStringLiteral("Overflow"));
        return qint64(d);
    }
    }
}

bool Value::toBool() const
{
    switch (type()) {
    case Type::Null: return false;
    case Type::Boolean: return std::get<bool>(m_v);
    case Type::Integer: return std::get<qint64>(m_v) != 0;
    case Type::Real: return std::get<double>(m_v) != 0.0;
    case Type::Text: {
        const QString s = std::get<QString>(m_v).trimmed();
        if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 ||
            s.compare(QLatin1String("Vero"), Qt::CaseInsensitive) == 0 ||
            s.compare(QLatin1String("Si"), Qt::CaseInsensitive) == 0 ||
            s.compare(QStringLiteral("Sì"), Qt::CaseInsensitive) == 0)
            return true;
        const auto v = num::parse(s);
        return v && *v != 0.0;
    }
    }
    return false;
}

QString Value::toString() const
{
    switch (type()) {
    case Type::Null: return {};
    case Type::Integer: return QString::number(std::get<qint64>(m_v));
    case Type::Boolean: return std::get<bool>(m_v) ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Text: return std::get<QString>(m_v);
    case Type::Real: {
        const double d = std::get<double>(m_v);
        if (!std::isfinite(d))
            return QString::number(d);
        QString s;
        const double a = std::fabs(d);
        if (a != 0.0 && (a >= 1e15 || a < 1e-15)) {
            s = QString::number(d, 'g', 15);
        } else {
            // 15 significant digits, fixed notation, no trailing zeros.
            const int intDigits = a >= 1.0 ? int(std::floor(std::log10(a))) + 1 : 0;
            const int lead = a > 0.0 && a < 1.0 ? -int(std::floor(std::log10(a))) - 1 : 0;
            const int decimals = std::max(0, 15 - intDigits + lead);
            s = num::format(d, decimals);
            const QChar dp = num::decimalPoint();
            if (s.contains(dp)) {
                while (s.endsWith(u'0'))
                    s.chop(1);
                if (s.endsWith(dp))
                    s.chop(1);
            }
            if (s == QLatin1String("-0"))
                s = QStringLiteral("0");
            return s;
        }
        const QChar dp = num::decimalPoint();
        if (dp != u'.')
            s.replace(u'.', dp);
        return s;
    }
    }
    return {};
}

} // namespace platform::db
