#include "fit/simplex.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "fit/model.h"
#include "run/random_source.h"
#include "run_settings.h"

thread_local std::int64_t evaluation_count = 0;

namespace {

void sum_columns(const Simplex& simplex, int m, double* column_sums) {
    for (int j = 0; j < m; ++j) {
        double sum = 0.0;
        for (int r = 0; r <= m; ++r) sum += simplex[r][j];
        column_sums[j] = sum;
    }
}

}  // namespace

VertexRanks rank_vertices(const VertexErrors& vertex_errors, int m) {
    // Every comparison keeps its worded form: that fixes the outcome for NaN errors.
    VertexRanks ranks{0, 1, 0};
    if (!(vertex_errors[1] >= vertex_errors[0])) ranks = {0, 0, 1};
    for (int i = 0; i <= m; ++i) {
        if (vertex_errors[i] <= vertex_errors[ranks.best]) ranks.best = i;
        if (!(vertex_errors[i] <= vertex_errors[ranks.worst])) {
            ranks.second = ranks.worst;
            ranks.worst = i;
        } else if (!(vertex_errors[i] <= vertex_errors[ranks.second]) && i != ranks.worst) {
            ranks.second = i;
        }
    }
    return ranks;
}

void randomise_simplex(int start_row, Simplex& simplex) {
    const int m = parameter_count;
    for (int r = start_row; r <= m; ++r) {
        for (int j = 0; j < m; ++j) {
            simplex[r][j] = (random15() / 32768.0) * phenotype_mean;
        }
    }
}

double try_simplex_move(Simplex& simplex, VertexErrors& vertex_errors, double* column_sums,
                        int m, int w, double lambda, const DesignTerms& terms,
                        const PhenotypeVector& phenotypes) {
    double trial[MAX_PARAMETERS];
    const double f1 = (1.0 - lambda) / m;
    const double f2 = f1 - lambda;
    for (int j = 0; j < m; ++j) trial[j] = column_sums[j] * f1 - simplex[w][j] * f2;
    const double error = fit_error(trial, terms, phenotypes);
    // "Not at least" accepts a NaN error too.
    if (!(error >= vertex_errors[w])) {
        vertex_errors[w] = error;
        for (int j = 0; j < m; ++j) {
            column_sums[j] = (trial[j] - simplex[w][j]) + column_sums[j];
            simplex[w][j] = trial[j];
        }
    }
    return error;
}

SimplexEnd minimise_simplex(Simplex& simplex, VertexErrors& vertex_errors, int m,
                            double tolerance, const Design& design,
                            const PhenotypeVector& phenotypes) {
    DesignTerms terms;
    index_design(design, terms);
    const SimplexEnd end = minimise_simplex(simplex, vertex_errors, m, tolerance, terms, phenotypes);
    if (end == SimplexEnd::budget_exhausted) {
        std::fputs(BUDGET_MESSAGE, stdout);
        std::fflush(stdout);
    }
    return end;
}

SimplexEnd minimise_simplex(Simplex& simplex, VertexErrors& vertex_errors, int m,
                            double tolerance, const DesignTerms& terms,
                            const PhenotypeVector& phenotypes) {
    double column_sums[MAX_PARAMETERS];
    evaluation_count = 0;
    sum_columns(simplex, m, column_sums);

    for (;;) {
        const auto [best, worst, second] = rank_vertices(vertex_errors, m);
        const double worst_error = vertex_errors[worst];
        const double best_error = vertex_errors[best];
        const double spread = 2.0 * std::fabs(worst_error - best_error) /
                              ((std::fabs(worst_error) + std::fabs(best_error)) + 1e-300);
        if (!(spread >= tolerance)) {
            std::swap(vertex_errors[0], vertex_errors[best]);
            for (int j = 0; j < m; ++j) std::swap(simplex[0][j], simplex[best][j]);
            return SimplexEnd::converged;
        }
        if (evaluation_count > max_evaluations) {
            return SimplexEnd::budget_exhausted;
        }
        evaluation_count += 2;

        const double reflected = try_simplex_move(simplex, vertex_errors, column_sums, m, worst,
                                                  -1.0, terms, phenotypes);
        if (!(reflected > vertex_errors[best])) {
            try_simplex_move(simplex, vertex_errors, column_sums, m, worst, 2.0, terms,
                             phenotypes);
        } else if (!(reflected < vertex_errors[second])) {
            const double saved = vertex_errors[worst];
            const double contracted = try_simplex_move(simplex, vertex_errors, column_sums, m,
                                                       worst, 0.5, terms, phenotypes);
            if (contracted >= saved) {
                // Shrink toward the best vertex. column_sums doubles as the scratch
                // copy that fit_error evaluates: its clamp changes the copy, not row i.
                for (int i = 0; i <= m; ++i) {
                    if (i == best) continue;
                    for (int j = 0; j < m; ++j) {
                        column_sums[j] = (simplex[i][j] + simplex[best][j]) * 0.5;
                        simplex[i][j] = column_sums[j];
                    }
                    vertex_errors[i] = fit_error(column_sums, terms, phenotypes);
                }
                evaluation_count += m;
                sum_columns(simplex, m, column_sums);
            }
        } else {
            evaluation_count -= 1;
        }
    }
}
