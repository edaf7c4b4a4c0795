// Fixed capacities, constants and the array types that the driver owns.
#pragma once

inline constexpr int MAX_CROSSES = 1000;
inline constexpr int MAX_ALLELES = 24;  // 24 + 276 pairs = MAX_PARAMETERS
inline constexpr int MAX_PARAMETERS = 300;
inline constexpr int FIT_COUNT = 1001;  // fit 0 observed, fits 1..1000 permuted
inline constexpr int PERMUTATION_COUNT = 1000;

// Relative tolerance of every minimisation.
inline constexpr double FIT_TOLERANCE = 1e-10;

using Design = double[MAX_CROSSES][MAX_PARAMETERS];
using PhenotypeVector = double[MAX_CROSSES];
using Simplex = double[MAX_PARAMETERS + 1][MAX_PARAMETERS];
using VertexErrors = double[MAX_PARAMETERS + 1];
using Estimates = double[MAX_PARAMETERS][FIT_COUNT];
using FitRSquared = double[FIT_COUNT];
using PValues = double[MAX_PARAMETERS + 1];
