#include "run_settings.h"

std::int32_t allele_count = 0;
std::int32_t cross_count = 0;
std::int32_t max_evaluations = 0;
std::int32_t parameter_count = 0;
double lower_bound = 0.0;
double upper_bound = 0.0;
double phenotype_mean = 0.0;
