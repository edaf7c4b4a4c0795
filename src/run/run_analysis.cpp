#include "run/run_analysis.h"

#include <cstdio>

#include "capacities.h"
#include "data/cross_data.h"
#include "permutation/fit_loop.h"
#include "permutation/p_values.h"
#include "report/reports.h"
#include "run/cpu_count.h"
#include "run/random_source.h"

namespace {

// Several megabytes at full capacity: static rather than on the stack.
Design design;
PhenotypeVector observed_phenotypes;
PhenotypeVector phenotypes;
Simplex simplex;
VertexErrors vertex_errors;
Estimates estimates;
FitRSquared fit_r_squared;
PValues p_values;

}  // namespace

int run_analysis(std::uint32_t seed) {
    seed_random(seed);

    const DataOutcome data = read_cross_data(design, observed_phenotypes, phenotypes);
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
    run_permutation_fits(design, observed_phenotypes, phenotypes, simplex, vertex_errors,
                         estimates, fit_r_squared, stdout, fits);
    permutation_p_values(p_values, estimates, fit_r_squared);
    const std::string error =
        write_reports(estimates, fit_r_squared, p_values, stdout, RESULTS_FILE_NAME);
    if (!error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}
