// Threads kept off the processor of the thread that starts them.
#include "platform/Aside.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <thread>

namespace {

cpu_set_t affinity()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    sched_getaffinity(0, sizeof set, &set);
    return set;
}

int firstIn(const cpu_set_t &set)
{
    for (int c = 0; c < CPU_SETSIZE; ++c)
        if (CPU_ISSET(c, &set))
            return c;
    return -1;
}

} // namespace

// The first `n` processors of `set` (fewer when it has fewer).
cpu_set_t firstOf(const cpu_set_t &set, int n)
{
    cpu_set_t out;
    CPU_ZERO(&out);
    for (int c = 0; c < CPU_SETSIZE && CPU_COUNT(&out) < n; ++c)
        if (CPU_ISSET(c, &set))
            CPU_SET(c, &out);
    return out;
}

TEST(Aside, KeepOffProcessorLeavesTheOthersWhenThereAreEnough)
{
    const cpu_set_t all = affinity();
    const int enough = platform::MinOtherProcessors + 1;
    if (CPU_COUNT(&all) < enough)
        GTEST_SKIP() << "fewer than " << enough << " processors";
    const int first = firstIn(all);
    int outside = -1;   // a processor the process may not use
    for (int c = 0; c < CPU_SETSIZE && outside < 0; ++c)
        if (!CPU_ISSET(c, &all))
            outside = c;
    struct Case {
        const char *name;
        int allowed;    // processors the thread may use (the first ones of the process)
        int processor;
        bool restricted;
    };
    const Case cases[] = {
        {"not known", enough, -1, false},
        {"one of enough", enough, first, true},
        {"one of too few", enough - 1, first, false},
        {"the only one allowed", 1, first, false},
        {"one the thread may not use", enough, outside, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // Each case on a thread of its own, so that the test's own affinity stays.
        std::thread([&] {
            const cpu_set_t mine = firstOf(all, c.allowed);
            ASSERT_EQ(sched_setaffinity(0, sizeof mine, &mine), 0);
            EXPECT_EQ(platform::KeepOffProcessor(c.processor), c.restricted);
            const cpu_set_t after = affinity();
            if (!c.restricted) {
                EXPECT_TRUE(CPU_EQUAL(&mine, &after));
                return;
            }
            EXPECT_FALSE(CPU_ISSET(c.processor, &after));
            EXPECT_EQ(CPU_COUNT(&after), c.allowed - 1);
        }).join();
    }
}
