#pragma once
// File names resolved case-insensitively within their folder, and small text-file helpers.
#include <QString>
#include <QStringList>

namespace platform::files {

// The folder separator the program uses in every folder it stores ("/" here).
inline constexpr QChar Sep = u'/';

// Appends one separator when the folder does not end with one; "" stays "".
QString withSep(const QString &folder);

// The real path of `name` inside `folder`: an exact match first, then a
// case-insensitive match among the folder's entries. "" when nothing matches.
// `name` may hold sub-folders ("Help/Trambelo.html"); each part is resolved.
QString resolve(const QString &folder, const QString &name);

// True when resolve() finds the file (or folder).
bool existsIn(const QString &folder, const QString &name);

// True when `name` matches the wildcard `pattern`, letter case ignored: `*`
// stands for any run of characters, `?` for one character.
bool wildcardMatch(QStringView name, QStringView pattern);

// The files of `folder` whose names match the wildcard `pattern` ("*.shp"),
// ignoring letter case, sorted by name.
QStringList find(const QString &folder, const QString &pattern);

// Reads a whole 8-bit text file: UTF-8 when it is valid UTF-8, else the
// Windows Western code page (1252: the euro sign, typographic quotes and dashes
// in 0x80-0x9F, Latin-1 above). Returns false when the file cannot be read.
bool readText(const QString &path, QString &text);
// The text of bytes in the Windows Western code page (1252).
QString fromWindows1252(const QByteArray &bytes);

// True when the file name `name` stays inside `folder`: false for an absolute
// name, a name climbing out with "..", or one whose existing part leads
// outside through a symbolic link. A name that does not exist yet is judged by
// the part of it that exists.
bool staysInside(const QString &folder, const QString &name);
// resolve() for a name that staysInside() the folder; "" otherwise.
QString resolveInside(const QString &folder, const QString &name);
// True when `path` (existing or not) lies inside `folder` once every symbolic
// link of its existing part is followed.
bool isInside(const QString &folder, const QString &path);

// Writes `bytes` to `path` all or nothing: into a temporary file beside it,
// every byte written, flushed to the disk and its size checked, then renamed
// over `path`. On any failure `path` is left as it was, the temporary file is
// removed and `error` (when given) holds an Italian reason that names the file.
// Temporary files left by an earlier save of the same file that was cut short
// are removed first. A symbolic link at `path` is replaced by the file. Any
// name the file system takes can be written, the longest included.
bool writeAtomic(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Writes `text` (UTF-8) to `path` with writeAtomic().
bool writeTextAtomic(const QString &path, const QString &text, QString *error = nullptr);

// The Italian reason for a failed write of `path` with the system error `errnum`.
QString writeErrorText(const QString &path, int errnum);

// Appends `text` (UTF-8) to `path`, creating the file when missing, and
// makes sure it reached the disk. On failure nothing of `text` stays in the
// file, and `error` (when given) holds the Italian reason.
bool appendText(const QString &path, const QString &text, QString *error = nullptr);

} // namespace platform::files
