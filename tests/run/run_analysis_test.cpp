#include "run/run_analysis.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Outputs {
    int status;
    std::string console;
    std::string results;
};

// A whole run with a fixed seed in a fresh folder holding only the data file.
Outputs run_in_folder(const fs::path& data, std::uint32_t seed) {
    const fs::path dir = fs::path(testing::TempDir()) / "quen_run_analysis";
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(data, dir / "quendata.txt");
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    testing::internal::CaptureStdout();
    const int status = run_analysis(seed);
    Outputs run{status, testing::internal::GetCapturedStdout(), read_file(dir / "quenresults.txt")};
    fs::current_path(before);
    fs::remove_all(dir);
    return run;
}

// Compares with the stored outputs of this data file and seed; on a
// difference the new outputs are left beside the test's temporary folder.
void expect_golden(const Outputs& run, const std::string& name) {
    const fs::path golden = fs::path(QUEN_TESTS_DIR) / "run" / "golden";
    const std::string console = read_file(golden / (name + ".stdout"));
    const std::string results = read_file(golden / (name + ".results"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.console, console) << name;
    EXPECT_EQ(run.results, results) << name;
    if (run.console != console || run.results != results) {
        std::ofstream(fs::path(testing::TempDir()) / (name + ".stdout")) << run.console;
        std::ofstream(fs::path(testing::TempDir()) / (name + ".results")) << run.results;
    }
}

TEST(RunAnalysis, ExampleDataGiveTheStoredOutputsTwice) {
    const fs::path data = fs::path(QUEN_EXAMPLES_DIR) / "quendata.txt";
    const Outputs first = run_in_folder(data, 20261211u);
    expect_golden(first, "example_seed_20261211");
    const Outputs second = run_in_folder(data, 20261211u);
    EXPECT_EQ(second.console, first.console);
    EXPECT_EQ(second.results, first.results);
}

TEST(RunAnalysis, SpentBudgetsShowBetweenTheCountdownNumbers) {
    const fs::path data = fs::path(QUEN_TESTS_DIR) / "run" / "golden" / "small_budget.quendata.txt";
    const Outputs run = run_in_folder(data, 7u);
    expect_golden(run, "small_budget_seed_7");
    EXPECT_NE(run.console.find(" 10Maximum function calls exceeded."), std::string::npos);
}

TEST(RunAnalysis, OtherSeedsGiveOtherPermutations) {
    const fs::path data = fs::path(QUEN_EXAMPLES_DIR) / "quendata.txt";
    const Outputs a = run_in_folder(data, 1u);
    const Outputs b = run_in_folder(data, 2u);
    EXPECT_NE(a.results, b.results);
}

}  // namespace
