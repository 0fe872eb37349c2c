#pragma once
// One field value read from a database: Null, integer, real, text or Boolean.
#include <QString>
#include <QtGlobal>
#include <variant>

namespace platform::db {

class Value {
public:
    enum class Type { Null, Integer, Real, Text, Boolean };

    Value() = default;                       // Null
    static Value integer(qint64 v) { Value x; x.m_v = v; return x; }
    static Value real(double v) { Value x; x.m_v = v; return x; }
    static Value text(QString v) { Value x; x.m_v = std::move(v); return x; }
    static Value boolean(bool v) { Value x; x.m_v = v; return x; }

    Type type() const { return static_cast<Type>(m_v.index()); }
    bool isNull() const { return m_v.index() == 0; }
    bool isNumber() const { return type() == Type::Integer || type() == Type::Real; }

    // Conversions. A text converts through the user's locale; Null gives 0 / "" / false.
    // toDouble()/toInt() of a text that is not a number raise RuntimeError(TypeMismatch).
    qint64 toInt() const;
    double toDouble() const;
    bool toBool() const;   // numbers: non-zero; texts "True"/"Vero"/"-1"/"1"/"Si"
    // Text as a user reads it: integers as digits ("2005", never "2005.0"), reals
    // with up to 15 significant digits in the user's locale without grouping
    // ("12,5" under Italian settings), Booleans "True"/"False", Null "".
    QString toString() const;

    bool operator==(const Value &o) const = default;

private:
    std::variant<std::monostate, qint64, double, QString, bool> m_v;
};

} // namespace platform::db
