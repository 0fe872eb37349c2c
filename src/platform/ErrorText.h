#pragma once
// The user's words for the errors of the libraries the program builds on: the
// database engine, the zip library and the workbook writer. Every message that
// can reach a user is in Italian; the library's own (English) text stays with
// the error as its detail, for the error log.
#include <QString>
#include <QStringList>

namespace platform::errtext {

// The messages that the program's own SQL functions raise inside the engine.
// They are already in the user's words and pass through unchanged.
inline const QString TypeMismatch = QStringLiteral("Tipo non corrispondente");
inline const QString InvalidNull = QStringLiteral("Uso non valido di Null");
inline const QString InvalidArgument = QStringLiteral("Chiamata di routine o argomento non validi");

// The Italian text for a message of the database engine ("no such table: x",
// "at most 64 tables in a join", ...). A message that is not known gives a
// general text; one of the program's own messages is returned as it is.
QString database(const QString &engineMessage);

// The Italian text for an error code of the zip library (ZIP_ER_...).
QString zip(int zipErrorCode);

// The Italian text for an error code of the workbook writer (lxw_error).
QString workbook(int workbookErrorCode);

} // namespace platform::errtext
