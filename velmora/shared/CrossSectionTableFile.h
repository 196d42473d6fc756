// The round and square tables of "INNENTAB.INI" as the table editor reads
// and writes them: section INNENTAB, keys R1, R2, ... (round) or Q1, Q2, ...
// (square). The editor reads the lines the calculation reads, so both see
// the same sizes; a line without a usable size is skipped and named.
#pragma once

#include <string>
#include <vector>

struct CrossSectionTableText {
    std::vector<std::string> entries;  // the values' texts, as read
    int count = 1;                     // the first number without a value
    std::vector<int> badLines;         // lines skipped for a bad size (from 1)
};

// 'R' for shape 0 (round), 'Q' for shape 1 (square).
char CrossSectionKeyPrefix(int shape);

// The table of a shape; a missing file gives an empty table.
CrossSectionTableText ReadCrossSectionTable(const std::string& path, int shape);

// Replaces the shape's keys by entries (numbered from 1) and writes the file
// in one atomic step. The file starts with "[INNENTAB]" and the section has
// no blank line, since the calculation's reader stops at the first blank
// line. Lines of the shape the editor did not show (bad sizes, or lines the
// calculation never reached) are kept, numbered after the entries.
// Everything else in the file stays as it was. False when the file cannot be written.
bool WriteCrossSectionTable(const std::string& path, int shape, const std::vector<std::string>& entries);

// The entries as numbers in metres, read in the C locale as the calculation
// reads them (a comma, as older files may hold, is read as the point).
std::vector<double> CrossSectionSizes(const CrossSectionTableText& table);
// A size in metres as the file holds it: C locale, at most four decimals,
// no trailing zeros ("0.125", "0.1", "2").
std::string CrossSectionFileText(double metres);
