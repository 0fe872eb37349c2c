#include "platform/db/Database.h"
#include "platform/Error.h"
#include "platform/ErrorText.h"
#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/db/JetSql.h"
#include "platform/db/Links.h"
#include "platform/db/TextRules.h"

#include <QFileInfo>
#include <QUrl>
#include <sqlite3.h>

#include <array>
#include <atomic>
#include <optional>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>

namespace platform::db {

namespace {

// ---- functions of the Jet dialect ----------------------------------------

QString argText(sqlite3_value *v)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return p ? QString::fromUtf8(p, sqlite3_value_bytes(v)) : QString();
}

void resultText(sqlite3_context *ctx, const QString &s)
{
    const QByteArray b = s.toUtf8();
    sqlite3_result_text(ctx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

// The number held by an argument: numbers as they are, texts parsed in the
// user's locale. nullopt for a text that is not a number.
std::optional<double> argNumber(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return double(sqlite3_value_int64(v));
    case SQLITE_FLOAT: return sqlite3_value_double(v);
    default: return num::parse(argText(v));
    }
}

// The number of decimals of a Format() pattern: the digit places after its
// point ('0.00' -> 2).
int patternDecimals(sqlite3_value *pattern)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(pattern));
    const int n = sqlite3_value_bytes(pattern);
    int decimals = 0;
    const char *dot = p ? static_cast<const char *>(std::memchr(p, '.', size_t(n))) : nullptr;
    if (dot)
        for (const char *c = dot + 1; c < p + n && (*c == '0' || *c == '#'); ++c)
            ++decimals;
    return decimals;
}

// What a connection keeps for the statement it is running: the engine's
// instructions counted so far, and the writers of Format() by number of
// decimals, made with the user's decimal separator as read when the run
// starts (reading the locale for every value cost more than writing it).
struct RunState {
    qint64 used = 0;
    std::array<std::optional<num::FixedFormat>, 16> fixed;

    void start()
    {
        used = 0;
        for (auto &f : fixed)
            f.reset();
    }
};

// Format(value, '0.00'): fixed decimals in the user's locale; the number of
// decimals is the count of digit places after the point of the pattern. A
// number is written straight into the result, with no text built on the way.
void fnFormat(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const int decimals = patternDecimals(argv[1]);
    auto *run = static_cast<RunState *>(sqlite3_user_data(ctx));
    std::optional<num::FixedFormat> own;
    const num::FixedFormat &fixed = size_t(decimals) < run->fixed.size()
                                        ? (run->fixed[size_t(decimals)] ? *run->fixed[size_t(decimals)]
                                                                        : run->fixed[size_t(decimals)].emplace(decimals))
                                        : own.emplace(decimals);
    double v = 0;
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER: v = double(sqlite3_value_int64(argv[0])); break;
    case SQLITE_FLOAT: v = sqlite3_value_double(argv[0]); break;
    default: {
        const auto parsed = num::parse(argText(argv[0]));
        if (!parsed) {
            resultText(ctx, argText(argv[0]));
            return;
        }
        v = *parsed;
    }
    }
    char buf[64];
    const int n = fixed.write(v, buf, int(sizeof buf));
    if (n >= 0)
        sqlite3_result_text(ctx, buf, n, SQLITE_TRANSIENT);
    else
        resultText(ctx, fixed.text(v));
}

void fnCDbl(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_error(ctx, errtext::InvalidNull.toUtf8().constData(), -1);
        return;
    }
    const auto v = argNumber(argv[0]);
    if (!v) {
        sqlite3_result_error(ctx, errtext::TypeMismatch.toUtf8().constData(), -1);
        return;
    }
    sqlite3_result_double(ctx, *v);
}

void fnLeft(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { sqlite3_result_null(ctx); return; }
    const qint64 n = sqlite3_value_int64(argv[1]);
    if (n < 0) { sqlite3_result_error(ctx, errtext::InvalidArgument.toUtf8().constData(), -1); return; }
    resultText(ctx, argText(argv[0]).left(n));
}

void fnRight(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { sqlite3_result_null(ctx); return; }
    const qint64 n = sqlite3_value_int64(argv[1]);
    if (n < 0) { sqlite3_result_error(ctx, errtext::InvalidArgument.toUtf8().constData(), -1); return; }
    resultText(ctx, argText(argv[0]).right(n));
}

// InStr([start,] text, sought): 1-based position ignoring letter case and
// accents, 0 when absent.
void fnInStr(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    int start = 1;
    int a = 0;
    if (argc == 3) {
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { sqlite3_result_null(ctx); return; }
        start = int(sqlite3_value_int64(argv[0]));
        a = 1;
        if (start < 1) { sqlite3_result_error(ctx, errtext::InvalidArgument.toUtf8().constData(), -1); return; }
    }
    if (sqlite3_value_type(argv[a]) == SQLITE_NULL || sqlite3_value_type(argv[a + 1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString hay = text::foldUnits(argText(argv[a]));
    const QString sought = text::foldUnits(argText(argv[a + 1]));
    if (start > hay.size() + 1) { sqlite3_result_int(ctx, 0); return; }
    const qsizetype pos = hay.indexOf(sought, start - 1, Qt::CaseSensitive);
    sqlite3_result_int64(ctx, pos < 0 ? 0 : pos + 1);
}

void registerFunctions(sqlite3 *db, RunState *run)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "Format", 2, flags, run, fnFormat, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "CDbl", 1, flags, nullptr, fnCDbl, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "left", 2, flags, nullptr, fnLeft, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "right", 2, flags, nullptr, fnRight, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "InStr", 2, flags, nullptr, fnInStr, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "InStr", 3, flags, nullptr, fnInStr, nullptr, nullptr, nullptr);
    text::registerOn(db);
}

// ---- bounds of one request ------------------------------------------------

std::atomic<qint64> gEngineMemory{Limits{}.engineMemory};
std::atomic<qint64> gResultMemory{Limits{}.resultMemory};
std::atomic<qint64> gSteps{Limits{}.steps};

void applyEngineMemory()
{
    sqlite3_hard_heap_limit64(gEngineMemory.load());
}

// The engine tells the connection every StepGrain instructions; past the bound
// the statement is interrupted (nothing else interrupts a statement).
constexpr int StepGrain = 10000;

int onProgress(void *budget)
{
    auto *b = static_cast<RunState *>(budget);
    b->used += StepGrain;
    return b->used > gSteps.load() ? 1 : 0;
}

[[noreturn]] void overLimit(sqlite3 *db, const QString &what)
{
    const char *file = db ? sqlite3_db_filename(db, "main") : nullptr;
    throw RuntimeError(err::OutOfMemory,
                       QStringLiteral("Impossibile leggere il database '%1': la richiesta %2. Il file potrebbe essere "
                                      "danneggiato.")
                           .arg(file && *file ? QString::fromUtf8(file) : QStringLiteral("?"), what));
}

// ---- errors ---------------------------------------------------------------

bool isLimitError(int rc, const QString &msg)
{
    if (rc == SQLITE_TOOBIG)
        return true;
    static const char *const limits[] = {"tables in a join", "parser stack overflow", "too many columns",
                                         "Expression tree is too large", "too many terms", "too many SQL variables",
                                         "too many arguments", "statement too long"};
    for (const char *l : limits)
        if (msg.contains(QLatin1String(l), Qt::CaseInsensitive))
            return true;
    return false;
}

// The engine's own longest file path, in bytes; a longer one cannot be opened.
constexpr int MaxEnginePath = 510;

// The user's words for the failures of the file itself (read-only, locked,
// full disk, ...); "" for the others, whose engine message is kept.
QString fileFailure(int rc, const QString &file)
{
    const QString f = file.isEmpty() ? QStringLiteral("?") : file;
    switch (rc & 0xff) {
    case SQLITE_READONLY:
        return QStringLiteral("Impossibile scrivere nel database '%1': il file o la sua cartella sono di sola lettura.")
            .arg(f);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("Il database '%1' è bloccato da un altro utente o programma.").arg(f);
    case SQLITE_FULL:
        return QStringLiteral("Spazio su disco insufficiente per scrivere nel database '%1'.").arg(f);
    case SQLITE_IOERR:
        return QStringLiteral("Errore di lettura o scrittura sul disco per il database '%1'.").arg(f);
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("Accesso negato al database '%1'.").arg(f);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("Il file '%1' non è un database riconosciuto o è danneggiato.").arg(f);
    case SQLITE_CANTOPEN:
        if (QFileInfo(f).absoluteFilePath().toUtf8().size() > MaxEnginePath)
            return QStringLiteral("Impossibile aprire il database '%1': il percorso è troppo lungo. Spostare i "
                                  "file in una cartella con un percorso più breve.")
                .arg(f);
        return QStringLiteral("Impossibile aprire il database '%1'.").arg(f);
    default:
        return {};
    }
}

[[noreturn]] void raise(sqlite3 *db, int rc)
{
    if ((rc & 0xff) == SQLITE_NOMEM)
        overLimit(db, QStringLiteral("richiede troppa memoria"));
    if ((rc & 0xff) == SQLITE_INTERRUPT)
        overLimit(db, QStringLiteral("richiede troppo tempo"));
    // The engine's own message stays with the error for the log; the user reads ours.
    const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    if (isLimitError(rc, msg))
        throw RuntimeError(err::RequestTooComplex, errtext::database(msg), msg);
    // A file that cannot be opened here is an attached or temporary one, not
    // the connection's own: the engine's message is told for it.
    const char *file = db ? sqlite3_db_filename(db, "main") : nullptr;
    const QString own =
        (rc & 0xff) == SQLITE_CANTOPEN ? QString() : fileFailure(rc, file ? QString::fromUtf8(file) : QString());
    throw RuntimeError(err::DatabaseError, own.isEmpty() ? errtext::database(msg) : own, msg);
}

QString quoteIdent(const QString &name)
{
    QString q = name;
    q.replace(u'"', QLatin1String("\"\""));
    return u'"' + q + u'"';
}

QString quoteLiteral(const QString &s)
{
    QString q = s;
    q.replace(u'\'', QLatin1String("''"));
    return u'\'' + q + u'\'';
}

QString fileUri(const QString &path, bool readOnly)
{
    const QString abs = QFileInfo(path).absoluteFilePath();
    QString uri = QStringLiteral("file:") + QString::fromUtf8(QUrl::toPercentEncoding(abs, "/"));
    if (readOnly)
        uri += QStringLiteral("?mode=ro");
    return uri;
}

// The value of a column of the current row; `bytes` grows by what it costs
// read into a recordset.
Value columnValue(sqlite3_stmt *st, int i, bool boolean, qint64 &bytes)
{
    bytes += qint64(sizeof(Value));
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(st, i);
        return boolean ? Value::boolean(v != 0) : Value::integer(v);
    }
    case SQLITE_FLOAT: return Value::real(sqlite3_column_double(st, i));
    default: {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
        const int n = sqlite3_column_bytes(st, i);
        bytes += 2 * qint64(n);
        return Value::text(QString::fromUtf8(p, n));
    }
    }
}

bool isBooleanType(const QString &decl)
{
    return decl.compare(QLatin1String("BOOLEAN"), Qt::CaseInsensitive) == 0 ||
           decl.compare(QLatin1String("YESNO"), Qt::CaseInsensitive) == 0 ||
           decl.compare(QLatin1String("BIT"), Qt::CaseInsensitive) == 0;
}

void bind(sqlite3 *db, sqlite3_stmt *st, const std::vector<Value> &params)
{
    // A statement run before keeps its values: the parameters not given are Null.
    if (int(params.size()) < sqlite3_bind_parameter_count(st))
        sqlite3_clear_bindings(st);
    for (size_t i = 0; i < params.size(); ++i) {
        const int k = int(i) + 1;
        const Value &v = params[i];
        int rc = SQLITE_OK;
        switch (v.type()) {
        case Value::Type::Null: rc = sqlite3_bind_null(st, k); break;
        case Value::Type::Integer: rc = sqlite3_bind_int64(st, k, v.toInt()); break;
        case Value::Type::Real: rc = sqlite3_bind_double(st, k, v.toDouble()); break;
        case Value::Type::Boolean: rc = sqlite3_bind_int(st, k, v.toBool() ? 1 : 0); break;
        case Value::Type::Text: {
            const QByteArray b = v.toString().toUtf8();
            rc = sqlite3_bind_text(st, k, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        }
        if (rc != SQLITE_OK)
            raise(db, rc);
    }
}

bool onlyBlanks(const char *p, const char *end)
{
    for (; p < end; ++p)
        if (!std::isspace(static_cast<unsigned char>(*p)))
            return false;
    return true;
}

} // namespace

// ---- the connection ---------------------------------------------------------

struct Database::Impl {
    sqlite3 *db = nullptr;
    QString path;
    RunState budget;
    // Statements kept prepared for their next run, by their text as written,
    // the most recently used last; none of them is running.
    static constexpr size_t MaxKept = 16;
    bool keep = false;
    std::vector<std::pair<QString, sqlite3_stmt *>> kept;

    // One statement prepared for one run: reset and given back to the kept
    // ones, or finalized, when the run ends.
    struct Prepared {
        sqlite3_stmt *st = nullptr;
        Impl *keeper = nullptr;
        QString key;
        Prepared() = default;
        Prepared(const Prepared &) = delete;
        Prepared &operator=(const Prepared &) = delete;
        ~Prepared()
        {
            if (keeper)
                keeper->giveBack(std::move(key), st);
            else
                sqlite3_finalize(st);
        }
    };

    // The kept statement of `sql`, when there is one.
    bool takeKept(const QString &sql, Prepared &out)
    {
        if (!keep)
            return false;
        for (auto it = kept.begin(); it != kept.end(); ++it) {
            if (it->first == sql) {
                out.st = it->second;
                out.keeper = this;
                out.key = std::move(it->first);
                kept.erase(it);
                return true;
            }
        }
        return false;
    }

    // Prepares the statement that starts at `p` in `text` (the translation of
    // `sql`) and moves `p` past it. A statement that is the whole text is
    // kept after its run when the connection keeps its statements.
    void prepareNext(const QByteArray &text, const char *&p, const QString &sql, Prepared &out)
    {
        const char *end = text.constData() + text.size();
        const bool first = p == text.constData();
        const char *tail = nullptr;
        const int rc = sqlite3_prepare_v2(db, p, int(end - p), &out.st, &tail);
        if (rc != SQLITE_OK)
            raise(db, rc);
        p = tail ? tail : end;
        if (keep && out.st && first && onlyBlanks(p, end)) {
            out.keeper = this;
            out.key = sql;
        }
    }

    // The first statement of `sql`: its kept one, else prepared from the
    // translation (the engine keeps its own copy of the text).
    void prepareFirst(const QString &sql, Prepared &out)
    {
        if (takeKept(sql, out))
            return;
        const QByteArray text = jet::translate(sql).toUtf8();
        const char *p = text.constData();
        prepareNext(text, p, sql, out);
    }

    void giveBack(QString key, sqlite3_stmt *st)
    {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        kept.emplace_back(std::move(key), st);
        if (kept.size() > MaxKept) {
            sqlite3_finalize(kept.front().second);
            kept.erase(kept.begin());
        }
    }

    void forgetStatements()
    {
        for (auto &k : kept)
            sqlite3_finalize(k.second);
        kept.clear();
    }

    ~Impl()
    {
        forgetStatements();
        if (db)
            sqlite3_close_v2(db);
    }
};

Database::Database() = default;
Database::~Database() = default;
Database::Database(Database &&) noexcept = default;
Database &Database::operator=(Database &&) noexcept = default;

Limits limits()
{
    return {gEngineMemory.load(), gResultMemory.load(), gSteps.load()};
}

void setLimits(const Limits &l)
{
    gEngineMemory = l.engineMemory;
    gResultMemory = l.resultMemory;
    gSteps = l.steps;
    applyEngineMemory();
}

Database openResolvedFile(const QString &path, OpenMode mode, bool create)
{
    static const bool memoryBounded = (applyEngineMemory(), true);
    (void)memoryBounded;
    Database out;
    sqlite3 *db = nullptr;
    // A connection is only ever used by the thread that opened it: the engine
    // need not lock it around every call.
    int flags = SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX |
                (mode == OpenMode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
    if (create)
        flags |= SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(fileUri(path, false).toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        const int code = db ? sqlite3_errcode(db) : rc;
        sqlite3_close_v2(db);
        const QString own = fileFailure(code, path);
        throw RuntimeError(err::DatabaseError,
                           own.isEmpty() ? QStringLiteral("Impossibile aprire il database '%1': %2")
                                               .arg(path, errtext::database(msg))
                                         : own,
                           msg);
    }
    sqlite3_extended_result_codes(db, 0);
    sqlite3_busy_timeout(db, 2000);
    // Prove that the file is a database now rather than at the first query.
    char *errmsg = nullptr;
    const int check = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master; PRAGMA temp_store=MEMORY;", nullptr,
                                   nullptr, &errmsg);
    if (check != SQLITE_OK) {
        const QString engine = errmsg ? QString::fromUtf8(errmsg) : QString::fromUtf8(sqlite3_errstr(check));
        sqlite3_free(errmsg);
        sqlite3_close_v2(db);
        // A file locked or unreadable right now is not called a foreign file.
        const QString own = check == SQLITE_NOTADB || check == SQLITE_CORRUPT || check == SQLITE_ERROR
                                ? QString()
                                : fileFailure(check, path);
        throw RuntimeError(err::DatabaseError,
                           own.isEmpty() ? QStringLiteral("Il file '%1' non è un database riconosciuto.").arg(path) : own,
                           engine);
    }
    out.d_ptr_init(db, path);
    return out;
}

void Database::d_ptr_init(sqlite3 *db, const QString &path)
{
    d = std::make_unique<Impl>();
    d->db = db;
    d->path = path;
    sqlite3_progress_handler(db, StepGrain, onProgress, &d->budget);
    registerFunctions(db, &d->budget);
}

void Database::attachLinks()
{
    const QString fileName = QFileInfo(d->path).fileName();
    const std::vector<Link> links = Links::forHolder(fileName);
    if (links.empty())
        return;
    std::map<QString, QString> schemaOf;   // source file (lower case) -> schema name
    std::map<QString, QString> sourceFile; // schema name -> source file
    // A failure of the source file itself (damaged, locked, unreadable) is
    // told by the source's name: it happens on the holder's connection, whose
    // own name the engine would otherwise give.
    const auto inSource = [&](const QString &src, const auto &step) {
        try {
            step();
        } catch (const RuntimeError &e) {
            const QString own = fileFailure(sqlite3_errcode(d->db), src);
            if (own.isEmpty())
                throw;
            throw RuntimeError(err::DatabaseError, own, e.detail());
        }
    };
    for (const Link &l : links) {
        const QString key = l.sourceFile.toLower();
        if (!schemaOf.count(key)) {
            if (!files::staysInside(Links::folder(), l.sourceFile))
                throw RuntimeError(err::PathNotFound,
                                   QStringLiteral("Il collegamento della tabella '%1' nomina un file fuori dalla "
                                                  "cartella dei Database.")
                                       .arg(l.table));
            const QString src = files::resolve(Links::folder(), l.sourceFile);
            if (src.isEmpty())
                throw RuntimeError(err::FileNotFound,
                                   QStringLiteral("Impossibile trovare il file '%1'.").arg(Links::folder() + l.sourceFile));
            const QString schema = QStringLiteral("lnk%1").arg(schemaOf.size());
            sourceFile[schema] = src;
            inSource(src, [&] {
                execute(QStringLiteral("ATTACH DATABASE %1 AS %2").arg(quoteLiteral(fileUri(src, true)), schema));
            });
            schemaOf[key] = schema;
        }
        const QString schema = schemaOf[key];
        Recordset rs;
        inSource(sourceFile[schema], [&] {
            rs = query(QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type IN ('table','view') AND "
                                      "name = %2 COLLATE NOCASE")
                           .arg(schema, quoteLiteral(l.table)));
        });
        if (rs.eof())
            throw RuntimeError(err::DatabaseError, QStringLiteral("La tabella '%1' non esiste nel database '%2'.")
                                                       .arg(l.table, l.sourceFile));
        execute(QStringLiteral("CREATE TEMP VIEW %1 AS SELECT * FROM %2.%3")
                    .arg(quoteIdent(l.table), schema, quoteIdent(rs.text(0))));
    }
}

Database Database::openPath(const QString &path, OpenMode mode)
{
    const QFileInfo fi(path);
    const QString real = files::resolve(fi.path(), fi.fileName());
    if (real.isEmpty() || QFileInfo(real).isDir())
        throw RuntimeError(err::FileNotFound, QStringLiteral("Impossibile trovare il file '%1'.").arg(path));
    Database db = openResolvedFile(real, mode, false);
    db.attachLinks();
    return db;
}

Database Database::open(const QString &folder, const QString &fileName, OpenMode mode)
{
    return openPath(files::withSep(folder) + fileName, mode);
}

Database Database::openConnectionString(const QString &connection, OpenMode mode)
{
    const qsizetype at = connection.indexOf(QLatin1String("Dbq="), 0, Qt::CaseInsensitive);
    if (at < 0)
        throw RuntimeError(err::DatabaseError,
                           QStringLiteral("Stringa di connessione non valida: manca il nome del file."));
    QString path = connection.mid(at + 4);
    const qsizetype semi = path.indexOf(u';');
    if (semi >= 0)
        path.truncate(semi);
    return openPath(path.trimmed(), mode);
}

Database Database::create(const QString &folder, const QString &fileName)
{
    QString real = files::resolve(folder, fileName);
    if (real.isEmpty()) {
        real = files::withSep(folder) + fileName;
        const QFileInfo dir(folder);
        if (!dir.isDir() || !dir.isWritable())
            throw RuntimeError(err::DatabaseError,
                               QStringLiteral("Impossibile creare il database '%1': la cartella non esiste o è di "
                                              "sola lettura.")
                                   .arg(real));
    }
    Database db = openResolvedFile(real, OpenMode::ReadWrite, true);
    db.attachLinks();
    return db;
}

Database Database::openFileOnly(const QString &path, OpenMode mode)
{
    if (!QFileInfo(path).isFile())
        throw RuntimeError(err::FileNotFound, QStringLiteral("Impossibile trovare il file '%1'.").arg(path));
    return openResolvedFile(path, mode, false);
}

QString Database::checkFile(const QString &path)
{
    Database db;
    try {
        db = openFileOnly(path, OpenMode::ReadOnly);
    } catch (const RuntimeError &) {
        return QStringLiteral("non è un database riconosciuto");
    }
    try {
        Recordset rs = db.query(QStringLiteral("PRAGMA quick_check"));
        if (rs.eof() || rs.text(0) != QLatin1String("ok"))
            return QStringLiteral("è danneggiato");
    } catch (const RuntimeError &) {
        return QStringLiteral("è danneggiato");
    }
    return {};
}

bool Database::isOpen() const { return d && d->db; }

void Database::close() { d.reset(); }

QString Database::path() const { return d ? d->path : QString(); }

sqlite3 *Database::handle() const { return d ? d->db : nullptr; }

QString Database::translate(const QString &jetSql) { return jet::translate(jetSql); }

static void requireOpen(const Database &db)
{
    if (!db.isOpen())
        throw RuntimeError(3704, QStringLiteral("Operazione non consentita se l'oggetto è chiuso."));
}

Recordset Database::query(const QString &sql)
{
    requireOpen(*this);
    Impl::Prepared s;
    d->prepareFirst(sql, s);
    if (!s.st)
        return {};
    d->budget.start();
    // The columns are read after the first step: a kept statement is
    // prepared anew there when the tables changed in the meantime.
    int rc = sqlite3_step(s.st);
    const int cols = sqlite3_column_count(s.st);
    QStringList names;
    std::vector<QString> decl;
    std::vector<bool> boolean;
    names.reserve(cols);
    decl.reserve(size_t(cols));
    for (int i = 0; i < cols; ++i) {
        names << QString::fromUtf8(sqlite3_column_name(s.st, i));
        const char *dt = sqlite3_column_decltype(s.st, i);
        decl.push_back(dt ? QString::fromUtf8(dt) : QString());
        boolean.push_back(isBooleanType(decl.back()));
    }
    std::vector<Value> cells;
    const qint64 maxBytes = gResultMemory.load();
    qint64 bytes = 0;
    for (; rc == SQLITE_ROW; rc = sqlite3_step(s.st)) {
        for (int i = 0; i < cols; ++i)
            cells.push_back(columnValue(s.st, i, boolean[size_t(i)], bytes));
        if (bytes > maxBytes)
            overLimit(d->db, QStringLiteral("produce troppi dati"));
    }
    if (rc != SQLITE_DONE)
        raise(d->db, rc);
    return Recordset(std::move(names), std::move(decl), std::move(cells));
}

// Runs a prepared statement to its end; returns the rows it changed.
static qint64 runToEnd(sqlite3 *db, sqlite3_stmt *st)
{
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        raise(db, rc);
    return sqlite3_changes64(db);
}

qint64 Database::execute(const QString &sql)
{
    requireOpen(*this);
    {
        Impl::Prepared s;
        if (d->takeKept(sql, s)) {
            d->budget.start();
            return runToEnd(d->db, s.st);
        }
    }
    const QByteArray text = translate(sql).toUtf8();
    const char *p = text.constData();
    const char *end = p + text.size();
    qint64 changes = 0;
    while (p < end) {
        Impl::Prepared s;
        d->prepareNext(text, p, sql, s);
        if (!s.st)
            continue;
        d->budget.start();
        changes += runToEnd(d->db, s.st);
    }
    return changes;
}

qint64 Database::execute(const QString &sql, const std::vector<Value> &params)
{
    requireOpen(*this);
    Impl::Prepared s;
    d->prepareFirst(sql, s);
    if (!s.st)
        return 0;
    bind(d->db, s.st, params);
    d->budget.start();
    return runToEnd(d->db, s.st);
}

void Database::executeMany(const QString &sql, const std::vector<std::vector<Value>> &rows)
{
    requireOpen(*this);
    auto run = [&] {
        Impl::Prepared s;
        d->prepareFirst(sql, s);
        if (!s.st)
            return;
        for (const auto &row : rows) {
            sqlite3_reset(s.st);
            bind(d->db, s.st, row);
            d->budget.start();
            runToEnd(d->db, s.st);
        }
    };
    if (sqlite3_get_autocommit(d->db))
        transaction(run);
    else
        run(); // inside the caller's transaction, which commits or rolls back
}

void Database::transaction(const std::function<void()> &work)
{
    requireOpen(*this);
    execute(QStringLiteral("BEGIN"));
    try {
        work();
        execute(QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(d->db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

// The names of the file's objects of the kinds in `types`, tables before views,
// each kind in the order it was made. The engine's own ("sqlite_" in any
// letter case, a prefix it keeps for itself) are left out.
static QStringList namesOf(Database &db, const char *types)
{
    QStringList out;
    Recordset rs = db.query(QStringLiteral("SELECT name FROM main.sqlite_master WHERE type IN (%1) AND substr(name, 1, 7) "
                                           "COLLATE NOCASE <> 'sqlite_' ORDER BY type = 'view', rowid")
                                .arg(QLatin1String(types)));
    for (; !rs.eof(); rs.moveNext())
        out << rs.text(0);
    return out;
}

void Database::keepStatements(bool keep)
{
    requireOpen(*this);
    d->keep = keep;
    if (!keep)
        d->forgetStatements();
}

QStringList Database::tables() const { return namesOf(const_cast<Database &>(*this), "'table'"); }

QStringList Database::views() const { return namesOf(const_cast<Database &>(*this), "'view'"); }

QStringList Database::tablesAndViews() const { return namesOf(const_cast<Database &>(*this), "'table', 'view'"); }

bool Database::dropView(const QString &exactName)
{
    if (!views().contains(exactName, Qt::CaseSensitive))
        return false;
    execute(QStringLiteral("DROP VIEW main.%1").arg(quoteIdent(exactName)));
    return true;
}

bool Database::dropTable(const QString &exactName)
{
    if (!tables().contains(exactName, Qt::CaseSensitive))
        return false;
    execute(QStringLiteral("DROP TABLE main.%1").arg(quoteIdent(exactName)));
    return true;
}

} // namespace platform::db
