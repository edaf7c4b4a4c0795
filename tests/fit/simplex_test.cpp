#include "fit/simplex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <string>

#include "data/cross_data.h"

#include "fit/model.h"
#include "run/random_source.h"
#include "test_support.h"

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

// One cross homozygous for allele 1 with phenotype equal to the mean: the
// error of a vertex is 4 p0^2 with p0 clamped into the bounds.
std::unique_ptr<RunStorage> square_problem(int alleles, double lower, double upper, int budget) {
    auto storage = make_storage();
    set_run_settings(alleles, 1, lower, upper, budget, 0.0);
    storage->design[0][0] = 1.0;
    storage->phenotypes[0] = 0.0;
    return storage;
}

// Sets the first coordinate of each vertex (the rest 0) and evaluates it.
void place_vertices(RunStorage& s, std::initializer_list<double> first_coordinates) {
    int r = 0;
    for (double x : first_coordinates) {
        for (int j = 0; j < parameter_count; ++j) s.simplex[r][j] = 0.0;
        s.simplex[r][0] = x;
        double copy[MAX_PARAMETERS];
        std::copy(s.simplex[r], s.simplex[r] + parameter_count, copy);
        s.vertex_errors[r] = fit_error(copy, s.design, s.phenotypes);
        ++r;
    }
}

struct Minimised {
    SimplexEnd end;
    std::string printed;
};

Minimised minimise(RunStorage& s) {
    testing::internal::CaptureStdout();
    const SimplexEnd end = minimise_simplex(s.simplex, s.vertex_errors, parameter_count,
                                            FIT_TOLERANCE, s.design, s.phenotypes);
    return {end, testing::internal::GetCapturedStdout()};
}

TEST(RankVertices, TiesAndNotANumber) {
    const struct {
        const char* what;
        VertexErrors errors;
        int m;
        int best, worst, second;
    } cases[] = {
        {"distinct", {3, 1, 2}, 2, 1, 0, 2},
        {"all tied: best is the last, worst starts at 1", {5, 5, 5, 5}, 3, 3, 1, 0},
        {"tied worst stays on the earlier vertex", {1, 9, 0, 9}, 3, 2, 1, 3},
        {"tied best moves to the later vertex", {2, 7, 2, 5}, 3, 2, 1, 3},
        {"m = 1, distinct", {4, 1}, 1, 1, 0, 1},
        {"every error is \"not at most\" a NaN worst, so the next one displaces it",
         {1, NaN, 3}, 2, 0, 2, 1},
    };
    for (const auto& c : cases) {
        const VertexRanks ranks = rank_vertices(c.errors, c.m);
        EXPECT_EQ(ranks.best, c.best) << c.what;
        EXPECT_EQ(ranks.worst, c.worst) << c.what;
        EXPECT_EQ(ranks.second, c.second) << c.what;
    }
}

TEST(RandomiseSimplex, DrawsRowByRowScaledByTheMean) {
    auto storage = make_storage();
    set_run_settings(2, 1, -10, 10, 0, 3.0);
    storage->simplex[0][0] = 42.0;
    seed_random(12345);
    randomise_simplex(1, storage->simplex);
    EXPECT_EQ(storage->simplex[0][0], 42.0) << "row 0 is kept";
    seed_random(12345);
    for (int r = 1; r <= 3; ++r) {
        for (int j = 0; j < 3; ++j) {
            EXPECT_EQ(bits(storage->simplex[r][j]), bits((random15() / 32768.0) * 3.0));
        }
    }
    EXPECT_EQ(storage->simplex[1][3], 0.0) << "columns from m on are not touched";
    EXPECT_EQ(storage->simplex[4][0], 0.0) << "rows past m are not touched";
}

TEST(TrySimplexMove, ReflectsThroughTheCentroidAndStoresTheClampedPoint) {
    auto storage = square_problem(1, -3, 3, 100);
    place_vertices(*storage, {1.0, 2.5});
    auto terms = std::make_unique<DesignTerms>();
    index_design(storage->design, *terms);
    double column_sums[MAX_PARAMETERS] = {3.5};
    const double error = try_simplex_move(storage->simplex, storage->vertex_errors, column_sums,
                                          1, 1, -1.0, *terms, storage->phenotypes);
    EXPECT_EQ(error, 4 * 0.25);  // reflection of 2.5 through 1 is -0.5
    EXPECT_EQ(storage->simplex[1][0], -0.5);
    EXPECT_EQ(storage->vertex_errors[1], 1.0);
    EXPECT_EQ(column_sums[0], 0.5);

    const double far = try_simplex_move(storage->simplex, storage->vertex_errors, column_sums, 1,
                                        1, 5.0, *terms, storage->phenotypes);
    EXPECT_EQ(far, 36.0) << "1 + 5 (-0.5 - 1) = -6.5 clamps to -3";
    EXPECT_EQ(storage->simplex[1][0], -0.5) << "a worse trial point is not stored";

    storage->vertex_errors[1] = 40.0;
    try_simplex_move(storage->simplex, storage->vertex_errors, column_sums, 1, 1, 5.0,
                     *terms, storage->phenotypes);
    EXPECT_EQ(storage->simplex[1][0], -3.0) << "an accepted point is stored clamped";
    EXPECT_EQ(column_sums[0], -2.0);
}

TEST(TrySimplexMove, AcceptsATrialErrorThatIsNotANumber) {
    auto storage = square_problem(1, -3, 3, 100);
    storage->phenotypes[0] = NaN;
    storage->simplex[0][0] = 1.0;
    storage->simplex[1][0] = 2.0;
    storage->vertex_errors[0] = 1.0;
    storage->vertex_errors[1] = 2.0;
    auto terms = std::make_unique<DesignTerms>();
    index_design(storage->design, *terms);
    double column_sums[MAX_PARAMETERS] = {3.0};
    const double error = try_simplex_move(storage->simplex, storage->vertex_errors, column_sums,
                                          1, 1, -1.0, *terms, storage->phenotypes);
    EXPECT_TRUE(std::isnan(error));
    EXPECT_TRUE(std::isnan(storage->vertex_errors[1]));
    EXPECT_EQ(storage->simplex[1][0], 0.0);
}

TEST(MinimiseSimplex, AllEqualErrorsConvergeAtOnceOntoTheLastVertex) {
    auto storage = square_problem(2, -10, 10, -5);  // a budget already passed
    for (int r = 0; r <= 3; ++r) {
        for (int j = 0; j < 3; ++j) storage->simplex[r][j] = r * 10 + j;
        storage->vertex_errors[r] = 0.0;
    }
    storage->vertex_errors[3] = -0.0;
    const Minimised result = minimise(*storage);
    EXPECT_EQ(result.end, SimplexEnd::converged);
    EXPECT_EQ(result.printed, "");
    EXPECT_EQ(evaluation_count, 0);
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(storage->simplex[0][j], 30 + j);
        EXPECT_EQ(storage->simplex[3][j], j);
    }
    EXPECT_EQ(bits(storage->vertex_errors[0]), bits(-0.0));
}

// The charge of each kind of iteration, read off the count at which a budget
// of 0 or 1 runs out at the start of the next iteration.
TEST(MinimiseSimplex, ChargesEachIterationItsEvaluations) {
    const struct {
        const char* what;
        int alleles;
        double lower, upper;
        std::initializer_list<double> vertices;
        int budget;
        std::int64_t charged;
    } cases[] = {
        {"reflection and expansion", 1, -10, 10, {1.0, 2.0}, 1, 2},
        {"reflection and contraction", 1, -10, 10, {0.0, 1.0}, 1, 2},
        {"reflection, contraction and shrink", 1, -10, 10, {9.0, 40.0}, 2, 3},
        {"reflection only", 2, -10, 10, {0.0, 1.0, 5.0, 6.0}, 0, 1},
    };
    for (const auto& c : cases) {
        auto storage = square_problem(c.alleles, c.lower, c.upper, c.budget);
        place_vertices(*storage, c.vertices);
        const Minimised result = minimise(*storage);
        EXPECT_EQ(result.end, SimplexEnd::budget_exhausted) << c.what;
        EXPECT_EQ(result.printed, "Maximum function calls exceeded.") << c.what;
        EXPECT_EQ(evaluation_count, c.charged) << c.what;
    }
}

TEST(MinimiseSimplex, ShrinkKeepsTheUnclampedMidpointInTheRow) {
    // Errors are flat at 400 beyond |p0| = 10, so the contraction from 40 toward
    // 9 gains nothing and the simplex shrinks.
    auto storage = square_problem(1, -10, 10, 2);
    place_vertices(*storage, {9.0, 40.0});
    minimise(*storage);
    EXPECT_EQ(storage->simplex[0][0], 9.0);
    EXPECT_EQ(storage->simplex[1][0], 24.5);
    EXPECT_EQ(storage->vertex_errors[1], 400.0);
}

TEST(MinimiseSimplex, NegativeBudgetStopsBeforeAnyEvaluation) {
    auto storage = square_problem(1, -10, 10, -1);
    place_vertices(*storage, {2.0, 1.0});
    const Minimised result = minimise(*storage);
    EXPECT_EQ(result.printed, "Maximum function calls exceeded.");
    EXPECT_EQ(evaluation_count, 0);
    EXPECT_EQ(storage->simplex[0][0], 2.0) << "no exchange after a budget exit";
    EXPECT_EQ(storage->simplex[1][0], 1.0);
}

TEST(MinimiseSimplex, ConvergenceIsTestedBeforeTheBudget) {
    // Reflection of 3 through 1 lands on -1, as good as the best; the simplex
    // has converged although the count of 2 is past the budget of 1.
    auto storage = square_problem(1, -10, 10, 1);
    place_vertices(*storage, {1.0, 3.0});
    const Minimised result = minimise(*storage);
    EXPECT_EQ(result.end, SimplexEnd::converged);
    EXPECT_EQ(result.printed, "");
    EXPECT_EQ(evaluation_count, 2);
    EXPECT_EQ(storage->simplex[0][0], -1.0) << "the tied best is the last vertex";
    EXPECT_EQ(storage->simplex[1][0], 1.0);
}

TEST(MinimiseSimplex, BudgetOfZeroRunsOneIteration) {
    auto storage = square_problem(1, -10, 10, 0);
    place_vertices(*storage, {1.0, 2.0});
    const Minimised result = minimise(*storage);
    EXPECT_EQ(result.printed, "Maximum function calls exceeded.");
    EXPECT_EQ(evaluation_count, 2);
    EXPECT_EQ(storage->simplex[1][0], 0.0) << "the reflection was stored";
}

// Two alleles, three kinds of cross, replicated with scatter: the least-squares
// optimum is identifiable and has a non-zero residual.
struct Identifiable {
    std::unique_ptr<RunStorage> storage = make_storage();
    double optimum[3];
};

Identifiable identifiable_problem() {
    Identifiable problem;
    RunStorage& s = *problem.storage;
    const double rows[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const double phenotypes[9] = {12.0, 12.5, 11.75, 8.25, 9.0, 8.5, 10.5, 11.25, 10.0};
    set_run_settings(2, 9, -10, 10, 100000, 0.0);
    double mean = 0.0;
    for (int i = 0; i < 9; ++i) {
        for (int j = 0; j < 3; ++j) s.design[i][j] = rows[i / 3][j];
        s.phenotypes[i] = phenotypes[i];
        mean = phenotypes[i] / 9 + mean;
    }
    phenotype_mean = mean;
    // Prediction = mean + A p, with A's rows (2, 0, 0), (0, 2, 0) and (1, 1, 1):
    // the three group means determine p exactly.
    double group[3] = {0, 0, 0};
    for (int i = 0; i < 9; ++i) group[i / 3] += phenotypes[i] / 3;
    problem.optimum[0] = (group[0] - mean) / 2;
    problem.optimum[1] = (group[1] - mean) / 2;
    problem.optimum[2] = (group[2] - mean) - problem.optimum[0] - problem.optimum[1];
    return problem;
}

// Random rows from start_row on, then every row evaluated, as a pass begins.
void start_pass(RunStorage& s, int start_row) {
    randomise_simplex(start_row, s.simplex);
    for (int r = 0; r <= parameter_count; ++r) {
        s.vertex_errors[r] = fit_error(s.simplex[r], s.design, s.phenotypes);
    }
}

void two_pass_fit(RunStorage& s) {
    for (int start_row : {0, 1}) {
        start_pass(s, start_row);
        minimise(s);
    }
}

TEST(MinimiseSimplex, ReachesTheLeastSquaresOptimum) {
    Identifiable problem = identifiable_problem();
    RunStorage& s = *problem.storage;
    seed_random(20261210);
    two_pass_fit(s);
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(s.simplex[0][j], problem.optimum[j], 1e-4) << j;
    double optimum[3] = {problem.optimum[0], problem.optimum[1], problem.optimum[2]};
    const double best = fit_error(optimum, s.design, s.phenotypes);
    EXPECT_GE(s.vertex_errors[0], best * (1 - 1e-12));
    EXPECT_LE(s.vertex_errors[0], best * (1 + 1e-8));
}

TEST(MinimiseSimplex, BoundsHoldAtTheOptimum) {
    // With the upper bound below the unconstrained optimum of the first allele,
    // the fit ends on that bound.
    Identifiable problem = identifiable_problem();
    RunStorage& s = *problem.storage;
    ASSERT_GT(problem.optimum[0], 0.5);
    upper_bound = 0.5;
    seed_random(7);
    two_pass_fit(s);
    EXPECT_EQ(s.simplex[0][0], 0.5);
    for (int j = 0; j < 3; ++j) EXPECT_LE(s.simplex[0][j], 0.5);
}

TEST(MinimiseSimplex, SameSeedAndDataGiveTheSameBits) {
    std::uint64_t first[3];
    for (int run = 0; run < 2; ++run) {
        Identifiable problem = identifiable_problem();
        RunStorage& s = *problem.storage;
        seed_random(99);
        two_pass_fit(s);
        for (int j = 0; j < 3; ++j) {
            if (run == 0) first[j] = bits(s.simplex[0][j]);
            else EXPECT_EQ(bits(s.simplex[0][j]), first[j]);
        }
    }
}

TEST(MinimiseSimplex, ExampleDataConvergeWithinTheBudgetAndRepeatExactly) {
    std::uint64_t first[MAX_PARAMETERS];
    for (int run = 0; run < 2; ++run) {
        auto storage = make_storage();
        std::ifstream file(QUEN_EXAMPLES_DIR "/quendata.txt");
        ASSERT_EQ(parse_cross_data(file, "quendata.txt", storage->design,
                                   storage->observed_phenotypes, storage->phenotypes)
                      .status,
                  DataStatus::ok);
        seed_random(1765411200u);
        start_pass(*storage, 0);
        const Minimised result = minimise(*storage);
        EXPECT_EQ(result.end, SimplexEnd::converged);
        EXPECT_EQ(result.printed, "");
        EXPECT_LE(evaluation_count, max_evaluations + parameter_count + 2);
        for (int j = 0; j < parameter_count; ++j) {
            if (run == 0) first[j] = bits(storage->simplex[0][j]);
            else EXPECT_EQ(bits(storage->simplex[0][j]), first[j]) << j;
        }
    }
}

}  // namespace
