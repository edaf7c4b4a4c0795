#include "run/random_source.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> draws(int count) {
    std::vector<int> values;
    for (int i = 0; i < count; ++i) values.push_back(random15());
    return values;
}

TEST(RandomSource, UnseededSequenceStartsFromStateOne) {
    random_state = 1;  // the state before any seeding
    EXPECT_EQ(draws(6), (std::vector<int>{41, 18467, 6334, 26500, 19169, 15724}));
}

TEST(RandomSource, SeedZeroSequence) {
    seed_random(0);
    EXPECT_EQ(draws(3), (std::vector<int>{38, 7719, 21238}));
}

TEST(RandomSource, ReseedingRepeatsTheSequence) {
    seed_random(1733788800u);
    const std::vector<int> first = draws(50);
    seed_random(1733788800u);
    EXPECT_EQ(draws(50), first);
}

TEST(RandomSource, ValuesStayWithinFifteenBits) {
    // Bit 31 of the state must never reach a result, whatever the seed.
    for (std::uint32_t seed : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        seed_random(seed);
        for (int value : draws(100000)) {
            ASSERT_GE(value, 0);
            ASSERT_LE(value, 32767);
        }
    }
}

}  // namespace
