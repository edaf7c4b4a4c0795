// Bounded Nelder-Mead downhill simplex. The bounds live in fit_error, which
// clamps every point it evaluates, so the moves here know nothing of them.
#pragma once

#include <cstdint>

#include "capacities.h"
#include "fit/model.h"

inline constexpr const char* BUDGET_MESSAGE = "Maximum function calls exceeded.";

// Evaluations charged to the current minimisation, one count per thread so
// that workers can minimise side by side. Held wider than the budget so that
// a budget near the 32-bit limit cannot overflow the count.
extern thread_local std::int64_t evaluation_count;

enum class SimplexEnd { converged, budget_exhausted };

struct VertexRanks {
    int best;
    int worst;
    int second;  // second-worst
};

// Best, worst and second-worst of vertices 0..m. Among tied errors the best
// is the last one scanned and the worst the first, except that a tie between
// vertices 0 and 1 starts the worst at 1.
VertexRanks rank_vertices(const VertexErrors& vertex_errors, int m);

// Rows start_row..m receive random coordinates in [0, phenotype_mean), row by
// row and column by column, one draw each; m is parameter_count.
void randomise_simplex(int start_row, Simplex& simplex);

// Moves vertex w to c + lambda * (vertex w - c), c the centroid of the other
// vertices, and keeps the clamped trial point if it lowers the vertex's error.
// Returns the trial point's error either way. The design comes indexed, as
// minimise_simplex builds it once per call.
double try_simplex_move(Simplex& simplex, VertexErrors& vertex_errors, double* column_sums,
                        int m, int w, double lambda, const DesignTerms& terms,
                        const PhenotypeVector& phenotypes);

// Minimises from vertices 0..m whose errors are already in vertex_errors,
// until the best and worst errors agree to the relative tolerance (the best
// vertex is then moved to row 0) or the budget max_evaluations runs out (the
// budget message is printed and the simplex is left as it is).
SimplexEnd minimise_simplex(Simplex& simplex, VertexErrors& vertex_errors, int m,
                            double tolerance, const Design& design,
                            const PhenotypeVector& phenotypes);

// The same minimisation on an indexed design, without printing: the caller
// reports a spent budget, so that fits can be reported in order.
SimplexEnd minimise_simplex(Simplex& simplex, VertexErrors& vertex_errors, int m,
                            double tolerance, const DesignTerms& terms,
                            const PhenotypeVector& phenotypes);
