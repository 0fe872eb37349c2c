#pragma once
// The functions of the zip library the program uses, reached through a
// LazyLibrary: the library is loaded the first time an archive is read, not
// when the program starts. Call them as functions().zip_open(...).
#include <zip.h>

#include "platform/LazyLibrary.h"

#define TRAMBELO_ZIP_FUNCTIONS(X)                                                                                \
    X(zip_open) X(zip_open_from_source) X(zip_discard) X(zip_get_num_entries) X(zip_get_name) X(zip_stat_init)  \
    X(zip_stat_index) X(zip_strerror) X(zip_get_error) X(zip_error_clear) X(zip_error_init)                     \
    X(zip_error_init_with_code) X(zip_error_fini) X(zip_error_code_zip) X(zip_error_strerror)                    \
    X(zip_file_get_external_attributes) X(zip_compression_method_supported) X(zip_encryption_method_supported)   \
    X(zip_fopen_index) X(zip_fopen_index_encrypted) X(zip_fread) X(zip_fclose) X(zip_file_get_error)             \
    X(zip_file_strerror) X(zip_source_buffer_create) X(zip_source_free)

namespace platform::zip {

struct Functions {
    TRAMBELO_ZIP_FUNCTIONS(LAZY_FUNCTION_MEMBER)
};

// The library (opened on first use).
LazyLibrary &library();

// Every function, resolved together the first time. Raises platform::RuntimeError
// when the library cannot be loaded or lacks one of them.
const Functions &functions();

} // namespace platform::zip
