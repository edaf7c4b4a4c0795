// The 1001 two-pass fits of the permutation test: fit 0 on the phenotypes in
// file order, fits 1..1000 each on a fresh permutation of them.
#pragma once

#include <cstdint>
#include <cstdio>

#include "capacities.h"
#include "fit/model.h"

struct FitOutcome {
    int budget_messages;      // minimisations that ran out of budget, 0 to 2
    std::int64_t evaluations;  // of the fit error, for the benchmarks
};

// One two-pass fit of the current phenotypes: a random simplex minimised,
// then minimised again from its row 0 with every other row drawn afresh.
// Leaves the fit in row 0 of simplex. Each minimisation that ran out of its
// budget owes the console a message, which the caller prints.
FitOutcome fit_model(Simplex& simplex, VertexErrors& vertex_errors, const DesignTerms& terms,
                     const PhenotypeVector& phenotypes);

// What the console shows once fit f has finished: a budget message for each
// spent minimisation, then, after fits 1, 101, ..., 901, the countdown
// 10, 9, ..., 1 as "%3d". No line break; flushed so that it shows at once.
void print_fit_progress(std::FILE* console, int fit, int budget_messages);

// How the fits are made; the results and the console bytes are the same
// whatever the settings.
struct FitSettings {
    Evaluation evaluation = Evaluation::sparse;
    int workers = 1;  // threads that make fits side by side, the caller's included
};

// Fits 0..1000, recording estimates[p][f] and fit_r_squared[f]; fit 0 on the
// phenotypes as given, fit f on the f-th permutation of the file order. Every
// fit takes a fixed number of values from the random source, so each worker
// jumps the generator to where the one-by-one run would be. The console shows
// each fit's messages and countdown in fit order, as soon as every earlier fit
// has finished. Leaves phenotypes and the random source as the one-by-one run
// does: holding the permutation made after the last fit. Returns the number
// of fit-error evaluations made.
std::int64_t run_permutation_fits(const Design& design, const PhenotypeVector& observed_phenotypes,
                                  PhenotypeVector& phenotypes, Simplex& simplex,
                                  VertexErrors& vertex_errors, Estimates& estimates,
                                  FitRSquared& fit_r_squared, std::FILE* console,
                                  FitSettings settings = {});
