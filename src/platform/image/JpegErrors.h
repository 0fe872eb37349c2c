#pragma once
// The JPEG library's errors for our reader and writer: an error jumps back to
// the caller's setjmp(jump) instead of ending the program, and no message is
// printed (warnings, such as a file cut short, do not stop the work).
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace platform::image {

struct JpegErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;

    // Becomes the error handler of `cinfo` (a compress or decompress struct).
    template <class Info>
    void attach(Info &cinfo)
    {
        cinfo.err = jpeg_std_error(&base);
        base.error_exit = &JpegErrors::onError;
        base.output_message = &JpegErrors::noMessage;
    }

private:
    static void onError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegErrors *>(cinfo->err)->jump, 1); }
    static void noMessage(j_common_ptr) {}
};

} // namespace platform::image
