#include "platform/xlsx/Workbook.h"
#include "platform/Error.h"
#include "platform/ErrorText.h"
#include "platform/Files.h"
#include "platform/xlsx/WorkbookLibrary.h"
#include "platform/zip/ZipLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <pugixml.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace platform::xlsx {

namespace {

[[noreturn]] void fail(const QString &what, const QString &detail = {})
{
    throw RuntimeError(FileAccessError, what, detail);
}

// The writer's own text of an error, kept for the error log.
QString lxwText(lxw_error e) { return QString::fromUtf8(functions().lxw_strerror(e)); }

[[noreturn]] void fail(lxw_error e)
{
    fail(errtext::workbook(e), lxwText(e));
}

// The library checks its own writes only in part (its scratch files, the
// archive): on a full disk it can finish a workbook cut short and report no
// error. A workbook is put in place only when it reads back whole: every part
// of the archive with its checksum, every XML part complete.
bool readsBackWhole(const QByteArray &bytes)
{
    const zip::Functions &z = zip::functions();
    zip_error_t error;
    z.zip_error_init(&error);
    zip_source_t *source = z.zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    zip_t *archive = source ? z.zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
    z.zip_error_fini(&error);
    if (!archive) {
        if (source)
            z.zip_source_free(source);
        return false;
    }
    const zip_int64_t count = z.zip_get_num_entries(archive, 0);
    bool whole = count > 0;
    QByteArray part;
    for (zip_int64_t i = 0; whole && i < count; ++i) {
        zip_file_t *f = z.zip_fopen_index(archive, zip_uint64_t(i), 0);
        if (!f) {
            whole = false;
            break;
        }
        part.clear();
        char buffer[1 << 14];
        zip_int64_t n = 0;
        while ((n = z.zip_fread(f, buffer, sizeof buffer)) > 0)
            part.append(buffer, qsizetype(n));
        whole = n == 0 && z.zip_fclose(f) == 0;
        const QString name = QString::fromUtf8(z.zip_get_name(archive, zip_uint64_t(i), 0));
        if (whole && (name.endsWith(QLatin1String(".xml")) || name.endsWith(QLatin1String(".rels")))) {
            pugi::xml_document doc;
            whole = bool(doc.load_buffer(part.constData(), size_t(part.size())));
        }
    }
    z.zip_discard(archive);
    return whole;
}

// At most MaxTextLength characters, never ending inside a surrogate pair.
QString fitText(const QString &text)
{
    if (text.size() <= MaxTextLength)
        return text;
    QString t = text.left(MaxTextLength);
    if (!t.isEmpty() && t.back().isHighSurrogate())
        t.chop(1);
    return t;
}

int longestLine(const QString &text)
{
    int widest = 0;
    for (const QString &line : text.split(u'\n'))
        widest = std::max(widest, int(line.size()));
    return widest;
}

} // namespace

// ---- Worksheet ----------------------------------------------------------------------------

Worksheet::Worksheet(Workbook &book, lxw_worksheet *sheet, const QString &name)
    : m_book(book), m_sheet(sheet), m_name(name)
{
}

void Worksheet::check(int row, int col) const
{
    m_book.checkOpen();
    if (row < 0 || row >= MaxRows || col < 0 || col >= MaxCols)
        throw RuntimeError(err::SubscriptOutOfRange,
                           QStringLiteral("Cella fuori dai limiti del foglio (riga %1, colonna %2).")
                               .arg(row + 1)
                               .arg(col + 1));
}

lxw_format *Worksheet::format(Style style) const
{
    return style == Style::Header ? m_book.m_header : nullptr;
}

void Worksheet::note(int col, int chars)
{
    int &w = m_widest[col];
    w = std::max(w, chars);
}

void Worksheet::writeText(int row, int col, const QString &text, Style style)
{
    const Functions &x = functions();
    check(row, col);
    if (text.isEmpty())
        return;
    const QString t = fitText(text);
    const lxw_error e = x.worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(col),
                                                 t.toUtf8().constData(), format(style));
    if (e != LXW_NO_ERROR)
        fail(e);
    note(col, longestLine(t) + (style == Style::Header ? 1 : 0));
}

void Worksheet::writeNumber(int row, int col, double value, Style style)
{
    // The General format shows at most about eleven characters of a number.
    writeNumberAs(row, col, value, format(style), int(QString::number(value, 'g', 10).size()));
}

void Worksheet::writeNumber(int row, int col, double value, const QString &numberFormat)
{
    if (numberFormat.isEmpty()) {
        writeNumber(row, col, value);
        return;
    }
    // As wide as the number with the format's decimals.
    const int point = int(numberFormat.indexOf(u'.'));
    const int decimals = point < 0 ? 0 : int(numberFormat.size()) - point - 1;
    const int chars = std::isfinite(value) ? int(QString::number(value, 'f', std::clamp(decimals, 0, 30)).size()) : 0;
    writeNumberAs(row, col, value, m_book.numberFormat(numberFormat), chars);
}

void Worksheet::writeNumberAs(int row, int col, double value, lxw_format *fmt, int shownChars)
{
    const Functions &x = functions();
    check(row, col);
    if (!std::isfinite(value))
        throw RuntimeError(err::TypeMismatch, QStringLiteral("Valore numerico non valido."));
    const lxw_error e = x.worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(col), value, fmt);
    if (e != LXW_NO_ERROR)
        fail(e);
    note(col, shownChars);
}

void Worksheet::writeBoolean(int row, int col, bool value, Style style)
{
    const Functions &x = functions();
    check(row, col);
    const lxw_error e = x.worksheet_write_boolean(m_sheet, lxw_row_t(row), lxw_col_t(col), value ? 1 : 0,
                                                  format(style));
    if (e != LXW_NO_ERROR)
        fail(e);
    note(col, 5);
}

void Worksheet::setColumnWidth(int col, double width)
{
    const Functions &x = functions();
    check(0, col);
    const lxw_error e = x.worksheet_set_column(m_sheet, lxw_col_t(col), lxw_col_t(col),
                                               std::clamp(width, 0.0, MaxColumnWidth), nullptr);
    if (e != LXW_NO_ERROR)
        fail(e);
}

void Worksheet::autoFitColumns(int firstCol, int lastCol)
{
    for (auto it = m_widest.lower_bound(firstCol); it != m_widest.end() && it->first <= lastCol; ++it)
        setColumnWidth(it->first, std::min(MaxColumnWidth, it->second + 2.0));
}

void Worksheet::activate()
{
    const Functions &x = functions();
    m_book.checkOpen();
    x.worksheet_activate(m_sheet);
}

// ---- Workbook --------------------------------------------------------------------------------

Workbook::Workbook(const QString &targetPath) : m_target(QFileInfo(targetPath).absoluteFilePath())
{
    if (targetPath.isEmpty())
        fail(QStringLiteral("Nome del file mancante."));
    // The libraries are loaded here, the first time a workbook is made: one
    // that is missing stops the workbook before anything is made.
    const Functions &x = functions();
    zip::functions();
    // The library writes the workbook, and its own scratch files, in a folder
    // of ours; nothing is written beside the target before save().
    m_scratch = std::make_unique<QTemporaryDir>();
    if (!m_scratch->isValid())
        fail(QStringLiteral("Impossibile creare la cartella di lavoro: %1").arg(m_scratch->errorString()));
    m_temp = m_scratch->filePath(QStringLiteral("cartella.xlsx"));
    QByteArray scratchDir = QFile::encodeName(m_scratch->path());
    lxw_workbook_options options{};
    options.tmpdir = scratchDir.data();
    m_book = x.workbook_new_opt(QFile::encodeName(m_temp).constData(), &options);
    if (!m_book)
        fail(QStringLiteral("Impossibile creare la cartella di lavoro."));
    m_header = x.workbook_add_format(m_book);
    x.format_set_bold(m_header);
}

Workbook::~Workbook()
{
    if (m_book)
        functions().lxw_workbook_free(m_book);   // resolved when the workbook was made
}

lxw_format *Workbook::numberFormat(const QString &code)
{
    const Functions &x = functions();
    checkOpen();
    lxw_format *&f = m_numberFormats[code];
    if (!f) {
        f = x.workbook_add_format(m_book);
        if (!f)
            fail(QStringLiteral("Impossibile creare il formato numerico \"%1\".").arg(code));
        x.format_set_num_format(f, code.toUtf8().constData());
    }
    return f;
}

void Workbook::checkOpen() const
{
    if (!m_book)
        fail(QStringLiteral("La cartella di lavoro è già stata chiusa."));
}

Worksheet &Workbook::addSheet(const QString &name)
{
    const Functions &x = functions();
    checkOpen();
    const QByteArray utf8 = name.toUtf8();
    const lxw_error e = name.isEmpty() ? LXW_ERROR_NULL_PARAMETER_IGNORED
                                       : x.workbook_validate_sheet_name(m_book, utf8.constData());
    if (e != LXW_NO_ERROR)
        fail(QStringLiteral("Nome di foglio non valido: \"%1\" (%2).").arg(name, errtext::workbook(e)), lxwText(e));
    lxw_worksheet *ws = x.workbook_add_worksheet(m_book, utf8.constData());
    if (!ws)
        fail(QStringLiteral("Impossibile aggiungere il foglio \"%1\".").arg(name));
    m_sheets.push_back(std::unique_ptr<Worksheet>(new Worksheet(*this, ws, name)));
    return *m_sheets.back();
}

Worksheet &Workbook::sheet(int index)
{
    if (index < 0 || index >= sheetCount())
        throw RuntimeError(err::SubscriptOutOfRange, QStringLiteral("Foglio %1 inesistente.").arg(index + 1));
    return *m_sheets[size_t(index)];
}

void Workbook::save()
{
    const Functions &x = functions();
    checkOpen();
    const QString folder = QFileInfo(m_target).absolutePath();
    if (!QFileInfo(folder).isDir())
        fail(QStringLiteral("Impossibile scrivere il file \"%1\": la cartella \"%2\" non esiste.")
                 .arg(QDir::toNativeSeparators(m_target), QDir::toNativeSeparators(folder)));
    lxw_workbook *book = std::exchange(m_book, nullptr); // workbook_close frees it
    const lxw_error e = x.workbook_close(book);
    if (e != LXW_NO_ERROR)
        fail(QStringLiteral("Impossibile scrivere il file \"%1\": %2")
                 .arg(QDir::toNativeSeparators(m_target), errtext::workbook(e)),
             lxwText(e));
    QFile written(m_temp);
    const QByteArray bytes = written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
    written.close();
    m_scratch.reset();
    if (!readsBackWhole(bytes))
        fail(files::writeErrorText(m_target, EIO));
    QString error;
    if (!files::writeAtomic(m_target, bytes, &error))
        fail(error);
}

} // namespace platform::xlsx
