#pragma once
// A shared library opened the first time one of its functions is needed,
// rather than by the loader when the program starts. The archive and workbook
// libraries are used only to read an update archive and to write a workbook,
// yet loading them (and what they pull in) would slow every start.
//
// The library is opened once, on first use, and stays loaded for the rest of
// the run (the addresses handed out stay valid). A library that cannot be
// opened, or lacks a function, raises platform::RuntimeError with the reason
// in the user's words; the loader's own text goes into the detail, for the
// error log. Safe to use from several threads.
//
// The functions are typed from the library's own header:
//     auto open = lib.function<decltype(&::zip_open)>("zip_open");
// LAZY_FUNCTION_TABLE below builds a table of them, resolved together once.
#include <QString>
#include <mutex>

namespace platform {

class LazyLibrary {
public:
    // `fileName`: the name the loader knows the library by (its soname).
    explicit LazyLibrary(const char *fileName) : m_fileName(fileName) {}
    LazyLibrary(const LazyLibrary &) = delete;
    LazyLibrary &operator=(const LazyLibrary &) = delete;

    const char *fileName() const { return m_fileName; }

    // Opens the library if it is not yet open; raises the error when it cannot be.
    void open();

    // The address of the function `name`, the library opened first if needed.
    void *address(const char *name);

    template <class Fn>
    Fn function(const char *name)
    {
        return reinterpret_cast<Fn>(address(name));
    }

private:
    const char *m_fileName;
    std::once_flag m_once;
    void *m_handle = nullptr;
    QString m_reason;   // the loader's text when the library could not be opened
};

} // namespace platform

// A table of functions of a library, one member per function, named and typed
// as in the library's header. `LIST(X)` calls X(name) for every function:
//
//     #define ZIP_FUNCTIONS(X) X(zip_open) X(zip_discard)
//     struct Functions { ZIP_FUNCTIONS(LAZY_FUNCTION_MEMBER) };   // in the header
//     LAZY_FUNCTION_TABLE(ZIP_FUNCTIONS, "libzip.so.4")          // in one source file
//
// LAZY_FUNCTION_TABLE defines, in the current namespace, `LazyLibrary &library()`
// (opened on first use) and `const Functions &functions()`: every function
// resolved together the first time; a failure is raised again on every later call.
#define LAZY_FUNCTION_MEMBER(name) decltype(&::name) name = nullptr;
#define LAZY_FUNCTION_RESOLVE(name) f.name = lib.function<decltype(&::name)>(#name);
#define LAZY_FUNCTION_TABLE(LIST, SONAME)                                                                        \
    ::platform::LazyLibrary &library()                                                                           \
    {                                                                                                            \
        static ::platform::LazyLibrary lib(SONAME);                                                              \
        return lib;                                                                                              \
    }                                                                                                            \
    const Functions &functions()                                                                                 \
    {                                                                                                            \
        static const Functions table = [] {                                                                      \
            ::platform::LazyLibrary &lib = library();                                                            \
            Functions f;                                                                                         \
            LIST(LAZY_FUNCTION_RESOLVE)                                                                          \
            return f;                                                                                            \
        }();                                                                                                     \
        return table;                                                                                            \
    }
