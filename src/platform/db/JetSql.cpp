#include "platform/db/JetSql.h"

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
    return t.kind == Kind::Word && QStringView(s).mid(t.begin, t.end - t.begin).compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
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

} // namespace

QString translate(const QString &sql)
{
    const std::vector<Token> t = tokenize(sql);
    // Characters to drop (parentheses) and insertions (quotes around left/right).
    std::vector<int> drop;
    std::vector<Token> quoteWords;
    std::vector<int> nocaseAfter; // positions just past a call whose text result compares ignoring case

    for (int i = 0; i < int(t.size()); ++i) {
        if ((isWord(sql, t[i], "left") || isWord(sql, t[i], "right")) && i + 1 < int(t.size()) &&
            t[i + 1].kind == Kind::Open) {
            // A function call, not "LEFT JOIN". Its text compares ignoring case, as every text does here.
            quoteWords.push_back(t[i]);
            const int close = matching(t, i + 1);
            if (close > 0)
                nocaseAfter.push_back(t[close].end);
        }
        if (isWord(sql, t[i], "from")) {
            int k = i + 1;
            // Peel "(" groups that open the join list: each is the left operand of the next join.
            while (k < int(t.size()) && t[k].kind == Kind::Open) {
                if (k + 1 < int(t.size()) && isWord(sql, t[k + 1], "select"))
                    break; // a subquery
                const int close = matching(t, k);
                if (close < 0)
                    break;
                const bool nextIsJoin = close + 1 < int(t.size()) &&
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
        }
    }
    if (drop.empty() && quoteWords.empty())
        return sql;

    QString out;
    out.reserve(sql.size() + 8 * int(quoteWords.size()));
    std::sort(drop.begin(), drop.end());
    std::sort(nocaseAfter.begin(), nocaseAfter.end());
    size_t d = 0, q = 0, n = 0;
    for (int i = 0; i < int(sql.size()); ++i) {
        while (n < nocaseAfter.size() && i == nocaseAfter[n]) {
            out += QLatin1String(" COLLATE NOCASE");
            ++n;
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
    for (; n < nocaseAfter.size(); ++n)
        out += QLatin1String(" COLLATE NOCASE");
    return out;
}

} // namespace platform::db::jet
