#include "fit/model.h"

#include "run_settings.h"

double predict_phenotype(const double* parameters, const double* design_row) {
    const int n = allele_count;
    double value = phenotype_mean;
    for (int k = 0; k < n; ++k) {
        // A homozygote carries its allele's effect twice.
        value += 2.0 * parameters[k] * design_row[k];
    }
    int c = n;
    for (int a = 0; a < n - 1; ++a) {
        for (int b = a + 1; b < n; ++b) {
            value += ((parameters[c] + parameters[b]) + parameters[a]) * design_row[c];
            ++c;
        }
    }
    return value;
}

double fit_error(double* parameters, const Design& design, const PhenotypeVector& phenotypes) {
    const int m = parameter_count;
    for (int j = 0; j < m; ++j) {
        if (parameters[j] > upper_bound) parameters[j] = upper_bound;
        // Worded "not at least" so that a NaN parameter lands on the lower bound.
        if (!(parameters[j] >= lower_bound)) parameters[j] = lower_bound;
    }
    double sum = 0.0;
    for (int i = 0; i < cross_count; ++i) {
        const double residual = predict_phenotype(parameters, design[i]) - phenotypes[i];
        sum += residual * residual;
    }
    return sum;
}

double r_squared(const double* parameters, const Design& design,
                 const PhenotypeVector& phenotypes) {
    const int crosses = cross_count;
    double total = 0.0;
    for (int i = 0; i < crosses; ++i) {
        const double deviation = phenotypes[i] - phenotype_mean;
        total += deviation * deviation;
    }
    double explained = 0.0;
    for (int i = 0; i < crosses; ++i) {
        const double deviation = predict_phenotype(parameters, design[i]) - phenotype_mean;
        explained += deviation * deviation;
    }
    return explained / total;
}
