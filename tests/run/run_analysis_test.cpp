#include "run/run_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "run_settings.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

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

// A folder holding quendata.txt with the given bytes, and perhaps an older
// results file; the run happens inside it.
class HostileInput : public testing::Test {
protected:
    fs::path dir = fs::path(testing::TempDir()) / "quen_hostile";
    fs::path before;
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
        before = fs::current_path();
        fs::current_path(dir);
    }
    void TearDown() override {
        fs::current_path(before);
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    struct Ran {
        int status;
        std::string out, err;
    };
    Ran run() {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = run_analysis(1234u);
        std::string out = testing::internal::GetCapturedStdout();
        return {status, out, testing::internal::GetCapturedStderr()};
    }
};

TEST_F(HostileInput, RefusedFilesChangeNothing) {
    const std::string header = "3 2 -5 5 500\n";
    const std::string record = "1 2 1 3 12.5\n";
    const struct {
        const char* what;
        std::string data;
        const char* error;  // after "Error: quendata.txt: "
    } cases[] = {
        {"empty file", "", "header, allele count: the file ends before this field"},
        {"header only", header,
         "cross 1, first parent's first allele: the file ends here, but the header announces 2 crosses"},
        {"a missing record", header + record,
         "cross 2, first parent's first allele: the file ends here, but the header announces 2 crosses"},
        {"a missing field", header + record + "2 2 2 8.0\n",
         "cross 2, second parent's second allele: \"8.0\" is not an integer"},
        {"letters in the allele count", "three 2 -5 5 500\n",
         "header, allele count: \"three\" is not an integer"},
        {"letters in the cross count", "3 two -5 5 500\n",
         "header, cross count: \"two\" is not an integer"},
        {"letters in a bound", "3 2 low 5 500\n", "header, lower bound: \"low\" is not a number"},
        {"letters in the budget", "3 2 -5 5 many\n",
         "header, maximum evaluations: \"many\" is not an integer"},
        {"letters in an allele", header + "1 b 1 3 12.5\n",
         "cross 1, first parent's second allele: \"b\" is not an integer"},
        {"letters in a phenotype", header + "1 2 1 3 tall\n",
         "cross 1, phenotype: \"tall\" is not a number"},
        {"a decimal comma", header + "1 2 1 3 12,5\n",
         "cross 1, phenotype: \"12,5\" is not a number"},
        {"punctuation after a count", "3; 2 -5 5 500\n",
         "header, allele count: \"3;\" is not an integer"},
        {"a real in an integer field", "3.0 2 -5 5 500\n",
         "header, allele count: \"3.0\" is not an integer"},
        {"a real allele", header + "1 2.5 1 3 12.5\n",
         "cross 1, first parent's second allele: \"2.5\" is not an integer"},
        {"a NUL byte", header + std::string("1 2\0 1 3 12.5\n", 15),
         "cross 1, first parent's second allele: \"2\\x00\" is not an integer"},
        {"binary garbage", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10),
         "header, allele count: \"\\x7FELF\\x02\\x01\\x01\\x00\\x00\\x00\" is not an integer"},
        {"an integer too large", "99999999999 2 -5 5 500\n",
         "header, allele count: \"99999999999\" does not fit in a 32-bit integer"},
        {"a real too large", header + "1 2 1 3 1e39\n",
         "cross 1, phenotype: \"1e39\" is too large for single precision"},
        {"a number too long", "3 2 -5 5 " + std::string(1100, '5') + "\n",
         "header, maximum evaluations: \"5555555555555555555555555555555555555555...\" is longer "
         "than 1024 characters"},
        {"25 alleles", "25 1 -5 5 500\n1 1 1 1 1\n", "header, allele count: 25 is outside 1 to 24"},
        {"0 alleles", "0 1 -5 5 500\n1 1 1 1 1\n", "header, allele count: 0 is outside 1 to 24"},
        {"negative alleles", "-3 1 -5 5 500\n", "header, allele count: -3 is outside 1 to 24"},
        {"1001 crosses", "3 1001 -5 5 500\n", "header, cross count: 1001 is outside 1 to 1000"},
        {"0 crosses", "3 0 -5 5 500\n", "header, cross count: 0 is outside 1 to 1000"},
        {"negative crosses", "3 -1 -5 5 500\n", "header, cross count: -1 is outside 1 to 1000"},
    };
    const std::string older = "results of an earlier run\n";
    for (const auto& c : cases) {
        for (const bool with_older : {false, true}) {
            std::ofstream("quendata.txt", std::ios::binary) << c.data;
            fs::remove("quenresults.txt");
            if (with_older) std::ofstream("quenresults.txt", std::ios::binary) << older;
            const Ran ran = run();
            EXPECT_EQ(ran.status, 1) << c.what;
            EXPECT_EQ(ran.out, "") << c.what;
            EXPECT_EQ(ran.err, std::string("Error: quendata.txt: ") + c.error + "\n") << c.what;
            if (with_older) {
                EXPECT_EQ(read_file("quenresults.txt"), older) << c.what;
            } else {
                EXPECT_FALSE(fs::exists("quenresults.txt")) << c.what;
            }
            EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()),
                      with_older ? 2 : 1)
                << c.what;
        }
    }
}

TEST_F(HostileInput, CountsAtCapacityAreAcceptedAndRun) {
    // 24 alleles (300 parameters) and 1000 crosses, each with a tiny budget.
    std::string alleles = "24 2 -5 5 2\n1 24 2 23 1.5\n24 24 1 1 2.5\n";
    std::string crosses = "1 1000 -5 5 2\n";
    for (int i = 0; i < 1000; ++i) crosses += "1 1 1 1 " + std::to_string(i % 7) + "\n";
    for (const std::string& data : {alleles, crosses}) {
        std::ofstream("quendata.txt") << data;
        const Ran ran = run();
        EXPECT_EQ(ran.status, 0) << ran.err;
        EXPECT_EQ(ran.err, "");
        const std::string results = read_file("quenresults.txt");
        EXPECT_EQ(std::count(results.begin(), results.end(), '\n'), 2 + parameter_count);
    }
}

TEST_F(HostileInput, AFolderNamedLikeTheDataFileIsAMissingFile) {
    fs::create_directory("quendata.txt");
    const Ran ran = run();
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.out, "Error: Cannot open quendata.txt file!");
    EXPECT_EQ(ran.err, "");
}

TEST_F(HostileInput, UnreadableDataFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads files whatever their permission bits";
    std::ofstream("quendata.txt") << "1 1 -5 5 10\n1 1 1 1 1\n";
    fs::permissions("quendata.txt", fs::perms::none);
    const Ran ran = run();
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.out, "Error: Cannot open quendata.txt file!");
}

TEST_F(HostileInput, UnwritableFolderKeepsTheOlderResults) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes whatever the permission bits";
    std::ofstream("quendata.txt") << "1 1 -5 5 10\n1 1 1 1 1\n";
    std::ofstream("quenresults.txt") << "older\n";
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    const Ran ran = run();
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.err,
              "Error: quenresults.txt: cannot create a temporary file beside it: Permission denied\n");
    EXPECT_EQ(read_file("quenresults.txt"), "older\n");
}

}  // namespace
