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
    const double lower = lower_bound;
    const double upper = upper_bound;
    bool small = true;
    // Selects and unconditional stores rather than branches, which a random
    // vertex mispredicts; the same values either way.
    for (int j = 0; j < m; ++j) {
        double x = parameters[j];
        x = x > upper ? upper : x;
        // Worded "not at least" so that a NaN parameter lands on the lower bound.
        x = !(x >= lower) ? lower : x;
        parameters[j] = x;
        small = small & (std::fabs(x) <= SMALL_ENOUGH);
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

// Of the phenotypes about phenotype_mean, the denominator of R squared.
double total_sum_of_squares(const PhenotypeVector& phenotypes) {
    double total = 0.0;
    for (int i = 0; i < cross_count; ++i) {
        const double deviation = phenotypes[i] - phenotype_mean;
        total += deviation * deviation;
    }
    return total;
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

void index_design(const Design& design, DesignTerms& terms, Evaluation evaluation) {
    const int m = parameter_count;
    terms.design = &design;
    for (int i = 0; i < cross_count; ++i) {
        int count = 0;
        bool whole = evaluation == Evaluation::dense;
        for (int j = 0; j < m && !whole; ++j) {
            const double x = design[i][j];
            if (x == 0.0) continue;
            if (count == MAX_CROSS_TERMS || !std::isfinite(x)) {
                whole = true;
                break;
            }
            terms.column[i][count] = j;
            terms.cell[i][count] = x;
            ++count;
        }
        terms.walk_whole_row[i] = whole;
        for (; count < MAX_CROSS_TERMS; ++count) {
            terms.column[i][count] = m;
            terms.cell[i][count] = 0.0;
        }
    }
}

namespace {

// The factor that multiplies each design cell in predict_phenotype, computed
// exactly as there: 2 p[k] for allele k, then ((p[c] + p[b]) + p[a]) for the
// pair (a, b) in column c; entry m is 0 for the unused slots.
void genotype_values(const double* parameters, double* values) {
    const int n = allele_count;
    for (int k = 0; k < n; ++k) values[k] = 2.0 * parameters[k];
    int c = n;
    for (int a = 0; a < n - 1; ++a) {
        for (int b = a + 1; b < n; ++b) {
            values[c] = (parameters[c] + parameters[b]) + parameters[a];
            ++c;
        }
    }
    values[c] = 0.0;
}

// The prediction of cross i from its indexed cells, or from its whole row
// where the index says so. A skipped term is a signed zero, which leaves a
// running prediction as it is but for the sign of a zero prediction;
// squaring a residual or a deviation removes that sign.
double indexed_prediction(const double* parameters, const double* values,
                          const DesignTerms& terms, int i) {
    if (terms.walk_whole_row[i]) return predict_phenotype(parameters, (*terms.design)[i]);
    double prediction = phenotype_mean;
    for (int t = 0; t < MAX_CROSS_TERMS; ++t) {
        prediction += values[terms.column[i][t]] * terms.cell[i][t];
    }
    return prediction;
}

// Parameters no larger than this keep every genotype value finite.
bool small_enough(const double* parameters) {
    const int m = parameter_count;
    for (int j = 0; j < m; ++j) {
        if (!(std::fabs(parameters[j]) <= SMALL_ENOUGH)) return false;
    }
    return true;
}

}  // namespace

double fit_error(double* parameters, const DesignTerms& terms, const PhenotypeVector& phenotypes) {
    // With huge parameters a zero term could be inf * 0, a NaN: walk every term.
    if (!clamp_parameters(parameters)) {
        return sum_squared_residuals(parameters, *terms.design, phenotypes);
    }
    double values[MAX_PARAMETERS + 1];
    genotype_values(parameters, values);
    double sum = 0.0;
    for (int i = 0; i < cross_count; ++i) {
        const double residual = indexed_prediction(parameters, values, terms, i) - phenotypes[i];
        sum += residual * residual;
    }
    return sum;
}

double r_squared(const double* parameters, const Design& design,
                 const PhenotypeVector& phenotypes) {
    const int crosses = cross_count;
    const double total = total_sum_of_squares(phenotypes);
    double explained = 0.0;
    for (int i = 0; i < crosses; ++i) {
        const double deviation = predict_phenotype(parameters, design[i]) - phenotype_mean;
        explained += deviation * deviation;
    }
    return explained / total;
}

double r_squared(const double* parameters, const DesignTerms& terms,
                 const PhenotypeVector& phenotypes) {
    if (!small_enough(parameters)) return r_squared(parameters, *terms.design, phenotypes);
    double values[MAX_PARAMETERS + 1];
    genotype_values(parameters, values);
    const int crosses = cross_count;
    const double total = total_sum_of_squares(phenotypes);
    double explained = 0.0;
    for (int i = 0; i < crosses; ++i) {
        const double deviation =
            indexed_prediction(parameters, values, terms, i) - phenotype_mean;
        explained += deviation * deviation;
    }
    return explained / total;
}
