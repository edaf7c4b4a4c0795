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

// Explained over total sum of squares about phenotype_mean; reads the
// parameters unchanged and guards no division.
double r_squared(const double* parameters, const Design& design,
                 const PhenotypeVector& phenotypes);
