// The process-wide cross-section tables of "INNENTAB.INI": round inner
// diameters, square side lengths and oval side pairs, in metres, ascending.
// The pipe sections share them; the last living section frees them.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct CrossSectionTables {
    std::vector<double> round;
    std::vector<double> square;
    std::vector<std::pair<double, double>> oval;  // (first side, second side)
};

CrossSectionTables& SharedCrossSectionTables();

// Reads all three tables from the data directory; a missing file leaves them
// empty. Lines without a usable size are told once in one message naming the
// file and the lines.
void LoadCrossSectionTables();
// Reads the lines of one prefix ('R', 'Q' or 'O') from the file's text and
// returns the numbers (from 1) of the lines skipped for a bad size.
std::vector<int> ReadCrossSectionTable(const std::string& text, char prefix, CrossSectionTables& tables);

// The sizes a table may hold (m), as the table editor takes them.
inline constexpr double kCrossSectionMin = 0.05, kCrossSectionMax = 2.0;
bool CrossSectionSizeAllowed(double metres);

// One line of a prefix as the calculation reads it: the first line is the
// header, the first empty line ends the table.
struct CrossSectionLine {
    int line = 0;       // from 1
    std::string value;  // the text after the first "="
    bool valid = false; // an allowed size (both sides of an oval pair)
};
std::vector<CrossSectionLine> CrossSectionLines(const std::string& text, char prefix);
// The message for lines skipped in the file `name`; empty when there are none.
std::string BadCrossSectionLinesMessage(const std::string& name, std::vector<int> lines);

// The message for a shape whose table has no size: the file was not found
// in the data directory, or it holds no size of that shape.
std::string EmptyCrossSectionTableMessage(int shape);

// The count of living pipe sections decides when the tables are loaded and freed.
void AcquireCrossSectionTables();
void ReleaseCrossSectionTables();
int LivingPipeSections();

// "%f%f" text order of two pairs, as the oval table is sorted.
bool OvalPairBefore(const std::pair<double, double>& a, const std::pair<double, double>& b);

// The limit cross-section (m) of a flue-gas mass flow (kg/s): the size the
// diagram's walk need not exceed, rounded to a tenth of a metre.
double StartCrossSection(double flueMassFlow, int shape);
