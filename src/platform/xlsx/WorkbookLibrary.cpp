#include "platform/xlsx/WorkbookLibrary.h"

namespace platform::xlsx {

LAZY_FUNCTION_TABLE(TRAMBELO_XLSX_FUNCTIONS, TRAMBELO_XLSXWRITER_SONAME)

} // namespace platform::xlsx
