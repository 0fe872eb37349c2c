// Writes the sample databases and files of the program folder.
// Usage: gen_sample <program folder> <province list (csv)>
#include "sample_generator.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // image format plugins
    if (argc != 3) {
        std::fprintf(stderr, "usage: gen_sample <program folder> <province csv>\n");
        return 2;
    }
    try {
        sample::generate(argv[1], argv[2]);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "gen_sample: %s\n", e.what());
        return 1;
    }
    return 0;
}
