// The console report and the results file, both of fit 0 only.
#pragma once

#include <cstdio>
#include <string>

#include "capacities.h"

inline constexpr const char* RESULTS_FILE_NAME = "quenresults.txt";

// R squared and its p-value, the phenotype mean, then one line per parameter
// (estimate, p-value) in parameter order, unnumbered. Starts without a line
// break: it continues the countdown's line.
std::string console_report(const Estimates& estimates, const FitRSquared& fit_r_squared,
                           const PValues& p_values);

// The same figures with 1-based allele numbers: R squared, mean, one line per
// allele, then one per allele pair. Values end at column 18, p-values at 30.
std::string results_report(const Estimates& estimates, const FitRSquared& fit_r_squared,
                           const PValues& p_values);

// Prints the console report, checks that standard output took it, then
// replaces the results file at results_path. Returns an empty string, or the
// one error line to print; after an error no results file has been touched.
std::string write_reports(const Estimates& estimates, const FitRSquared& fit_r_squared,
                          const PValues& p_values, std::FILE* console,
                          const std::string& results_path);
