// Permutation p-values of every parameter and of the coefficient of
// determination, from the 1001 fits.
#pragma once

#include "capacities.h"

// 1 minus 0.001 for every permutation fit whose value is not at least the
// observed one (fit 0), subtracted one at a time in fit order.
double upper_tail_fraction(const double* values_by_fit);

// Entries 0..m-1: each parameter's smaller tail (the fraction above 0.5 is
// folded); entry m: the upper tail of R squared. Negative results become 0.
void permutation_p_values(PValues& p_values, const Estimates& estimates,
                          const FitRSquared& fit_r_squared);
