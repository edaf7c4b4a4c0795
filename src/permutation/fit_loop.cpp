#include "permutation/fit_loop.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "fit/simplex.h"
#include "permutation/shuffle.h"
#include "run/random_source.h"
#include "run_settings.h"

FitOutcome fit_model(Simplex& simplex, VertexErrors& vertex_errors, const DesignTerms& terms,
                     const PhenotypeVector& phenotypes) {
    const int m = parameter_count;
    FitOutcome outcome{0, 0};
    for (int start_row = 0; start_row <= 1; ++start_row) {
        randomise_simplex(start_row, simplex);
        // Row 0 is evaluated again in the second pass, like every other row;
        // these evaluations are not charged to the budget.
        for (int j = 0; j < m + 1; ++j) vertex_errors[j] = fit_error(simplex[j], terms, phenotypes);
        if (minimise_simplex(simplex, vertex_errors, m, FIT_TOLERANCE, terms, phenotypes) ==
            SimplexEnd::budget_exhausted) {
            ++outcome.budget_messages;
        }
        outcome.evaluations += (m + 1) + evaluation_count;
    }
    return outcome;
}

void print_fit_progress(std::FILE* console, int fit, int budget_messages) {
    for (int i = 0; i < budget_messages; ++i) std::fputs(BUDGET_MESSAGE, console);
    // Truncating remainder: fit 0 gives -1 and prints nothing.
    if ((fit - 1) % 100 == 0) {
        std::fprintf(console, "%3d", static_cast<int>((FIT_COUNT - fit) / 100.0));
    }
    if (budget_messages > 0 || (fit - 1) % 100 == 0) std::fflush(console);
}

namespace {

// What one thread needs of its own to make fits. The first worker uses the
// caller's simplex; the others bring their own.
struct Worker {
    Simplex* simplex;
    VertexErrors* vertex_errors;
    PhenotypeVector phenotypes;
    std::int64_t evaluations = 0;
    struct Own {
        Simplex simplex;
        VertexErrors vertex_errors;
    };
    std::unique_ptr<Own> own;
};

// Fits finish out of order; the console hears of them in order.
struct Progress {
    std::mutex lock;
    std::FILE* console;
    int next_to_print = 0;
    bool finished[FIT_COUNT] = {};
    int budget_messages[FIT_COUNT] = {};

    void finish(int fit, int messages) {
        const std::lock_guard<std::mutex> hold(lock);
        finished[fit] = true;
        budget_messages[fit] = messages;
        while (next_to_print < FIT_COUNT && finished[next_to_print]) {
            print_fit_progress(console, next_to_print, budget_messages[next_to_print]);
            ++next_to_print;
        }
    }
};

}  // namespace

std::int64_t run_permutation_fits(const Design& design, const PhenotypeVector& observed_phenotypes,
                                  PhenotypeVector& phenotypes, Simplex& simplex,
                                  VertexErrors& vertex_errors, Estimates& estimates,
                                  FitRSquared& fit_r_squared, std::FILE* console,
                                  FitSettings settings) {
    const int m = parameter_count;
    const int crosses = cross_count;
    auto terms = std::make_unique<DesignTerms>();
    index_design(design, *terms, settings.evaluation);

    // Values taken from the random source: by each shuffle, and by each fit
    // with the shuffle that follows it.
    const std::uint64_t shuffle_values = static_cast<std::uint64_t>(std::max(crosses, 2));
    const std::uint64_t values_per_fit =
        static_cast<std::uint64_t>(m) * static_cast<std::uint64_t>(m + 1) +
        static_cast<std::uint64_t>(m) * static_cast<std::uint64_t>(m) + shuffle_values;
    const std::uint32_t first_state = random_state;

    // All storage of the fits exists before the first fit.
    const int worker_count = std::clamp(settings.workers, 1, FIT_COUNT);
    std::vector<Worker> workers(static_cast<std::size_t>(worker_count));
    for (int w = 0; w < worker_count; ++w) {
        Worker& worker = workers[static_cast<std::size_t>(w)];
        if (w == 0) {
            worker.simplex = &simplex;
            worker.vertex_errors = &vertex_errors;
        } else {
            worker.own = std::make_unique<Worker::Own>();
            worker.simplex = &worker.own->simplex;
            worker.vertex_errors = &worker.own->vertex_errors;
        }
    }
    auto progress = std::make_unique<Progress>();
    progress->console = console;
    std::atomic<int> next_fit{0};

    const auto make_fits = [&](Worker& worker) {
        for (int f = next_fit.fetch_add(1); f < FIT_COUNT; f = next_fit.fetch_add(1)) {
            if (f == 0) {
                std::copy(phenotypes, phenotypes + crosses, worker.phenotypes);
                random_state = first_state;
            } else {
                // The shuffle made after fit f - 1, then fit f, as in one run.
                random_state = jump_random_state(
                    first_state, static_cast<std::uint64_t>(f) * values_per_fit - shuffle_values);
                shuffle_phenotypes(worker.phenotypes, observed_phenotypes);
            }
            const FitOutcome fit =
                fit_model(*worker.simplex, *worker.vertex_errors, *terms, worker.phenotypes);
            const Simplex& fitted = *worker.simplex;
            for (int p = 0; p < m; ++p) estimates[p][f] = fitted[0][p];
            fit_r_squared[f] = r_squared(fitted[0], *terms, worker.phenotypes);
            worker.evaluations += fit.evaluations;
            progress->finish(f, fit.budget_messages);
        }
    };

    std::vector<std::thread> threads;
    for (int w = 1; w < worker_count; ++w) {
        try {
            threads.emplace_back(make_fits, std::ref(workers[static_cast<std::size_t>(w)]));
        } catch (const std::system_error&) {
            break;  // fewer threads: the fits still all get made
        }
    }
    make_fits(workers[0]);
    for (auto& thread : threads) thread.join();

    random_state = jump_random_state(first_state, FIT_COUNT * values_per_fit - shuffle_values);
    shuffle_phenotypes(phenotypes, observed_phenotypes);

    std::int64_t evaluations = 0;
    for (const Worker& worker : workers) evaluations += worker.evaluations;
    return evaluations;
}
