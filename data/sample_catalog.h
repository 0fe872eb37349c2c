#pragma once
// The content of the sample databases that is written by hand: classification,
// the variables and indicators with their metadata and generation parameters,
// the menu and the other configuration tables, the glossary.
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace sample {

constexpr int kFirstYear = 1996;
constexpr int kLastYear = 2008;
constexpr int kYears = kLastYear - kFirstYear + 1;

struct Sector {
    const char *id;
    const char *desc;
};

struct SubArea {
    const char *code;
    const char *desc;
    const char *sector;
};

// What a variable's synthetic values are proportional to.
enum class Driver { Population, Area, Custom };

struct VariableDef {
    const char *id;
    const char *desc;
    const char *unit;
    const char *period;
    std::vector<int> years;
    int decimals;            // values rounded to 0 or 2 decimals
    bool regionalOnly;       // province cells empty
    bool oldSardinia;        // before 2005 on the four provinces of Sardinia of 1995-2004
    int missingSardiniaYear; // a year whose Sardinian province cells are empty (0 = none)
    const char *fonte;
    const char *ente;
    const char *pubblicazione; // a year's publication is this name followed by the next year
    const char *noteSerie;
    std::map<int, const char *> notes;      // Note_yyyy
    std::map<int, const char *> fonteYears; // Fonte_yyyy differing from `fonte`
    std::set<int> dashPublication;          // years available whose publication is "-"
    bool dashWhenMissing;                   // Fonte_/Pubblicazione_/Ente_ of missing years are "-" (else Null)
    // generation
    Driver driver;
    double level;     // per inhabitant or per km², in the first year
    double growth;    // per year
    double south;     // multiplier for the Objective 1 regions
    double regSpread; // regional factor 1 +/- regSpread
    double spread;    // province factor 1 +/- spread
    double jitter;    // yearly noise 1 +/- jitter/2
    std::set<int> zeros; // provinces with value 0
};

// A value getter: the sum of a variable over the territory an indicator is computed on.
using Getter = std::function<double(const char *id)>;

struct IndicatorDef {
    const char *id;
    const char *desc;
    const char *valutazione;
    const char *modalita;
    std::vector<const char *> variables;
    std::vector<int> years;
    bool relative; // the ratio divided by Italy's ratio, times 100 (Italia = 100)
    std::function<std::optional<double>(const Getter &)> ratio;
    const char *destinazione;
    int sll, comune, datoPuntuale;
};

struct MenuRow {
    int idMenu, idMenuParent, orderb;
    const char *descName;
    bool isSeparator, isDisable;
    const char *formToOpen, *dbName, *tipoDb; // nullptr = Null
};

struct TextPair {
    const char *first;
    const char *second;
};

struct GlossaryTerm {
    const char *nome;
    const char *definizione;
    const char *settore;
};

const std::vector<Sector> &sectors();
const std::vector<SubArea> &subAreas();
const std::vector<VariableDef> &variables();
const std::vector<IndicatorDef> &indicators();
const std::vector<MenuRow> &menuRows();
const std::vector<TextPair> &valutazioni();
const std::vector<GlossaryTerm> &glossary();

// Years from..to inclusive.
std::vector<int> yearRange(int from, int to);

// Provinces with a sea coast (ISTAT codes).
const std::set<int> &coastalProvinces();
// Passengers of 1996 (thousands) of the provinces with an airport.
const std::map<int, double> &airportPassengers1996();

} // namespace sample
