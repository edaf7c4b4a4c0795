// quen: allele and dominance effects at one locus, with permutation tests.
// Takes no arguments and reads nothing but its data file.
#include "run/clock_seed.h"
#include "run/run_analysis.h"

int main() { return run_analysis(clock_seed()); }
