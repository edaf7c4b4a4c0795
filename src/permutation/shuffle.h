// Random permutations of the observed phenotypes for the permutation test.
#pragma once

#include "capacities.h"

// A value 0..32767 of the random source scaled to 0..s-1 (0 when s is 0):
// divided by a number just above 32767, times s, truncated toward zero.
int scale_draw(int value, int s);

// A source of values 0..32767: random15 in a run, a script in tests.
using NextValue = int (*)();

// Writes a permutation of observed_phenotypes[0..n-1] into phenotypes[0..n-1],
// taking exactly n values from next_value (2 when n is 1). Destination entry 0
// receives the source entry picked by the first value scaled by n; entry d
// the not-yet-placed entry whose rank, in ascending index order, is the next
// value scaled by the entries left. Writes nothing for n outside 1..MAX_CROSSES.
void permute_phenotypes(PhenotypeVector& phenotypes, const PhenotypeVector& observed_phenotypes,
                        int n, NextValue next_value);

// The same permutation from the same values, found by walking the placed
// flags from index 0 at every pick: quadratic in n, kept as the reference
// that the rank search above is tested against.
void permute_phenotypes_by_walk(PhenotypeVector& phenotypes,
                                const PhenotypeVector& observed_phenotypes, int n,
                                NextValue next_value);

// A fresh permutation of the file order for the next fit: cross_count
// entries, values from random15.
void shuffle_phenotypes(PhenotypeVector& phenotypes, const PhenotypeVector& observed_phenotypes);
