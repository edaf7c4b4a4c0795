// Run settings: program-wide, written once by the data reader and only read
// afterwards.
#pragma once

#include <cstdint>

extern std::int32_t allele_count;      // n
extern std::int32_t cross_count;       // N
extern std::int32_t max_evaluations;   // budget of one minimisation
extern std::int32_t parameter_count;   // m = n + n(n - 1)/2
extern double lower_bound;
extern double upper_bound;
extern double phenotype_mean;
