// The 1001 two-pass fits of the permutation test: fit 0 on the phenotypes in
// file order, fits 1..1000 each on a fresh permutation of them.
#pragma once

#include <cstdio>

#include "capacities.h"
#include "fit/model.h"

// One two-pass fit of the current phenotypes: a random simplex minimised,
// then minimised again from its row 0 with every other row drawn afresh.
// Leaves the fit in row 0 of simplex; returns how many of the two
// minimisations ran out of their budget (each owes the console a message).
int fit_model(Simplex& simplex, VertexErrors& vertex_errors, const DesignTerms& terms,
              const PhenotypeVector& phenotypes);

// What the console shows once fit f has finished: a budget message for each
// spent minimisation, then, after fits 1, 101, ..., 901, the countdown
// 10, 9, ..., 1 as "%3d". No line break; flushed so that it shows at once.
void print_fit_progress(std::FILE* console, int fit, int budget_messages);

// Fits 0..1000 in order, recording estimates[p][f] and fit_r_squared[f] and
// shuffling phenotypes after every fit, the last one included.
void run_permutation_fits(const Design& design, const PhenotypeVector& observed_phenotypes,
                          PhenotypeVector& phenotypes, Simplex& simplex,
                          VertexErrors& vertex_errors, Estimates& estimates,
                          FitRSquared& fit_r_squared, std::FILE* console);
