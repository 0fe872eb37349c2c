#include "platform/db/JetSql.h"
#include "platform/db/TextRules.h"

#include <QByteArray>
#include <algorithm>
#include <vector>

namespace platform::db::jet {

namespace {

enum class Kind { Word, Quoted, Open, Close, Other };

struct Token {
    Kind kind;
    int begin;
    int end; // one past
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

std::vector<Token> tokenize(const QString &s)
{
    std::vector<Token> out;
    const int n = int(s.size());
    int i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'\'' || c == u'"' || c == u'[' || c == u'`') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            int j = i + 1;
            while (j < n) {
                if (s[j] == close) {
                    if (close != u']' && j + 1 < n && s[j + 1] == close) { j += 2; continue; }
                    break;
                }
                ++j;
            }
            out.push_back({Kind::Quoted, i, std::min(j + 1, n)});
            i = j + 1;
        } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n') ++i;
        } else if (c == u'(') {
            out.push_back({Kind::Open, i, i + 1});
            ++i;
        } else if (c == u')') {
            out.push_back({Kind::Close, i, i + 1});
            ++i;
        } else if (isWordChar(c)) {
            int j = i;
            while (j < n && isWordChar(s[j])) ++j;
            out.push_back({Kind::Word, i, j});
            i = j;
        } else {
            out.push_back({Kind::Other, i, i + 1});
            ++i;
        }
    }
    return out;
}

bool isWord(const QString &s, const Token &t, const char *w)
{
    const QLatin1String word(w);
    return t.kind == Kind::Word && t.end - t.begin == word.size() &&
           QStringView(s).mid(t.begin, t.end - t.begin).compare(word, Qt::CaseInsensitive) == 0;
}

// Index of the token closing the parenthesis opened at `open`, or -1.
int matching(const std::vector<Token> &t, int open)
{
    int depth = 0;
    for (int i = open; i < int(t.size()); ++i) {
        if (t[i].kind == Kind::Open) ++depth;
        else if (t[i].kind == Kind::Close && --depth == 0) return i;
    }
    return -1;
}

bool isOperatorChar(const QString &s, const Token &t, const char *chars)
{
    return t.kind == Kind::Other && QByteArray(chars).contains(char(s[t.begin].unicode()));
}

// The comparison operator that ends just before token `i` ("=", "<>", ">=", ...), or "".
QString operatorBefore(const QString &s, const std::vector<Token> &t, int i)
{
    if (i < 1 || !isOperatorChar(s, t[i - 1], "=<>"))
        return {};
    QString op(s[t[i - 1].begin]);
    if (i >= 2 && t[i - 2].end == t[i - 1].begin && isOperatorChar(s, t[i - 2], "=<>!"))
        op.prepend(s[t[i - 2].begin]);
    return op;
}

// The comparison operator that starts just after token `i`, or "".
QString operatorAfter(const QString &s, const std::vector<Token> &t, int i)
{
    const int n = int(t.size());
    if (i + 1 >= n || !isOperatorChar(s, t[i + 1], "=<>!"))
        return {};
    QString op(s[t[i + 1].begin]);
    if (i + 2 < n && t[i + 2].begin == t[i + 1].end && isOperatorChar(s, t[i + 2], "=<>"))
        op += s[t[i + 2].begin];
    return op == QLatin1String("!") ? QString() : op;
}

bool isAscii(QStringView s)
{
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// Joins from which a chain of inner joins keeps its written order.
constexpr int FixedOrderJoins = 8;

// The INNER words of "INNER JOIN" in the FROM clause that starts at token
// `from` (its join list, not its subqueries), up to the end of the clause.
void markInnerJoins(const QString &s, const std::vector<Token> &t, int from, std::vector<Token> &out)
{
    const int n = int(t.size());
    std::vector<bool> subquery; // per open parenthesis: whether it opens a subquery
    for (int k = from; k < n; ++k) {
        if (t[k].kind == Kind::Open) {
            subquery.push_back(!subquery.empty() && subquery.back() ? true
                                                                     : k + 1 < n && isWord(s, t[k + 1], "select"));
            continue;
        }
        if (t[k].kind == Kind::Close) {
            if (subquery.empty())
                return; // the end of the subquery this clause belongs to
            subquery.pop_back();
            continue;
        }
        const bool inSubquery = !subquery.empty() && subquery.back();
        if (inSubquery)
            continue;
        if (subquery.empty() && ((t[k].kind == Kind::Other && s[t[k].begin] == u';') || isWord(s, t[k], "where") ||
                                 isWord(s, t[k], "group") || isWord(s, t[k], "having") || isWord(s, t[k], "order") ||
                                 isWord(s, t[k], "limit") || isWord(s, t[k], "union") || isWord(s, t[k], "except") ||
                                 isWord(s, t[k], "intersect")))
            return;
        if (isWord(s, t[k], "inner") && k + 1 < n && isWord(s, t[k + 1], "join"))
            out.push_back(t[k]);
    }
}

struct Insertion {
    int at;        // before the character at this position
    QString text;
    int rank = 1;  // at one position, lower ranks first (the collation of a call binds to it)
};

} // namespace

QString translate(const QString &sql)
{
    const std::vector<Token> t = tokenize(sql);
    const int n = int(t.size());
    // Characters to drop (parentheses), words to quote (left/right) and texts to insert.
    std::vector<int> drop;
    std::vector<Token> quoteWords;
    std::vector<Token> crossWords; // INNER of INNER JOIN written as CROSS
    std::vector<Insertion> inserts;
    const QString collation = QString::fromLatin1(text::Collation);
    const QString baseCollation = QString::fromLatin1(text::BaseCollation);

    // Whether the statement holding token i reads or changes rows (SELECT,
    // UPDATE, ...): only there do texts get a collation of their own. Schema
    // statements keep the engine's built-in collations, which any reader of
    // the file knows.
    std::vector<bool> query(size_t(n), false);
    {
        bool inQuery = false, atStart = true;
        for (int i = 0; i < n; ++i) {
            if (atStart && t[i].kind != Kind::Open)
                inQuery = isWord(sql, t[i], "select") || isWord(sql, t[i], "update") ||
                          isWord(sql, t[i], "delete") || isWord(sql, t[i], "insert") || isWord(sql, t[i], "with");
            atStart = (t[i].kind == Kind::Other && sql[t[i].begin] == u';') || (atStart && t[i].kind == Kind::Open);
            query[size_t(i)] = inQuery;
        }
    }

    for (int i = 0; i < n; ++i) {
        if ((isWord(sql, t[i], "left") || isWord(sql, t[i], "right")) && i + 1 < n && t[i + 1].kind == Kind::Open) {
            // A function call, not "LEFT JOIN". The initial it cuts compares ignoring case and accents.
            quoteWords.push_back(t[i]);
            const int close = matching(t, i + 1);
            if (close > 0)
                inserts.push_back({t[close].end,
                                   QStringLiteral(" COLLATE ") + (query[size_t(i)] ? baseCollation : QStringLiteral("NOCASE")),
                                   0});
        }
        if (query[size_t(i)] && t[i].kind == Kind::Quoted && sql[t[i].begin] == u'\'' &&
            !(i + 1 < n && isWord(sql, t[i + 1], "collate"))) {
            // A text literal compared with = or <> ignores case: a plain ASCII one through the
            // engine's NOCASE (the same result, and the indexes stay usable), any other through
            // the Italian collation; an ordering comparison always through the Italian collation.
            QString op = operatorBefore(sql, t, i);
            if (op.isEmpty())
                op = operatorAfter(sql, t, i);
            if (!op.isEmpty()) {
                const bool equality = op == QLatin1String("=") || op == QLatin1String("==") ||
                                      op == QLatin1String("<>") || op == QLatin1String("!=");
                const bool plain = isAscii(QStringView(sql).mid(t[i].begin, t[i].end - t[i].begin));
                inserts.push_back({t[i].end, QStringLiteral(" COLLATE ") +
                                                 (equality && plain ? QStringLiteral("NOCASE") : collation)});
            }
        }
        if (query[size_t(i)] && isWord(sql, t[i], "order") && i + 1 < n && isWord(sql, t[i + 1], "by")) {
            // Every sort key orders texts in the Italian way.
            int depth = 0;
            int termStart = i + 2;
            bool hasCollate = false;
            for (int k = i + 2; k <= n; ++k) {
                bool endTerm = k == n, endClause = k == n;
                if (k < n) {
                    if (t[k].kind == Kind::Open) {
                        ++depth;
                    } else if (t[k].kind == Kind::Close) {
                        endTerm = endClause = --depth < 0;
                    } else if (depth == 0) {
                        if (t[k].kind == Kind::Other && sql[t[k].begin] == u',')
                            endTerm = true;
                        else if (t[k].kind == Kind::Other && sql[t[k].begin] == u';')
                            endTerm = endClause = true;
                        else if (isWord(sql, t[k], "limit") || isWord(sql, t[k], "offset") ||
                                 isWord(sql, t[k], "union") || isWord(sql, t[k], "except") ||
                                 isWord(sql, t[k], "intersect"))
                            endTerm = endClause = true;
                        else if (isWord(sql, t[k], "collate"))
                            hasCollate = true;
                    }
                }
                if (!endTerm)
                    continue;
                int last = k - 1;
                if (last >= termStart && (isWord(sql, t[last], "asc") || isWord(sql, t[last], "desc")))
                    --last;
                if (last >= termStart && !hasCollate)
                    inserts.push_back({t[last].end, QStringLiteral(" COLLATE ") + collation});
                termStart = k + 1;
                hasCollate = false;
                if (endClause)
                    break;
            }
        }
        if (isWord(sql, t[i], "from")) {
            int k = i + 1;
            // Peel "(" groups that open the join list: each is the left operand of the next join.
            while (k < n && t[k].kind == Kind::Open) {
                if (k + 1 < n && isWord(sql, t[k + 1], "select"))
                    break; // a subquery
                const int close = matching(t, k);
                if (close < 0)
                    break;
                const bool nextIsJoin = close + 1 < n &&
                                        (isWord(sql, t[close + 1], "inner") || isWord(sql, t[close + 1], "join") ||
                                         isWord(sql, t[close + 1], "left") || isWord(sql, t[close + 1], "cross"));
                // The group must itself hold a join (not a lone parenthesised table).
                bool holdsJoin = false;
                for (int m = k + 1; m < close; ++m)
                    if (isWord(sql, t[m], "join")) { holdsJoin = true; break; }
                if (!nextIsJoin || !holdsJoin)
                    break;
                drop.push_back(t[k].begin);
                drop.push_back(t[close].begin);
                ++k;
            }
            // A long chain of inner joins keeps the order it is written in:
            // the engine's search for a better order grows with the square of
            // the tables and costs far more than the query itself (a data
            // query joins one table per group of its items, each by its key).
            if (k - (i + 1) + 1 >= FixedOrderJoins)
                markInnerJoins(sql, t, i + 1, crossWords);
        }
    }
    if (drop.empty() && quoteWords.empty() && inserts.empty() && crossWords.empty())
        return sql;

    QString out;
    out.reserve(sql.size() + 24 * int(quoteWords.size() + inserts.size()));
    std::sort(drop.begin(), drop.end());
    std::stable_sort(inserts.begin(), inserts.end(),
                     [](const Insertion &a, const Insertion &b) { return a.at != b.at ? a.at < b.at : a.rank < b.rank; });
    std::sort(crossWords.begin(), crossWords.end(), [](const Token &a, const Token &b) { return a.begin < b.begin; });
    size_t d = 0, q = 0, m = 0, c = 0;
    for (int i = 0; i < int(sql.size()); ++i) {
        while (m < inserts.size() && i == inserts[m].at)
            out += inserts[m++].text;
        if (c < crossWords.size() && i == crossWords[c].begin) {
            out += QStringLiteral("CROSS");
            i = crossWords[c].end - 1;
            ++c;
            continue;
        }
        if (q < quoteWords.size() && i == quoteWords[q].begin) {
            out += u'"';
            out += QStringView(sql).mid(i, quoteWords[q].end - i);
            out += u'"';
            i = quoteWords[q].end - 1;
            ++q;
            continue;
        }
        if (d < drop.size() && i == drop[d]) {
            ++d;
            out += u' ';
            continue;
        }
        out += sql[i];
    }
    for (; m < inserts.size(); ++m)
        out += inserts[m].text;
    return out;
}

} // namespace platform::db::jet
