// The fonts made ready on a thread while the program starts: every way the
// start can end leaves the thread joined, and the list filled only when asked.
#include "platform/FontsAhead.h"

#include <QFontDatabase>
#include <QStringList>
#include <chrono>
#include <future>
#include <gtest/gtest.h>

TEST(FontsAhead, EveryWayTheStartEndsJoinsTheThread)
{
    struct Case {
        const char *name;
        bool listing;   // the application came up
        bool lingers;   // the owner lives on a while after the list is asked for
    };
    const Case cases[] = {
        {"the start ended before the application (e.g. a second instance)", false, false},
        {"the application came up and ended at once", true, false},
        {"the application came up and ran", true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // A handoff that never wakes the thread would hang the join: bounded here.
        auto done = std::async(std::launch::async, [&c] {
            platform::FontsAhead fonts;
            platform::FontsAhead::awaitConfiguration();
            if (c.listing) {
                const platform::FontsAhead::Listing listing(fonts);
                if (c.lingers)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        ASSERT_EQ(done.wait_for(std::chrono::seconds(30)), std::future_status::ready);
        done.get();
    }
    platform::FontsAhead::awaitConfiguration();   // none at work: returns at once
    // The toolkit here finds its fonts through the configuration library.
    EXPECT_TRUE(platform::FontsAhead::loadConfiguration());
    EXPECT_FALSE(QFontDatabase::families().isEmpty());
}
