#include "permutation/p_values.h"

#include "run_settings.h"

double upper_tail_fraction(const double* values_by_fit) {
    const double observed = values_by_fit[0];
    double p = 1.0;
    for (int f = 1; f <= PERMUTATION_COUNT; ++f) {
        // "Not at least" counts a NaN on either side as below.
        if (!(values_by_fit[f] >= observed)) p -= 0.001;
    }
    return p;
}

void permutation_p_values(PValues& p_values, const Estimates& estimates,
                          const FitRSquared& fit_r_squared) {
    const int m = parameter_count;
    for (int j = 0; j < m; ++j) p_values[j] = upper_tail_fraction(estimates[j]);
    for (int j = 0; j < m; ++j) {
        if (p_values[j] > 0.5) p_values[j] = 1.0 - p_values[j];
    }
    p_values[m] = upper_tail_fraction(fit_r_squared);
    // 1000 subtractions of 0.001 leave about -8.8e-16.
    for (int j = 0; j <= m; ++j) {
        if (p_values[j] < 0.0) p_values[j] = 0.0;
    }
}
