#include "sample_catalog.h"

namespace sample {

std::vector<int> yearRange(int from, int to)
{
    std::vector<int> years;
    for (int y = from; y <= to; ++y)
        years.push_back(y);
    return years;
}

const std::vector<Sector> &sectors()
{
    static const std::vector<Sector> list = {
        {"A", "Contesto territoriale"},
        {"B", "Trasporti"},
        {"C", "Energia, acqua e ambiente"},
        {"D", "Comunicazioni e servizi alle imprese"},
        {"E", "Servizi sociali"},
    };
    return list;
}

const std::vector<SubArea> &subAreas()
{
    static const std::vector<SubArea> list = {
        {"A01", "Popolazione e territorio", "A"},
        {"B01", "Rete stradale", "B"},
        {"B02", "Rete ferroviaria", "B"},
        {"B03", "Porti", "B"},
        {"B04", "Aeroporti", "B"},
        {"C01", "Energia elettrica", "C"},
        {"C02", "Acqua e rifiuti", "C"},
        {"D01", "Telefonia e telematica", "D"},
        {"D02", "Reti bancarie", "D"},
        {"E01", "Istruzione", "E"},
        {"E02", "Sanità", "E"},
        {"E03", "Cultura e tempo libero", "E"},
    };
    return list;
}

static const char *const kSardiniaNote =
    "Fino al 2004 i dati della Sardegna sono riferiti alle province di Sassari, Nuoro, Cagliari e Oristano "
    "nei confini allora vigenti.\n"
    "\u2022 Le province di Olbia-Tempio, Ogliastra, Medio Campidano e Carbonia-Iglesias hanno valori propri dal 2005.";
static const char *const kSardinia2005 =
    "Dal 2005 i dati sono riferiti alle 107 province: le nuove province della Sardegna hanno valori propri.";

const std::vector<VariableDef> &variables()
{
    static const std::vector<VariableDef> list = {
        {.id = "A0101", .desc = "Popolazione residente al 31 dicembre", .unit = "abitanti", .period = "31 dicembre",
         .years = yearRange(1996, 2008), .decimals = 0, .regionalOnly = false, .oldSardinia = false,
         .missingSardiniaYear = 0, .fonte = "ISTAT", .ente = "Istituto nazionale di statistica",
         .pubblicazione = "Popolazione e movimento anagrafico dei comuni",
         .noteSerie = "Popolazione ricostruita nei confini provinciali del 2006.\n\u2022 Fonte: bilanci demografici comunali.",
         .notes = {{2001, "Dato allineato ai risultati del 14\u00b0 Censimento generale della popolazione."}},
         .fonteYears = {}, .dashPublication = {}, .dashWhenMissing = false,
         .driver = Driver::Custom, .level = 0, .growth = 0, .south = 1, .regSpread = 0, .spread = 0, .jitter = 0, .zeros = {}},
        {.id = "A0102", .desc = "Superficie territoriale", .unit = "km\u00b2", .period = "31 dicembre",
         .years = yearRange(1996, 2008), .decimals = 2, .regionalOnly = false, .oldSardinia = false,
         .missingSardiniaYear = 0, .fonte = "ISTAT", .ente = "Istituto nazionale di statistica",
         .pubblicazione = "Annuario statistico italiano",
         .noteSerie = "Superficie delle province nei confini del 2006.\n\u2022 Valori costanti nel periodo.",
         .notes = {}, .fonteYears = {}, .dashPublication = {}, .dashWhenMissing = false,
         .driver = Driver::Custom, .level = 0, .growth = 0, .south = 1, .regSpread = 0, .spread = 0, .jitter = 0, .zeros = {}},
        {.id = "B0101", .desc = "Lunghezza della rete autostradale", .unit = "km", .period = "31 dicembre",
         .years = yearRange(1996, 2008), .decimals = 2, .regionalOnly = false, .oldSardinia = false,
         .missingSardiniaYear = 0, .fonte = "Ministero delle Infrastrutture e dei Trasporti",
         .ente = "Ministero delle Infrastrutture e dei Trasporti",
         .pubblicazione = "Conto nazionale delle infrastrutture e dei trasporti",
         .noteSerie = "Autostrade in esercizio, comprese le tangenziali a pedaggio.\n\u2022 La Sardegna non ha autostrade.",
         .notes = {}, .fonteYears = {}, .dashPublication = {}, .dashWhenMissing = false,
         .driver = Driver::Area, .level = 0.0215, .growth = 0.003, .south = 0.95, .regSpread = 0.25, .spread = 0.7,
         .jitter = 0, .zeros = {14, 77, 88, 94, 101, 90, 91, 92, 95, 104, 105, 106, 107}},
        {.id = "B0102", .desc = "Lunghezza delle strade statali e provinciali", .unit = "km", .period = "31 dicembre",
         .years = yearRange(1996, 2008), .decimals = 2, .regionalOnly = false, .oldSardinia = true,
         .missingSardiniaYear = 0, .fonte = "ANAS e Amministrazioni provinciali", .ente = "ANAS",
         .pubblicazione = "Conto nazionale delle infrastrutture e dei trasporti", .noteSerie = kSardiniaNote,
         .notes = {{2001, "Dal 2001 parte delle strade statali è passata alle Regioni e alle Province: "
                          "il totale delle strade statali e provinciali resta confrontabile."},
                   {2005, kSardinia2005}},
         .fonteYears = {}, .dashPublication = {}, .dashWhenMissing = false,
         .driver = Driver::Area, .level = 0.55, .growth = 0.002, .south = 1.05, .regSpread = 0.15, .spread = 0.35,
         .jitter = 0, .zeros = {}},
        {.id = "B0201", .desc = "Lunghezza della rete ferroviaria in esercizio", .unit = "km", .period = "31 dicembre",
         .years = yearRange(1996, 2008), .decimals = 2, .regionalOnly = false, .oldSardinia = true,
         .missingSardiniaYear = 0, .fonte = "Ferrovie dello Stato", .ente = "Rete Ferroviaria Italiana",
         .pubblicazione = "Annuario statistico delle Ferrovie dello Stato", .noteSerie = kSardiniaNote,
         .notes = {{2005, kSardinia2005}}, .fonteYears = {{2001, "RFI"}, {2002, "RFI"}}, .dashPublication = {},
         .dashWhenMissing = false,
         .driver = Driver::Area, .level = 0.053, .growth = 0.001, .south = 0.95, .regSpread = 0.2, .spread = 0.6,
         .jitter = 0, .zeros = {77, 105}},
        {.id = "B0202", .desc = "Rete ferroviaria elettrificata", .unit = "km", .period = "31 dicembre",
         .years = yearRange(1996, 2008), .decimals = 2, .regionalOnly = false, .oldSardinia = true,
         .missingSardiniaYear = 0, .fonte = "Ferrovie dello Stato", .ente = "Rete Ferroviaria Italiana",
         .pubblicazione = "Annuario statistico delle Ferrovie dello Stato", .noteSerie = kSardiniaNote,
         .notes = {{2005, kSardinia2005}}, .fonteYears = {}, .dashPublication = {}, .dashWhenMissing = false,
         .driver = Driver::Custom, .level = 0, .growth = 0, .south = 1, .regSpread = 0, .spread = 0, .jitter = 0,
         .zeros = {}},
        {.id = "B0301", .desc = "Accosti portuali", .unit = "numero", .period = "31 dicembre",
         .years = yearRange(1996, 2008), .decimals = 0, .regionalOnly = false, .oldSardinia = false,
         .missingSardiniaYear = 0, .fonte = "ISTAT", .ente = "Istituto nazionale di statistica",
         .pubblicazione = "Statistiche dei trasporti marittimi",
         .noteSerie = "Accosti dei porti commerciali.\n\u2022 Zero per le province senza porti.",
         .notes = {}, .fonteYears = {}, .dashPublication = {}, .dashWhenMissing = false,
         .driver = Driver::Custom, .level = 0, .growth = 0.012, .south = 1, .regSpread = 0, .spread = 0, .jitter = 0,
         .zeros = {29, 50, 56, 61, 67, 76, 106}},
        {.id = "B0302", .desc = "Merci imbarcate e sbarcate nei porti", .unit = "migliaia di t", .period = "anno solare",
         .years = yearRange(1997, 2008), .decimals = 2, .regionalOnly = false, .oldSardinia = false,
         .missingSardiniaYear = 0, .fonte = "ISTAT", .ente = "Istituto nazionale di statistica",
         .pubblicazione = "Statistiche dei trasporti marittimi",
         .noteSerie = "Merci in migliaia di tonnellate, navigazione di cabotaggio e internazionale.",
         .notes = {{1997, "Prima rilevazione della serie."}}, .fonteYears = {}, .dashPublication = {},
         .dashWhenMissing = true,
         .driver = Driver::Custom, .level = 0, .growth = 0.02, .south = 1, .regSpread = 0, .spread = 0, .jitter = 0.04,
         .zeros = {}},
        {.id = "B0401", .desc = "Passeggeri negli aeroporti", .unit = "migliaia", .period = "anno solare",
         .years = yearRange(1996, 2008), .decimals = 2, .regionalOnly = false, .oldSardinia = false,
         .missingSardiniaYear = 0, .fonte = "ENAC", .ente = "Ente Nazionale per l'Aviazione Civile",
         .pubblicazione = "Annuario statistico ENAC",
         .noteSerie = "Passeggeri arrivati e partiti, voli nazionali e internazionali.\n"
                      "\u2022 Zero per le province senza aeroporto aperto al traffico commerciale.",
         .notes = {}, .fonteYears = {}, .dashPublication = {1996, 1997}, .dashWhenMissing = false,
         .driver = Driver::Custom, .level = 0, .growth = 0, .south = 1, .regSpread = 0, .spread = 0, .jitter = 0.04,
         .zeros = {}},
        {.id = "C0101", .desc = "Consumi di energia elettrica", .unit = "GWh", .period = "anno solare",
         .years = yearRange(1996, 2008), .decimals = 2, .regionalOnly = false, .oldSardinia = true,
         .missingSardiniaYear = 0, .fonte = "Terna", .ente = "Terna - Rete Elettrica Nazionale",
         .pubblicazione = "Dati statistici sull'energia elettrica in Italia", .noteSerie = kSardiniaNote,
         .notes = {{2005, kSardinia2005}}, .fonteYears = {{1996, "GRTN"}, {1997, "GRTN"}, {1998, "GRTN"}},
         .dashPublication = {}, .dashWhenMissing = false,
         .driver = Driver::Population, .level = 0.0046, .growth = 0.017, .south = 0.8, .regSpread = 0.15,
         .spread = 0.3, .jitter = 0.02, .zeros = {}},
        {.id = "C0102", .desc = "Produzione lorda di energia elettrica", .unit = "GWh", .period = "anno solare",
         .years = yearRange(1996, 2008), .decimals = 2, .regionalOnly = true, .oldSardinia = false,
         .missingSardiniaYear = 0, .fonte = "Terna", .ente = "Terna - Rete Elettrica Nazionale",
         .pubblicazione = "Dati statistici sull'energia elettrica in Italia",
         .noteSerie = "Dato disponibile solo per regione.\n\u2022 Produzione lorda degli impianti di ogni fonte.",
         .notes = {}, .fonteYears = {{1996, "GRTN"}, {1997, "GRTN"}, {1998, "GRTN"}}, .dashPublication = {},
         .dashWhenMissing = false,
         .driver = Driver::Population, .level = 0.0038, .growth = 0.018, .south = 0.9, .regSpread = 0.7,
         .spread = 0.2, .jitter = 0.03, .zeros = {}},
        {.id = "C0201", .desc = "Acqua potabile erogata", .unit = "migliaia di m\u00b3", .period = "anno solare",
         .years = {1999, 2005, 2008}, .decimals = 0, .regionalOnly = false, .oldSardinia = false,
         .missingSardiniaYear = 0, .fonte = "ISTAT", .ente = "Istituto nazionale di statistica",
         .pubblicazione = "Sistema di indagini sulle acque",
         .noteSerie = "Rilevazione non annuale: solo gli anni di indagine.",
         .notes = {{1999, "Dati del censimento delle risorse idriche a uso civile."}}, .fonteYears = {},
         .dashPublication = {}, .dashWhenMissing = true,
         .driver = Driver::Population, .level = 0.0912, .growth = -0.003, .south = 0.95, .regSpread = 0.15,
         .spread = 0.2, .jitter = 0.02, .zeros = {}},
        {.id = "C0202", .desc = "Raccolta differenziata dei rifiuti urbani", .unit = "t", .period = "anno solare",
         .years = yearRange(1999, 2008), .decimals = 0, .regionalOnly = false, .oldSardinia = false,
         .missingSardiniaYear = 0, .fonte = "APAT", .ente = "Agenzia per la protezione dell'ambiente",
         .pubblicazione = "Rapporto rifiuti",
         .noteSerie = "Rifiuti urbani raccolti in modo differenziato.\n\u2022 Tonnellate per anno.",
         .notes = {{2008, "Dal 2008 la fonte è l'ISPRA (già APAT)."}}, .fonteYears = {{2008, "ISPRA"}},
         .dashPublication = {}, .dashWhenMissing = false,
         .driver = Driver::Custom, .level = 0, .growth = 0, .south = 1, .regSpread = 0.2, .spread = 0.35,
         .jitter = 0.04, .zeros = {}},
        {.id = "D0101", .desc = "Abbonati alla telefonia fissa", .unit = "migliaia", .period = "31 dicembre",
         .years = yearRange(1996, 2005), .decimals = 2, .regionalOnly = false, .oldSardinia = true,
         .missingSardiniaYear = 0, .fonte = "Autorità per le garanzie nelle comunicazioni",
         .ente = "Autorità per le garanzie nelle comunicazioni", .pubblicazione = "Relazione annuale",
         .noteSerie = kSardiniaNote, .notes = {{2005, "Ultimo anno della serie."}}, .fonteYears = {{1996, "Telecom Italia"}},
         .dashPublication = {}, .dashWhenMissing = true,
         .driver = Driver::Population, .level = 0.00044, .growth = -0.015, .south = 0.85, .regSpread = 0.1,
         .spread = 0.1, .jitter = 0.01, .zeros = {}},
        {.id = "D0102", .desc = "Accessi a banda larga", .unit = "migliaia", .period = "31 dicembre",
         .years = yearRange(2003, 2008), .decimals = 2, .regionalOnly = false, .oldSardinia = false,
         .missingSardiniaYear = 2003, .fonte = "Autorità per le garanzie nelle comunicazioni",
         .ente = "Autorità per le garanzie nelle comunicazioni", .pubblicazione = "Relazione annuale",
         .noteSerie = "Accessi xDSL e in fibra.\n\u2022 Il 2003 è il primo anno con dati provinciali.",
         .notes = {{2003, "Dato non disponibile per le province della Sardegna: è disponibile solo il totale regionale."}},
         .fonteYears = {}, .dashPublication = {}, .dashWhenMissing = true,
         .driver = Driver::Population, .level = 0.00007, .growth = 0.2, .south = 0.7, .regSpread = 0.2,
         .spread = 0.3, .jitter = 0.03, .zeros = {}},
        {.id = "D0201", .desc = "Sportelli bancari", .unit = "numero", .period = "31 dicembre",
         .years = yearRange(1996, 2008), .decimals = 0, .regionalOnly = false, .oldSardinia = true,
         .missingSardiniaYear = 0, .fonte = "Banca d'Italia", .ente = "Banca d'Italia",
         .pubblicazione = "Bollettino statistico",
         .noteSerie = "Sportelli delle banche operanti in Italia.\n\u2022 " "Fino al 2004 la Sardegna è divisa in quattro province.",
         .notes = {{2005, kSardinia2005}}, .fonteYears = {}, .dashPublication = {}, .dashWhenMissing = false,
         .driver = Driver::Population, .level = 0.00043, .growth = 0.028, .south = 0.55, .regSpread = 0.15,
         .spread = 0.2, .jitter = 0.01, .zeros = {}},
        {.id = "E0101", .desc = "Aule delle scuole secondarie superiori", .unit = "numero", .period = "anno scolastico",
         .years = yearRange(1996, 2008), .decimals = 0, .regionalOnly = false, .oldSardinia = false,
         .missingSardiniaYear = 0, .fonte = "Ministero dell'Istruzione",
         .ente = "Ministero dell'Istruzione, dell'Università e della Ricerca",
         .pubblicazione = "La scuola statale: sintesi dei dati",
         .noteSerie = "Aule delle scuole statali; l'anno è quello di inizio dell'anno scolastico.",
         .notes = {}, .fonteYears = {}, .dashPublication = {2000}, .dashWhenMissing = false,
         .driver = Driver::Population, .level = 0.0021, .growth = 0.003, .south = 1.05, .regSpread = 0.1,
         .spread = 0.15, .jitter = 0.01, .zeros = {}},
        {.id = "E0201", .desc = "Posti letto negli istituti di cura", .unit = "numero", .period = "31 dicembre",
         .years = yearRange(1996, 2008), .decimals = 0, .regionalOnly = false, .oldSardinia = true,
         .missingSardiniaYear = 0, .fonte = "Ministero della Salute", .ente = "Ministero della Salute",
         .pubblicazione = "Annuario statistico del Servizio sanitario nazionale",
         .noteSerie = "Posti letto ordinari e di day hospital.\n\u2022 Istituti pubblici e case di cura accreditate.",
         .notes = {{2005, kSardinia2005}}, .fonteYears = {}, .dashPublication = {}, .dashWhenMissing = false,
         .driver = Driver::Population, .level = 0.0058, .growth = -0.023, .south = 0.85, .regSpread = 0.15,
         .spread = 0.3, .jitter = 0.01, .zeros = {}},
        {.id = "E0301", .desc = "Schermi cinematografici", .unit = "numero", .period = "31 dicembre",
         .years = yearRange(1996, 2008), .decimals = 0, .regionalOnly = false, .oldSardinia = false,
         .missingSardiniaYear = 0, .fonte = "SIAE", .ente = "Società Italiana degli Autori ed Editori",
         .pubblicazione = "Annuario dello spettacolo",
         .noteSerie = "Schermi attivi con almeno 60 giorni di spettacolo nell\u2019anno: la definizione di "
                      "\u201cschermo attivo\u201d è quella della fonte.",
         .notes = {}, .fonteYears = {}, .dashPublication = {}, .dashWhenMissing = false,
         .driver = Driver::Population, .level = 0.000044, .growth = 0.037, .south = 0.65, .regSpread = 0.2,
         .spread = 0.5, .jitter = 0.02, .zeros = {105}},
    };
    return list;
}

namespace {
std::optional<double> div(double a, double b)
{
    if (b == 0)
        return std::nullopt;
    return a / b;
}
} // namespace

const std::vector<IndicatorDef> &indicators()
{
    const auto all = yearRange(1996, 2008);
    static const std::vector<IndicatorDef> list = {
        {"A01001", "Densità di popolazione (abitanti per km²)", "A",
         "Popolazione residente (A0101) / superficie territoriale (A0102)", {"A0101", "A0102"}, all, false,
         [](const Getter &v) { return div(v("A0101"), v("A0102")); }, "Famiglie e imprese", 0, 1, 0},
        {"A01002", "Quota della popolazione sul totale nazionale (%)", "A",
         "Popolazione residente (A0101) / popolazione dell'Italia x 100", {"A0101"}, all, true,
         [](const Getter &v) { return std::optional<double>(v("A0101")); }, "Famiglie", 0, 0, 0},
        {"A01003", "Indice di densità di popolazione (Italia = 100)", "A",
         "Densità di popolazione (A0101 / A0102) / densità dell'Italia x 100", {"A0101", "A0102"}, all, true,
         [](const Getter &v) { return div(v("A0101"), v("A0102")); }, "Famiglie e imprese", 0, 0, 0},
        {"A01004", "Quota della superficie sul totale nazionale (%)", "A",
         "Superficie territoriale (A0102) / superficie dell'Italia x 100", {"A0102"}, all, true,
         [](const Getter &v) { return std::optional<double>(v("A0102")); }, "Famiglie e imprese", 0, 0, 0},

        {"B01001", "Indice di dotazione della rete stradale (Italia = 100)", "B1",
         "((B0101 + B0102) / A0102) / valore dell'Italia x 100", {"B0101", "B0102", "A0102"}, all, true,
         [](const Getter &v) { return div(v("B0101") + v("B0102"), v("A0102")); }, "Imprese e famiglie", 0, 0, 0},
        {"B01002", "Km di autostrade per 100 km² di superficie", "B1", "B0101 / A0102 x 100", {"B0101", "A0102"}, all,
         false, [](const Getter &v) { return div(v("B0101") * 100, v("A0102")); }, "Imprese e famiglie", 1, 0, 0},
        {"B01003", "Km di strade statali e provinciali per 100 km² di superficie", "B1", "B0102 / A0102 x 100",
         {"B0102", "A0102"}, all, false, [](const Getter &v) { return div(v("B0102") * 100, v("A0102")); },
         "Imprese e famiglie", 1, 0, 0},
        {"B01004", "Km di autostrade per 100.000 abitanti", "B3", "B0101 / A0101 x 100.000", {"B0101", "A0101"}, all,
         false, [](const Getter &v) { return div(v("B0101") * 1e5, v("A0101")); }, "Famiglie", 0, 0, 0},
        {"B01005", "Quota delle autostrade sulla rete stradale principale (%)", "C",
         "B0101 / (B0101 + B0102) x 100", {"B0101", "B0102"}, all, false,
         [](const Getter &v) { return div(v("B0101") * 100, v("B0101") + v("B0102")); }, "Imprese", 0, 0, 0},

        {"B02001", "Indice di dotazione della rete ferroviaria (Italia = 100)", "B1",
         "(B0201 / A0102) / valore dell'Italia x 100", {"B0201", "A0102"}, all, true,
         [](const Getter &v) { return div(v("B0201"), v("A0102")); }, "Imprese e famiglie", 0, 0, 0},
        {"B02002", "Quota di rete ferroviaria elettrificata (%)", "C",
         "B0202 / B0201 x 100; vuoto quando la provincia non ha rete", {"B0202", "B0201"}, all, false,
         [](const Getter &v) { return div(v("B0202") * 100, v("B0201")); }, "Imprese e famiglie", 0, 0, 1},
        {"B02003", "Km di rete ferroviaria per 100 km² di superficie", "B1", "B0201 / A0102 x 100",
         {"B0201", "A0102"}, all, false, [](const Getter &v) { return div(v("B0201") * 100, v("A0102")); },
         "Imprese e famiglie", 1, 0, 0},
        {"B02004", "Km di rete ferroviaria per 100.000 abitanti", "B3", "B0201 / A0101 x 100.000",
         {"B0201", "A0101"}, all, false, [](const Getter &v) { return div(v("B0201") * 1e5, v("A0101")); },
         "Famiglie", 0, 0, 0},
        {"B02005", "Km di rete elettrificata per 100 km² di superficie", "B2", "B0202 / A0102 x 100",
         {"B0202", "A0102"}, all, false, [](const Getter &v) { return div(v("B0202") * 100, v("A0102")); },
         "Imprese e famiglie", 0, 0, 0},

        {"B03001", "Indice di dotazione portuale (Italia = 100)", "B2", "(B0301 / A0102) / valore dell'Italia x 100",
         {"B0301", "A0102"}, all, true, [](const Getter &v) { return div(v("B0301"), v("A0102")); }, "Imprese", 0,
         0, 1},
        {"B03002", "Merci imbarcate e sbarcate per abitante (t)", "E2", "B0302 x 1.000 / A0101", {"B0302", "A0101"},
         yearRange(1997, 2008), false, [](const Getter &v) { return div(v("B0302") * 1000, v("A0101")); }, "Imprese",
         0, 0, 1},
        {"B03003", "Merci per accosto portuale (migliaia di t)", "C1",
         "B0302 / B0301; vuoto quando la provincia non ha accosti", {"B0302", "B0301"}, yearRange(1997, 2008), false,
         [](const Getter &v) { return div(v("B0302"), v("B0301")); }, "Imprese", 0, 0, 1},

        {"B04001", "Passeggeri aerei per 1.000 abitanti", "E1", "B0401 x 1.000.000 / A0101", {"B0401", "A0101"}, all,
         false, [](const Getter &v) { return div(v("B0401") * 1e6, v("A0101")); }, "Famiglie e imprese", 0, 0, 1},
        {"B04002", "Indice di traffico aereo (Italia = 100)", "E1", "(B0401 / A0101) / valore dell'Italia x 100",
         {"B0401", "A0101"}, all, true, [](const Getter &v) { return div(v("B0401"), v("A0101")); },
         "Famiglie e imprese", 0, 0, 1},

        {"C01001", "Consumi di energia elettrica per abitante (kWh)", "E", "C0101 x 1.000.000 / A0101",
         {"C0101", "A0101"}, all, false, [](const Getter &v) { return div(v("C0101") * 1e6, v("A0101")); },
         "Famiglie e imprese", 1, 0, 0},
        {"C01002", "Rapporto produzione/consumi di energia elettrica (%)", "D",
         "C0102 / C0101 x 100 (solo regioni e aggregati)", {"C0102", "C0101"}, all, false,
         [](const Getter &v) { return div(v("C0102") * 100, v("C0101")); }, "Imprese", 0, 0, 0},
        {"C01003", "Indice dei consumi elettrici per abitante (Italia = 100)", "E",
         "(C0101 / A0101) / valore dell'Italia x 100", {"C0101", "A0101"}, all, true,
         [](const Getter &v) { return div(v("C0101"), v("A0101")); }, "Famiglie e imprese", 0, 0, 0},

        {"C02001", "Acqua erogata per abitante (litri al giorno)", "C1", "C0201 x 1.000.000 / A0101 / 365",
         {"C0201", "A0101"}, {1999, 2005, 2008}, false,
         [](const Getter &v) { return div(v("C0201") * 1e6 / 365, v("A0101")); }, "Famiglie", 0, 1, 0},
        {"C02002", "Raccolta differenziata per abitante (kg)", "D", "C0202 x 1.000 / A0101", {"C0202", "A0101"},
         yearRange(1999, 2008), false, [](const Getter &v) { return div(v("C0202") * 1000, v("A0101")); },
         "Famiglie", 0, 1, 0},

        {"D01001", "Abbonati alla telefonia fissa per 100 abitanti", "B3", "D0101 x 100.000 / A0101",
         {"D0101", "A0101"}, yearRange(1996, 2005), false,
         [](const Getter &v) { return div(v("D0101") * 1e5, v("A0101")); }, "Famiglie", 0, 1, 0},
        {"D01002", "Accessi a banda larga per 100 abitanti", "E2", "D0102 x 100.000 / A0101", {"D0102", "A0101"},
         yearRange(2003, 2008), false, [](const Getter &v) { return div(v("D0102") * 1e5, v("A0101")); },
         "Famiglie e imprese", 0, 1, 0},
        {"D01003", "Indice di diffusione della banda larga (Italia = 100)", "E2",
         "(D0102 / A0101) / valore dell'Italia x 100", {"D0102", "A0101"}, yearRange(2003, 2008), true,
         [](const Getter &v) { return div(v("D0102"), v("A0101")); }, "Famiglie e imprese", 0, 0, 0},

        {"D02001", "Sportelli bancari per 10.000 abitanti", "B3", "D0201 x 10.000 / A0101", {"D0201", "A0101"}, all,
         false, [](const Getter &v) { return div(v("D0201") * 1e4, v("A0101")); }, "Famiglie e imprese", 1, 1, 0},
        {"D02002", "Indice di diffusione degli sportelli bancari (Italia = 100)", "B3",
         "(D0201 / A0101) / valore dell'Italia x 100", {"D0201", "A0101"}, all, true,
         [](const Getter &v) { return div(v("D0201"), v("A0101")); }, "Famiglie e imprese", 0, 0, 0},

        {"E01001", "Aule delle scuole secondarie superiori per 1.000 abitanti", "B1", "E0101 x 1.000 / A0101",
         {"E0101", "A0101"}, all, false, [](const Getter &v) { return div(v("E0101") * 1000, v("A0101")); },
         "Famiglie", 0, 1, 0},
        {"E01002", "Indice di dotazione di aule scolastiche (Italia = 100)", "B1",
         "(E0101 / A0101) / valore dell'Italia x 100", {"E0101", "A0101"}, all, true,
         [](const Getter &v) { return div(v("E0101"), v("A0101")); }, "Famiglie", 0, 0, 0},

        {"E02001", "Posti letto negli istituti di cura per 1.000 abitanti", "B2", "E0201 x 1.000 / A0101",
         {"E0201", "A0101"}, all, false, [](const Getter &v) { return div(v("E0201") * 1000, v("A0101")); },
         "Famiglie", 1, 0, 1},
        {"E02002", "Indice di dotazione di posti letto (Italia = 100)", "B2",
         "(E0201 / A0101) / valore dell'Italia x 100", {"E0201", "A0101"}, all, true,
         [](const Getter &v) { return div(v("E0201"), v("A0101")); }, "Famiglie", 0, 0, 0},

        {"E03001", "Schermi cinematografici per 100.000 abitanti", "B3", "E0301 x 100.000 / A0101",
         {"E0301", "A0101"}, all, false, [](const Getter &v) { return div(v("E0301") * 1e5, v("A0101")); },
         "Famiglie", 0, 1, 0},
        {"E03002", "Schermi cinematografici per 1.000 km² di superficie", "B3", "E0301 x 1.000 / A0102",
         {"E0301", "A0102"}, all, false, [](const Getter &v) { return div(v("E0301") * 1000, v("A0102")); },
         "Famiglie", 0, 0, 0},
    };
    return list;
}

const std::vector<MenuRow> &menuRows()
{
    static const std::vector<MenuRow> list = {
        {1, -1, 1, "File", false, false, nullptr, nullptr, nullptr},
        {2, -1, 2, "Banche dati", false, false, nullptr, nullptr, nullptr},
        {3, -1, 3, "Metadati", false, false, nullptr, nullptr, nullptr},
        {4, -1, 4, "?", false, false, nullptr, nullptr, nullptr},
        {0, 0, 1, "Aggiornamento banca dati...", false, false, "FRMINFO", "-", "-"},
        {0, 1, 1, "Variabili di dotazione infrastrutturale", false, false, "FORMDATITAB", "Variabili.mdb", "Variabili"},
        {0, 1, 2, "Indicatori di dotazione infrastrutturale", false, false, "FORMDATITAB", "Indicatori.mdb",
         "Indicatori"},
        {5, 1, 3, nullptr, true, false, nullptr, nullptr, nullptr},
        {6, 1, 4, "Archivio storico", false, false, nullptr, nullptr, nullptr},
        {0, 2, 1, "Consulta metadati", false, false, "FRMMETADATI", "-", "-"},
        {0, 2, 2, "Lista variabili e indicatori", false, false, "FRMLISTAMETADATI", "-", "-"},
        {0, 2, 3, "Glossario", false, false, "GLOSSARIO", "-", "-"},
        {0, 3, 1, "Informazioni su Trambelo", false, false, "FRMINFO", "-", "-"},
        {0, 4, 1, "Indicatori 1991-1995", false, true, "FORMDATITAB", "Storico.mdb", "Indicatori"},
    };
    return list;
}

const std::vector<TextPair> &valutazioni()
{
    static const std::vector<TextPair> list = {
        {"A", "Contesto"},
        {"B1", "Dotazione - consistenza fisica"},
        {"B2", "Dotazione - capacità"},
        {"B3", "Dotazione - diffusione del servizio"},
        {"C", "Funzionalità"},
        {"C1", "Funzionalità - qualità del servizio"},
        {"D", "Funzionalità - efficienza"},
        {"E", "Domanda"},
        {"E1", "Domanda - utenza"},
        {"E2", "Domanda - traffico"},
    };
    return list;
}

const std::vector<GlossaryTerm> &glossary()
{
    static const std::vector<GlossaryTerm> list = {
        {"Accosto", "Tratto di banchina attrezzato per l'ormeggio di una nave e per le operazioni di imbarco e sbarco.", "B"},
        {"Aeroporto", "Area attrezzata per il decollo, l'atterraggio e la sosta degli aeromobili, aperta al traffico "
                      "commerciale di passeggeri o merci.", "B"},
        {"Autostrada", "Strada extraurbana a carreggiate separate, con accessi controllati e riservata alla "
                       "circolazione di alcune categorie di veicoli a motore.", "B"},
        {"Bacino d'utenza", "Territorio e popolazione serviti da un'infrastruttura. Si usa per confrontare la "
                            "dotazione con la domanda potenziale.", "B"},
        {"Banda larga", "Accesso a Internet a velocità elevata, di norma superiore a 256 kbit/s, su rete fissa "
                        "(xDSL, fibra ottica) o senza fili.", "D"},
        {"Binario elettrificato", "Linea ferroviaria dotata di linea aerea di contatto per la trazione elettrica.", "B"},
        {"Consumo di energia elettrica", "Energia elettrica prelevata dagli utenti finali nell'anno, al netto delle "
                                         "perdite di rete.", "C"},
        {"Densità di popolazione", "Rapporto tra la popolazione residente e la superficie del territorio, in "
                                   "abitanti per km².", "A"},
        {"Depuratore", "Impianto che tratta le acque reflue urbane prima della loro restituzione all'ambiente.", "C"},
        {"Dotazione infrastrutturale", "Consistenza delle infrastrutture presenti in un territorio, misurata in "
                                       "rapporto alla superficie, alla popolazione o alla domanda.", "A"},
        {"Grado d'utilizzo", "Rapporto tra l'uso effettivo di un'infrastruttura e la sua capacità.", "B"},
        {"Indice di dotazione", "Numero indice che confronta la dotazione di un territorio con quella media "
                                "nazionale posta uguale a 100.", "A"},
        {"Interporto", "Complesso di strutture per lo scambio delle merci tra diverse modalità di trasporto, "
                       "collegato con la rete ferroviaria e con le grandi strade.", "B"},
        {"Istituto di cura", "Struttura pubblica o privata accreditata che eroga prestazioni di ricovero.", "E"},
        {"Linea ferroviaria", "Collegamento ferroviario tra due località, a binario semplice o doppio.", "B"},
        {"Metanodotto", "Condotta per il trasporto e la distribuzione del gas naturale.", "C"},
        {"Numero indice", "Rapporto tra il valore di una grandezza e un valore di riferimento, moltiplicato per 100.", "A"},
        {"Porto commerciale", "Porto attrezzato per il traffico di merci e passeggeri, con accosti, piazzali e "
                              "collegamenti con l'entroterra.", "B"},
        {"Posto letto", "Letto ordinario o di day hospital disponibile per il ricovero in un istituto di cura.", "E"},
        {"Produzione lorda di energia", "Energia elettrica misurata ai morsetti dei generatori, prima dei consumi "
                                        "dei servizi ausiliari di centrale.", "C"},
        {"Raccolta differenziata", "Raccolta dei rifiuti urbani per frazioni omogenee, destinate al riciclo o al "
                                   "recupero.", "C"},
        {"Rete idrica", "Insieme delle condotte che portano l'acqua potabile dagli impianti alle utenze.", "C"},
        {"Rete stradale", "Insieme delle strade di un territorio, classificate per tipo e per ente "
                          "proprietario.", "B"},
        {"Schermo cinematografico", "Sala o schermo di un complesso multisala in cui si tengono spettacoli "
                                    "cinematografici aperti al pubblico.", "E"},
        {"Sportello bancario", "Dipendenza di una banca aperta al pubblico per l'esercizio dell'attività bancaria.", "D"},
        {"Strada provinciale", "Strada di proprietà della Provincia che collega i comuni tra loro o con le strade "
                               "statali.", "B"},
        {"Strada statale", "Strada di interesse nazionale gestita dall'ANAS o trasferita alle Regioni.", "B"},
        {"Telefonia fissa", "Servizio telefonico fornito su rete fissa attraverso una linea d'abbonato.", "D"},
        {"Traffico merci", "Quantità di merci trasportate, imbarcate o sbarcate in un periodo, in tonnellate.", "B"},
        {"Unità di misura", "Grandezza di riferimento con cui è espresso il valore di una variabile "
                            "o di un indicatore.", "A"},
    };
    return list;
}

const std::set<int> &coastalProvinces()
{
    static const std::set<int> list = {
        8,  9,  10, 11,  27, 29, 30, 31, 32, 38, 39, 40,  41,  42,  43,  44,  45, 46, 49, 50, 53, 56, 58,
        59, 61, 63, 65,  67, 68, 69, 70, 71, 72, 73, 74,  75,  76,  77,  78,  79, 80, 81, 82, 83, 84, 85,
        87, 88, 89, 90,  91, 92, 95, 99, 101, 102, 104, 105, 106, 107,
    };
    return list;
}

const std::map<int, double> &airportPassengers1996()
{
    // Thousands of passengers in the first year; synthetic, of the right order.
    static const std::map<int, double> list = {
        {58, 24800}, {12, 14600}, {15, 8100}, {63, 4300}, {27, 4700}, {87, 3800}, {82, 3400}, {37, 2900},
        {1, 2400},   {92, 2000},  {23, 1900}, {50, 1450}, {72, 1400}, {104, 1500}, {16, 950}, {48, 1150},
        {10, 1050},  {79, 900},   {90, 650},  {74, 600},  {80, 520},  {26, 480},  {68, 310}, {42, 380},
        {99, 260},   {40, 180},   {81, 240},  {31, 620},  {17, 150},  {21, 90},   {54, 110}, {4, 60},
        {34, 70},    {101, 55},   {71, 35},   {84, 40},  {9, 25},   {53, 15},  {24, 20},  {95, 5},
        {105, 20},   {73, 10},
    };
    return list;
}

} // namespace sample
