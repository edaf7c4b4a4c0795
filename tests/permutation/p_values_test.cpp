#include "permutation/p_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>

#include "test_support.h"

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

struct Fits {
    Estimates estimates;
    FitRSquared fit_r_squared;
    PValues p_values;
};

// Fit 0 observes 1.0; `below` permutations see 0.0 (counted), the rest 2.0.
void fill(double* values, int below) {
    values[0] = 1.0;
    for (int f = 1; f < FIT_COUNT; ++f) values[f] = f <= below ? 0.0 : 2.0;
}

std::string three_decimals(double p) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", p);
    return text;
}

TEST(PermutationPValues, CountsFoldsAndClamps) {
    const struct {
        int counted;
        const char* parameter;  // printed
        const char* r_squared;
    } cases[] = {
        {0, "0.000", "1.000"},   {1, "0.001", "0.999"},   {499, "0.499", "0.501"},
        {500, "0.500", "0.500"}, {501, "0.499", "0.499"}, {999, "0.001", "0.001"},
        {1000, "0.000", "0.000"},
    };
    auto fits = std::make_unique<Fits>();
    set_run_settings(1, 1, -1, 1, 10, 1.0);  // m = 1
    for (const auto& c : cases) {
        fill(fits->estimates[0], c.counted);
        fill(fits->fit_r_squared, c.counted);
        permutation_p_values(fits->p_values, fits->estimates, fits->fit_r_squared);
        EXPECT_EQ(three_decimals(fits->p_values[0]), c.parameter) << c.counted;
        EXPECT_EQ(three_decimals(fits->p_values[1]), c.r_squared) << c.counted;
        EXPECT_FALSE(std::signbit(fits->p_values[0])) << c.counted;
        EXPECT_FALSE(std::signbit(fits->p_values[1])) << c.counted;
    }
}

TEST(PermutationPValues, RepeatedSubtractionDecidesTheFold) {
    auto fits = std::make_unique<Fits>();
    set_run_settings(1, 1, -1, 1, 10, 1.0);
    fill(fits->fit_r_squared, 0);

    fill(fits->estimates[0], 500);
    permutation_p_values(fits->p_values, fits->estimates, fits->fit_r_squared);
    EXPECT_EQ(bits(fits->p_values[0]), bits(0.5 - 0x1p-51));  // below 0.5: not folded

    fill(fits->estimates[0], 499);
    permutation_p_values(fits->p_values, fits->estimates, fits->fit_r_squared);
    EXPECT_GT(fits->p_values[0], 0.499);  // folded from just below 0.501

    fill(fits->estimates[0], 0);
    permutation_p_values(fits->p_values, fits->estimates, fits->fit_r_squared);
    EXPECT_EQ(bits(fits->p_values[0]), bits(0.0));  // 1.0 folded
    EXPECT_EQ(bits(fits->p_values[1]), bits(1.0));  // R squared is never folded

    fill(fits->estimates[0], 1000);
    EXPECT_LT(upper_tail_fraction(fits->estimates[0]), 0.0);  // -8.8e-16 before the clamp
    permutation_p_values(fits->p_values, fits->estimates, fits->fit_r_squared);
    EXPECT_EQ(bits(fits->p_values[0]), bits(0.0));
}

TEST(PermutationPValues, NotANumberAndTies) {
    auto fits = std::make_unique<Fits>();
    set_run_settings(2, 1, -1, 1, 10, 1.0);  // m = 3
    for (int f = 0; f < FIT_COUNT; ++f) {
        fits->estimates[0][f] = f == 0 ? NaN : 1.0;        // NaN observed: all counted
        fits->estimates[1][f] = f == 7 ? NaN : 1.0;        // ties uncounted, the NaN counted
        fits->estimates[2][f] = 3.0;                       // the same in every fit
        fits->fit_r_squared[f] = f == 0 ? NaN : 0.5;
    }
    fits->p_values[4] = 42.0;  // beyond entry m: untouched
    permutation_p_values(fits->p_values, fits->estimates, fits->fit_r_squared);
    EXPECT_EQ(bits(fits->p_values[0]), bits(0.0));
    EXPECT_EQ(three_decimals(fits->p_values[1]), "0.001");
    EXPECT_EQ(bits(fits->p_values[2]), bits(0.0));
    EXPECT_EQ(bits(fits->p_values[3]), bits(0.0));
    EXPECT_EQ(fits->p_values[4], 42.0);
}

}  // namespace
