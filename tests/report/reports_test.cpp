#include "report/reports.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// The worked example: two alleles, three parameters.
std::unique_ptr<RunStorage> worked_example() {
    auto s = make_storage();
    set_run_settings(2, 1, -10, 10, 100, 10.5);
    s->fit_r_squared[0] = 0.75;
    const double estimates[] = {1.25, -0.75, 0.5};
    const double p_values[] = {0.034, 0.21, 0.478, 0.012};
    for (int j = 0; j < 3; ++j) s->estimates[j][0] = estimates[j];
    for (int j = 0; j < 4; ++j) s->p_values[j] = p_values[j];
    return s;
}

TEST(Reports, WorkedExample) {
    auto s = worked_example();
    EXPECT_EQ(console_report(s->estimates, s->fit_r_squared, s->p_values),
              "      0.7500       0.012\n"
              "     10.5000\n"
              "      1.2500       0.034\n"
              "     -0.7500       0.210\n"
              "      0.5000       0.478\n");
    EXPECT_EQ(results_report(s->estimates, s->fit_r_squared, s->p_values),
              "            0.7500       0.012\n"
              "           10.5000\n"
              "     1      1.2500       0.034\n"
              "     2     -0.7500       0.210\n"
              "  1  2      0.5000       0.478\n");
}

TEST(Reports, AlleleAndPairLinesFollowTheParameterOrder) {
    const struct {
        int alleles;
        const char* lines;  // allele and pair lines of the file, estimate j = j + 0.5
    } cases[] = {
        {1, "     1      0.5000       0.000\n"},
        {3, "     1      0.5000       0.000\n"
            "     2      1.5000       0.001\n"
            "     3      2.5000       0.002\n"
            "  1  2      3.5000       0.003\n"
            "  1  3      4.5000       0.004\n"
            "  2  3      5.5000       0.005\n"},
    };
    for (const auto& c : cases) {
        auto s = make_storage();
        set_run_settings(c.alleles, 1, -10, 10, 100, 1.0);
        for (int j = 0; j <= parameter_count; ++j) {
            s->estimates[j % MAX_PARAMETERS][0] = j + 0.5;
            s->p_values[j] = j / 1000.0;
        }
        s->fit_r_squared[0] = 0.5;
        const std::string file = results_report(s->estimates, s->fit_r_squared, s->p_values);
        const std::string head = "            0.5000       0.00" +
                                 std::to_string(parameter_count) + "\n            1.0000\n";
        EXPECT_EQ(file, head + c.lines) << c.alleles;
    }
}

TEST(Reports, TwentyFourAllelesAndWideValues) {
    auto s = make_storage();
    set_run_settings(24, 1, -1e9, 1e9, 100, 1.0);
    for (int j = 0; j < parameter_count; ++j) s->estimates[j][0] = 0.0;
    for (int j = 0; j <= parameter_count; ++j) s->p_values[j] = 0.0;
    s->estimates[0][0] = 12345678.0;  // 13 characters: pushes the p-value right
    s->estimates[1][0] = -1234567.0;
    s->fit_r_squared[0] = 1e300;  // a near-zero total sum of squares: 301 digits
    const std::string file = results_report(s->estimates, s->fit_r_squared, s->p_values);
    std::istringstream lines(file);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line.size(), 301u + 5 + 12);
    EXPECT_EQ(line.substr(0, 4), "1000");
    EXPECT_EQ(line.substr(301), ".0000       0.000");
    std::getline(lines, line);
    std::getline(lines, line);
    EXPECT_EQ(line, "     112345678.0000       0.000");
    std::getline(lines, line);
    EXPECT_EQ(line, "     2-1234567.0000       0.000");
    std::string last;
    int count = 4;
    while (std::getline(lines, line)) {
        last = line;
        ++count;
    }
    EXPECT_EQ(count, 2 + 300);
    EXPECT_EQ(last, " 23 24      0.0000       0.000");
}

class WriteReports : public testing::Test {
protected:
    fs::path dir = fs::path(testing::TempDir()) / "quen_write_reports";
    fs::path results = dir / RESULTS_FILE_NAME;
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
};

TEST_F(WriteReports, ConsoleFirstThenAnExistingFileIsReplaced) {
    auto s = worked_example();
    std::ofstream(results) << "an older and longer results file\nwith two lines\n";
    std::FILE* console = std::tmpfile();
    EXPECT_EQ(write_reports(s->estimates, s->fit_r_squared, s->p_values, console, results), "");
    EXPECT_EQ(contents(console), console_report(s->estimates, s->fit_r_squared, s->p_values));
    std::fclose(console);
    EXPECT_EQ(read_file(results), results_report(s->estimates, s->fit_r_squared, s->p_values));
}

TEST_F(WriteReports, UnwritableConsoleLeavesTheResultsFileAlone) {
    std::FILE* full = std::fopen("/dev/full", "w");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full";
    auto s = worked_example();
    std::ofstream(results) << "older\n";
    EXPECT_EQ(write_reports(s->estimates, s->fit_r_squared, s->p_values, full, results),
              "Error: standard output: cannot write: No space left on device");
    std::fclose(full);
    EXPECT_EQ(read_file(results), "older\n");
}

}  // namespace
