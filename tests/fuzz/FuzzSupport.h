#pragma once
// What the fuzz targets share: the headless application, a scratch folder kept
// for the whole run, files written from the input, scripted prompts, and the
// checks of a target's invariants (a failed check ends the run like a crash).
#include "support/ScriptedPrompts.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace fuzz {

// Creates the application once (offscreen, Italian locale) with scripted
// prompts that answer every question with its default and remember nothing.
// The support library's LLVMFuzzerInitialize calls it (a target may bring its
// own); every input calls it too.
void init();

// The scratch folder of the run (in memory when /dev/shm is there), ending
// with "/"; each target keeps its own files in it.
QString scratch();
// Makes `folder` (inside scratch()) exist and hold nothing.
QString freshFolder(const QString &name);

// The scripted prompts installed by init(); emptied before each input by
// the targets that look at them.
platform::ScriptedPrompts &prompts();

// The bytes of a file; "<unreadable>" when it cannot be read.
QByteArray readAll(const QString &path);
// Writes `bytes` to `path` (replacing it); aborts the run when it cannot.
void writeAll(const QString &path, const QByteArray &bytes);
// Every file under `folder` (recursively) with its content, as one text, to
// compare the state of a folder before and after an operation.
QByteArray snapshot(const QString &folder);

// The built program folder and the repository (for sample files).
QString builtAppDir();

[[noreturn]] void fail(const char *file, int line, const char *condition, const QString &detail);

} // namespace fuzz

// An invariant of the target: when it does not hold, the input is a finding.
#define FUZZ_CHECK(cond, detail)                                                                                      \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            ::fuzz::fail(__FILE__, __LINE__, #cond, (detail));                                                         \
    } while (0)
