// The user's words for the errors of the database engine, the zip library and
// the workbook writer, and the library's own text kept for the error log.
#include "platform/ErrorText.h"
#include "platform/db/Database.h"
#include "test_common.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <xlsxwriter.h>
#include <zip.h>

using namespace platform;

TEST(ErrorText, EngineMessages)
{
    struct Case { QString engine; QString italian; };
    const Case cases[] = {
        {"no such table: glossario", "Impossibile trovare la tabella o la query 'glossario'."},
        {"no such table: main.DBMainMenu", "Impossibile trovare la tabella o la query 'main.DBMainMenu'."},
        {"no such column: \"Desc argomento\"", "Impossibile trovare il campo 'Desc argomento'."},
        {"no such function: Fromat", "Funzione non definita nell'espressione: 'Fromat'."},
        {"ambiguous column name: COD_TERR", QString::fromUtf8("Il campo 'COD_TERR' è presente in più tabelle della richiesta.")},
        {"table tMappa already exists", QString::fromUtf8("La tabella o la query 'tMappa' esiste già.")},
        {"near \"FROM\": syntax error", "Errore di sintassi nella richiesta vicino a 'FROM'."},
        {"unrecognized token: \"'abc\"", "Simbolo non riconosciuto nella richiesta: ''abc'."},
        {"incomplete input", QString::fromUtf8("La richiesta è incompleta.")},
        {"at most 64 tables in a join", "Troppe tabelle nella richiesta: al massimo 64 in un'unione."},
        {"too many columns in result set", "Troppi campi nella richiesta."},
        {"too many columns on t", "Troppi campi nella richiesta (t)."},
        {"Expression tree is too large (maximum depth 1000)",
         "Espressione troppo complessa: troppi livelli annidati (al massimo 1000)."},
        {"parser stack overflow", "Richiesta troppo complessa: troppi livelli annidati."},
        {"too many terms in compound SELECT", "Richiesta troppo complessa: troppe parti unite."},
        {"UNIQUE constraint failed: land_Ind.COD_TERR", "Valore duplicato nel campo land_Ind.COD_TERR."},
        {"NOT NULL constraint failed: tMappa.Valore", QString::fromUtf8("Il campo tMappa.Valore non può essere vuoto.")},
        {"database is locked", QString::fromUtf8("Il database è bloccato da un altro utente o programma.")},
        {"database disk image is malformed", QString::fromUtf8("Il database è danneggiato.")},
        {"file is not a database", QString::fromUtf8("Il file non è un database riconosciuto.")},
        {"database or disk is full", "Spazio su disco o memoria temporanea insufficiente."},
        {"attempt to write a readonly database", QString::fromUtf8("Impossibile scrivere nel database: è di sola lettura.")},
        {"out of memory", "Memoria esaurita"},
        // The program's own messages pass through.
        {"Tipo non corrispondente", "Tipo non corrispondente"},
        {"Uso non valido di Null", "Uso non valido di Null"},
        {"Chiamata di routine o argomento non validi", "Chiamata di routine o argomento non validi"},
        // Anything else is never shown in English.
        {"some future message of the engine", QString::fromUtf8("Errore del motore di database: la richiesta non è stata eseguita.")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.engine.toStdString());
        EXPECT_EQ(errtext::database(c.engine).toStdString(), c.italian.toStdString());
    }
}

TEST(ErrorText, EveryCodeOfTheLibrariesHasItsItalianText)
{
    // Texts that used to reach the user in English.
    EXPECT_EQ(errtext::zip(ZIP_ER_NOZIP).toStdString(), QString::fromUtf8("Il file non è un archivio zip.").toStdString());
    EXPECT_TRUE(errtext::zip(ZIP_ER_CRC).startsWith("Dati danneggiati"));
    EXPECT_TRUE(errtext::zip(ZIP_ER_INCONS).contains("incoerente"));
    EXPECT_TRUE(errtext::workbook(LXW_ERROR_CREATING_XLSX_FILE).startsWith("Impossibile creare il file"));

    // Every code has a text of its own, none the library's own.
    for (int code = ZIP_ER_OK; code <= ZIP_ER_CANCELLED; ++code) {
        SCOPED_TRACE(code);
        zip_error_t err;
        zip_error_init_with_code(&err, code);
        const QString english = QString::fromUtf8(zip_error_strerror(&err));
        zip_error_fini(&err);
        EXPECT_FALSE(errtext::zip(code).isEmpty());
        EXPECT_NE(errtext::zip(code), english);
        EXPECT_NE(errtext::zip(code), errtext::zip(-1)) << "code without a text of its own";
    }
    for (int code = LXW_NO_ERROR; code < LXW_MAX_ERRNO; ++code) {
        SCOPED_TRACE(code);
        EXPECT_NE(errtext::workbook(code), QString::fromUtf8(lxw_strerror(lxw_error(code))));
        EXPECT_NE(errtext::workbook(code), errtext::workbook(-1)) << "code without a text of its own";
    }
}

TEST(ErrorText, TheDatabaseRaisesTheItalianTextAndKeepsTheEngines)
{
    QTemporaryDir dir;
    auto db = db::Database::create(dir.path(), "Dati.mdb");
    db.execute("CREATE TABLE t (a INTEGER); INSERT INTO t VALUES (1)");
    struct Case { QString sql, description, detail; };
    const Case cases[] = {
        {"select * from glossario", "Impossibile trovare la tabella o la query 'glossario'.", "no such table: glossario"},
        {"select b from t", "Impossibile trovare il campo 'b'.", "no such column: b"},
        {"select CDbl('x') from t union select 1", "Tipo non corrispondente", "Tipo non corrispondente"},
    };
    for (const Case &c : cases) {
        const ptest::Failure f = ptest::failureOf([&] { db.query(c.sql); });
        EXPECT_EQ(f.text.toStdString(), c.description.toStdString());
        EXPECT_EQ(f.detail.toStdString(), c.detail.toStdString());
    }
}
