#include "platform/db/TextRules.h"

#include <QChar>
#include <array>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace platform::db::text {

namespace {

// The folding of a character outside the table below: its canonical
// decomposition followed down to the base letter, then the case folding.
char32_t foldSlow(char32_t c)
{
    char32_t base = c;
    for (int depth = 0; depth < 4 && QChar::decompositionTag(base) == QChar::Canonical; ++depth) {
        const QString d = QChar::decomposition(base);
        if (d.isEmpty())
            break;
        base = d.size() > 1 && d[0].isHighSurrogate() ? QChar::surrogateToUcs4(d[0], d[1]) : char32_t(d[0].unicode());
    }
    return QChar::toCaseFolded(base);
}

// The Latin letters, accented ones included, looked up rather than decomposed.
constexpr char32_t TableSize = 0x250;

const std::array<char32_t, TableSize> &latinTable()
{
    static const std::array<char32_t, TableSize> table = [] {
        std::array<char32_t, TableSize> t{};
        for (char32_t c = 0; c < TableSize; ++c)
            t[c] = foldSlow(c);
        return t;
    }();
    return table;
}

bool isMark(char32_t c)
{
    return c >= 0x300 && QChar::category(c) == QChar::Mark_NonSpacing;
}

template <class F>
void forEachCodePoint(QStringView s, F &&f)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            f(QChar::surrogateToUcs4(c, s[i + 1]));
            ++i;
        } else {
            f(char32_t(c.unicode()));
        }
    }
}

// Base letters, case folded, accents (combining marks) dropped.
std::u32string primaryKey(QStringView s)
{
    std::u32string out;
    out.reserve(size_t(s.size()));
    forEachCodePoint(s, [&](char32_t c) {
        if (!isMark(c))
            out.push_back(foldChar(c));
    });
    return out;
}

// Case folded with the accents kept as combining marks after their letter.
std::u32string secondaryKey(QStringView s)
{
    const QString d = s.toString().normalized(QString::NormalizationForm_D);
    std::u32string out;
    out.reserve(size_t(d.size()));
    forEachCodePoint(d, [&](char32_t c) { out.push_back(QChar::toCaseFolded(c)); });
    return out;
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

int compareKeys(const std::u32string &a, const std::u32string &b)
{
    return sign(a.compare(b));
}

bool isAscii(const unsigned char *p, int n)
{
    for (int i = 0; i < n; ++i)
        if (p[i] >= 0x80)
            return false;
    return true;
}

unsigned char asciiLower(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

// Plain ASCII texts: both collations reduce to the comparison of the lower-cased bytes.
int compareAscii(const unsigned char *a, int na, const unsigned char *b, int nb)
{
    const int n = na < nb ? na : nb;
    for (int i = 0; i < n; ++i) {
        const int d = int(asciiLower(a[i])) - int(asciiLower(b[i]));
        if (d)
            return sign(d);
    }
    return sign(na - nb);
}

template <int (*Full)(QStringView, QStringView)>
int collate(void *, int na, const void *a, int nb, const void *b)
{
    const auto *pa = static_cast<const unsigned char *>(a);
    const auto *pb = static_cast<const unsigned char *>(b);
    if (isAscii(pa, na) && isAscii(pb, nb))
        return compareAscii(pa, na, pb, nb);
    return Full(QString::fromUtf8(reinterpret_cast<const char *>(pa), na),
                QString::fromUtf8(reinterpret_cast<const char *>(pb), nb));
}

QString argText(sqlite3_value *v)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return p ? QString::fromUtf8(p, sqlite3_value_bytes(v)) : QString();
}

// like(pattern, text [, escape]): the engine's argument order for "text LIKE pattern".
void fnLike(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
    QChar escape;
    if (argc == 3) {
        const QString e = argText(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "Il carattere di escape di LIKE deve essere uno solo.", -1);
            return;
        }
        escape = e[0];
    }
    sqlite3_result_int(ctx, like(argText(argv[1]), argText(argv[0]), escape) ? 1 : 0);
}

} // namespace

char32_t foldChar(char32_t c)
{
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    if (c < TableSize)
        return latinTable()[c];
    return foldSlow(c);
}

QString foldUnits(QStringView s)
{
    QString out(s.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        out[i] = c.isSurrogate() ? c : QChar(char16_t(foldChar(c.unicode())));
    }
    return out;
}

int compare(QStringView a, QStringView b)
{
    if (const int r = compareKeys(primaryKey(a), primaryKey(b)))
        return r;
    return compareKeys(secondaryKey(a), secondaryKey(b));
}

int compareBase(QStringView a, QStringView b)
{
    return compareKeys(primaryKey(a), primaryKey(b));
}

bool like(QStringView text, QStringView pattern, QChar escape)
{
    struct Token {
        enum Kind { Literal, One, Any } kind;
        char32_t c;
    };
    std::vector<Token> p;
    bool escaped = false;
    forEachCodePoint(pattern, [&](char32_t c) {
        if (escaped) {
            escaped = false;
            if (!isMark(c))
                p.push_back({Token::Literal, foldChar(c)});
        } else if (!escape.isNull() && c == escape.unicode()) {
            escaped = true;
        } else if (c == U'%') {
            p.push_back({Token::Any, 0});
        } else if (c == U'_') {
            p.push_back({Token::One, 0});
        } else if (!isMark(c)) {
            p.push_back({Token::Literal, foldChar(c)});
        }
    });
    const std::u32string t = primaryKey(text);
    // Wildcard matching with a return to the last "%" on a mismatch.
    size_t i = 0, j = 0, star = std::u32string::npos, mark = 0;
    while (j < t.size()) {
        if (i < p.size() && (p[i].kind == Token::One || (p[i].kind == Token::Literal && p[i].c == t[j]))) {
            ++i;
            ++j;
        } else if (i < p.size() && p[i].kind == Token::Any) {
            star = i++;
            mark = j;
        } else if (star != std::u32string::npos) {
            i = star + 1;
            j = ++mark;
        } else {
            return false;
        }
    }
    while (i < p.size() && p[i].kind == Token::Any)
        ++i;
    return i == p.size();
}

void registerOn(sqlite3 *db)
{
    sqlite3_create_collation_v2(db, Collation, SQLITE_UTF8, nullptr, collate<compare>, nullptr);
    sqlite3_create_collation_v2(db, BaseCollation, SQLITE_UTF8, nullptr, collate<compareBase>, nullptr);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "like", 2, flags, nullptr, fnLike, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "like", 3, flags, nullptr, fnLike, nullptr, nullptr, nullptr);
}

} // namespace platform::db::text
