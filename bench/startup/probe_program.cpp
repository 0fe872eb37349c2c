// The program as it starts, on the sample program folder given as the first
// argument, ended at its first frame (see FirstFrame.h).
#include "FirstFrame.h"
#include "app/Program.h"

#include <QString>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "use: %s <program folder>\n", argv[0]);
        return 2;
    }
    app::RunOptions options;
    options.programFolder = QString::fromLocal8Bit(argv[1]);
    options.applicationReady = [] { startupbench::FirstFrame::install(); };
    int one = 1;
    return app::Run(one, argv, options);
}
