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

TEST(JumpRandomState, EqualsSingleSteps) {
    for (const std::uint32_t start : {1u, 0u, 20261211u, 0xFFFFFFFFu}) {
        random_state = start;
        // Every k up to 100000, then every power of two and a few odd points up to 2^26.
        for (std::uint64_t k = 0; k <= (1u << 26); ++k) {
            const bool checked = k <= 100000 || (k & (k - 1)) == 0 || k % 1000003 == 0;
            if (checked) {
                ASSERT_EQ(jump_random_state(start, k), random_state) << "k = " << k;
            }
            random15();
        }
    }
}

TEST(JumpRandomState, BeyondTwoToTheThirtyTwo) {
    const std::uint32_t start = 987654321u;
    // The generator's period is 2^32 (odd increment, multiplier - 1 a multiple of 4).
    EXPECT_EQ(jump_random_state(start, 1ull << 32), start);
    random_state = start;
    for (int k = 0; k < 5; ++k) random15();
    EXPECT_EQ(jump_random_state(start, (1ull << 33) + 5), random_state);
    // Jumps compose, across the 32-bit boundary too.
    const std::uint64_t a = 3000000000ull, b = 2500000123ull;
    EXPECT_EQ(jump_random_state(jump_random_state(start, a), b), jump_random_state(start, a + b));
    EXPECT_EQ(jump_random_state(start, a + b), jump_random_state(start, a + b - (1ull << 32)));
}

}  // namespace
