#include "permutation/shuffle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "run/random_source.h"
#include "test_support.h"

namespace {

// Values handed out in order; counts how many were taken.
std::vector<int> script;
std::size_t taken_values = 0;
int next_scripted() { return script.at(taken_values++); }

void use_script(std::vector<int> values) {
    script = std::move(values);
    taken_values = 0;
}

// Source entries are their own index, so a destination shows where it came from.
std::unique_ptr<RunStorage> indexed_source() {
    auto s = make_storage();
    for (int i = 0; i < MAX_CROSSES; ++i) {
        s->observed_phenotypes[i] = i;
        s->phenotypes[i] = -1;
    }
    return s;
}

std::vector<double> destination(const RunStorage& s, int n) {
    return {s.phenotypes, s.phenotypes + n};
}

TEST(ScaleDraw, MatchesTheIntegerFormForEveryValueAndScale) {
    for (int s = 0; s <= MAX_CROSSES; ++s) {
        for (int v = 0; v <= 32767; ++v) {
            const long long product = static_cast<long long>(v) * s;
            const int expected = product > 0 ? static_cast<int>((product + 32766) / 32767) - 1 : 0;
            ASSERT_EQ(scale_draw(v, s), expected) << "v = " << v << ", s = " << s;
        }
    }
}

TEST(PermutePhenotypes, ScriptedCases) {
    const struct {
        const char* what;
        int n;
        std::vector<int> values;
        std::vector<double> expected;
    } cases[] = {
        {"worked example: (a, b, c) becomes (b, a, c)", 3, {20000, 5000, 12345}, {1, 0, 2}},
        {"one cross: two values, one entry written", 1, {32767, 32767}, {0, -1}},
        {"two crosses, v = 16383 keeps the order", 2, {16383, 32767}, {0, 1}},
        {"two crosses, v = 16384 swaps", 2, {16384, 0}, {1, 0}},
        {"every value 32767 reverses", 5, {32767, 32767, 32767, 32767, 32767}, {4, 3, 2, 1, 0}},
        {"every value 0 keeps the file order", 5, {0, 0, 0, 0, 0}, {0, 1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        for (const auto permute : {permute_phenotypes, permute_phenotypes_by_walk}) {
            auto s = indexed_source();
            use_script(c.values);
            permute(s->phenotypes, s->observed_phenotypes, c.n, next_scripted);
            EXPECT_EQ(taken_values, c.values.size()) << c.what;
            EXPECT_EQ(destination(*s, static_cast<int>(c.expected.size())), c.expected) << c.what;
        }
    }
}

TEST(PermutePhenotypes, FullCapacityExtremes) {
    auto s = indexed_source();
    use_script(std::vector<int>(MAX_CROSSES, 32767));
    permute_phenotypes(s->phenotypes, s->observed_phenotypes, MAX_CROSSES, next_scripted);
    EXPECT_EQ(s->phenotypes[0], 999.0);  // the first draw never reaches 1000
    for (int d = 0; d < MAX_CROSSES; ++d) ASSERT_EQ(s->phenotypes[d], MAX_CROSSES - 1 - d);

    use_script(std::vector<int>(MAX_CROSSES, 0));
    permute_phenotypes(s->phenotypes, s->observed_phenotypes, MAX_CROSSES, next_scripted);
    for (int d = 0; d < MAX_CROSSES; ++d) ASSERT_EQ(s->phenotypes[d], d);
}

TEST(PermutePhenotypes, RankSearchPicksWhatTheWalkPicks) {
    seed_random(2026);
    const int sizes[] = {1, 2, 3, 4, 7, 8, 9, 15, 16, 17, 100, 511, 512, 513, 999, 1000};
    for (const int n : sizes) {
        for (int trial = 0; trial < 20; ++trial) {
            std::vector<int> values(static_cast<std::size_t>(std::max(n, 2)));
            // Extremes mixed in: they sit on the edges of the scaled ranges.
            for (auto& v : values) {
                const int r = random15();
                v = r % 7 == 0 ? 0 : r % 7 == 1 ? 32767 : random15();
            }
            auto fast = indexed_source();
            auto walk = indexed_source();
            use_script(values);
            permute_phenotypes(fast->phenotypes, fast->observed_phenotypes, n, next_scripted);
            ASSERT_EQ(taken_values, values.size());
            use_script(values);
            permute_phenotypes_by_walk(walk->phenotypes, walk->observed_phenotypes, n,
                                       next_scripted);
            ASSERT_EQ(destination(*fast, n + 1), destination(*walk, n + 1)) << "n = " << n;
            // A permutation: every source entry exactly once.
            auto sorted = destination(*fast, n);
            std::sort(sorted.begin(), sorted.end());
            for (int i = 0; i < n; ++i) ASSERT_EQ(sorted[i], i);
        }
    }
}

TEST(ShufflePhenotypes, TakesCrossCountValuesFromTheRandomSource) {
    for (const int n : {1, 2, 10}) {
        auto s = indexed_source();
        set_run_settings(2, n, -1, 1, 10, 1.0);
        seed_random(77);
        shuffle_phenotypes(s->phenotypes, s->observed_phenotypes);
        const std::uint32_t after_shuffle = random_state;
        seed_random(77);
        for (int i = 0; i < std::max(n, 2); ++i) random15();
        EXPECT_EQ(after_shuffle, random_state) << "n = " << n;
    }
}

}  // namespace
