#include "frame/Menu.h"
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/Layout.h"
#include "frame/Utility.h"
#include "frame/Utility_RQM.h"
#include "platform/Error.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <iterator>

namespace mdlMenu {

namespace {
std::vector<MenuSlot> g_slots(1);
const QString MainLabel = QStringLiteral("frmMainMDI");
} // namespace

const std::vector<MenuSlot> &Slots() { return g_slots; }

void SetSlots(std::vector<MenuSlot> commandSlots)
{
    if (commandSlots.empty())
        commandSlots.resize(1);
    g_slots = std::move(commandSlots);
    gArrFormToOpen.fill({});
    gArrDBName.fill({});
    gArrTipoDb.fill({});
    for (size_t k = 1; k < g_slots.size() && k <= size_t(MaxMenuSlots); ++k) {
        gArrFormToOpen[k] = g_slots[k].formToOpen;
        gArrDBName[k] = g_slots[k].dbName;
        gArrTipoDb[k] = g_slots[k].tipoDb;
    }
}

std::vector<MenuRow> ReadMenuRows(platform::db::Recordset &rs, QStringList *rowErrors)
{
    // Every field is looked up once: a table without one of them cannot give a menu.
    const char *const names[] = {"IdMenu", "IdMenuParent", "DescName", "isSeparator", "isDisable",
                                 "isChecked", "FormToOpen", "DBname", "TipoDb"};
    int col[std::size(names)];
    for (size_t i = 0; i < std::size(names); ++i) {
        col[i] = rs.fieldIndex(QString::fromLatin1(names[i]));
        if (col[i] < 0)
            throw platform::RuntimeError(platform::err::ItemNotFound,
                                         QStringLiteral("Campo %1 mancante nella tabella DBMainMenu.")
                                             .arg(QString::fromLatin1(names[i])));
    }
    std::vector<MenuRow> rows;
    for (; !rs.eof(); rs.moveNext()) {
        MenuRow r;
        r.descName = rs.text(col[2]);
        try {
            r.idMenu = rs.field(col[0]).toInt();
            r.idMenuParent = rs.field(col[1]).toInt();
        } catch (const platform::RuntimeError &e) {
            if (rowErrors)
                rowErrors->append(QStringLiteral("La voce di menu '%1' ha un numero non valido (%2): tralasciata.")
                                      .arg(r.descName, e.description()));
            continue;
        }
        r.isSeparator = rs.field(col[3]).toBool();
        r.isDisable = rs.field(col[4]).toBool();
        r.isChecked = rs.field(col[5]).toBool();
        r.formToOpen = rs.text(col[6]);
        r.dbName = rs.text(col[7]);
        r.tipoDb = rs.text(col[8]);
        rows.push_back(std::move(r));
    }
    return rows;
}

MenuModel BuildMenuModel(const std::vector<MenuRow> &rows)
{
    MenuModel m;
    m.commandSlots.resize(1);
    for (const MenuRow &row : rows) {
        MenuEntry e;
        e.caption = row.descName;
        if (row.idMenuParent >= 0) {
            if (row.idMenuParent >= m.popupCount) {
                m.rowErrors.append(QStringLiteral("La voce di menu '%1' appartiene al menu %2, che non esiste.")
                                       .arg(row.descName)
                                       .arg(row.idMenuParent));
                continue;
            }
            e.parent = int(row.idMenuParent);
        }
        if (row.idMenuParent < 0 || row.idMenu >= 1) {
            if (row.isSeparator) {
                e.kind = MenuEntry::Kind::Separator;
                e.caption.clear();
            } else if (row.isDisable) {
                e.kind = MenuEntry::Kind::GreyedPopup;
            } else {
                e.kind = MenuEntry::Kind::Popup;
                e.popupNumber = m.popupCount++;
            }
        } else {
            e.kind = MenuEntry::Kind::Command;
            e.slot = int(m.commandSlots.size());
            e.disabled = row.isDisable;
            e.checked = row.isChecked && !row.isDisable;   // a greyed command is a bare caption
            m.commandSlots.push_back({row.formToOpen, row.dbName, row.tipoDb});
        }
        m.entries.push_back(std::move(e));
    }
    return m;
}

void ApplyMenuModel(const MenuModel &model, QMenuBar *bar)
{
    if (!bar)
        return;
    bar->clear();
    std::vector<QMenu *> popups(size_t(model.popupCount), nullptr);
    for (const MenuEntry &e : model.entries) {
        QWidget *parent = e.parent < 0 ? static_cast<QWidget *>(bar) : popups[size_t(e.parent)];
        switch (e.kind) {
        case MenuEntry::Kind::Popup: {
            auto *menu = new QMenu(e.caption, parent);
            parent->addAction(menu->menuAction());
            popups[size_t(e.popupNumber)] = menu;
            break;
        }
        case MenuEntry::Kind::Separator: {
            auto *a = new QAction(parent);
            a->setSeparator(true);
            parent->addAction(a);
            break;
        }
        case MenuEntry::Kind::GreyedPopup: {
            auto *a = new QAction(e.caption, parent);
            a->setEnabled(false);
            parent->addAction(a);
            break;
        }
        case MenuEntry::Kind::Command: {
            auto *a = new QAction(e.caption, parent);
            a->setData(e.slot);
            if (e.checked) {
                a->setCheckable(true);
                a->setChecked(true);
            }
            if (e.disabled) {
                a->setEnabled(false);
            } else {
                const int slot = e.slot;
                const bool checked = e.checked;
                QObject::connect(a, &QAction::triggered, a, [a, slot, checked] {
                    if (checked)
                        a->setChecked(true);   // a check mark, not a toggle
                    frame::mnu_submnu_Click(slot);
                });
            }
            parent->addAction(a);
            break;
        }
        }
    }
}

MenuModel ReadMenu(platform::db::Database &db)
{
    auto rs = db.query(QStringLiteral("select * from DBMainMenu order by IdMenuParent, Orderb"));
    QStringList unreadable;
    MenuModel model = BuildMenuModel(ReadMenuRows(rs, &unreadable));
    model.rowErrors = unreadable + model.rowErrors;
    return model;
}

bool BuildMainMenu(QMenuBar *bar)
{
    bool ok = false;
    frame::Guard(MainLabel, QStringLiteral("Form_Load"), [&] {
        auto db = Utility::GetDbConnection(QStringLiteral("Metadati.mdb"), QString(), platform::db::OpenMode::ReadOnly);
        if (!db)
            return;
        const MenuModel model = ReadMenu(*db);
        SetSlots(model.commandSlots);
        ApplyMenuModel(model, bar);
        ok = true;
        Utility_RQM::ErrorBatch batch([](int n) {
            return QStringLiteral("%1 voci del menu non sono valide e sono state tralasciate.").arg(n);
        });
        for (const QString &err : model.rowErrors)
            Utility_RQM::WriteErrorLog(MainLabel, QStringLiteral("BuildMainMenu"),
                                       QString::number(platform::err::SubscriptOutOfRange), err);
    });
    return ok;
}

} // namespace mdlMenu

namespace frame {

void mnu_submnu_Click(int index)
{
    const auto &commandSlots = mdlMenu::Slots();
    if (index < 1 || size_t(index) >= commandSlots.size())
        return;
    const mdlMenu::MenuSlot slot = commandSlots[size_t(index)];

    // The windows of the current database close before another one becomes current.
    Utility::CloseOtherForms(QString());

    if (index >= 2 && slot.dbName.contains(QLatin1String(".mdb"), Qt::CaseSensitive)) {
        gDbName = slot.dbName;
        gTipoDb = slot.tipoDb;
    }

    try {
        if (auto db = Utility::GetDbConnection(QStringLiteral("Metadati.mdb"), QString(), platform::db::OpenMode::ReadOnly)) {
            auto rs = db->query(QStringLiteral("Select * from DbConfigs"));
            for (; !rs.eof(); rs.moveNext())
                if (rs.text(0) == gDbName) {
                    gDescSelezione = rs.text(10);
                    break;
                }
        }
    } catch (...) {
        // The caption word stays as it was; the window opens all the same.
    }

    Guard(QStringLiteral("frmMainMDI"), QStringLiteral("mnu_submnu_Click"),
          [&] { OpenRegisteredForm(slot.formToOpen); });
}

} // namespace frame
