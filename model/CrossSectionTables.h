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

// Reads all three tables from the data directory; a missing file leaves them empty.
void LoadCrossSectionTables();
// Reads the lines of one prefix ('R', 'Q' or 'O') from the file's text.
void ReadCrossSectionTable(const std::string& text, char prefix, CrossSectionTables& tables);

// The count of living pipe sections decides when the tables are loaded and freed.
void AcquireCrossSectionTables();
void ReleaseCrossSectionTables();
int LivingPipeSections();

// "%f%f" text order of two pairs, as the oval table is sorted.
bool OvalPairBefore(const std::pair<double, double>& a, const std::pair<double, double>& b);

// The limit cross-section (m) of a flue-gas mass flow (kg/s): the size the
// diagram's walk need not exceed, rounded to a tenth of a metre.
double StartCrossSection(double flueMassFlow, int shape);
