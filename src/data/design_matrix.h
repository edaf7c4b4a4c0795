// Genotype design matrix: the offspring genotype probabilities of a cross,
// laid out in parameter order (allele homozygotes, then allele pairs).
#pragma once

#include <cstdint>

#include "capacities.h"

// Binomial coefficient C(n, k) as a double, computed in the fixed order
// whose rounding every result depends on.
double pair_count(std::int32_t n, std::int32_t k);

// Adds cross probabilities to a design row whose used cells are already 0.
// p1, p2 are the first parent's 0-based alleles, q1, q2 the second's; an
// allele outside 0..n-1 matches no column and so adds nothing. Wide integers
// because a file number of INT32_MIN becomes one below it.
void add_design_row(double* row, std::int32_t n, std::int64_t p1, std::int64_t p2,
                    std::int64_t q1, std::int64_t q2);
