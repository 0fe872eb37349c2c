// Default options of the sanitizers for every executable of the checked build,
// so that a test binary run by hand behaves as under ctest. Options given in
// the environment (ASAN_OPTIONS, LSAN_OPTIONS, UBSAN_OPTIONS) still win.

#ifndef TRAMBELO_SANITIZER_DIR
#error "TRAMBELO_SANITIZER_DIR names the folder of the suppression files"
#endif

extern "C" {

// Leaks are errors; a report ends the process with a failing exit code.
const char *__asan_default_options()
{
    return "detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:"
           "check_initialization_order=1:abort_on_error=0:exitcode=23";
}

// Leaks of the system libraries (Qt's plugins, fontconfig, ...) only: see lsan.supp.
const char *__lsan_default_options()
{
    return "suppressions=" TRAMBELO_SANITIZER_DIR "/lsan.supp:print_suppressions=0:exitcode=23";
}

const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1:suppressions=" TRAMBELO_SANITIZER_DIR "/ubsan.supp";
}

} // extern "C"
