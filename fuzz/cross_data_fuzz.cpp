// Fuzz target for the data file reader and what follows it: any bytes either
// give a data set within the fixed capacities or one refusal line naming the
// file; never a crash, an overflow or a half-read data set. Small accepted
// data sets go on through the 1001 fits (with a budget of a few evaluations),
// the p-values and both reports, whose invariants are checked.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "data/cross_data.h"
#include "permutation/fit_loop.h"
#include "permutation/p_values.h"
#include "report/reports.h"
#include "run/random_source.h"
#include "run_storage.h"
#include "run_settings.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

bool is_one_line(const std::string& text, const char* start) {
    return text.rfind(start, 0) == 0 && text.find('\n') == std::string::npos;
}

std::size_t count_lines(const std::string& text) {
    std::size_t lines = 0;
    for (const char c : text) lines += c == '\n';
    return lines;
}

// The whole run after the reader, kept small enough for many runs a second.
void run_pipeline(RunStorage& s, std::FILE* console) {
    if (max_evaluations > 3) max_evaluations = 3;
    seed_random(static_cast<std::uint32_t>(cross_count * 7919 + allele_count));
    run_permutation_fits(s.design, s.observed_phenotypes, s.phenotypes, s.simplex,
                         s.vertex_errors, s.estimates, s.fit_r_squared, console);
    const int m = parameter_count;
    // Every estimate was clamped into the bounds (onto the lower one when
    // the bounds cross), and the last permutation holds the observed values.
    for (int p = 0; p < m; ++p) {
        for (int f = 0; f < FIT_COUNT; ++f) {
            const double e = s.estimates[p][f];
            require(e == lower_bound || (e >= lower_bound && e <= upper_bound));
        }
    }
    std::vector<double> permuted(s.phenotypes, s.phenotypes + cross_count);
    std::vector<double> observed(s.observed_phenotypes, s.observed_phenotypes + cross_count);
    std::sort(permuted.begin(), permuted.end());
    std::sort(observed.begin(), observed.end());
    require(permuted == observed);
    permutation_p_values(s.p_values, s.estimates, s.fit_r_squared);
    for (int j = 0; j <= m; ++j) {
        require(s.p_values[j] >= 0.0 && s.p_values[j] <= 1.0 && !std::signbit(s.p_values[j]));
        if (j < m) require(s.p_values[j] <= 0.5);
    }
    require(count_lines(console_report(s.estimates, s.fit_r_squared, s.p_values)) ==
            static_cast<std::size_t>(m) + 2);
    require(count_lines(results_report(s.estimates, s.fit_r_squared, s.p_values)) ==
            static_cast<std::size_t>(m) + 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto storage = std::make_unique<RunStorage>();
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const DataOutcome outcome = parse_cross_data(in, "quendata.txt", storage->design,
                                                 storage->observed_phenotypes,
                                                 storage->phenotypes);
    if (outcome.status != DataStatus::ok) {
        require(outcome.status == DataStatus::refused);
        require(is_one_line(outcome.error, "Error: quendata.txt: "));
        require(outcome.warnings.empty());
        return 0;
    }
    for (const std::string& warning : outcome.warnings) {
        require(is_one_line(warning, "Warning: quendata.txt: "));
    }
    const int n = allele_count;
    require(n >= 1 && n <= MAX_ALLELES);
    require(cross_count >= 1 && cross_count <= MAX_CROSSES);
    require(parameter_count == n + n * (n - 1) / 2 && parameter_count <= MAX_PARAMETERS);
    require(std::isfinite(lower_bound) && std::isfinite(upper_bound));
    require(std::isfinite(phenotype_mean));
    for (int i = 0; i < cross_count; ++i) {
        require(std::isfinite(storage->phenotypes[i]));
        require(storage->phenotypes[i] == storage->observed_phenotypes[i]);
        double sum = 0.0;
        for (int j = 0; j < parameter_count; ++j) {
            const double cell = storage->design[i][j];
            require(cell >= 0.0 && cell <= 1.0 && std::floor(cell * 4) == cell * 4);
            sum += cell;
        }
        require(sum <= 1.0);
    }
    if (n <= 3 && cross_count <= 8) {
        static std::FILE* console = std::fopen("/dev/null", "w");
        run_pipeline(*storage, console);
    }
    return 0;
}
