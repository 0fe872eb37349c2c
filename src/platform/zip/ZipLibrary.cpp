#include "platform/zip/ZipLibrary.h"

namespace platform::zip {

LazyLibrary &library()
{
    static LazyLibrary lib(TRAMBELO_LIBZIP_SONAME);
    return lib;
}

const Functions &functions()
{
    // Built once; a failure is raised again on every later call.
    static const Functions table = [] {
        LazyLibrary &lib = library();
        Functions f;
        TRAMBELO_ZIP_FUNCTIONS(LAZY_FUNCTION_RESOLVE)
        return f;
    }();
    return table;
}

} // namespace platform::zip
