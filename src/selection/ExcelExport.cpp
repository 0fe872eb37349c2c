#include "selection/ExcelExport.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/WaitCursor.h"
#include "platform/Error.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "platform/db/Database.h"
#include "platform/grid/TextGrid.h"
#include "platform/xlsx/Workbook.h"
#include "selection/frm_dispData.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include <cmath>
#include <vector>

using platform::grid::TextGrid;
using platform::xlsx::Style;
using platform::xlsx::Worksheet;

namespace {

const QString Module = QStringLiteral("Utility");

// Value columns start after TipoTerritorio, COD_TERR, PROV, REG and Territorio.
constexpr int FirstValueCol = 5;

// The grid reordered with its redraw off and the window's flag set, however it ends.
class Sorting {
public:
    Sorting(TextGrid &grid, bool &flag) : m_grid(grid), m_flag(flag)
    {
        m_grid.setRedraw(false);
        m_flag = true;
    }
    ~Sorting()
    {
        m_grid.setRedraw(true);
        m_flag = false;
    }
    Sorting(const Sorting &) = delete;
    Sorting &operator=(const Sorting &) = delete;

private:
    TextGrid &m_grid;
    bool &m_flag;
};

QString quoted(const QString &text)
{
    QString t = text;
    return t.replace(u'\'', QStringLiteral("''"));
}

} // namespace

namespace ExcelExport {

const TemplateLayout *FindTemplate(const QString &name)
{
    static const std::vector<TemplateLayout> templates = {
        {QStringLiteral("DatiTemplateVar"), {QStringLiteral("Dati"), QStringLiteral("Metadati")}},
        {QStringLiteral("DatiTemplateInd"), {QStringLiteral("Dati"), QStringLiteral("Metadati")}},
    };
    for (const TemplateLayout &t : templates)
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

QString TemplateName(const QString &tipoDb)
{
    return tipoDb == QLatin1String("Variabili") ? QStringLiteral("DatiTemplateVar") : QStringLiteral("DatiTemplateInd");
}

QString ExportFileName(const QString &chosen)
{
    if (chosen.isEmpty() || chosen.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return chosen;
    if (chosen.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))
        return chosen.chopped(4) + QStringLiteral(".xlsx");
    if (chosen.endsWith(u'.'))
        return chosen + QStringLiteral("xlsx");
    return chosen + QStringLiteral(".xlsx");
}

QString NumberFormatOf(const QString &text)
{
    const QString t = text.trimmed();
    if (t.contains(u'e', Qt::CaseInsensitive))
        return {};
    const qsizetype point = t.lastIndexOf(platform::num::decimalPoint());
    const qsizetype decimals = point < 0 ? 0 : t.size() - point - 1;
    if (decimals <= 0)
        return QStringLiteral("0");
    return QStringLiteral("0.") + QString(std::min<qsizetype>(decimals, 15), u'0');
}

QStringList ItemList(const QStringList &headers)
{
    QStringList items;
    for (const QString &h : headers) {
        QString name = h;
        if (h.size() > 4 && platform::num::isNumeric(h.right(4)))
            name = h.left(h.size() - 5);
        if (!name.isEmpty() && !items.contains(name))
            items << name;
    }
    return items;
}

QString MetadataQuery(const QString &tipoDb, const QStringList &items)
{
    const QString s = tipoDb.left(tipoDb.size() - 1);
    QString sql;
    if (tipoDb == QLatin1String("Variabili")) {
        sql = QStringLiteral(
            "SELECT IdVariabile as Variabile, Settore.[Descrizione Settore] as Area, Argomento.[Codice argomento] as [Codice Sottoarea], "
            "Argomento.[Desc argomento] as Sottoarea, DescVariabile, Fonte, PubblRecente, Ente, UltimoAnnoDisponibile, "
            "[1996] , [1997], [1998], [1999], [2000], [2001], [2002], [2003], [2004], [2005], [2006], [2007], [2008], "
            "UnitaMisura, PeriodoRif, NoteSerie, Note_1996, Note_1997, Note_1998, Note_1999, Note_2000, "
            "Note_2001, Note_2002, Note_2003, Note_2004, Note_2005, Note_2006, Note_2007, Note_2008, Fonte_1996, "
            "Fonte_1997, Fonte_1998, Fonte_1999, Fonte_2000, Fonte_2001, Fonte_2002, Fonte_2003, Fonte_2004, Fonte_2005, "
            "Fonte_2006, Fonte_2007, Fonte_2008, Pubblicazione_1996, Pubblicazione_1997, Pubblicazione_1998, Pubblicazione_1999, "
            "Pubblicazione_2000, Pubblicazione_2001, Pubblicazione_2002, Pubblicazione_2003, Pubblicazione_2004, Pubblicazione_2005, "
            "Pubblicazione_2006, Pubblicazione_2007, Pubblicazione_2008, Ente_1996, Ente_1997, Ente_1998, Ente_1999, Ente_2000, "
            "Ente_2001, Ente_2002, Ente_2003, Ente_2004, Ente_2005, Ente_2006, Ente_2007, Ente_2008 "
            "FROM Settore INNER JOIN (Argomento INNER JOIN MetadatiVariabili ON Argomento.[Codice argomento] = MetadatiVariabili.CodiceArgomento) ON Settore.idSettore = Argomento.idSettore "
            "WHERE ");
    } else {
        sql = QStringLiteral(
            "SELECT IdIndicatore as Indicatore, Settore.[Descrizione Settore] as Area, Argomento.[Codice argomento] as [Codice Sottoarea], Argomento.[Desc argomento] as Sottoarea, "
            "DescIndicatore , ModalitaCalcolo, IdVariabilAssociate, [1996], [1997], [1998], [1999], [2000], [2001], [2002], [2003], "
            "[2004], [2005], [2006], [2007], [2008], NoteTecniche FROM (Argomento INNER JOIN MetadatiIndicatori ON Argomento.[Codice argomento] = MetadatiIndicatori.Argomento) "
            "INNER JOIN Settore ON Argomento.idSettore = Settore.idSettore WHERE ");
    }
    for (const QString &n : items)
        sql += QStringLiteral(" ID") + s + QStringLiteral("e ='") + quoted(n) + QStringLiteral("' OR ");
    sql = sql.trimmed();
    if (sql.endsWith(QLatin1String("OR")))
        sql.chop(2);
    return sql;
}

void WriteDataSheet(Worksheet &sheet, const TextGrid &grid, int rows)
{
    rows = std::min(rows, grid.Rows());
    const int cols = grid.Cols();
    if (rows < 1 || cols < 1 || grid.TextMatrix(0, 0).isEmpty())
        return;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const QString text = grid.TextMatrix(r, c);
            if (text.isEmpty())
                continue;
            if (r >= 1 && c >= FirstValueCol) {
                if (const auto v = platform::num::parse(text); v && std::isfinite(*v)) {
                    sheet.writeNumber(r, c, *v, NumberFormatOf(text));
                    continue;
                }
            }
            sheet.writeText(r, c, text, r == 0 ? Style::Header : Style::Normal);
        }
    }
}

void cmdEsportaXls_Click(frm_dispData &form)
{
    frame::Guard(&form, QStringLiteral("cmdEsportaXls_Click"),
                 [&] { EsportaTabella(form.datagrid(), &form, form.SortInProgress); });
}

void EsportaTabella(TextGrid &grid, QWidget *owner, bool &sortFlag)
{
    {
        // The table in territory code order; it stays so after the export.
        frame::WaitCursor wait;
        Sorting busy(grid, sortFlag);
        grid.setCol(1);
        grid.setSort(platform::grid::sort::GenericAscending);
    }
    Utility_RQM::CreateExcelFileDir();

    platform::Prompts &ui = platform::prompts();
    const QString chosen = ui.saveFile(QStringLiteral("Selezionare un file..."),
                                       QStringLiteral("File di Microsoft Excel. (*.xlsx)"), gExcelPath,
                                       /*confirmOverwrite=*/false);
    if (chosen.isEmpty())
        return;
    const QString file = ExportFileName(chosen);
    // An existing file is replaced only when the new workbook is complete.
    if (QFileInfo::exists(file) &&
        ui.msgBox(QStringLiteral("Il File esiste si vuole sovrascriverlo?"), platform::mb::YesNo + platform::mb::Question,
                  QStringLiteral("Creazione File Excel")) != platform::mb::Yes)
        return;

    if (Utility_RQM::CreateExcelFile(file, TemplateName(gTipoDb), grid.Rows(), grid))
        Utility_RQM::OpenFileExcel(owner, file);
}

} // namespace ExcelExport

namespace Utility_RQM {

void CreateExcelFileDir()
{
    frame::Guard(Module, QStringLiteral("CreateExcelFileDir"), [&] {
        if (QFileInfo(gExcelPath).isDir())
            return;
        if (gExcelPath.isEmpty() || !QDir().mkpath(gExcelPath))
            throw platform::RuntimeError(platform::err::PathNotFound,
                                         QStringLiteral("Impossibile creare la cartella \"%1\".")
                                             .arg(QDir::toNativeSeparators(gExcelPath)));
    });
}

bool CreateExcelFile(const QString &fileName, const QString &templateName, int rows, const TextGrid &grid)
{
    bool metadataOk = true;
    const bool ok = frame::Guard(Module, QStringLiteral("CreateExcelFile"), [&] {
        frame::WaitCursor wait;
        const ExcelExport::TemplateLayout *layout = ExcelExport::FindTemplate(templateName);
        if (!layout || layout->sheets.size() < 2)
            throw platform::RuntimeError(platform::err::FileNotFound,
                                         QStringLiteral("Modello di cartella di lavoro non trovato: %1").arg(templateName));
        platform::xlsx::Workbook book(fileName);
        for (const QString &name : layout->sheets)
            book.addSheet(name);
        Worksheet &data = book.sheet(0);
        Worksheet &meta = book.sheet(1);

        ExcelExport::WriteDataSheet(data, grid, rows);

        QStringList headers;
        if (rows >= 1 && grid.Rows() >= 1)
            for (int c = 0; c < grid.Cols(); ++c)
                headers << grid.TextMatrix(0, c);
        metadataOk = CopyRecordsMeta(ExcelExport::ItemList(headers), meta);

        data.autoFitColumns(0, grid.Cols() - 1);
        data.activate();
        book.save();
    });
    return ok && metadataOk;
}

bool CopyRecordsMeta(const QStringList &items, Worksheet &sheet)
{
    bool copied = true;
    const bool ok = frame::Guard(Module, QStringLiteral("CopyRecordsMeta"), [&] {
        if (items.isEmpty())
            return; // no item, nothing to look up
        auto db = platform::db::Database::open(gDbPath, QStringLiteral("Metadati.mdb"), platform::db::OpenMode::ReadOnly);
        platform::db::Recordset rs = db.query(ExcelExport::MetadataQuery(gTipoDb, items));
        copied = CopyRecords(rs, sheet);
        sheet.autoFitColumns(0, rs.fieldCount() - 1);
    });
    return ok && copied;
}

bool CopyRecords(platform::db::Recordset &rs, Worksheet &sheet)
{
    return frame::Guard(Module, QStringLiteral("CopyRecords"), [&] {
        using Type = platform::db::Value::Type;
        const int fields = rs.fieldCount();
        int k = 0;
        for (; !rs.eof(); rs.moveNext()) {
            if (k == 0) {
                for (int f = 0; f < fields; ++f)
                    sheet.writeText(0, f, rs.fieldName(f), Style::Header);
                k = 1;
            }
            for (int f = 0; f < fields; ++f) {
                const platform::db::Value &v = rs.field(f);
                switch (v.type()) {
                case Type::Null: break;
                case Type::Integer:
                case Type::Real: sheet.writeNumber(k, f, v.toDouble()); break;
                case Type::Boolean: sheet.writeBoolean(k, f, v.toBool()); break;
                case Type::Text: sheet.writeText(k, f, v.toString()); break;
                }
            }
            ++k;
        }
    });
}

void OpenFileExcel(QWidget *owner, const QString &fileName)
{
    frame::Guard(Module, QStringLiteral("OpenFileExcel"), [&] {
        platform::Prompts &ui = platform::prompts();
        if (ui.msgBox(QStringLiteral("Si desidera aprire il file adesso per consultarlo?"),
                      platform::mb::YesNo + platform::mb::Question) != platform::mb::Yes)
            return;
        switch (ShellOpenFile(owner, fileName)) {
        case ExcelExport::ShellFileNotFound:
            ui.msgBox(QStringLiteral("File non trovato o rovinato."), platform::mb::Critical);
            break;
        case ExcelExport::ShellNoAssociation:
            ui.msgBox(QStringLiteral("Non si dispone di un'applicazione che possa aprire il file!"), platform::mb::Critical,
                      QStringLiteral("Attenzione"));
            break;
        default: break;
        }
    });
}

long ShellOpenFile(QWidget *, const QString &fileName)
{
    try {
        switch (platform::shell::OpenFile(fileName)) {
        case platform::shell::OpenResult::Opened: return ExcelExport::ShellOpened;
        case platform::shell::OpenResult::FileNotFound: return ExcelExport::ShellFileNotFound;
        case platform::shell::OpenResult::NoApplication: return ExcelExport::ShellNoAssociation;
        }
        return 0;
    } catch (...) {
        // The user learns first that the file did not open, then the cause.
        platform::prompts().msgBox(QStringLiteral("Errore nell'apertura del file!"), platform::mb::Critical,
                                   QStringLiteral("Attenzione"));
        frame::LogCurrentException(Module, QStringLiteral("ShellOpenFile"));
        return 0;
    }
}

} // namespace Utility_RQM
