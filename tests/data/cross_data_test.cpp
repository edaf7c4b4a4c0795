#include "data/cross_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

struct Parsed {
    std::unique_ptr<RunStorage> storage = make_storage();
    DataOutcome outcome;
};

Parsed parse(const std::string& text) {
    Parsed parsed;
    std::istringstream in(text);
    parsed.outcome = parse_cross_data(in, "quendata.txt", parsed.storage->design,
                                      parsed.storage->observed_phenotypes,
                                      parsed.storage->phenotypes);
    return parsed;
}

std::vector<double> design_row(const Parsed& parsed, int row) {
    return std::vector<double>(parsed.storage->design[row],
                               parsed.storage->design[row] + parameter_count);
}

const char* const WORKED_EXAMPLE =
    "3 2 -5.0 5.0 500\n"
    "1 2 1 3 12.5\n"
    "2 2 2 3 8.0\n";

TEST(CrossData, WorkedExample) {
    const Parsed parsed = parse(WORKED_EXAMPLE);
    ASSERT_EQ(parsed.outcome.status, DataStatus::ok) << parsed.outcome.error;
    EXPECT_TRUE(parsed.outcome.warnings.empty());
    EXPECT_EQ(allele_count, 3);
    EXPECT_EQ(cross_count, 2);
    EXPECT_EQ(bits(lower_bound), bits(-5.0));
    EXPECT_EQ(bits(upper_bound), bits(5.0));
    EXPECT_EQ(max_evaluations, 500);
    EXPECT_EQ(parameter_count, 6);
    EXPECT_EQ(design_row(parsed, 0), (std::vector<double>{0.25, 0, 0, 0.25, 0.25, 0.25}));
    EXPECT_EQ(design_row(parsed, 1), (std::vector<double>{0, 0.5, 0, 0, 0, 0.5}));
    EXPECT_EQ(bits(phenotype_mean), bits(10.25));
    for (const double* vector : {parsed.storage->phenotypes, parsed.storage->observed_phenotypes}) {
        EXPECT_EQ(bits(vector[0]), bits(12.5));
        EXPECT_EQ(bits(vector[1]), bits(8.0));
    }
}

TEST(CrossData, LayoutOfWhitespaceChangesNothing) {
    const std::string layouts[] = {
        "3 2 -5.0 5.0 500 1 2 1 3 12.5 2 2 2 3 8.0",
        "3\n2\n-5.0\n5.0\n500\n1\n2\n1\n3\n12.5\n2\n2\n2\n3\n8.0",
        "\t 3 2\r\n-5.0 5.0\r\n500 1 2\n\n 1 3 12.5 2\t\t2 2 3\n8.0\n\n",
        "3 2 -5 +5 +500\n1 2 +1 3 12.50e0\n2 2 2 3 .8e1",
    };
    const Parsed reference = parse(WORKED_EXAMPLE);
    const double reference_mean = phenotype_mean;
    for (const std::string& text : layouts) {
        const Parsed parsed = parse(text);
        ASSERT_EQ(parsed.outcome.status, DataStatus::ok) << parsed.outcome.error;
        EXPECT_EQ(allele_count, 3);
        EXPECT_EQ(cross_count, 2);
        EXPECT_EQ(bits(lower_bound), bits(-5.0));
        EXPECT_EQ(bits(upper_bound), bits(5.0));
        EXPECT_EQ(max_evaluations, 500);
        EXPECT_EQ(bits(phenotype_mean), bits(reference_mean));
        for (int row = 0; row < 2; ++row) {
            EXPECT_EQ(design_row(parsed, row), design_row(reference, row)) << text;
            EXPECT_EQ(bits(parsed.storage->phenotypes[row]),
                      bits(reference.storage->phenotypes[row]));
            EXPECT_EQ(bits(parsed.storage->observed_phenotypes[row]),
                      bits(reference.storage->observed_phenotypes[row]));
        }
    }
}

TEST(CrossData, MeanIsTheSumOfRoundedQuotientsInFileOrder) {
    std::string text = "1 10 -5 5 100\n";
    for (int i = 0; i < 10; ++i) text += "1 1 1 1 1\n";
    const Parsed parsed = parse(text);
    ASSERT_EQ(parsed.outcome.status, DataStatus::ok);
    // Ten quotients 0.1 add up to just below 1, not to 1.
    EXPECT_EQ(bits(phenotype_mean), bits(std::nextafter(1.0, 0.0)));
}

TEST(CrossData, RealsAreReadInSinglePrecisionAndWidened) {
    const Parsed parsed = parse("1 2 0.1 5 100\n1 1 1 1 0.1\n1 1 1 1 16777217\n");
    ASSERT_EQ(parsed.outcome.status, DataStatus::ok);
    const double tenth = 0.100000001490116119384765625;
    EXPECT_EQ(bits(lower_bound), bits(tenth));
    EXPECT_EQ(bits(upper_bound), bits(5.0));
    EXPECT_EQ(bits(parsed.storage->phenotypes[0]), bits(tenth));
    // 2^24 + 1 has no single-precision value; the nearest is 2^24.
    EXPECT_EQ(bits(parsed.storage->phenotypes[1]), bits(16777216.0));
    EXPECT_EQ(bits(phenotype_mean), bits(16777216.0 / 2 + tenth / 2));
}

TEST(CrossData, TextAfterTheLastRecordIsNeverRead) {
    const Parsed parsed = parse(std::string(WORKED_EXAMPLE) + "7 x 1e999 -- whatever\n");
    EXPECT_EQ(parsed.outcome.status, DataStatus::ok) << parsed.outcome.error;
    EXPECT_TRUE(parsed.outcome.warnings.empty());
}

// Serves the text, then endless digits; counts the characters taken.
class EndlessText : public std::streambuf {
public:
    explicit EndlessText(std::string text) : text_(std::move(text)) {}
    std::size_t taken() const { return taken_; }

protected:
    int_type underflow() override {
        if (taken_ >= LIMIT) return traits_type::eof();  // keeps a runaway reader finite
        current_ = taken_ < text_.size() ? text_[taken_] : '9';
        setg(&current_, &current_, &current_ + 1);
        ++taken_;
        return traits_type::to_int_type(current_);
    }

private:
    static constexpr std::size_t LIMIT = 1 << 20;
    std::string text_;
    std::size_t taken_ = 0;
    char current_ = 0;
};

TEST(CrossData, ReadingStopsAtTheEndOfTheLastRecord) {
    // The last field ends at its first whitespace: nothing after that is taken.
    const std::string text = std::string(WORKED_EXAMPLE) + " ";
    EndlessText source(text);
    std::istream in(&source);
    auto storage = make_storage();
    const DataOutcome outcome = parse_cross_data(in, "quendata.txt", storage->design,
                                                 storage->observed_phenotypes,
                                                 storage->phenotypes);
    EXPECT_EQ(outcome.status, DataStatus::ok) << outcome.error;
    EXPECT_LE(source.taken(), text.size());
}

TEST(CrossData, ParameterCountFollowsAlleleCount) {
    const struct {
        const char* header;
        int parameters;
    } cases[] = {{"1 1 -5 5 1\n1 1 1 1 2\n", 1},
                 {"2 1 -5 5 1\n1 1 1 1 2\n", 3},
                 {"3 1 -5 5 1\n1 1 1 1 2\n", 6},
                 {"24 1 -5 5 1\n1 1 1 1 2\n", 300}};
    for (const auto& c : cases) {
        ASSERT_EQ(parse(c.header).outcome.status, DataStatus::ok);
        EXPECT_EQ(parameter_count, c.parameters) << c.header;
    }
}

TEST(CrossData, FullCapacityIsAccepted) {
    std::string text = "24 1000 -5 5 1\n";
    for (int i = 0; i < 1000; ++i) {
        text += std::to_string(i % 24 + 1) + " 24 " + std::to_string((i * 7) % 24 + 1) + " 1 " +
                std::to_string(i) + ".5\n";
    }
    const Parsed parsed = parse(text);
    ASSERT_EQ(parsed.outcome.status, DataStatus::ok) << parsed.outcome.error;
    EXPECT_EQ(bits(parsed.storage->observed_phenotypes[999]), bits(999.5));
    double row_sum = 0;
    for (double cell : design_row(parsed, 999)) row_sum += cell;
    EXPECT_EQ(row_sum, 1.0);
}

TEST(CrossData, OddButHarmlessInputIsWarnedAbout) {
    const struct {
        const char* text;
        std::vector<std::string> warnings;
    } cases[] = {
        {"3 1 -5 5 100\n1 4 2 2 1.5\n",
         {"Warning: quendata.txt: cross 1, first parent's second allele: 4 is outside 1 to 3; "
          "it adds nothing to the design row"}},
        {"3 2 -5 5 100\n1 1 1 1 1.5\n0 1 1 -2147483648 1.5\n",
         {"Warning: quendata.txt: cross 2, first parent's first allele: 0 is outside 1 to 3; "
          "it adds nothing to the design row",
          "Warning: quendata.txt: cross 2, second parent's second allele: -2147483648 is "
          "outside 1 to 3; it adds nothing to the design row"}},
        {"1 1 5 -5.0 100\n1 1 1 1 1.5\n",
         {"Warning: quendata.txt: header: lower bound 5 is above upper bound -5.0; every "
          "estimate will be the lower bound"}},
        {"1 2 -5 5 100\n1 1 1 1 1.5\n1 1 1 1 -1.5\n",
         {"Warning: quendata.txt: the phenotype mean is exactly 0; every random starting "
          "vertex will be the zero vector"}},
    };
    for (const auto& c : cases) {
        const Parsed parsed = parse(c.text);
        EXPECT_EQ(parsed.outcome.status, DataStatus::ok) << parsed.outcome.error;
        EXPECT_EQ(parsed.outcome.warnings, c.warnings) << c.text;
    }
}

TEST(CrossData, OutOfRangeAllelesStillLeaveTheRestOfTheRow) {
    const Parsed parsed = parse("3 1 -5 5 100\n1 4 2 2 1.5\n");
    EXPECT_EQ(design_row(parsed, 0), (std::vector<double>{0, 0, 0, 0.5, 0, 0}));
}

TEST(CrossData, RefusedFiles) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"", "header, allele count: the file ends before this field"},
        {"3 2 -5 5", "header, maximum evaluations: the file ends before this field"},
        {"3 2 -5 5 500\n1 2 1 3 12.5\n2 2 2",
         "cross 2, second parent's second allele: the file ends here, but the header "
         "announces 2 crosses"},
        {"3 2 -5 5 500\n1 2 1 3 12.5\n2 2 2 3",
         "cross 2, phenotype: the file ends here, but the header announces 2 crosses"},
        {"three 2 -5 5 500", "header, allele count: \"three\" is not an integer"},
        {"3 2.0 -5 5 500", "header, cross count: \"2.0\" is not an integer"},
        {"3 2 -5,0 5 500", "header, lower bound: \"-5,0\" is not a number"},
        {"3 2 -5 inf 500", "header, upper bound: \"inf\" is not a number"},
        {"3 2 -5 5 1e3", "header, maximum evaluations: \"1e3\" is not an integer"},
        {"3 2 -5 5 500\n1 2 1 3 nan", "cross 1, phenotype: \"nan\" is not a number"},
        {"3 2 -5 5 500\n1 2 1 3 0x1p3", "cross 1, phenotype: \"0x1p3\" is not a number"},
        {"3 2 -5 5 500\n1 2 1 3 1.5e", "cross 1, phenotype: \"1.5e\" is not a number"},
        {"3 2 -5 5 500\n1 2 1 3 .", "cross 1, phenotype: \".\" is not a number"},
        {"3 2 -5 5 500\n1 2 1 3 12.5;", "cross 1, phenotype: \"12.5;\" is not a number"},
        {"3 2 -5 5 500\n1 2 1 - 12.5", "cross 1, second parent's second allele: \"-\" is not an integer"},
        {"3 2 -5 5 500\n1 a\x01 1 3 12.5",
         "cross 1, first parent's second allele: \"a\\x01\" is not an integer"},
        {"0 2 -5 5 500", "header, allele count: 0 is outside 1 to 24"},
        {"25 2 -5 5 500", "header, allele count: 25 is outside 1 to 24"},
        {"3 0 -5 5 500", "header, cross count: 0 is outside 1 to 1000"},
        {"3 -4 -5 5 500", "header, cross count: -4 is outside 1 to 1000"},
        {"3 1001 -5 5 500", "header, cross count: 1001 is outside 1 to 1000"},
        {"3 2 -5 5 2147483648",
         "header, maximum evaluations: \"2147483648\" does not fit in a 32-bit integer"},
        {"3 2 -5 5 500\n-2147483649 1 1 1 1",
         "cross 1, first parent's first allele: \"-2147483649\" does not fit in a 32-bit "
         "integer"},
        {"3 2 -3.5e38 5 500", "header, lower bound: \"-3.5e38\" is too large for single precision"},
        {"3 2 -5 5 500\n1 2 1 3 1e39", "cross 1, phenotype: \"1e39\" is too large for single precision"},
        {"3 2 5 -5 500\n0 2 1 3 1.5\n2 2 2 3 x",
         "cross 2, phenotype: \"x\" is not a number"},
    };
    for (const auto& c : cases) {
        const Parsed parsed = parse(c.text);
        EXPECT_EQ(parsed.outcome.status, DataStatus::refused) << c.text;
        EXPECT_EQ(parsed.outcome.error, std::string("Error: quendata.txt: ") + c.error);
        EXPECT_TRUE(parsed.outcome.warnings.empty()) << c.text;
    }
}

TEST(CrossData, LimitsOfTheNumberKindsAreAccepted) {
    const Parsed parsed = parse(
        "1 1 -3.4028234e38 3.4028235e38 -2147483648\n"
        "+2147483647 1 1 1 1e-50\n");
    ASSERT_EQ(parsed.outcome.status, DataStatus::ok) << parsed.outcome.error;
    EXPECT_EQ(max_evaluations, -2147483647 - 1);
    EXPECT_EQ(bits(upper_bound), bits(3.4028234663852886e38));
    // Too small for single precision underflows to zero, as the scan would.
    EXPECT_EQ(bits(parsed.storage->phenotypes[0]), bits(0.0));
}

TEST(CrossData, OverlongFieldIsRefusedAndQuotedShort) {
    const Parsed parsed = parse("1 1 -5 5 100\n1 1 1 1 " + std::string(2000, '7'));
    EXPECT_EQ(parsed.outcome.error,
              "Error: quendata.txt: cross 1, phenotype: \"" + std::string(40, '7') +
                  "...\" is longer than 1024 characters");
}

}  // namespace
