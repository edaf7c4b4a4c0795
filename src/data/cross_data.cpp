#include "data/cross_data.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "data/design_matrix.h"
#include "run_settings.h"

namespace {

// Longer fields are refused rather than held: no number needs this many characters.
constexpr std::size_t MAX_FIELD_LENGTH = 1024;
// How much of a bad field a message quotes.
constexpr std::size_t QUOTE_LENGTH = 40;

const char* const HEADER_FIELDS[5] = {"allele count", "cross count", "lower bound",
                                      "upper bound", "maximum evaluations"};
const char* const CROSS_FIELDS[5] = {"first parent's first allele", "first parent's second allele",
                                     "second parent's first allele",
                                     "second parent's second allele", "phenotype"};

bool is_space(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// One whitespace-delimited field; false at the end of the text.
bool next_field(std::streambuf& in, std::string& field, bool& too_long) {
    field.clear();
    too_long = false;
    int c = in.sgetc();
    while (c != EOF && is_space(c)) c = in.snextc();
    if (c == EOF) return false;
    while (c != EOF && !is_space(c)) {
        if (field.size() < MAX_FIELD_LENGTH) {
            field.push_back(static_cast<char>(c));
        } else {
            too_long = true;
        }
        c = in.snextc();
    }
    return true;
}

// The field as a message shows it: quoted, shortened, control bytes escaped.
std::string quote_field(const std::string& field) {
    std::string out = "\"";
    for (std::size_t i = 0; i < field.size() && i < QUOTE_LENGTH; ++i) {
        const unsigned char c = static_cast<unsigned char>(field[i]);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    if (field.size() > QUOTE_LENGTH) out += "...";
    return out + "\"";
}

enum class FieldError { none, not_integer, not_real, out_of_int32, out_of_float };

// Optional sign, then decimal digits; must fit in 32 bits.
FieldError parse_int32(const std::string& text, std::int32_t& value) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) i = 1;
    if (i == text.size()) return FieldError::not_integer;
    std::int64_t magnitude = 0;
    bool overflow = false;
    for (; i < text.size(); ++i) {
        if (!is_digit(text[i])) return FieldError::not_integer;
        if (!overflow) {
            magnitude = magnitude * 10 + (text[i] - '0');
            if (magnitude > 2147483648LL) overflow = true;
        }
    }
    if (overflow || (!negative && magnitude > 2147483647LL)) return FieldError::out_of_int32;
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return FieldError::none;
}

// Optional sign, digits with an optional decimal point, optional exponent;
// read as the nearest single-precision value, then widened exactly.
FieldError parse_real(const std::string& text, double& value) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && is_digit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && is_digit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return FieldError::not_real;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponent_digits = 0;
        while (i < text.size() && is_digit(text[i])) ++i, ++exponent_digits;
        if (exponent_digits == 0) return FieldError::not_real;
    }
    if (i != text.size()) return FieldError::not_real;
    // The text is now plain decimal, which strtof rounds correctly in the C locale.
    const float single = std::strtof(text.c_str(), nullptr);
    if (std::isinf(single)) return FieldError::out_of_float;
    value = static_cast<double>(single);
    return FieldError::none;
}

class Reader {
public:
    Reader(std::istream& in, const char* file_name, DataOutcome& outcome)
        : in_(*in.rdbuf()), file_name_(file_name), outcome_(outcome) {}

    // Where a field is, as messages name it.
    std::string header_place(int field) const {
        return std::string(file_name_) + ": header, " + HEADER_FIELDS[field];
    }
    std::string cross_place(int cross, int field) const {
        return std::string(file_name_) + ": cross " + std::to_string(cross + 1) + ", " +
               CROSS_FIELDS[field];
    }

    bool read_int(const std::string& place, std::int32_t& value) {
        if (!fetch(place)) return false;
        return check(place, parse_int32(field_, value));
    }
    bool read_real(const std::string& place, double& value) {
        if (!fetch(place)) return false;
        return check(place, parse_real(field_, value));
    }

    // The text of the field read last, as the file has it.
    const std::string& field() const { return field_; }

    bool refuse(const std::string& place, const std::string& what) {
        outcome_.status = DataStatus::refused;
        outcome_.error = "Error: " + place + ": " + what;
        outcome_.warnings.clear();  // a refused file gets its one error line alone
        return false;
    }
    void warn(const std::string& text) { outcome_.warnings.push_back("Warning: " + text); }

    int expected_crosses = 0;  // for the message on a file that ends early

private:
    bool fetch(const std::string& place) {
        bool too_long = false;
        if (!next_field(in_, field_, too_long)) {
            if (expected_crosses > 0) {
                return refuse(place, "the file ends here, but the header announces " +
                                         std::to_string(expected_crosses) + " crosses");
            }
            return refuse(place, "the file ends before this field");
        }
        if (too_long) {
            return refuse(place, quote_field(field_) + " is longer than " +
                                     std::to_string(MAX_FIELD_LENGTH) + " characters");
        }
        return true;
    }

    bool check(const std::string& place, FieldError error) {
        switch (error) {
            case FieldError::none: return true;
            case FieldError::not_integer: return refuse(place, quote_field(field_) + " is not an integer");
            case FieldError::not_real: return refuse(place, quote_field(field_) + " is not a number");
            case FieldError::out_of_int32:
                return refuse(place, quote_field(field_) + " does not fit in a 32-bit integer");
            case FieldError::out_of_float:
                return refuse(place, quote_field(field_) + " is too large for single precision");
        }
        return true;
    }

    std::streambuf& in_;
    const char* file_name_;
    DataOutcome& outcome_;
    std::string field_;
};

bool read_header(Reader& reader, std::string& lower_text, std::string& upper_text) {
    if (!reader.read_int(reader.header_place(0), allele_count)) return false;
    if (allele_count < 1 || allele_count > MAX_ALLELES) {
        return reader.refuse(reader.header_place(0), std::to_string(allele_count) +
                                                         " is outside 1 to " +
                                                         std::to_string(MAX_ALLELES));
    }
    if (!reader.read_int(reader.header_place(1), cross_count)) return false;
    if (cross_count < 1 || cross_count > MAX_CROSSES) {
        return reader.refuse(reader.header_place(1), std::to_string(cross_count) +
                                                         " is outside 1 to " +
                                                         std::to_string(MAX_CROSSES));
    }
    if (!reader.read_real(reader.header_place(2), lower_bound)) return false;
    lower_text = reader.field();
    if (!reader.read_real(reader.header_place(3), upper_bound)) return false;
    upper_text = reader.field();
    return reader.read_int(reader.header_place(4), max_evaluations);
}

}  // namespace

DataOutcome parse_cross_data(std::istream& in, const char* file_name, Design& design,
                             PhenotypeVector& observed_phenotypes, PhenotypeVector& phenotypes) {
    DataOutcome outcome;
    Reader reader(in, file_name, outcome);

    std::string lower_text, upper_text;
    if (!read_header(reader, lower_text, upper_text)) return outcome;
    if (lower_bound > upper_bound) {
        reader.warn(std::string(file_name) + ": header: lower bound " + lower_text +
                    " is above upper bound " + upper_text +
                    "; every estimate will be the lower bound");
    }

    const std::int32_t n = allele_count;
    parameter_count = n + static_cast<std::int32_t>(pair_count(n, 2));
    const std::int32_t m = parameter_count;

    for (std::int32_t i = 0; i < cross_count; ++i) {
        for (std::int32_t j = 0; j < m; ++j) design[i][j] = 0.0;
    }

    phenotype_mean = 0.0;
    reader.expected_crosses = cross_count;
    for (std::int32_t i = 0; i < cross_count; ++i) {
        std::int64_t alleles[4];
        for (int field = 0; field < 4; ++field) {
            std::int32_t number = 0;
            if (!reader.read_int(reader.cross_place(i, field), number)) return outcome;
            if (number < 1 || number > n) {
                reader.warn(reader.cross_place(i, field) + ": " + std::to_string(number) +
                            " is outside 1 to " + std::to_string(n) +
                            "; it adds nothing to the design row");
            }
            alleles[field] = static_cast<std::int64_t>(number) - 1;
        }
        double phenotype = 0.0;
        if (!reader.read_real(reader.cross_place(i, 4), phenotype)) return outcome;
        phenotypes[i] = phenotype;
        observed_phenotypes[i] = phenotype;
        // Summed as rounded quotients in file order, not as a total divided once.
        phenotype_mean = phenotypes[i] / static_cast<double>(cross_count) + phenotype_mean;
        add_design_row(design[i], n, alleles[0], alleles[1], alleles[2], alleles[3]);
    }

    if (phenotype_mean == 0.0) {
        reader.warn(std::string(file_name) +
                    ": the phenotype mean is exactly 0; every random starting vertex will be "
                    "the zero vector");
    }
    return outcome;
}

DataOutcome read_cross_data(Design& design, PhenotypeVector& observed_phenotypes,
                            PhenotypeVector& phenotypes) {
    DataOutcome outcome;
    // A directory opens on Linux but cannot be read: it counts as missing.
    std::error_code ignored;
    std::ifstream file;
    if (!std::filesystem::is_directory(DATA_FILE_NAME, ignored)) {
        file.open(DATA_FILE_NAME, std::ios::in | std::ios::binary);
    }
    if (!file.is_open()) {
        outcome.status = DataStatus::cannot_open;
        return outcome;
    }
    try {
        return parse_cross_data(file, DATA_FILE_NAME, design, observed_phenotypes, phenotypes);
    } catch (const std::ios_base::failure&) {
        outcome.status = DataStatus::refused;
        outcome.error = std::string("Error: ") + DATA_FILE_NAME + ": the file cannot be read";
        return outcome;
    }
}
