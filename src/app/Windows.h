#pragma once
// The windows of the data, the maps and the metadata, with the printing they
// do, are in a module of their own in the program folder: the program starts
// without loading them, nor the print support they need, and opens the module
// the first time one of its windows is asked for.
#include <QString>

namespace app {

// The module's file name, in the program folder.
inline constexpr const char *WindowsModuleName = "trambelo_windows.so";
// The function of the module that registers its windows (frame::RegisterForm).
inline constexpr const char *WindowsModuleEntry = "trambelo_register_windows";

// Opens the module of `programFolder` (once) and registers its windows. A
// module that cannot be opened raises platform::RuntimeError (error 48, or
// 453 without its function), the loader's text in the detail; the same
// error is raised again on every later call.
void LoadWindows(const QString &programFolder);

// Makes LoadWindows(programFolder) the form loader of the frame: the module
// is opened when a menu command first names a window it holds.
void RegisterWindowsModule(const QString &programFolder);

} // namespace app
