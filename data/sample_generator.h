#pragma once
// Writes the program folder's sample files: the databases (SQLite files that
// keep their ".mdb" names), the start-page text and the background picture.
// Deterministic: the same inputs give byte-identical files.
#include <string>

namespace sample {

// Writes into `appDir` (created when missing): Databases/Metadati.mdb,
// Databases/Territorio.mdb, Databases/Variabili.mdb, Databases/Indicatori.mdb,
// Files/pxn_utente.mdb, Files/InfoQrl.txt, Images/sfondopxn2.jpg.
// `provinceCsv` is the province list (COD_PRO;SIGLA;DEN_PROV;COD_REG;DEN_REG).
// Each file is written beside its final name and renamed into place when
// complete. Throws std::runtime_error on failure.
void generate(const std::string &appDir, const std::string &provinceCsv);

} // namespace sample
