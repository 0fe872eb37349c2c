#include "selection/Formula.h"

#include "frame/Shared.h"
#include "platform/NumText.h"
#include "platform/grid/TextGrid.h"

#include <QRegularExpression>
#include <charconv>
#include <cmath>

namespace formula {

namespace {

// Value columns start here; the fixed columns before have no name to use.
constexpr int FirstNameCol = 5;

bool isOperatorChar(QChar ch)
{
    return ch == u'+' || ch == u'-' || ch == u'*' || ch == u'/' || ch == u'^' || ch == u'(' || ch == u')';
}

// A number as the keypad writes it: digits with at most one ".", at least one digit.
bool isNumberLiteral(const QString &word)
{
    int digits = 0, points = 0;
    for (const QChar ch : word) {
        if (ch >= u'0' && ch <= u'9')
            ++digits;
        else if (ch == u'.')
            ++points;
        else
            return false;
    }
    return digits > 0 && points <= 1;
}

// The number of a literal, read with "." whatever the user's settings.
std::optional<double> literalValue(const QString &word)
{
    const QByteArray latin = word.toLatin1();
    double v = 0;
    const auto res = std::from_chars(latin.constData(), latin.constData() + latin.size(), v);
    if (res.ec != std::errc() || res.ptr != latin.constData() + latin.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// A literal as the user's settings write it: "1.5" -> "1,5", "007" -> "7",
// ".5" -> "0,5", "5." -> "5".
QString literalText(const QString &word)
{
    QString intPart = word.section(u'.', 0, 0);
    QString fracPart = word.contains(u'.') ? word.section(u'.', 1) : QString();
    while (intPart.size() > 1 && intPart.startsWith(u'0'))
        intPart.remove(0, 1);
    if (intPart.isEmpty())
        intPart = QStringLiteral("0");
    return fracPart.isEmpty() ? intPart : intPart + platform::num::decimalPoint() + fracPart;
}

} // namespace

namespace detail {

struct Token {
    enum Kind { Number, Column, Operator, Open, Close, End } kind = End;
    double number = 0;
    int column = -1;
    QChar op;
    QString text;
};

// Splits the formula: blanks separate tokens, operators and parentheses are
// tokens of their own even when written against a number ("12+").
std::optional<std::vector<Token>> tokenize(const QString &text, const QStringList &nomiColonne)
{
    std::vector<Token> out;
    int i = 0;
    const int n = int(text.size());
    while (i < n) {
        const QChar ch = text.at(i);
        if (ch.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        if (isOperatorChar(ch)) {
            t.kind = ch == u'(' ? Token::Open : ch == u')' ? Token::Close : Token::Operator;
            t.op = ch;
            t.text = QString(ch);
            ++i;
        } else {
            const int start = i;
            while (i < n && !text.at(i).isSpace() && !isOperatorChar(text.at(i)))
                ++i;
            t.text = text.mid(start, i - start);
            if (const int k = ColumnOfToken(t.text, nomiColonne); k >= 0) {
                t.kind = Token::Column;
                t.column = k;
            } else if (isNumberLiteral(t.text)) {
                const auto v = literalValue(t.text);
                if (!v)
                    return std::nullopt;
                t.kind = Token::Number;
                t.number = *v;
            } else {
                return std::nullopt; // a name that is no column of the table
            }
        }
        out.push_back(std::move(t));
    }
    out.push_back(Token{});
    return out;
}

} // namespace detail

using detail::Token;

// ---- the keypad ----------------------------------------------------------------------

void Keypad::Reset()
{
    m_text.clear();
    TipoUltimoToken.clear();
    NumeroAperto = false;
}

void Keypad::AggiungiToken(const QString &token)
{
    m_text += NumeroAperto ? token : token + u' ';
}

bool Keypad::OperatoreQuery(const QString &token)
{
    const bool paren = token == u"(" || token == u")";
    // No operator at the start or right after another operator.
    if (!paren && (TipoUltimoToken.isEmpty() || TipoUltimoToken == u"ope"))
        return false;
    NumeroAperto = false;
    AggiungiToken(token);
    if (paren)
        TipoUltimoToken = QStringLiteral("par");
    else if (token != u"* 100")
        TipoUltimoToken = QStringLiteral("ope");
    return true;
}

bool Keypad::AggiungiNumero(const QString &character)
{
    // A number may not follow a column name.
    if (TipoUltimoToken == u"col" && !NumeroAperto)
        return false;
    m_text += character;
    TipoUltimoToken = QStringLiteral("col");
    NumeroAperto = true;
    return true;
}

bool Keypad::AggiungiColonna(const QString &name)
{
    // No operand right after another operand.
    if (TipoUltimoToken == u"col" || name.isEmpty())
        return false;
    NumeroAperto = false;
    AggiungiToken(name);
    TipoUltimoToken = QStringLiteral("col");
    return true;
}

// ---- compilation ------------------------------------------------------------------------

// Recursive descent over the tokens, writing the steps in postfix order:
//   expr    := term (('+'|'-') term)*
//   term    := unary (('*'|'/') unary)*
//   unary   := ('-'|'+') unary | power
//   power   := primary ('^' primary)*
//   primary := number | column | '(' expr ')'
// Each parenthesis and each sign opens one more level of the descent; a formula
// nested deeper than Expression::MaxNesting levels is refused as malformed.
class Parser {
public:
    Parser(const std::vector<Token> &tokens, Expression &out) : m_t(tokens), m_out(out) {}

    bool run()
    {
        if (!expr())
            return false;
        return peek().kind == Token::End;
    }

private:
    // One more level of nesting for the life of the object.
    class Level {
    public:
        explicit Level(int &depth) : m_depth(++depth) {}
        ~Level() { --m_depth; }
        bool tooDeep() const { return m_depth > Expression::MaxNesting; }
        Level(const Level &) = delete;
        Level &operator=(const Level &) = delete;

    private:
        int &m_depth;
    };

    const Token &peek() const { return m_t[m_pos]; }
    bool isOp(char16_t c) const { return peek().kind == Token::Operator && peek().op == c; }
    void put(Expression::Op op) { m_out.m_program.push_back({op}); }

    bool expr()
    {
        if (!term())
            return false;
        while (isOp(u'+') || isOp(u'-')) {
            const bool add = isOp(u'+');
            ++m_pos;
            if (!term())
                return false;
            put(add ? Expression::Op::Add : Expression::Op::Sub);
        }
        return true;
    }

    bool term()
    {
        if (!unary())
            return false;
        while (isOp(u'*') || isOp(u'/')) {
            const bool mul = isOp(u'*');
            ++m_pos;
            if (!unary())
                return false;
            put(mul ? Expression::Op::Mul : Expression::Op::Div);
        }
        return true;
    }

    bool unary()
    {
        if (isOp(u'-') || isOp(u'+')) {
            const Level level(m_depth);
            if (level.tooDeep())
                return false;
            const bool neg = isOp(u'-');
            ++m_pos;
            if (!unary())
                return false;
            if (neg)
                put(Expression::Op::Neg);
            return true;
        }
        return power();
    }

    bool power()
    {
        if (!primary())
            return false;
        while (isOp(u'^')) {
            ++m_pos;
            if (!primary())
                return false;
            put(Expression::Op::Pow);
        }
        return true;
    }

    bool primary()
    {
        const Token &t = peek();
        switch (t.kind) {
        case Token::Number:
            m_out.m_program.push_back({Expression::Op::Number, t.number, -1});
            ++m_pos;
            return true;
        case Token::Column:
            m_out.m_program.push_back({Expression::Op::Column, 0, t.column});
            m_out.m_columns.push_back(t.column);
            ++m_pos;
            return true;
        case Token::Open: {
            const Level level(m_depth);
            if (level.tooDeep())
                return false;
            ++m_pos;
            if (!expr() || peek().kind != Token::Close)
                return false;
            ++m_pos;
            return true;
        }
        default:
            return false;
        }
    }

    const std::vector<Token> &m_t;
    Expression &m_out;
    size_t m_pos = 0;
    int m_depth = 0;
};

int ColumnOfToken(const QString &token, const QStringList &nomiColonne)
{
    if (token.isEmpty())
        return -1;
    for (int k = FirstNameCol; k < nomiColonne.size(); ++k)
        if (nomiColonne.at(k) == token)
            return k;
    return -1;
}

std::optional<Expression> Expression::Compile(const QString &text, const QStringList &nomiColonne)
{
    const auto tokens = detail::tokenize(text, nomiColonne);
    if (!tokens)
        return std::nullopt;
    Expression e;
    Parser parser(*tokens, e);
    if (!parser.run())
        return std::nullopt;
    if (tokens->size() == 2 && tokens->front().kind == Token::Number) {
        e.m_plainNumber = true;
        e.m_plainText = tokens->front().text;
    }
    return e;
}

// ---- evaluation ---------------------------------------------------------------------------

std::optional<double> Expression::Evaluate(const std::function<double(int column)> &value) const
{
    std::vector<double> stack;
    stack.reserve(m_program.size());
    for (const Step &s : m_program) {
        double r = 0;
        switch (s.op) {
        case Op::Number:
            stack.push_back(s.number);
            continue;
        case Op::Column:
            r = value(s.column);
            if (!std::isfinite(r))
                return std::nullopt;
            stack.push_back(r);
            continue;
        case Op::Neg:
            stack.back() = -stack.back();
            continue;
        default:
            break;
        }
        const double b = stack.back();
        stack.pop_back();
        const double a = stack.back();
        switch (s.op) {
        case Op::Add: r = a + b; break;
        case Op::Sub: r = a - b; break;
        case Op::Mul: r = a * b; break;
        case Op::Div:
            if (b == 0)
                return std::nullopt; // -0 included
            r = a / b;
            break;
        case Op::Pow: r = std::pow(a, b); break;
        default: break;
        }
        // Overflow, 0 ^ negative, a negative base with a fractional exponent:
        // no value rather than a number that means nothing.
        if (!std::isfinite(r))
            return std::nullopt;
        stack.back() = r;
    }
    if (stack.size() != 1)
        return std::nullopt;
    return stack.back();
}

QString Expression::CalcolaRiga(const std::function<QString(int column)> &cell) const
{
    // Every operand cell must hold a number, else the row has no value.
    std::vector<std::pair<int, double>> values;
    values.reserve(m_columns.size());
    for (const int k : m_columns) {
        const auto v = platform::num::parse(cell(k));
        if (!v)
            return {};
        values.emplace_back(k, *v);
    }
    if (m_plainNumber)
        return literalText(m_plainText);
    const auto result = Evaluate([&](int column) {
        for (const auto &[k, v] : values)
            if (k == column)
                return v;
        return std::nan("");
    });
    return result ? platform::num::format(*result, 4) : QString();
}

std::vector<QString> Expression::CalcolaColonna(const platform::grid::TextGrid &grid) const
{
    std::vector<QString> out;
    out.reserve(size_t(std::max(0, grid.Rows() - 1)));
    for (int r = 1; r < grid.Rows(); ++r)
        out.push_back(CalcolaRiga([&](int k) { return k < grid.Cols() ? grid.TextMatrix(r, k) : QString(); }));
    return out;
}

// ---- the name -------------------------------------------------------------------------------

QString ProponiNome(const QStringList &nomiColonne)
{
    static const QRegularExpression funz(QStringLiteral("^funz([0-9]+)$"), QRegularExpression::CaseInsensitiveOption);
    qint64 n = 0;
    for (const QString &name : nomiColonne) {
        const auto m = funz.match(name);
        if (!m.hasMatch())
            continue;
        bool ok = false;
        const int k = m.captured(1).toInt(&ok);
        if (ok)
            n = std::max<qint64>(n, k);
    }
    return QStringLiteral("Funz") + QString::number(n + 1);
}

NomeCheck VerificaNome(const QString &name, const QStringList &headers)
{
    if (name.isEmpty())
        return NomeCheck::Empty;
    if (!Utility::IsAlphaNumeric(name) || name.contains(QChar(8)))
        return NomeCheck::SpecialChars;
    // A name must read as a name in a formula, never as a number.
    if (name.at(0).isDigit())
        return NomeCheck::StartsWithDigit;
    for (const QString &h : headers)
        if (h.compare(name, Qt::CaseInsensitive) == 0)
            return NomeCheck::Duplicate;
    return NomeCheck::Ok;
}

QString MessaggioNome(NomeCheck check)
{
    switch (check) {
    case NomeCheck::SpecialChars: return MsgSpecialChars;
    case NomeCheck::StartsWithDigit: return MsgStartsWithDigit;
    case NomeCheck::Duplicate: return MsgDuplicate;
    default: return {};
    }
}

} // namespace formula
