// Genotype-value model: predicted phenotypes, the bounded fit error that the
// simplex drives down, and the coefficient of determination of a fit.
#pragma once

#include "capacities.h"

// phenotype_mean plus every genotype value weighted by its probability in the
// cross's design row, each term added in parameter order.
double predict_phenotype(const double* parameters, const double* design_row);

// Clamps parameters 0..m-1 into [lower_bound, upper_bound] in place, then
// returns the sum of squared residuals over crosses 0..N-1.
double fit_error(double* parameters, const Design& design, const PhenotypeVector& phenotypes);

// The non-zero cells of each used design row, at most four for any cross, so
// that the fit error need not walk every zero-probability term. Built from a
// design and valid while that design is unchanged.
inline constexpr int MAX_CROSS_TERMS = 4;

struct DesignTerms {
    const Design* design;
    // Rows with more non-zero cells, or a cell that is not finite, are walked whole.
    bool walk_whole_row[MAX_CROSSES];
    // Cross i adds genotype_value[column] * cell for its terms in ascending
    // column order; unused slots name column m, whose value is 0, with cell 0.
    int column[MAX_CROSSES][MAX_CROSS_TERMS];
    double cell[MAX_CROSSES][MAX_CROSS_TERMS];
};

// Sparse: the non-zero cells only. Dense: every row walked whole, the
// reference that the sparse evaluation must match bit for bit.
enum class Evaluation { sparse, dense };

// Indexes rows 0..N-1, columns 0..m-1 of the design.
void index_design(const Design& design, DesignTerms& terms,
                  Evaluation evaluation = Evaluation::sparse);

// The same value, bit for bit, and the same clamp as fit_error on the design
// that the terms were built from; walks whole rows where skipping zero terms
// could change a bit.
double fit_error(double* parameters, const DesignTerms& terms, const PhenotypeVector& phenotypes);

// Explained over total sum of squares about phenotype_mean; reads the
// parameters unchanged and guards no division.
double r_squared(const double* parameters, const Design& design,
                 const PhenotypeVector& phenotypes);

// The same value, bit for bit, from the indexed design.
double r_squared(const double* parameters, const DesignTerms& terms,
                 const PhenotypeVector& phenotypes);
