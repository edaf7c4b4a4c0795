#include "permutation/fit_loop.h"

#include "fit/simplex.h"
#include "permutation/shuffle.h"
#include "run_settings.h"

int fit_model(Simplex& simplex, VertexErrors& vertex_errors, const DesignTerms& terms,
              const PhenotypeVector& phenotypes) {
    const int m = parameter_count;
    int budget_messages = 0;
    for (int start_row = 0; start_row <= 1; ++start_row) {
        randomise_simplex(start_row, simplex);
        // Row 0 is evaluated again in the second pass, like every other row;
        // these evaluations are not charged to the budget.
        for (int j = 0; j < m + 1; ++j) vertex_errors[j] = fit_error(simplex[j], terms, phenotypes);
        if (minimise_simplex(simplex, vertex_errors, m, FIT_TOLERANCE, terms, phenotypes) ==
            SimplexEnd::budget_exhausted) {
            ++budget_messages;
        }
    }
    return budget_messages;
}

void print_fit_progress(std::FILE* console, int fit, int budget_messages) {
    for (int i = 0; i < budget_messages; ++i) std::fputs(BUDGET_MESSAGE, console);
    // Truncating remainder: fit 0 gives -1 and prints nothing.
    if ((fit - 1) % 100 == 0) {
        std::fprintf(console, "%3d", static_cast<int>((FIT_COUNT - fit) / 100.0));
    }
    if (budget_messages > 0 || (fit - 1) % 100 == 0) std::fflush(console);
}

void run_permutation_fits(const Design& design, const PhenotypeVector& observed_phenotypes,
                          PhenotypeVector& phenotypes, Simplex& simplex,
                          VertexErrors& vertex_errors, Estimates& estimates,
                          FitRSquared& fit_r_squared, std::FILE* console) {
    const int m = parameter_count;
    DesignTerms terms;
    index_design(design, terms);
    for (int f = 0; f < FIT_COUNT; ++f) {
        const int budget_messages = fit_model(simplex, vertex_errors, terms, phenotypes);
        for (int p = 0; p < m; ++p) estimates[p][f] = simplex[0][p];
        // On the phenotypes this fit used, before the shuffle replaces them.
        fit_r_squared[f] = r_squared(simplex[0], design, phenotypes);
        shuffle_phenotypes(phenotypes, observed_phenotypes);
        print_fit_progress(console, f, budget_messages);
    }
}
