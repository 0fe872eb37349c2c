#include "platform/zip/ZipLibrary.h"

namespace platform::zip {

LAZY_FUNCTION_TABLE(TRAMBELO_ZIP_FUNCTIONS, TRAMBELO_LIBZIP_SONAME)

} // namespace platform::zip
