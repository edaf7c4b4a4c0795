#include "run/run_analysis.h"

#include <cstdio>

#include "capacities.h"
#include "data/cross_data.h"
#include "permutation/fit_loop.h"
#include "permutation/p_values.h"
#include "report/reports.h"
#include "run/cpu_count.h"
#include "run/random_source.h"
#include "run_storage.h"

namespace {

// Several megabytes at full capacity: static rather than on the stack.
RunStorage run;

}  // namespace

int run_analysis(std::uint32_t seed) {
    seed_random(seed);

    const DataOutcome data = read_cross_data(run.design, run.observed_phenotypes, run.phenotypes);
    if (data.status == DataStatus::cannot_open) {
        std::fputs(MISSING_DATA_MESSAGE, stdout);
        std::fflush(stdout);
        return 1;
    }
    if (data.status == DataStatus::refused) {
        std::fprintf(stderr, "%s\n", data.error.c_str());
        return 1;
    }
    for (const auto& warning : data.warnings) std::fprintf(stderr, "%s\n", warning.c_str());

    FitSettings fits;
    fits.workers = available_cpus();
    run_permutation_fits(run.design, run.observed_phenotypes, run.phenotypes, run.simplex,
                         run.vertex_errors, run.estimates, run.fit_r_squared, stdout, fits);
    permutation_p_values(run.p_values, run.estimates, run.fit_r_squared);
    const std::string error = write_reports(run.estimates, run.fit_r_squared, run.p_values,
                                            stdout, RESULTS_FILE_NAME);
    if (!error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}
