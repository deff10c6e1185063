#include "platform/ServiceState.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

// A failure is told once, a new reason is told again, a recovery is noticed, and a failing
// service is tried again only after its interval.
TEST(ServiceState, TellsEachFailureOnceAndRetriesAfterItsInterval) {
    platform::FakeClock clock;
    platform::SetClock(&clock);
    platform::ServiceState s("print server", 1000);
    struct Step {
        const char* reason; // nullptr: the try succeeded
        int64_t advanceMs;  // before the step
        bool told;          // Failed()/Succeeded() returned true
        bool dueAfter;
    };
    const Step steps[] = {
        {nullptr, 0, false, true},
        {"not accepting jobs", 0, true, false},
        {"not accepting jobs", 999, false, false},
        {"not accepting jobs", 1000, false, false},
        {"stopped", 0, true, false},
        {nullptr, 1000, true, true},
        {"stopped", 0, true, false},
    };
    for (const Step& st : steps) {
        clock.Advance(st.advanceMs);
        const bool told = st.reason ? s.Failed(st.reason) : s.Succeeded();
        EXPECT_EQ(told, st.told) << (st.reason ? st.reason : "ok");
        EXPECT_EQ(s.DueForTry(), st.dueAfter) << (st.reason ? st.reason : "ok");
    }
    EXPECT_EQ(s.Text(), "print server: stopped");
    clock.Advance(1000);
    EXPECT_TRUE(s.DueForTry());
    platform::SetClock(nullptr);
}
