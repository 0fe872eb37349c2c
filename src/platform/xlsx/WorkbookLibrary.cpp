#include "platform/xlsx/WorkbookLibrary.h"

namespace platform::xlsx {

LazyLibrary &library()
{
    static LazyLibrary lib(TRAMBELO_XLSXWRITER_SONAME);
    return lib;
}

const Functions &functions()
{
    // Built once; a failure is raised again on every later call.
    static const Functions table = [] {
        LazyLibrary &lib = library();
        Functions f;
        TRAMBELO_XLSX_FUNCTIONS(LAZY_FUNCTION_RESOLVE)
        return f;
    }();
    return table;
}

} // namespace platform::xlsx
