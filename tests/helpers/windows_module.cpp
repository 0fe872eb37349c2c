// Made as the program is (the frame and platform layer whole, and exported),
// opens the windows module of the program folder given and prints, one per
// line:
//   before: <libraries>   the print support and module libraries mapped
//                         before the module is asked for ("-" for none)
//   error <n>: <text>     when the module cannot be opened, then stops
//   form <NAME>           each window the module registered
//   after: <libraries>    the same libraries once it is open
//   windows_module <program folder>
// Exit 0, or 2 on wrong use.
#include "app/Windows.h"
#include "frame/Forms.h"
#include "platform/Error.h"
#include "support/MappedFiles.h"

#include <QApplication>
#include <cstdio>
#include <set>
#include <string>

namespace {

// The print support and the module, if mapped into this process.
std::string libraries()
{
    std::set<std::string> names;
    for (const std::string &path : testsupport::mappedFiles()) {
        const std::string name = path.substr(path.rfind('/') + 1);
        if (name.rfind("libQt6PrintSupport", 0) == 0 || name == app::WindowsModuleName)
            names.insert(name.substr(0, name.find(".so") + 3));
    }
    std::string out;
    for (const std::string &n : names)
        out += (out.empty() ? "" : " ") + n;
    return out.empty() ? "-" : out;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "use: %s <program folder>\n", argv[0]);
        return 2;
    }
    int one = 1;
    QApplication application(one, argv);
    std::printf("before: %s\n", libraries().c_str());
    try {
        app::LoadWindows(QString::fromLocal8Bit(argv[1]));
    } catch (const platform::RuntimeError &e) {
        std::printf("error %ld: %s\n", e.number(), e.description().toUtf8().constData());
        return 0;
    }
    for (const char *name : {"FORMDATITAB", "FRM_DISPDATA", "FRMFUNZIONE", "MNU_CREATEMAP", "FRMMETADATI",
                             "FRMLISTAMETADATI", "GLOSSARIO", "FRMSCHEDAVARIABILI", "FRMSCHEDAINDICATORI",
                             "FRMINFO"})
        if (frame::IsFormRegistered(QString::fromLatin1(name)))
            std::printf("form %s\n", name);
    std::printf("after: %s\n", libraries().c_str());
    return 0;
}
