#pragma once
// What the metadata sheets of a variable and of an indicator show, computed
// from the row of the sheet query: the texts of the fields, the lines by year,
// the words of the codes and the ticks of the check boxes.
#include "platform/db/Recordset.h"
#include "platform/db/Value.h"

#include <QString>
#include <optional>

namespace scheda {

constexpr int FirstYear = 1996;
constexpr int LastYear = 2008;
constexpr int Years = LastYear - FirstYear + 1;

// Null gives "", any other value its text.
QString NzStr(const platform::db::Value &v);

// Line feeds become blanks, typographic double quotes apostrophes, bullets
// dashes; everything else (carriage returns included) stays, and so does the length.
QString PulisciTesto(const QString &s);

// For every year from 1996 to 2008 whose field `prefix` + year holds a value
// (not Null, "" or "-" once trimmed): the year, ": ", the value and two line
// ends (CR LF CR LF).
QString YearLines(const platform::db::Recordset &rs, const QString &prefix);

// The sub-area code of the variable sheet: a code holding "-PD" loses its last
// three characters.
QString SubAreaCode(const QString &code);

// The level word of `LivelloTerritoriale`: "" for an empty code, "Provinciale"
// for P, "Regionale" for R (any letter case); nothing for any other code (the
// box keeps its text).
std::optional<QString> LivelloWord(const QString &code);

// The word of an evaluation code (exact letter case): A Contesto, B1-B3
// Dotazione, C/C1/D Funzionalità, E/E1/E2 Domanda; "" for any other.
QString ValutazioneWord(const QString &code);

// The boxes Prov, SLL, Comune, Dato puntuale: ticked by a number 1 or a text
// that reads as 1; never an error.
bool IsOne(const platform::db::Value &v);
// "Utilizza sintesi": ticked by "Si" in any letter case.
bool IsSi(const platform::db::Value &v);
// A year is available when its Boolean field is true (Null: not available).
bool YearAvailable(const platform::db::Recordset &rs, int year);

// The Id shown at the start of the sheet's first box ("Id - description"): the
// text before " - ", trimmed.
QString IdOfHeading(const QString &heading);

// The text of a sheet box as shown on screen: CR LF is a line break, a carriage
// return alone shows nothing.
QString ForDisplay(const QString &s);

} // namespace scheda
