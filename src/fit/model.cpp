#include "fit/model.h"

#include <cmath>

#include "run_settings.h"

namespace {

// Parameters no larger than this keep every term finite, so a term whose
// design cell is zero is a signed zero.
constexpr double SMALL_ENOUGH = 1e300;

// Clamps parameters 0..m-1 into the bounds, in place. Returns whether every
// clamped parameter is small enough for zero terms to be skipped.
bool clamp_parameters(double* parameters) {
    const int m = parameter_count;
    bool small = true;
    for (int j = 0; j < m; ++j) {
        if (parameters[j] > upper_bound) parameters[j] = upper_bound;
        // Worded "not at least" so that a NaN parameter lands on the lower bound.
        if (!(parameters[j] >= lower_bound)) parameters[j] = lower_bound;
        if (!(std::fabs(parameters[j]) <= SMALL_ENOUGH)) small = false;
    }
    return small;
}

double sum_squared_residuals(const double* parameters, const Design& design,
                             const PhenotypeVector& phenotypes) {
    double sum = 0.0;
    for (int i = 0; i < cross_count; ++i) {
        const double residual = predict_phenotype(parameters, design[i]) - phenotypes[i];
        sum += residual * residual;
    }
    return sum;
}

}  // namespace

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
    clamp_parameters(parameters);
    return sum_squared_residuals(parameters, design, phenotypes);
}

void index_design(const Design& design, DesignTerms& terms) {
    const int n = allele_count;
    const int m = parameter_count;
    // The two other parameters of each column's term, in the order they are
    // added: b then a for the pair (a, b); k then the zero at index m for
    // allele k, since (p[k] + p[k]) + 0 is 2 p[k] exactly, or a zero.
    int second_of[MAX_PARAMETERS];
    int third_of[MAX_PARAMETERS];
    for (int k = 0; k < n; ++k) {
        second_of[k] = k;
        third_of[k] = m;
    }
    int c = n;
    for (int a = 0; a < n - 1; ++a) {
        for (int b = a + 1; b < n; ++b) {
            second_of[c] = b;
            third_of[c] = a;
            ++c;
        }
    }

    terms.design = &design;
    for (int i = 0; i < cross_count; ++i) {
        int count = 0;
        bool whole = false;
        for (int j = 0; j < m; ++j) {
            const double x = design[i][j];
            if (x == 0.0) continue;
            if (count == MAX_CROSS_TERMS || !std::isfinite(x)) {
                whole = true;
                break;
            }
            terms.first[i][count] = j;
            terms.second[i][count] = second_of[j];
            terms.third[i][count] = third_of[j];
            terms.cell[i][count] = x;
            ++count;
        }
        terms.walk_whole_row[i] = whole;
        for (; count < MAX_CROSS_TERMS; ++count) {
            terms.first[i][count] = m;
            terms.second[i][count] = m;
            terms.third[i][count] = m;
            terms.cell[i][count] = 0.0;
        }
    }
}

double fit_error(double* parameters, const DesignTerms& terms, const PhenotypeVector& phenotypes) {
    // With large parameters a zero term could be a NaN: then walk every term.
    // Otherwise a zero term is a signed zero, which leaves the prediction as it
    // is, but for the sign of a zero prediction that squaring removes.
    if (!clamp_parameters(parameters)) {
        return sum_squared_residuals(parameters, *terms.design, phenotypes);
    }
    const int m = parameter_count;
    double p[MAX_PARAMETERS + 1];
    for (int j = 0; j < m; ++j) p[j] = parameters[j];
    p[m] = 0.0;

    double sum = 0.0;
    for (int i = 0; i < cross_count; ++i) {
        double prediction;
        if (terms.walk_whole_row[i]) {
            prediction = predict_phenotype(parameters, (*terms.design)[i]);
        } else {
            prediction = phenotype_mean;
            for (int t = 0; t < MAX_CROSS_TERMS; ++t) {
                prediction += ((p[terms.first[i][t]] + p[terms.second[i][t]]) +
                               p[terms.third[i][t]]) *
                              terms.cell[i][t];
            }
        }
        const double residual = prediction - phenotypes[i];
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
