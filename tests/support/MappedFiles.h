#pragma once
// The files mapped into this process (libraries, plugins), by their full
// paths, read from /proc/self/maps. Header only: the helper programs that
// use it link nothing of the tests' support.
#include <fstream>
#include <set>
#include <string>

namespace testsupport {

inline std::set<std::string> mappedFiles()
{
    std::set<std::string> out;
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        const auto slash = line.find('/');
        if (slash != std::string::npos)
            out.insert(line.substr(slash));
    }
    return out;
}

} // namespace testsupport
