// The plain driver of a fuzz target: runs every file of the seed corpus, then a
// fixed number of inputs made from them by deterministic mutations, through the
// target's LLVMFuzzerTestOneInput. The same inputs every run, so that a failure
// is reproduced by running the driver again (or only that input: --only).
//
//   fuzz_<name>_replay [--mutations N] [--seed S] [--dict FILE] [--timeout SEC]
//                      [--only K] [--dump K FILE] CORPUS...
//
// CORPUS: files or folders (read recursively). --only K runs input K alone
// (0-based: the corpus files first, then the mutations); --dump K FILE writes
// input K to FILE and runs nothing, to keep an input that failed.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <signal.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" __attribute__((weak)) void __sanitizer_set_death_callback(void (*callback)(void));

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

// xorshift64*: small, fast and the same on every platform.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed ? seed : 0x9E3779B97F4A7C15ull) {}
    uint64_t next()
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return m_state * 0x2545F4914F6CDD1Dull;
    }
    size_t below(size_t n) { return n ? size_t(next() % n) : 0; }
    bool chance(unsigned oneIn) { return below(oneIn) == 0; }

private:
    uint64_t m_state;
};

bool readFile(const fs::path &path, Bytes &out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// libFuzzer's dictionary format: one "token" per line, \xNN and \\ \" escapes,
// optional name= before the quotes, # comments.
std::vector<Bytes> readDictionary(const fs::path &path)
{
    std::vector<Bytes> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t open = line.find('"');
        const size_t close = line.rfind('"');
        if (line.empty() || line[0] == '#' || open == std::string::npos || close <= open)
            continue;
        Bytes token;
        for (size_t i = open + 1; i < close; ++i) {
            if (line[i] == '\\' && i + 1 < close) {
                if (line[i + 1] == 'x' && i + 3 < close) {
                    token.push_back(uint8_t(std::stoi(line.substr(i + 2, 2), nullptr, 16)));
                    i += 3;
                } else {
                    token.push_back(uint8_t(line[++i]));
                }
            } else {
                token.push_back(uint8_t(line[i]));
            }
        }
        if (!token.empty())
            out.push_back(std::move(token));
    }
    return out;
}

struct Options {
    long mutations = 1000;
    uint64_t seed = 1;
    double timeout = 20;
    long only = -1;
    long dump = -1;
    std::string dumpFile;
    std::vector<fs::path> dictionaries;
    std::vector<fs::path> corpus;
};

class Mutator {
public:
    Mutator(const std::vector<Bytes> &corpus, const std::vector<Bytes> &dictionary)
        : m_corpus(corpus), m_dictionary(dictionary)
    {
    }

    // Input `k` of the mutation phase: a corpus file changed by one to eight edits.
    Bytes make(uint64_t seed, long k) const
    {
        Random r(seed * 0x100000001B3ull + uint64_t(k) * 0x9E3779B97F4A7C15ull + 1);
        Bytes b = m_corpus.empty() ? Bytes() : m_corpus[size_t(k) % m_corpus.size()];
        const size_t maxSize = std::max<size_t>(4096, 2 * b.size());
        const size_t edits = 1 + r.below(8);
        for (size_t e = 0; e < edits; ++e)
            edit(r, b);
        if (b.size() > maxSize)
            b.resize(maxSize);
        return b;
    }

private:
    void edit(Random &r, Bytes &b) const
    {
        static const uint64_t interesting[] = {0,          1,          0x7f,       0x80,       0xff,
                                               0x7fff,     0x8000,     0xffff,     0x7fffffff, 0x80000000,
                                               0xffffffff, 0x10000000, 0x00001000, 0xfffffffe, 0x40000000};
        switch (r.below(b.empty() ? 2 : 11)) {
        case 0: { // insert random bytes
            const size_t at = r.below(b.size() + 1), n = 1 + r.below(16);
            Bytes ins(n);
            for (auto &c : ins)
                c = uint8_t(r.next());
            b.insert(b.begin() + long(at), ins.begin(), ins.end());
            break;
        }
        case 1: { // insert a dictionary token
            if (m_dictionary.empty())
                return edit(r, b);
            const Bytes &t = m_dictionary[r.below(m_dictionary.size())];
            const size_t at = r.below(b.size() + 1);
            b.insert(b.begin() + long(at), t.begin(), t.end());
            break;
        }
        case 2: // flip a bit
            b[r.below(b.size())] ^= uint8_t(1u << r.below(8));
            break;
        case 3: // a random byte
            b[r.below(b.size())] = uint8_t(r.next());
            break;
        case 4: { // an interesting 8/16/32-bit value, either byte order
            const uint64_t v = interesting[r.below(std::size(interesting))];
            const size_t width = size_t(1) << r.below(3);
            const size_t at = r.below(b.size());
            const bool big = r.chance(2);
            for (size_t i = 0; i < width && at + i < b.size(); ++i)
                b[at + i] = uint8_t(v >> (8 * (big ? width - 1 - i : i)));
            break;
        }
        case 5: { // erase a range
            const size_t at = r.below(b.size());
            const size_t n = 1 + r.below(std::min<size_t>(b.size() - at, r.chance(4) ? b.size() : 32));
            b.erase(b.begin() + long(at), b.begin() + long(at + n));
            break;
        }
        case 6: { // duplicate a range
            const size_t at = r.below(b.size());
            const size_t n = 1 + r.below(std::min<size_t>(b.size() - at, 256));
            const Bytes piece(b.begin() + long(at), b.begin() + long(at + n));
            const size_t to = r.below(b.size() + 1);
            const size_t copies = r.chance(8) ? 1 + r.below(64) : 1;
            for (size_t c = 0; c < copies; ++c)
                b.insert(b.begin() + long(to), piece.begin(), piece.end());
            break;
        }
        case 7: { // overwrite a range with another part of the input
            const size_t from = r.below(b.size()), to = r.below(b.size());
            const size_t n = 1 + r.below(std::min(b.size() - std::max(from, to), size_t(64)));
            std::memmove(b.data() + to, b.data() + from, n);
            break;
        }
        case 8: { // splice in a piece of another corpus file
            const Bytes &other = m_corpus[r.below(m_corpus.size())];
            if (other.empty())
                return edit(r, b);
            const size_t from = r.below(other.size());
            const size_t n = 1 + r.below(std::min<size_t>(other.size() - from, 512));
            const size_t at = r.below(b.size() + 1);
            b.insert(b.begin() + long(at), other.begin() + long(from), other.begin() + long(from + n));
            break;
        }
        case 9: { // overwrite with a dictionary token
            if (m_dictionary.empty())
                return edit(r, b);
            const Bytes &t = m_dictionary[r.below(m_dictionary.size())];
            const size_t at = r.below(b.size());
            for (size_t i = 0; i < t.size() && at + i < b.size(); ++i)
                b[at + i] = t[i];
            break;
        }
        default: // cut the input short
            b.resize(r.below(b.size()));
            break;
        }
    }

    const std::vector<Bytes> &m_corpus;
    const std::vector<Bytes> &m_dictionary;
};

// What runs now, for the messages of a crash or a hang.
std::string gCurrent;
Bytes gCurrentInput;
std::string gDumpOnDeath;

void dumpCurrent()
{
    if (gDumpOnDeath.empty())
        return;
    std::ofstream out(gDumpOnDeath, std::ios::binary);
    out.write(reinterpret_cast<const char *>(gCurrentInput.data()), std::streamsize(gCurrentInput.size()));
    std::fprintf(stderr, "fuzz: the failing input (%s) is in %s\n", gCurrent.c_str(), gDumpOnDeath.c_str());
}

void onDeath()
{
    std::fprintf(stderr, "fuzz: failed on %s\n", gCurrent.c_str());
    dumpCurrent();
}

// A failed check of the target (abort) or, without a sanitizer, a crash.
void onSignal(int sig)
{
    onDeath();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

// Ends the process when one input runs longer than the limit: a hang.
class Watchdog {
public:
    explicit Watchdog(double seconds) : m_limit(seconds), m_thread([this] { loop(); }) {}
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    void start()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_started = std::chrono::steady_clock::now();
        m_running = true;
    }
    void stop()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_running = false;
    }

private:
    void loop()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stop) {
            m_wake.wait_for(lock, std::chrono::milliseconds(200));
            if (m_running && std::chrono::steady_clock::now() - m_started > std::chrono::duration<double>(m_limit)) {
                std::fprintf(stderr, "fuzz: %s ran longer than %.0f s (a hang)\n", gCurrent.c_str(), m_limit);
                dumpCurrent();
                std::_Exit(70);
            }
        }
    }
    double m_limit;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::chrono::steady_clock::time_point m_started;
    bool m_running = false;
    bool m_stop = false;
    std::thread m_thread;
};

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: fuzz_replay [--mutations N] [--seed S] [--dict FILE] [--timeout SEC] [--only K] "
                         "[--dump K FILE] CORPUS...\n");
    std::exit(2);
}

Options parse(int argc, char **argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                usage();
            return argv[++i];
        };
        if (a == "--mutations")
            o.mutations = std::stol(value());
        else if (a == "--seed")
            o.seed = std::stoull(value());
        else if (a == "--dict")
            o.dictionaries.emplace_back(value());
        else if (a == "--timeout")
            o.timeout = std::stod(value());
        else if (a == "--only")
            o.only = std::stol(value());
        else if (a == "--dump") {
            o.dump = std::stol(value());
            o.dumpFile = value();
        } else if (a.rfind("--", 0) == 0)
            usage();
        else
            o.corpus.emplace_back(a);
    }
    if (o.corpus.empty())
        usage();
    return o;
}

} // namespace

int main(int argc, char **argv)
{
    const Options o = parse(argc, argv);

    std::vector<fs::path> files;
    for (const fs::path &p : o.corpus) {
        if (fs::is_directory(p)) {
            for (const auto &e : fs::recursive_directory_iterator(p))
                if (e.is_regular_file())
                    files.push_back(e.path());
        } else if (fs::is_regular_file(p)) {
            files.push_back(p);
        } else {
            std::fprintf(stderr, "fuzz: no corpus at %s\n", p.c_str());
            return 2;
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<Bytes> corpus(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        if (!readFile(files[i], corpus[i])) {
            std::fprintf(stderr, "fuzz: cannot read %s\n", files[i].c_str());
            return 2;
        }
    }
    std::vector<Bytes> dictionary;
    for (const fs::path &d : o.dictionaries) {
        auto tokens = readDictionary(d);
        dictionary.insert(dictionary.end(), tokens.begin(), tokens.end());
    }
    const Mutator mutator(corpus, dictionary);
    const long total = long(corpus.size()) + o.mutations;

    auto input = [&](long k) -> Bytes {
        if (k < long(corpus.size())) {
            gCurrent = "corpus file " + files[size_t(k)].string();
            return corpus[size_t(k)];
        }
        gCurrent = "input " + std::to_string(k) + " (mutation " + std::to_string(k - long(corpus.size())) +
                   ", --seed " + std::to_string(o.seed) + ")";
        return mutator.make(o.seed, k - long(corpus.size()));
    };

    if (o.dump >= 0) {
        if (o.dump >= total)
            usage();
        gCurrentInput = input(o.dump);
        gDumpOnDeath = o.dumpFile;
        dumpCurrent();
        return 0;
    }

    int fakeArgc = 1;
    char **fakeArgv = argv;
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&fakeArgc, &fakeArgv);
    gDumpOnDeath = (fs::current_path() / (fs::path(argv[0]).filename().string() + "-failure.bin")).string();
    // The handlers run on a stack of their own, so that a stack overflow is told too.
    static std::vector<char> altStack(1 << 16);
    stack_t ss{};
    ss.ss_sp = altStack.data();
    ss.ss_size = altStack.size();
    sigaltstack(&ss, nullptr);
    auto handle = [](int sig) {
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sa.sa_flags = SA_ONSTACK;
        sigaction(sig, &sa, nullptr);
    };
    handle(SIGABRT);
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(onDeath);
    else
        for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL})
            handle(sig);

    Watchdog watchdog(o.timeout);
    const auto begin = std::chrono::steady_clock::now();
    long runs = 0;
    for (long k = (o.only >= 0 ? o.only : 0); k < (o.only >= 0 ? std::min(o.only + 1, total) : total); ++k) {
        gCurrentInput = input(k);
        watchdog.start();
        LLVMFuzzerTestOneInput(gCurrentInput.data(), gCurrentInput.size());
        watchdog.stop();
        ++runs;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    std::printf("fuzz: %ld inputs run (%zu corpus files, %ld mutations) in %.1f s\n", runs, corpus.size(),
                o.only >= 0 ? 0 : o.mutations, seconds);
    return 0;
}
