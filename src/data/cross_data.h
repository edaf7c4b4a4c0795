// The cross data file: header, cross records, and the derived run settings.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "capacities.h"

inline constexpr const char* DATA_FILE_NAME = "quendata.txt";
inline constexpr const char* MISSING_DATA_MESSAGE = "Error: Cannot open quendata.txt file!";

enum class DataStatus { ok, cannot_open, refused };

struct DataOutcome {
    DataStatus status = DataStatus::ok;
    std::string error;                  // one "Error: ..." line when refused
    std::vector<std::string> warnings;  // "Warning: ..." lines; the run goes on
};

// Reads the header and the cross records from text. Sets the run settings,
// fills both phenotype vectors and the used block of the design, and computes
// phenotype_mean. Nothing after the last record is read. A malformed file,
// or one beyond the fixed capacities, is refused with a message that names
// file_name, the record and the field.
DataOutcome parse_cross_data(std::istream& in, const char* file_name, Design& design,
                             PhenotypeVector& observed_phenotypes, PhenotypeVector& phenotypes);

// Opens DATA_FILE_NAME in the current directory and parses it; the file is
// open only within the call.
DataOutcome read_cross_data(Design& design, PhenotypeVector& observed_phenotypes,
                            PhenotypeVector& phenotypes);
