#include "fit/model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <limits>

#include "data/design_matrix.h"
#include "test_support.h"

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(FitError, ClampsEachParameterIntoTheBounds) {
    const struct {
        const char* what;
        double lower, upper, value, expected;
    } cases[] = {
        {"at the upper bound", -2, 3, 3, 3},
        {"at the lower bound", -2, 3, -2, -2},
        {"inside", -2, 3, 0.5, 0.5},
        {"above", -2, 3, 7, 3},
        {"below", -2, 3, -9, -2},
        {"not a number", -2, 3, NaN, -2},
        {"lower above upper, value above both", 4, 1, 9, 4},
        {"lower above upper, value between", 4, 1, 2, 4},
        {"lower above upper, value below both", 4, 1, -9, 4},
    };
    auto storage = make_storage();
    for (const auto& c : cases) {
        set_run_settings(1, 0, c.lower, c.upper, 0, 1.0);
        double parameters[2] = {c.value, 99.0};
        fit_error(parameters, storage->design, storage->phenotypes);
        EXPECT_EQ(bits(parameters[0]), bits(c.expected)) << c.what;
        EXPECT_EQ(parameters[1], 99.0) << "entries from m on are not touched";
    }
}

TEST(PredictPhenotype, HomozygoteHeterozygoteAndOneAllele) {
    set_run_settings(3, 1, -10, 10, 0, 5.0);
    const double parameters[6] = {0.5, -1.25, 2.0, 0.75, -0.5, 3.0};
    const struct {
        const char* what;
        double row[6];
        double expected;
    } cases[] = {
        {"homozygote 3/3", {0, 0, 1, 0, 0, 0}, 5.0 + 2 * 2.0},
        {"heterozygote 1/2", {0, 0, 0, 1, 0, 0}, 5.0 + (0.75 + -1.25 + 0.5)},
        {"parents 1/2 x 1/3", {0.25, 0, 0, 0.25, 0.25, 0.25},
         5.0 + 2 * 0.5 * 0.25 + (0.75 - 1.25 + 0.5) * 0.25 + (-0.5 + 2.0 + 0.5) * 0.25 +
             (3.0 + 2.0 - 1.25) * 0.25},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bits(predict_phenotype(parameters, c.row)), bits(c.expected)) << c.what;
    }

    set_run_settings(1, 1, -10, 10, 0, 5.0);
    const double one[1] = {1.5};
    const double row[1] = {1.0};
    EXPECT_EQ(predict_phenotype(one, row), 8.0);
}

TEST(PredictPhenotype, PairTermAddsInteractionThenSecondThenFirstAllele) {
    // (1 + 1e-16) - 1 is 0, while (-1 + 1e-16) + 1 is not: the order shows.
    set_run_settings(2, 1, -10, 10, 0, 0.0);
    const double parameters[3] = {-1.0, 1e-16, 1.0};
    const double row[3] = {0, 0, 0.25};
    EXPECT_EQ(bits(predict_phenotype(parameters, row)), bits(0.0));
}

TEST(FitError, ZeroVectorLeavesTheMean) {
    auto storage = make_storage();
    set_run_settings(2, 3, -1, 1, 0, 2.0);
    const double phenotypes[3] = {1.0, 2.5, 4.0};
    const double rows[3][3] = {{1, 0, 0}, {0, 0.5, 0.5}, {0.25, 0.25, 0.5}};
    for (int i = 0; i < 3; ++i) {
        storage->phenotypes[i] = phenotypes[i];
        for (int j = 0; j < 3; ++j) storage->design[i][j] = rows[i][j];
    }
    double zero[3] = {0, 0, 0};
    EXPECT_EQ(fit_error(zero, storage->design, storage->phenotypes), 1.0 + 0.25 + 4.0);
    EXPECT_EQ(r_squared(zero, storage->design, storage->phenotypes), 0.0);
}

TEST(FitError, SumsSquaredResidualsOfTheClampedVector) {
    auto storage = make_storage();
    set_run_settings(2, 2, -1, 1, 0, 10.0);
    storage->design[0][0] = 1.0;   // homozygote 1/1
    storage->design[1][2] = 1.0;   // heterozygote 1/2
    storage->phenotypes[0] = 11.0;
    storage->phenotypes[1] = 9.0;
    double parameters[3] = {3.0, -0.25, 0.5};  // the first clamps to 1
    // Cross 0: 10 + 2 * 1 - 11 = 1; cross 1: 10 + (0.5 - 0.25 + 1) - 9 = 2.25.
    EXPECT_EQ(fit_error(parameters, storage->design, storage->phenotypes), 1.0 + 2.25 * 2.25);
    EXPECT_EQ(parameters[0], 1.0);
    // A second call finds nothing to clamp and gives the same value.
    EXPECT_EQ(fit_error(parameters, storage->design, storage->phenotypes), 1.0 + 2.25 * 2.25);
}

TEST(RSquared, ExplainedOverTotalWithoutClamping) {
    auto storage = make_storage();
    set_run_settings(1, 2, -1, 1, 0, 10.0);
    storage->design[0][0] = 1.0;
    storage->design[1][0] = 0.25;
    storage->phenotypes[0] = 14.0;
    storage->phenotypes[1] = 8.0;
    const double parameters[1] = {3.0};  // outside the bounds, and used as it is
    // Explained: 6^2 + 1.5^2; total: 4^2 + 2^2.
    EXPECT_EQ(r_squared(parameters, storage->design, storage->phenotypes), 38.25 / 20.0);
}

TEST(RSquared, NoCrossesGiveNotANumber) {
    auto storage = make_storage();
    set_run_settings(1, 0, -1, 1, 0, 0.0);
    const double parameters[1] = {0.5};
    double clamped[1] = {0.5};
    EXPECT_EQ(fit_error(clamped, storage->design, storage->phenotypes), 0.0);
    EXPECT_TRUE(std::isnan(r_squared(parameters, storage->design, storage->phenotypes)));
}

}  // namespace

namespace {

// The indexed fit error, sparse or dense, must match the plain one bit for
// bit, clamp included; so must R squared of the clamped vector, the only kind
// a run scores.
void expect_same_fit_error(RunStorage& s, double* parameters, const char* what) {
    double plain[MAX_PARAMETERS];
    std::copy(parameters, parameters + parameter_count, plain);
    const double expected = fit_error(plain, s.design, s.phenotypes);
    const double expected_r_squared = r_squared(plain, s.design, s.phenotypes);
    for (const Evaluation evaluation : {Evaluation::sparse, Evaluation::dense}) {
        auto terms = std::make_unique<DesignTerms>();
        index_design(s.design, *terms, evaluation);
        double indexed[MAX_PARAMETERS];
        std::copy(parameters, parameters + parameter_count, indexed);
        ASSERT_EQ(bits(fit_error(indexed, *terms, s.phenotypes)), bits(expected)) << what;
        for (int j = 0; j < parameter_count; ++j) {
            ASSERT_EQ(bits(indexed[j]), bits(plain[j])) << what;
        }
        ASSERT_EQ(bits(r_squared(indexed, *terms, s.phenotypes)), bits(expected_r_squared))
            << what;
    }
}

TEST(IndexedFitError, MatchesThePlainFitErrorOnRandomCrosses) {
    auto storage = make_storage();
    std::uint32_t state = 12345;
    auto next = [&state](int range) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(range));
    };
    for (int trial = 0; trial < 600; ++trial) {
        // Mostly small, sometimes up to the capacities.
        const int n = trial % 10 == 0 ? 1 + next(MAX_ALLELES) : 1 + next(8);
        const int crosses = trial % 10 == 0 ? 1 + next(MAX_CROSSES) : 1 + next(60);
        // A zero mean and zero phenotypes make zero predictions and residuals,
        // where the sign of a zero could differ between the two evaluations.
        const double mean = trial % 7 == 0 ? 0.0 : (next(4001) - 2000) / 64.0;
        set_run_settings(n, crosses, -3.0 + next(3), 1.0 + next(4), 0, mean);
        for (int i = 0; i < crosses; ++i) {
            for (int j = 0; j < parameter_count; ++j) storage->design[i][j] = 0.0;
            // Allele numbers 0 and n + 1 are included: they add nothing.
            add_design_row(storage->design[i], n, next(n + 2) - 1, next(n + 2) - 1,
                           next(n + 2) - 1, next(n + 2) - 1);
            storage->phenotypes[i] = next(5) == 0 ? 0.0 : (next(8001) - 4000) / 128.0;
        }
        double parameters[MAX_PARAMETERS];
        for (int j = 0; j < parameter_count; ++j) {
            const int kind = next(12);
            const double inf = std::numeric_limits<double>::infinity();
            parameters[j] = kind == 0   ? NaN
                            : kind == 1 ? -0.0
                            : kind == 2 ? (next(2) ? inf : -inf)
                                        : (next(2001) - 1000) / 97.0;
        }
        expect_same_fit_error(*storage, parameters, "random crosses");
    }
}

TEST(IndexedFitError, WalksWholeRowsWhereSkippingCouldChangeBits) {
    auto storage = make_storage();
    // Parameters so large that a zero term is inf * 0, a NaN.
    set_run_settings(2, 1, -1e308, 1e308, 0, 1.0);
    storage->design[0][0] = 1.0;
    double huge[3] = {1e308, 1e308, 1e308};
    expect_same_fit_error(*storage, huge, "huge parameters");

    // Rows no cross can have: five non-zero cells, and a cell that is not finite.
    set_run_settings(3, 2, -5, 5, 0, 1.0);
    const double five[6] = {0.25, 0.125, 0.125, 0.25, 0.125, 0.125};
    const double infinite[6] = {0, std::numeric_limits<double>::infinity(), 0, 0, 0, 0.5};
    for (int j = 0; j < 6; ++j) {
        storage->design[0][j] = five[j];
        storage->design[1][j] = infinite[j];
    }
    storage->phenotypes[0] = 3.0;
    storage->phenotypes[1] = -2.0;
    double parameters[6] = {0.5, -0.0, 1.5, -2.0, 4.0, 0.0};
    expect_same_fit_error(*storage, parameters, "unusual rows");
}

}  // namespace
