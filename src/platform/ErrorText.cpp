#include "platform/ErrorText.h"

#include <QRegularExpression>
#include <xlsxwriter.h>
#include <zip.h>

#include <vector>

namespace platform::errtext {

namespace {

// One message of the engine: its pattern (the names it carries captured) and
// the Italian text, where %1, %2 stand for the captures.
struct EngineMessage {
    const char *pattern;
    const char *text;
};

// Quotes the engine puts around names, dropped from the captures.
QString bare(QString name)
{
    name = name.trimmed();
    if (name.size() >= 2 &&
        (name.front() == u'"' || name.front() == u'\'' || name.front() == u'`' || name.front() == u'['))
        name = name.mid(1, name.size() - 2);
    return name;
}

const std::vector<EngineMessage> &engineMessages()
{
    static const std::vector<EngineMessage> table = {
        // Names the request refers to.
        {R"(^no such table: (.+)$)", "Impossibile trovare la tabella o la query '%1'."},
        {R"(^no such view: (.+)$)", "Impossibile trovare la query '%1'."},
        {R"(^no such column: (.+)$)", "Impossibile trovare il campo '%1'."},
        {R"(^no such function: (.+)$)", "Funzione non definita nell'espressione: '%1'."},
        {R"(^ambiguous column name: (.+)$)", "Il campo '%1' è presente in più tabelle della richiesta."},
        {R"(^(?:table|view) (.+) already exists$)", "La tabella o la query '%1' esiste già."},
        {R"(^no tables specified$)", "La richiesta non nomina alcuna tabella."},
        {R"(^wrong number of arguments to function (.+)\(\)$)", "Numero di argomenti errato per la funzione '%1'."},
        {R"(^misuse of aggregate(?: function)?:? (.+)\(\)$)", "Uso non valido della funzione di aggregazione '%1'."},
        // The form of the request.
        {R"(^near (.+): syntax error$)", "Errore di sintassi nella richiesta vicino a '%1'."},
        {R"(^unrecognized token: (.+)$)", "Simbolo non riconosciuto nella richiesta: '%1'."},
        {R"(^incomplete input$)", "La richiesta è incompleta."},
        {R"(^sub-select returns (\d+) columns - expected 1$)",
         "La sottoquery restituisce %1 campi, ne è atteso uno solo."},
        {R"(^SELECTs to the left and right of (\w+) do not have the same number of result columns$)",
         "Le parti della richiesta unite con %1 non hanno lo stesso numero di campi."},
        {R"(^a GROUP BY clause is required before HAVING$)", "La clausola HAVING richiede una clausola GROUP BY."},
        // The limits of the engine.
        {R"(^at most (\d+) tables in a join$)", "Troppe tabelle nella richiesta: al massimo %1 in un'unione."},
        {R"(^too many columns in result set$)", "Troppi campi nella richiesta."},
        {R"(^too many columns (?:on|in) (.+)$)", "Troppi campi nella richiesta (%1)."},
        {R"(^Expression tree is too large \(maximum depth (\d+)\)$)",
         "Espressione troppo complessa: troppi livelli annidati (al massimo %1)."},
        {R"(^parser stack overflow$)", "Richiesta troppo complessa: troppi livelli annidati."},
        {R"(^too many terms in compound SELECT$)", "Richiesta troppo complessa: troppe parti unite."},
        {R"(^too many terms in (.+)$)", "Richiesta troppo complessa: troppi termini (%1)."},
        {R"(^too many SQL variables$)", "Troppi parametri nella richiesta."},
        {R"(^too many arguments on function (.+)$)", "Troppi argomenti per la funzione '%1'."},
        {R"(^statement too long$)", "La richiesta è troppo lunga."},
        {R"(^string or blob too big$)", "Valore troppo grande."},
        // The data.
        {R"(^UNIQUE constraint failed: (.+)$)", "Valore duplicato nel campo %1."},
        {R"(^NOT NULL constraint failed: (.+)$)", "Il campo %1 non può essere vuoto."},
        {R"(^CHECK constraint failed: (.+)$)", "Valore non consentito dalla regola %1."},
        {R"(^FOREIGN KEY constraint failed$)", "Il valore non ha corrispondenza nella tabella collegata."},
        {R"(^datatype mismatch$)", "Tipo non corrispondente"},
        {R"(^integer overflow$)", "Overflow"},
        // The file and the machine.
        {R"(^database is locked$)", "Il database è bloccato da un altro utente o programma."},
        {R"(^database table is locked(?:: (.+))?$)", "La tabella è bloccata da un'altra operazione."},
        {R"(^database disk image is malformed$)", "Il database è danneggiato."},
        {R"(^file is not a database$)", "Il file non è un database riconosciuto."},
        {R"(^file is encrypted or is not a database$)", "Il file non è un database riconosciuto."},
        {R"(^disk I/O error$)", "Errore di lettura o scrittura sul disco."},
        {R"(^database or disk is full$)", "Spazio su disco o memoria temporanea insufficiente."},
        {R"(^attempt to write a readonly database$)", "Impossibile scrivere nel database: è di sola lettura."},
        {R"(^unable to open database file$)", "Impossibile aprire il file del database."},
        {R"(^unable to open database: (.+)$)", "Impossibile aprire il file del database."},
        {R"(^out of memory$)", "Memoria esaurita"},
        {R"(^interrupted$)", "Operazione interrotta."},
        {R"(^access permission denied$)", "Accesso negato al database."},
        {R"(^not authorized$)", "Operazione non autorizzata."},
    };
    return table;
}

} // namespace

QString database(const QString &engineMessage)
{
    const QString message = engineMessage.trimmed();
    for (const QString &own : {TypeMismatch, InvalidNull, InvalidArgument})
        if (message == own)
            return own;
    static const std::vector<QRegularExpression> patterns = [] {
        std::vector<QRegularExpression> out;
        for (const EngineMessage &m : engineMessages())
            out.emplace_back(QString::fromUtf8(m.pattern), QRegularExpression::CaseInsensitiveOption);
        return out;
    }();
    for (size_t i = 0; i < patterns.size(); ++i) {
        const QRegularExpressionMatch match = patterns[i].match(message);
        if (!match.hasMatch())
            continue;
        QString text = QString::fromUtf8(engineMessages()[i].text);
        for (int k = 1; k <= match.lastCapturedIndex(); ++k)
            text.replace(QStringLiteral("%") + QString::number(k), bare(match.captured(k)));
        return text;
    }
    return QStringLiteral("Errore del motore di database: la richiesta non è stata eseguita.");
}

QString zip(int code)
{
    switch (code) {
    case ZIP_ER_OK: return QStringLiteral("Nessun errore.");
    case ZIP_ER_MULTIDISK: return QStringLiteral("Gli archivi zip su più dischi non sono supportati.");
    case ZIP_ER_RENAME: return QStringLiteral("Impossibile rinominare il file temporaneo.");
    case ZIP_ER_CLOSE: return QStringLiteral("Impossibile chiudere l'archivio zip.");
    case ZIP_ER_SEEK: return QStringLiteral("Errore di posizionamento nel file.");
    case ZIP_ER_READ: return QStringLiteral("Errore di lettura del file.");
    case ZIP_ER_WRITE: return QStringLiteral("Errore di scrittura del file.");
    case ZIP_ER_CRC: return QStringLiteral("Dati danneggiati: il controllo di integrità (CRC) non corrisponde.");
    case ZIP_ER_ZIPCLOSED: return QStringLiteral("L'archivio zip è stato chiuso.");
    case ZIP_ER_NOENT: return QStringLiteral("Il file non esiste.");
    case ZIP_ER_EXISTS: return QStringLiteral("Il file esiste già.");
    case ZIP_ER_OPEN: return QStringLiteral("Impossibile aprire il file.");
    case ZIP_ER_TMPOPEN: return QStringLiteral("Impossibile creare un file temporaneo.");
    case ZIP_ER_ZLIB: return QStringLiteral("Dati compressi non validi.");
    case ZIP_ER_MEMORY: return QStringLiteral("Memoria esaurita");
    case ZIP_ER_CHANGED: return QStringLiteral("La voce dell'archivio è stata modificata.");
    case ZIP_ER_COMPNOTSUPP: return QStringLiteral("Metodo di compressione non supportato.");
    case ZIP_ER_EOF: return QStringLiteral("L'archivio è troncato: fine del file inattesa.");
    case ZIP_ER_INVAL: return QStringLiteral("Argomento non valido.");
    case ZIP_ER_NOZIP: return QStringLiteral("Il file non è un archivio zip.");
    case ZIP_ER_INTERNAL: return QStringLiteral("Errore interno della libreria zip.");
    case ZIP_ER_INCONS: return QStringLiteral("L'archivio zip è incoerente o danneggiato.");
    case ZIP_ER_REMOVE: return QStringLiteral("Impossibile eliminare il file.");
    case ZIP_ER_DELETED: return QStringLiteral("La voce dell'archivio è stata eliminata.");
    case ZIP_ER_ENCRNOTSUPP: return QStringLiteral("Metodo di cifratura non supportato.");
    case ZIP_ER_RDONLY: return QStringLiteral("L'archivio è di sola lettura.");
    case ZIP_ER_NOPASSWD: return QStringLiteral("Password non inserita.");
    case ZIP_ER_WRONGPASSWD: return QStringLiteral("Password errata.");
    case ZIP_ER_OPNOTSUPP: return QStringLiteral("Operazione non supportata.");
    case ZIP_ER_INUSE: return QStringLiteral("Risorsa ancora in uso.");
    case ZIP_ER_TELL: return QStringLiteral("Errore di posizionamento nel file.");
    case ZIP_ER_COMPRESSED_DATA: return QStringLiteral("Dati compressi non validi.");
    case ZIP_ER_CANCELLED: return QStringLiteral("Operazione annullata.");
    default: return QStringLiteral("Errore dell'archivio zip.");
    }
}

QString workbook(int code)
{
    switch (code) {
    case LXW_NO_ERROR: return QStringLiteral("Nessun errore.");
    case LXW_ERROR_MEMORY_MALLOC_FAILED: return QStringLiteral("Memoria esaurita");
    case LXW_ERROR_CREATING_XLSX_FILE:
        return QStringLiteral("Impossibile creare il file della cartella di lavoro: di solito manca il permesso di "
                              "scrivere nella cartella.");
    case LXW_ERROR_CREATING_TMPFILE:
        return QStringLiteral("Impossibile creare un file temporaneo: spazio su disco insufficiente o cartella "
                              "temporanea non scrivibile.");
    case LXW_ERROR_READING_TMPFILE: return QStringLiteral("Impossibile leggere un file temporaneo.");
    case LXW_ERROR_ZIP_FILE_OPERATION:
        return QStringLiteral("Errore di scrittura del file della cartella di lavoro: spazio su disco insufficiente "
                              "o accesso negato.");
    case LXW_ERROR_ZIP_PARAMETER_ERROR:
    case LXW_ERROR_ZIP_BAD_ZIP_FILE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return QStringLiteral("Errore nella compressione della cartella di lavoro.");
    case LXW_ERROR_FEATURE_NOT_SUPPORTED: return QStringLiteral("Funzione non supportata.");
    case LXW_ERROR_NULL_PARAMETER_IGNORED: return QStringLiteral("Valore mancante.");
    case LXW_ERROR_PARAMETER_VALIDATION: return QStringLiteral("Valore non valido.");
    case LXW_ERROR_SHEETNAME_LENGTH_EXCEEDED:
        return QStringLiteral("Il nome del foglio supera i 31 caratteri.");
    case LXW_ERROR_INVALID_SHEETNAME_CHARACTER:
        return QStringLiteral("Il nome del foglio contiene un carattere non consentito: [ ] : * ? / \\");
    case LXW_ERROR_SHEETNAME_START_END_APOSTROPHE:
        return QStringLiteral("Il nome del foglio non può iniziare o finire con un apostrofo.");
    case LXW_ERROR_SHEETNAME_ALREADY_USED: return QStringLiteral("Esiste già un foglio con questo nome.");
    case LXW_ERROR_32_STRING_LENGTH_EXCEEDED: return QStringLiteral("Il testo supera i 32 caratteri.");
    case LXW_ERROR_128_STRING_LENGTH_EXCEEDED: return QStringLiteral("Il testo supera i 128 caratteri.");
    case LXW_ERROR_255_STRING_LENGTH_EXCEEDED: return QStringLiteral("Il testo supera i 255 caratteri.");
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED: return QStringLiteral("Il testo supera la lunghezza massima di una cella.");
    case LXW_ERROR_SHARED_STRING_INDEX_NOT_FOUND: return QStringLiteral("Testo della cella non trovato.");
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE: return QStringLiteral("Cella fuori dai limiti del foglio.");
    case LXW_ERROR_WORKSHEET_MAX_URL_LENGTH_EXCEEDED: return QStringLiteral("Il collegamento è troppo lungo.");
    case LXW_ERROR_WORKSHEET_MAX_NUMBER_URLS_EXCEEDED: return QStringLiteral("Troppi collegamenti nel foglio.");
    case LXW_ERROR_IMAGE_DIMENSIONS: return QStringLiteral("Dimensioni dell'immagine non valide.");
    default: return QStringLiteral("Errore nella scrittura della cartella di lavoro.");
    }
}

} // namespace platform::errtext
