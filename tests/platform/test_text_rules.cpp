// Texts in the program's SQL: comparisons, searches, initials and sorting
// ignore letter case for the accented letters too, and sort in Italian order.
#include "platform/db/Database.h"
#include "platform/db/TextRules.h"

#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace platform::db;

namespace {

class TextRules : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Database db;

    void SetUp() override
    {
        // A glossary as the data files hold it: the key column compares with the engine's NOCASE.
        db = Database::create(dir.path() + "/", "Metadati.mdb");
        db.execute("CREATE TABLE Glossario (Nome TEXT PRIMARY KEY COLLATE NOCASE, Definizione TEXT)");
        for (const char *n : {"Zeta nulla", "Èlite", "Elite", "elettrodotto", "Densità di popolazione", "àmbito",
                              "Ambito urbano", "Città", "citta' vecchia", "50% della rete", "500 metri", "Fine"})
            db.execute(QStringLiteral("INSERT INTO Glossario VALUES ('%1', 'x')").arg(QString::fromUtf8(n).replace("'", "''")));
    }
    QStringList names(const QString &sql)
    {
        QStringList out;
        for (auto rs = db.query(sql); !rs.eof(); rs.moveNext())
            out << rs.text(0);
        return out;
    }
};

} // namespace

TEST_F(TextRules, SearchesComparisonsAndInitials)
{
    struct Case {
        const char *where;
        QStringList found;   // in Italian order
    } cases[] = {
        // Searches (LIKE): case and accents ignored.
        {"nome like '%DENSITÀ%'", {"Densità di popolazione"}},
        {"nome like '%densita%'", {"Densità di popolazione"}},
        {"nome like 'À%'", {"àmbito", "Ambito urbano"}},
        {"nome like 'è%'", {"elettrodotto", "Elite", "Èlite"}},
        {"nome like 'ÈLITE%'", {"Elite", "Èlite"}},
        {"nome like 'citt_'", {"Città"}},
        {"nome like '50\\%%' escape '\\'", {"50% della rete"}},
        {"nome not like '%e%'", {"àmbito", "Ambito urbano", "Città"}},
        // Equality: case ignored, accents told apart.
        {"nome = 'èlite'", {"Èlite"}},
        {"nome = 'ELITE'", {"Elite"}},
        {"nome = 'CITTÀ'", {"Città"}},
        {"nome <> 'ZETA NULLA' and nome >= 'e' and nome < 'F'", {"elettrodotto", "Elite", "Èlite"}},
        // Initials: the plain letter finds its accented forms, in either case.
        {"left(nome,1) ='E'", {"elettrodotto", "Elite", "Èlite"}},
        {"right(nome, 1) = 'A'", {"Città", "citta' vecchia", "Zeta nulla"}},
        // InStr: positions ignoring case and accents.
        {"InStr(nome, 'TÀ') = 4", {"Città", "citta' vecchia"}},
        {"InStr(2, nome, 'LITE') = 2", {"Elite", "Èlite"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(names(QStringLiteral("select nome from glossario where %1 order by nome").arg(QString::fromUtf8(c.where))),
                  c.found)
            << c.where;
}

TEST_F(TextRules, EveryTermInItalianOrder)
{
    const QStringList italian = {"50% della rete", "500 metri", "àmbito", "Ambito urbano", "Città", "citta' vecchia",
                                 "Densità di popolazione", "elettrodotto", "Elite", "Èlite", "Fine", "Zeta nulla"};
    EXPECT_EQ(names("select nome from glossario order by 1;"), italian);
    QStringList reversed = italian;
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(names("select nome from glossario order by nome desc"), reversed);
    // A collation named by the query still holds.
    EXPECT_EQ(names("select nome from glossario order by nome collate binary").last(), QString::fromUtf8("àmbito"));
}

TEST(TextOrder, CollationsAreConsistentOrders)
{
    // Words in Italian order; neighbours in the same group are equal ignoring case.
    const std::vector<QStringList> groups = {
        {"a", "A"}, {"à", "À"}, {"abaco"}, {"Àbaco"}, {"e"}, {"è", "È"}, {"é", "É"}, {"Elite", "ELITE"},
        {"èlite", "Èlite"}, {"f"}, {"perché", "PERCHÉ"}, {"perciò"}, {"z"},
    };
    std::vector<std::pair<QString, size_t>> all;
    for (size_t g = 0; g < groups.size(); ++g)
        for (const QString &w : groups[g])
            all.emplace_back(w, g);
    for (const auto &[a, ga] : all)
        for (const auto &[b, gb] : all) {
            const int expected = ga < gb ? -1 : ga > gb ? 1 : 0;
            EXPECT_EQ(text::compare(a, b), expected) << a.toStdString() << " / " << b.toStdString();
        }
    struct Base {
        const char *a, *b;
        int expected;
    } base[] = {{"È", "e", 0}, {"Èlite", "ELITE", 0}, {"perché", "PERCHE", 0}, {"À", "b", -1}, {"ù", "U", 0}};
    for (const Base &c : base)
        EXPECT_EQ(text::compareBase(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.expected) << c.a << " / " << c.b;
}

TEST(TextOrder, LikePatterns)
{
    struct Case { const char *text, *pattern; bool match; } cases[] = {
        {"Èlite", "elite", true},  {"Èlite", "%LITE", true}, {"Èlite", "_lite", true}, {"Èlite", "__lite", false},
        {"abc", "a%%c", true},     {"abc", "%", true},       {"", "%", true},          {"", "_", false},
        {"a%c", "a\\%c", true},    {"abc", "a\\%c", false},  {"a_c", "a\\_c", true},   {"abc", "a\\_c", false},
        {"aXbXc", "a%b%c", true},  {"aXbXd", "a%b%c", false}, {"mississippi", "%iss%ppi", true},
        // A decomposed accent is the same letter as a composed one.
        {"e\u0300lite", "èlite", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(text::like(QString::fromUtf8(c.text), QString::fromUtf8(c.pattern), u'\\'), c.match)
            << c.text << " like " << c.pattern;
}
