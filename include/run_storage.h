// All storage of one run at full capacity, some 5.5 MB: the driver keeps one
// in static storage; tests, benchmarks and the fuzz target make their own.
#pragma once

#include "capacities.h"

struct RunStorage {
    Design design;
    PhenotypeVector observed_phenotypes;  // file order, never changed
    PhenotypeVector phenotypes;           // what the current fit works on
    Simplex simplex;
    VertexErrors vertex_errors;
    Estimates estimates;
    FitRSquared fit_r_squared;
    PValues p_values;
};
