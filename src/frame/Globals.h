#pragma once
// The application state that windows share, set by start-up, the menu and the
// windows themselves. Folders always end with a separator ("/").
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

class MetaConfig;
class AreaConfig;

// The program folder (where the executable lies), ending with "/". Tests point it
// at a temporary program folder.
inline QString gAppPath;

inline QString gDbPassword;      // kept only inside the connection prefixes
inline QString gFilesPath;       // gAppPath + "Files/"
inline QString gExcelPath;       // gAppPath + "Excel/"
inline QString gConnAdo;         // "Driver=...;Pwd=...;Dbq= " : a folder and a file name are appended
inline QString gConnDao;         // "MS Access;pwd=..."
inline QString gDbPath;          // the databases folder
inline QString gShapePath;       // the shape-file folder; "" when maps are unavailable
inline QString gHelpFile;        // the help index

inline QString gDbName;          // file name of the current statistical database
inline QString gTipoDb;          // "Indicatori" or "Variabili"
inline QString gDescSelezione;   // word shown in the selection caption
inline QString gSqlDati;         // the data query of the current selection
inline QString gSqlScheda;       // the query of the metadata sheet to show
inline int gLivelloTerritorio = 0;   // 1 provinces, 2 regions, 3 both, 0 none
inline int gLivelloMappa = 0;        // 2 provinces, 3 regions, 0 cancelled
inline QString gNomeLivelloMappa;    // "provincia", "regione"
inline std::vector<QStringList> gMatriceDati; // rows x columns text copy of the data grid

// The window, database and kind of each menu command by slot (0 to 30; slot 0 empty).
inline constexpr int MaxMenuSlots = 30;
inline std::array<QString, MaxMenuSlots + 1> gArrFormToOpen;
inline std::array<QString, MaxMenuSlots + 1> gArrDBName;
inline std::array<QString, MaxMenuSlots + 1> gArrTipoDb;

inline MetaConfig *gMetaConfig = nullptr;
inline AreaConfig *gAreaConfig = nullptr;

// Restores every global to its value before start-up (tests).
void ResetGlobals();
