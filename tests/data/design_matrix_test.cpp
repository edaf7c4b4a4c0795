#include "data/design_matrix.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

TEST(PairCount, ChoosesTwoExactly) {
    const struct {
        int n;
        double expected;
    } cases[] = {{0, 0}, {1, 0}, {2, 1}, {3, 3}, {4, 6}, {5, 10}, {24, 276}};
    for (const auto& c : cases) EXPECT_EQ(pair_count(c.n, 2), c.expected) << "n = " << c.n;
}

TEST(PairCount, KZeroAndKAboveN) {
    EXPECT_EQ(pair_count(0, 0), 1.0);
    EXPECT_EQ(pair_count(7, 0), 1.0);
    EXPECT_EQ(pair_count(3, 4), 0.0);
    EXPECT_EQ(pair_count(6, 3), 20.0);
}

// Offspring probabilities of one cross; alleles given as file numbers (1-based).
std::vector<double> row_for(int n, int p1, int p2, int q1, int q2) {
    const int m = n + n * (n - 1) / 2;
    std::vector<double> row(m, 0.0);
    add_design_row(row.data(), n, p1 - 1, p2 - 1, q1 - 1, q2 - 1);
    return row;
}

TEST(DesignRow, RowsOfTheRule) {
    const struct {
        const char* what;
        int n, p1, p2, q1, q2;
        std::vector<double> expected;
    } cases[] = {
        {"parents 1/2 x 1/3", 3, 1, 2, 1, 3, {0.25, 0, 0, 0.25, 0.25, 0.25}},
        {"parents 2/2 x 2/3", 3, 2, 2, 2, 3, {0, 0.5, 0, 0, 0, 0.5}},
        {"both parents 3/3", 3, 3, 3, 3, 3, {0, 0, 1, 0, 0, 0}},
        {"allele n + 1 adds nothing", 3, 1, 4, 2, 2, {0, 0, 0, 0.5, 0, 0}},
        {"allele 0 adds nothing", 3, 0, 1, 1, 1, {0.5, 0, 0, 0, 0, 0}},
        {"one allele", 1, 1, 1, 1, 1, {1}},
        {"two alleles, heterozygote", 2, 1, 1, 2, 2, {0, 0, 1}},
        {"which parent carries which allele does not matter", 2, 2, 2, 1, 1, {0, 0, 1}},
        {"four alleles, pairs in order 12 13 14 23 24 34", 4, 1, 4, 2, 3,
         {0, 0, 0, 0, 0.25, 0.25, 0, 0, 0.25, 0.25}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(row_for(c.n, c.p1, c.p2, c.q1, c.q2), c.expected) << c.what;
    }
}

TEST(DesignRow, PairColumnsAtFullWidth) {
    // Alleles 23 and 24 form the last pair, in column 299.
    const std::vector<double> row = row_for(24, 23, 23, 24, 24);
    ASSERT_EQ(row.size(), 300u);
    for (std::size_t j = 0; j < row.size(); ++j) EXPECT_EQ(row[j], j == 299 ? 1.0 : 0.0) << j;
}

TEST(DesignRow, ExtremeAlleleNumbersMatchNothing) {
    std::vector<double> row(6, 0.0);
    const std::int64_t lowest = std::int64_t{std::numeric_limits<std::int32_t>::min()} - 1;
    add_design_row(row.data(), 3, lowest, 0, std::numeric_limits<std::int32_t>::max() - 1, 0);
    EXPECT_EQ(row, (std::vector<double>{0.25, 0, 0, 0, 0, 0}));
}

}  // namespace
