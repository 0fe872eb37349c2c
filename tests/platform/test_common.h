#pragma once
// What the platform tests share: the default locale for a scope, scripted
// answers to the modal boxes, the error number a call throws, small file helpers.
#include "platform/Error.h"
#include "support/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <functional>

namespace ptest {

struct LocaleScope {
    QLocale saved;
    explicit LocaleScope(const QLocale &l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(saved); }
};
inline QLocale italian() { return QLocale(QLocale::Italian, QLocale::Italy); }

struct PromptsScope {
    platform::ScriptedPrompts p;
    PromptsScope() { platform::setPrompts(&p); }
    ~PromptsScope() { platform::setPrompts(nullptr); }
};

// The error `fn` raises: its number (0 when it raises none), its text and the detail kept for the log.
struct Failure { long number = 0; QString text, detail; };
inline Failure failureOf(const std::function<void()> &fn)
{
    try {
        fn();
    } catch (const platform::RuntimeError &e) {
        return {e.number(), e.description(), e.detail()};
    }
    return {};
}
inline long errorOf(const std::function<void()> &fn) { return failureOf(fn).number; }

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The names in `folder`, hidden ones included, sorted.
inline QStringList names(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace ptest
