#pragma once
// The menu bar is data: built once at start-up from table DBMainMenu of
// Metadati.mdb. Each command has a slot (1, 2, ... in the order read, greyed
// commands included) that tells which window it opens, which statistical
// database becomes the current one and which data kind goes with it.
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"

#include <QString>
#include <QStringList>
#include <vector>

class QMenuBar;

namespace mdlMenu {

// One row of DBMainMenu.
struct MenuRow {
    qint64 idMenu = 0;        // 1 or more: a popup; less than 1: a command
    qint64 idMenuParent = -1; // negative: on the menu bar; else the number of the popup holding it
    QString descName;
    bool isSeparator = false;
    bool isDisable = false;
    bool isChecked = false;
    QString formToOpen, dbName, tipoDb;
};

struct MenuSlot {
    QString formToOpen, dbName, tipoDb;
};

// One entry of the menu, in the order it is added to its parent.
struct MenuEntry {
    enum class Kind { Popup, Separator, GreyedPopup, Command };
    Kind kind = Kind::Command;
    QString caption;
    int parent = -1;       // -1: the menu bar; else the popup number of its parent
    int popupNumber = -1;  // Popup only: 0, 1, 2 ... in the order created
    int slot = 0;          // Command only
    bool disabled = false; // Command only (a greyed popup is its own kind)
    bool checked = false;  // Command only
};

struct MenuModel {
    std::vector<MenuEntry> entries;
    std::vector<MenuSlot> commandSlots;   // index = slot; slot 0 stays empty
    int popupCount = 0;
    QStringList rowErrors;         // rows left out, one text each
};

// The rows of "select * from DBMainMenu order by IdMenuParent, Orderb", fields by name.
// A row whose fields cannot be read (a text where a number belongs) is left
// out and told in `rowErrors`; a missing field fails the whole table.
std::vector<MenuRow> ReadMenuRows(platform::db::Recordset &rs, QStringList *rowErrors = nullptr);
// The menu the rows describe. A row naming a popup number that does not exist
// is left out (and reported in rowErrors); the others are kept.
MenuModel BuildMenuModel(const std::vector<MenuRow> &rows);

// The menu of DBMainMenu in `db` (an open Metadati.mdb), the rows left out
// told in rowErrors. Raises when the table cannot be read.
MenuModel ReadMenu(platform::db::Database &db);

// Reads DBMainMenu, builds the menu bar on `bar` (when given) and sets the
// command slots. Rows left out are logged one line each, and told in one box
// with their count. Returns false when the table could not be read (logged);
// the menu then stays as built so far.
bool BuildMainMenu(QMenuBar *bar);
// Builds the widgets of `model` on `bar`; each command calls mnu_submnu_Click.
void ApplyMenuModel(const MenuModel &model, QMenuBar *bar);

// The command slots of the menu built last (index = slot, 0 empty).
const std::vector<MenuSlot> &Slots();
void SetSlots(std::vector<MenuSlot> commandSlots);

} // namespace mdlMenu

namespace frame {

// The dispatch of the menu command in slot `index`: closes the other windows,
// makes the command's database and kind the current ones (slot 2 or later,
// and a DBname containing ".mdb"), takes the caption word from DbConfigs and
// opens the command's window when one is registered under its FormToOpen.
void mnu_submnu_Click(int index);

} // namespace frame
