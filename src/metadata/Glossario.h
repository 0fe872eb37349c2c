#pragma once
// The glossary searches: the queries of the terms by initial letter, by sector,
// by a text contained in the term or at its start, of all the terms, and of the
// definition of one term. Typed texts go into the queries as SQL text literals.
#include <QString>
#include <QStringList>
#include <optional>

namespace platform::db {
class Database;
}

namespace metadata {

// The letters offered by the letter list: "A" to "Z".
QStringList LettereAlfabeto();

QString GlossarioTuttiQuery();                          // every term, in alphabetical order
QString GlossarioLetteraQuery(const QString &lettera);  // terms whose first character is `lettera`
QString GlossarioSettoreQuery(const QString &idSettore);

// The text search. The "contains" box wins when it is enabled and not empty,
// else the "begins with" box when it is enabled and not empty; otherwise there
// is no search. The text is taken as typed (not trimmed); "%" and "_" in it act
// as the pattern's wildcards.
struct RicercaTesto {
    bool contieneAbilitato = false;
    QString contiene;
    bool iniziaAbilitato = false;
    QString inizia;
};
std::optional<QString> GlossarioRicercaQuery(const RicercaTesto &r);

QString GlossarioDefinizioneQuery(const QString &nome);

// Field 0 of every row of a list query, in the order returned (Null as "").
QStringList GlossarioNomi(platform::db::Database &conn, const QString &sql);
// The definition of a term; nothing when the term is not found.
std::optional<QString> GlossarioDefinizione(platform::db::Database &conn, const QString &nome);

} // namespace metadata

