#include "permutation/fit_loop.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "data/cross_data.h"
#include "fit/simplex.h"
#include "permutation/shuffle.h"
#include "run/random_source.h"
#include "test_support.h"

namespace {

// Three alleles, ten crosses, or one cross; the budget is the last header field.
std::string ten_crosses(int budget) {
    return "3 10 -8 8 " + std::to_string(budget) +
           "\n1 2 1 3 10.5\n2 2 2 3 8.25\n1 1 3 3 12\n2 3 2 3 9.5\n1 3 2 2 11\n"
           "3 3 3 3 7.75\n1 2 2 3 9\n1 1 1 2 13.5\n2 2 3 3 8\n1 3 1 3 10\n";
}
const char* ONE_CROSS = "2 1 -5 5 300\n1 2 2 2 4.5\n";

std::unique_ptr<RunStorage> load(const std::string& text) {
    auto s = make_storage();
    std::istringstream in(text);
    EXPECT_EQ(parse_cross_data(in, "quendata.txt", s->design, s->observed_phenotypes,
                               s->phenotypes)
                  .status,
              DataStatus::ok);
    return s;
}

std::string run_fits(RunStorage& s, std::uint32_t seed, FitSettings settings = {}) {
    seed_random(seed);
    std::FILE* console = std::tmpfile();
    run_permutation_fits(s.design, s.observed_phenotypes, s.phenotypes, s.simplex,
                         s.vertex_errors, s.estimates, s.fit_r_squared, console, settings);
    std::string printed = contents(console);
    std::fclose(console);
    return printed;
}

TEST(RunPermutationFits, TakesAFixedNumberOfValuesPerFit) {
    for (const std::string& text : {ten_crosses(500), std::string(ONE_CROSS)}) {
        auto s = load(text);
        const int m = parameter_count;
        run_fits(*s, 4242, {Evaluation::sparse, 1});
        const std::uint32_t after = random_state;
        seed_random(4242);
        const long long per_fit = m * (m + 1) + m * m + std::max(cross_count, 2);
        for (long long i = 0; i < FIT_COUNT * per_fit; ++i) random15();
        EXPECT_EQ(after, random_state) << "N = " << cross_count;
    }
}

TEST(RunPermutationFits, CountdownOnOneLine) {
    auto s = load(ten_crosses(100000));
    EXPECT_EQ(run_fits(*s, 1), " 10  9  8  7  6  5  4  3  2  1");
}

TEST(RunPermutationFits, SpentBudgetsPrintBetweenTheCountdownNumbers) {
    auto s = load(ten_crosses(0));
    std::string expected;
    for (int f = 0; f < FIT_COUNT; ++f) {
        expected += std::string(BUDGET_MESSAGE) + BUDGET_MESSAGE;
        if (f % 100 == 1) expected += f == 1 ? " 10" : "  " + std::to_string((1001 - f) / 100);
    }
    EXPECT_EQ(run_fits(*s, 5), expected);
}

// Replays the first two fits by hand: fit 0 on the file order, fit 1 on the
// permutation drawn after fit 0, each scored on its own phenotypes.
TEST(RunPermutationFits, RecordsEachFitOnThePhenotypesItUsed) {
    auto run = load(ten_crosses(2000));
    run_fits(*run, 31);

    auto replay = load(ten_crosses(2000));
    DesignTerms terms;
    index_design(replay->design, terms);
    seed_random(31);
    for (int f = 0; f < 2; ++f) {
        fit_model(replay->simplex, replay->vertex_errors, terms, replay->phenotypes);
        for (int p = 0; p < parameter_count; ++p) {
            EXPECT_EQ(bits(run->estimates[p][f]), bits(replay->simplex[0][p])) << f << " " << p;
        }
        EXPECT_EQ(bits(run->fit_r_squared[f]),
                  bits(r_squared(replay->simplex[0], replay->design, replay->phenotypes)));
        shuffle_phenotypes(replay->phenotypes, replay->observed_phenotypes);
    }
    EXPECT_NE(bits(run->fit_r_squared[0]), bits(run->fit_r_squared[1]));
}

// The second pass keeps the first pass's best vertex in row 0, draws the
// other rows afresh and evaluates row 0 again with them.
TEST(FitModel, SecondPassRestartsFromTheFirstPassBestVertex) {
    auto fitted = load(ten_crosses(100000));
    auto manual = load(ten_crosses(100000));
    DesignTerms terms;
    index_design(fitted->design, terms);
    const int m = parameter_count;

    seed_random(8);
    EXPECT_EQ(fit_model(fitted->simplex, fitted->vertex_errors, terms, fitted->phenotypes).budget_messages, 0);

    seed_random(8);
    RunStorage& s = *manual;
    randomise_simplex(0, s.simplex);
    for (int j = 0; j <= m; ++j) s.vertex_errors[j] = fit_error(s.simplex[j], terms, s.phenotypes);
    ASSERT_EQ(minimise_simplex(s.simplex, s.vertex_errors, m, FIT_TOLERANCE, terms, s.phenotypes),
              SimplexEnd::converged);
    const double first_pass_error = s.vertex_errors[0];
    randomise_simplex(1, s.simplex);
    for (int j = 0; j <= m; ++j) s.vertex_errors[j] = fit_error(s.simplex[j], terms, s.phenotypes);
    EXPECT_EQ(bits(s.vertex_errors[0]), bits(first_pass_error));
    minimise_simplex(s.simplex, s.vertex_errors, m, FIT_TOLERANCE, terms, s.phenotypes);

    for (int p = 0; p < m; ++p) EXPECT_EQ(bits(fitted->simplex[0][p]), bits(s.simplex[0][p]));
    EXPECT_LE(s.vertex_errors[0], first_pass_error);
}

std::string example_data() {
    std::ifstream in(QUEN_EXAMPLES_DIR "/quendata.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Everything a run leaves: the console bytes, every estimate and R squared
// by its bits, the phenotypes after the last shuffle and the random state.
std::string everything(RunStorage& s, const std::string& console) {
    std::ostringstream all;
    all << console << '\n';
    for (int f = 0; f < FIT_COUNT; ++f) {
        for (int p = 0; p < parameter_count; ++p) all << bits(s.estimates[p][f]) << ' ';
        all << bits(s.fit_r_squared[f]) << '\n';
    }
    for (int i = 0; i < cross_count; ++i) all << bits(s.phenotypes[i]) << ' ';
    all << random_state;
    return all.str();
}

// One worker with the dense reference evaluation is the definition; sparse
// evaluation and any number of workers must give the same bytes and bits.
TEST(RunPermutationFits, SameResultsWhateverTheWorkersAndEvaluation) {
    const struct {
        const char* what;
        std::string data;
    } cases[] = {
        {"ten crosses, some budgets spent", ten_crosses(1000)},
        {"every budget spent", ten_crosses(0)},
        {"one cross", ONE_CROSS},
        {"example data", example_data()},
    };
    const FitSettings ways[] = {
        {Evaluation::sparse, 1}, {Evaluation::sparse, 2}, {Evaluation::sparse, 3},
        {Evaluation::dense, 2},
    };
    for (const auto& c : cases) {
        auto s = load(c.data);
        const std::string reference = everything(*s, run_fits(*s, 77, {Evaluation::dense, 1}));
        for (const FitSettings& way : ways) {
            auto t = load(c.data);
            const std::string got = everything(*t, run_fits(*t, 77, way));
            EXPECT_TRUE(got == reference) << c.what << ", " << way.workers << " workers, "
                                          << (way.evaluation == Evaluation::dense ? "dense" : "sparse");
        }
    }
}

}  // namespace
