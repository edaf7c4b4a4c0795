// Whole runs (the 1001 fits, the p-values and both reports) on generated data
// of three sizes, for each way of evaluating the fits. Prints seconds per run,
// fit-error evaluations per second, and each time as a ratio of the dense
// reference on one worker. Every way must give the same results; the benchmark checks that.
//
// Run: build/bench/quen_run_bench [small] [medium] [large]   (default: all)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "capacities.h"
#include "data/cross_data.h"
#include "permutation/fit_loop.h"
#include "permutation/p_values.h"
#include "report/reports.h"
#include "run/cpu_count.h"
#include "run/random_source.h"
#include "run_settings.h"
#include "run_storage.h"

namespace {

struct Size {
    const char* name;
    int alleles;
    int crosses;
    int budget;
    int repeats;  // runs timed; the median is reported
};

const Size SIZES[] = {
    {"small", 3, 10, 5000, 5},
    {"medium", 6, 100, 5000, 3},
    {"large", 24, 1000, 200, 1},
};

struct Way {
    const char* name;
    FitSettings settings;
};

// The last way's worker count is filled in from the processors available.
Way WAYS[] = {
    {"dense, 1 worker", {Evaluation::dense, 1}},
    {"sparse, 1 worker", {Evaluation::sparse, 1}},
    {"sparse, all workers", {Evaluation::sparse, 1}},
};

// Crosses of random parents; each allele adds its own effect, so the data
// carry a signal for the fits to find.
std::string generate_data(const Size& size) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> allele(1, size.alleles);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::ostringstream text;
    text << size.alleles << ' ' << size.crosses << " -10 10 " << size.budget << '\n';
    for (int i = 0; i < size.crosses; ++i) {
        int a[4];
        double phenotype = 20.0;
        for (int& x : a) {
            x = allele(random);
            phenotype += 0.25 * (x % 5);
        }
        char value[32];
        std::snprintf(value, sizeof value, "%.2f", phenotype + noise(random));
        text << a[0] << ' ' << a[1] << ' ' << a[2] << ' ' << a[3] << ' ' << value << '\n';
    }
    return text.str();
}

struct Timing {
    double seconds;
    std::int64_t evaluations;
    std::string results;  // the results file's content, to compare the ways
};

Timing time_run(const std::string& data, const Way& way, RunStorage& s, std::FILE* console) {
    std::istringstream in(data);
    if (parse_cross_data(in, "generated", s.design, s.observed_phenotypes, s.phenotypes).status !=
        DataStatus::ok) {
        std::fprintf(stderr, "generated data refused\n");
        std::exit(1);
    }
    seed_random(20261211u);
    const auto start = std::chrono::steady_clock::now();
    const std::int64_t evaluations =
        run_permutation_fits(s.design, s.observed_phenotypes, s.phenotypes, s.simplex,
                             s.vertex_errors, s.estimates, s.fit_r_squared, console, way.settings);
    permutation_p_values(s.p_values, s.estimates, s.fit_r_squared);
    const std::string console_text = console_report(s.estimates, s.fit_r_squared, s.p_values);
    std::string results = results_report(s.estimates, s.fit_r_squared, s.p_values);
    const auto end = std::chrono::steady_clock::now();
    std::fputs(console_text.c_str(), console);
    return {std::chrono::duration<double>(end - start).count(), evaluations, results};
}

}  // namespace

int main(int argc, char** argv) {
    auto storage = std::make_unique<RunStorage>();
    WAYS[2].settings.workers = available_cpus();
    std::printf("%d processors available\n", available_cpus());
    std::FILE* console = std::fopen("/dev/null", "w");
    std::printf("%-7s %-20s %12s %16s %10s %s\n", "size", "way", "s per run", "evaluations/s",
                "speed-up", "same results");
    for (const Size& size : SIZES) {
        bool wanted = argc == 1;
        for (int i = 1; i < argc; ++i) wanted = wanted || std::strcmp(argv[i], size.name) == 0;
        if (!wanted) continue;
        const std::string data = generate_data(size);
        double reference_seconds = 0.0;
        std::string reference_results;
        for (const Way& way : WAYS) {
            std::vector<double> seconds;
            Timing timing{};
            for (int r = 0; r < size.repeats; ++r) {
                timing = time_run(data, way, *storage, console);
                seconds.push_back(timing.seconds);
            }
            std::sort(seconds.begin(), seconds.end());
            const double median = seconds[seconds.size() / 2];
            if (reference_results.empty()) {
                reference_seconds = median;
                reference_results = timing.results;
            }
            std::printf("%-7s %-20s %12.3f %16.3e %9.1fx %s\n", size.name, way.name, median,
                        timing.evaluations / median, reference_seconds / median,
                        timing.results == reference_results ? "yes" : "NO");
            std::fflush(stdout);
        }
    }
    std::fclose(console);
    return 0;
}
