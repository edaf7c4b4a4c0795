// Shared helpers: run storage too large for the stack, exact comparison of
// doubles, and run settings set in one call.
#pragma once

#include <bit>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "capacities.h"
#include "run_storage.h"
#include "run_settings.h"

inline std::unique_ptr<RunStorage> make_storage() { return std::make_unique<RunStorage>(); }

inline std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

inline void set_run_settings(int alleles, int crosses, double lower, double upper,
                             int budget, double mean) {
    allele_count = alleles;
    cross_count = crosses;
    lower_bound = lower;
    upper_bound = upper;
    max_evaluations = budget;
    parameter_count = alleles + alleles * (alleles - 1) / 2;
    phenotype_mean = mean;
}

// Everything written to a temporary stream, from its start.
inline std::string contents(std::FILE* stream) {
    std::fflush(stream);
    std::rewind(stream);
    std::string text;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, n);
    return text;
}

// The whole content of a file, byte for byte; empty if it cannot be read.
inline std::string read_file(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return "";
    std::string text = contents(file);
    std::fclose(file);
    return text;
}
