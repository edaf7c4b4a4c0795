#include "run/cpu_count.h"

#include <gtest/gtest.h>

#include <sched.h>

namespace {

TEST(AvailableCpus, FollowsTheAffinityMask) {
    cpu_set_t saved;
    ASSERT_EQ(sched_getaffinity(0, sizeof saved, &saved), 0);
    EXPECT_EQ(available_cpus(), CPU_COUNT(&saved));

    // Only the first processor the process may use, as `taskset -c` would.
    int first = 0;
    while (!CPU_ISSET(first, &saved)) ++first;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    EXPECT_EQ(available_cpus(), 1);
    ASSERT_EQ(sched_setaffinity(0, sizeof saved, &saved), 0);
}

}  // namespace
