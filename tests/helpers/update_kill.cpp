// Runs one update extraction and is killed at a chosen point of its commit, as
// a program stopped by the user or the system would be.
//   update_kill <archive> <destination folder> <stop>
// <stop>: the rename before which the process dies (0, 1, ...); the number of
// files stops it after the last rename, before the update is final.
#include "platform/zip/Unzip.h"

#include <QString>
#include <csignal>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: update_kill <archive> <destination> <stop>\n");
        return 2;
    }
    const int stop = std::atoi(argv[3]);
    platform::zip::Extraction::setCommitHook([stop](int step) {
        if (step == stop)
            std::raise(SIGKILL);
    });
    platform::zip::Extraction ex;
    const int code = ex.run(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    if (code != platform::zip::code::Ok)
        std::fprintf(stderr, "%s\n", ex.message().toLocal8Bit().constData());
    return code == platform::zip::code::Ok ? 0 : 1;
}
