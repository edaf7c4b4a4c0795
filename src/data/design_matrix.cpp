#include "data/design_matrix.h"

#include <algorithm>

double pair_count(std::int32_t n, std::int32_t k) {
    if (k == 0) return 1.0;
    if (k > n) return 0.0;
    const std::int32_t h = std::max(k, n - k);
    double result = 1.0;
    for (std::int32_t i = n; i > h; --i) {
        result = (static_cast<double>(i) / static_cast<double>(i - h)) * result;
    }
    return result;
}

void add_design_row(double* row, std::int32_t n, std::int64_t p1, std::int64_t p2,
                    std::int64_t q1, std::int64_t q2) {
    const std::int64_t first[2] = {p1, p2};
    const std::int64_t second[2] = {q1, q2};

    for (std::int32_t j = 0; j < n; ++j) {
        for (std::int64_t x : first) {
            for (std::int64_t y : second) {
                if (x == j && y == j) row[j] += 0.25;
            }
        }
    }

    std::int32_t c = n;
    for (std::int32_t a = 0; a < n - 1; ++a) {
        for (std::int32_t b = a + 1; b < n; ++b) {
            for (std::int64_t x : first) {
                for (std::int64_t y : second) {
                    if ((x == a && y == b) || (x == b && y == a)) row[c] += 0.25;
                }
            }
            ++c;
        }
    }
}
