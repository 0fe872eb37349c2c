#pragma once
// The functions of the workbook writer the program uses, reached through a
// LazyLibrary: the library is loaded the first time a workbook is written, not
// when the program starts. Call them as functions().workbook_new_opt(...).
#include <xlsxwriter.h>

#include "platform/LazyLibrary.h"

#define TRAMBELO_XLSX_FUNCTIONS(X)                                                                               \
    X(workbook_new_opt) X(workbook_add_format) X(workbook_add_worksheet) X(workbook_validate_sheet_name)        \
    X(workbook_close) X(lxw_workbook_free) X(lxw_strerror) X(format_set_bold) X(format_set_num_format)           \
    X(worksheet_write_string) X(worksheet_write_number) X(worksheet_write_boolean) X(worksheet_set_column)       \
    X(worksheet_activate)

namespace platform::xlsx {

struct Functions {
    TRAMBELO_XLSX_FUNCTIONS(LAZY_FUNCTION_MEMBER)
};

// The library (opened on first use).
LazyLibrary &library();

// Every function, resolved together the first time. Raises platform::RuntimeError
// when the library cannot be loaded or lacks one of them.
const Functions &functions();

} // namespace platform::xlsx
