// The hot path of a run: the fit error, and whole minimisations, at a typical
// size and at full capacity. Run: build/bench/quen_bench
#include <benchmark/benchmark.h>

#include <memory>

#include "capacities.h"
#include "data/design_matrix.h"
#include "fit/model.h"
#include "fit/simplex.h"
#include "run/random_source.h"
#include "run_settings.h"

namespace {

struct Problem {
    Design design;
    PhenotypeVector phenotypes;
    Simplex simplex;
    VertexErrors vertex_errors;
};

// Random crosses of n alleles with phenotypes around 20.
std::unique_ptr<Problem> make_problem(int n, int crosses) {
    auto p = std::make_unique<Problem>();
    allele_count = n;
    cross_count = crosses;
    parameter_count = n + n * (n - 1) / 2;
    lower_bound = -10.0;
    upper_bound = 10.0;
    max_evaluations = 100000;
    seed_random(1);
    double mean = 0.0;
    for (int i = 0; i < crosses; ++i) {
        for (int j = 0; j < parameter_count; ++j) p->design[i][j] = 0.0;
        const int p1 = random15() % n, p2 = random15() % n;
        const int q1 = random15() % n, q2 = random15() % n;
        add_design_row(p->design[i], n, p1, p2, q1, q2);
        p->phenotypes[i] = 20.0 + (random15() % 1000) / 250.0;
        mean = p->phenotypes[i] / crosses + mean;
    }
    phenotype_mean = mean;
    return p;
}

void BM_fit_error(benchmark::State& state) {
    auto p = make_problem(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    randomise_simplex(0, p->simplex);
    for (auto _ : state) {
        benchmark::DoNotOptimize(fit_error(p->simplex[0], p->design, p->phenotypes));
    }
}
BENCHMARK(BM_fit_error)->Args({4, 36})->Args({8, 200})->Args({24, 1000});

// The same through the index of non-zero cells, as the minimiser evaluates.
void BM_fit_error_indexed(benchmark::State& state) {
    auto p = make_problem(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    auto terms = std::make_unique<DesignTerms>();
    index_design(p->design, *terms);
    randomise_simplex(0, p->simplex);
    for (auto _ : state) {
        benchmark::DoNotOptimize(fit_error(p->simplex[0], *terms, p->phenotypes));
    }
}
BENCHMARK(BM_fit_error_indexed)->Args({4, 36})->Args({8, 200})->Args({24, 1000});

// One two-pass fit, as the permutation loop makes 1001 of.
void BM_two_pass_fit(benchmark::State& state) {
    auto p = make_problem(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        for (int start_row : {0, 1}) {
            randomise_simplex(start_row, p->simplex);
            for (int r = 0; r <= parameter_count; ++r) {
                p->vertex_errors[r] = fit_error(p->simplex[r], p->design, p->phenotypes);
            }
            minimise_simplex(p->simplex, p->vertex_errors, parameter_count, FIT_TOLERANCE,
                             p->design, p->phenotypes);
        }
        benchmark::DoNotOptimize(p->simplex[0][0]);
    }
}
BENCHMARK(BM_two_pass_fit)->Args({4, 36})->Args({8, 200})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
