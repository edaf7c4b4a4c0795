// Fuzz target for the data file reader: any bytes either give a data set
// within the fixed capacities or one refusal line naming the file; never a
// crash, an overflow or a half-read data set.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "data/cross_data.h"
#include "run_settings.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

bool is_one_line(const std::string& text, const char* start) {
    return text.rfind(start, 0) == 0 && text.find('\n') == std::string::npos;
}

struct Storage {
    Design design;
    PhenotypeVector observed_phenotypes;
    PhenotypeVector phenotypes;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto storage = std::make_unique<Storage>();
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const DataOutcome outcome = parse_cross_data(in, "quendata.txt", storage->design,
                                                 storage->observed_phenotypes,
                                                 storage->phenotypes);
    if (outcome.status != DataStatus::ok) {
        require(outcome.status == DataStatus::refused);
        require(is_one_line(outcome.error, "Error: quendata.txt: "));
        require(outcome.warnings.empty());
        return 0;
    }
    for (const std::string& warning : outcome.warnings) {
        require(is_one_line(warning, "Warning: quendata.txt: "));
    }
    const int n = allele_count;
    require(n >= 1 && n <= MAX_ALLELES);
    require(cross_count >= 1 && cross_count <= MAX_CROSSES);
    require(parameter_count == n + n * (n - 1) / 2 && parameter_count <= MAX_PARAMETERS);
    require(std::isfinite(lower_bound) && std::isfinite(upper_bound));
    require(std::isfinite(phenotype_mean));
    for (int i = 0; i < cross_count; ++i) {
        require(std::isfinite(storage->phenotypes[i]));
        require(storage->phenotypes[i] == storage->observed_phenotypes[i]);
        double sum = 0.0;
        for (int j = 0; j < parameter_count; ++j) {
            const double cell = storage->design[i][j];
            require(cell >= 0.0 && cell <= 1.0 && std::floor(cell * 4) == cell * 4);
            sum += cell;
        }
        require(sum <= 1.0);
    }
    return 0;
}
