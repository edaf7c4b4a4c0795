#include "report/reports.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include "report/results_file.h"
#include "run_settings.h"

namespace {

// printf-style formatting onto the end of a string.
__attribute__((format(printf, 2, 3))) void append(std::string& out, const char* format, ...) {
    char line[256];  // room for any ordinary line
    std::va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length < 0) return;
    if (static_cast<std::size_t>(length) < sizeof line) {
        out.append(line, static_cast<std::size_t>(length));
        return;
    }
    // A huge value is printed whole, however wide.
    std::string wide(static_cast<std::size_t>(length) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(wide.data(), wide.size(), format, args);
    va_end(args);
    wide.resize(static_cast<std::size_t>(length));
    out += wide;
}

}  // namespace

std::string console_report(const Estimates& estimates, const FitRSquared& fit_r_squared,
                           const PValues& p_values) {
    const int m = parameter_count;
    std::string out;
    append(out, "%12.4f%12.3f\n%12.4f\n", fit_r_squared[0], p_values[m], phenotype_mean);
    for (int j = 0; j < m; ++j) append(out, "%12.4f%12.3f\n", estimates[j][0], p_values[j]);
    return out;
}

std::string results_report(const Estimates& estimates, const FitRSquared& fit_r_squared,
                           const PValues& p_values) {
    const int n = allele_count;
    const int m = parameter_count;
    std::string out;
    append(out, "%18.4f%12.3f\n%18.4f\n", fit_r_squared[0], p_values[m], phenotype_mean);
    for (int a = 0; a < n; ++a) {
        append(out, "%6d%12.4f%12.3f\n", a + 1, estimates[a][0], p_values[a]);
    }
    int c = n;
    for (int a = 0; a < n - 1; ++a) {
        for (int b = a + 1; b < n; ++b) {
            append(out, "%3d%3d%12.4f%12.3f\n", a + 1, b + 1, estimates[c][0], p_values[c]);
            ++c;
        }
    }
    return out;
}

std::string write_reports(const Estimates& estimates, const FitRSquared& fit_r_squared,
                          const PValues& p_values, std::FILE* console,
                          const std::string& results_path) {
    const std::string report = console_report(estimates, fit_r_squared, p_values);
    errno = 0;
    std::fputs(report.c_str(), console);
    // The results file is replaced only once the console has shown everything.
    if (std::fflush(console) != 0 || std::ferror(console)) {
        const int error = errno != 0 ? errno : EIO;
        return std::string("Error: standard output: cannot write: ") + std::strerror(error);
    }
    return replace_file(results_path, results_report(estimates, fit_r_squared, p_values));
}
