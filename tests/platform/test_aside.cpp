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

TEST(Aside, KeepOffProcessorLeavesTheOthersTheProcessMayUse)
{
    const cpu_set_t all = affinity();
    if (CPU_COUNT(&all) < 2)
        GTEST_SKIP() << "one processor only";
    const int first = firstIn(all);
    int outside = -1;   // a processor the process may not use, if any
    for (int c = 0; c < CPU_SETSIZE && outside < 0; ++c)
        if (!CPU_ISSET(c, &all))
            outside = c;
    struct Case {
        const char *name;
        bool single;    // the thread may use `first` only
        int processor;
        bool restricted;
    };
    const Case cases[] = {
        {"not known", false, -1, false},
        {"one of several", false, first, true},
        {"the only one allowed", true, first, false},
        {"one the process may not use", false, outside, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // Each case on a thread of its own, so that the test's own affinity stays.
        std::thread([&] {
            if (c.single) {
                cpu_set_t one;
                CPU_ZERO(&one);
                CPU_SET(first, &one);
                ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
            }
            const cpu_set_t before = affinity();
            EXPECT_EQ(platform::KeepOffProcessor(c.processor), c.restricted);
            const cpu_set_t after = affinity();
            if (!c.restricted) {
                EXPECT_TRUE(CPU_EQUAL(&before, &after));
                return;
            }
            EXPECT_FALSE(CPU_ISSET(c.processor, &after));
            EXPECT_EQ(CPU_COUNT(&after), CPU_COUNT(&before) - 1);
        }).join();
    }
}

TEST(Aside, StartAsideRunsTheWorkOffOneProcessorOfTheProcess)
{
    const cpu_set_t all = affinity();
    if (CPU_COUNT(&all) < 2)
        GTEST_SKIP() << "one processor only";
    bool ran = false;
    cpu_set_t seen;
    CPU_ZERO(&seen);
    platform::StartAside([&] {
        ran = true;
        seen = affinity();
    }).join();
    EXPECT_TRUE(ran);
    // The processor the starter ran on is left out, and only that one.
    cpu_set_t common;
    CPU_AND(&common, &seen, &all);
    EXPECT_TRUE(CPU_EQUAL(&common, &seen));
    EXPECT_EQ(CPU_COUNT(&seen), CPU_COUNT(&all) - 1);
}
