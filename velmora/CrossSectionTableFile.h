// The round and square tables of "INNENTAB.INI" as the table editor reads
// and writes them: section INNENTAB, keys R1, R2, ... (round) or Q1, Q2, ...
// (square), numbered without gaps; the first missing or non-positive key
// ends a table.
#pragma once

#include <string>
#include <vector>

struct CrossSectionTableText {
    std::vector<std::string> entries;  // the values' texts, as read
    int count = 1;                     // the first number without a value
};

// 'R' for shape 0 (round), 'Q' for shape 1 (square).
char CrossSectionKeyPrefix(int shape);

// The table of a shape; a missing file gives an empty table.
CrossSectionTableText ReadCrossSectionTable(const std::string& path, int shape);

// Replaces the shape's keys by entries (numbered from 1) and writes the file
// in one atomic step. The file starts with "[INNENTAB]" and the section has
// no blank line and no emptied key, since the calculation's reader stops at
// the first blank line and reads an empty key as a size of 0. Everything
// else in the file stays as it was. False when the file cannot be written.
bool WriteCrossSectionTable(const std::string& path, int shape, const std::vector<std::string>& entries);
