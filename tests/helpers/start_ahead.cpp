// Runs, to their end, the threads the program starts before its application
// object (the picture, the relinking and the fonts read ahead), on the program
// folder given, and prints every toolkit library they brought into the
// process:
//   start_ahead <program folder>
// Exit 0: none; 1: some; 2: wrong use.
//
// The toolkit's loading of its libraries and plugins is not safe while the
// application object is being made on another thread: the first load of a
// kind writes the toolkit's logging registry without a lock, and the two
// threads then corrupt it (2 starts in 13,500 crashed this way under load).
// The start-up threads leave the toolkit's loading to the main thread.
#include "frame/Layout.h"
#include "frame/Relink.h"
#include "platform/FontsAhead.h"
#include "support/MappedFiles.h"

#include <QString>
#include <cstdio>
#include <set>
#include <string>

namespace {

// The toolkit's libraries and plugins mapped into this process.
std::set<std::string> toolkitLibraries()
{
    std::set<std::string> out;
    for (const std::string &path : testsupport::mappedFiles()) {
        const std::string name = path.substr(path.rfind('/') + 1);
        if (path.find("/plugins/") != std::string::npos || name.rfind("libQt6", 0) == 0)
            out.insert(path);
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "use: %s <program folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const std::set<std::string> before = toolkitLibraries();
    {
        // As the program makes them; each waits for its thread when it ends.
        Utility::BackgroundReadAhead background(folder);
        const frame::RelinkReadAhead links(folder);
        platform::FontsAhead fonts;
    }
    int found = 0;
    for (const std::string &path : toolkitLibraries())
        if (!before.count(path)) {
            std::printf("loaded by a start-up thread: %s\n", path.c_str());
            ++found;
        }
    return found ? 1 : 0;
}
