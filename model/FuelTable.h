// The per-fuel constants of the calculation model, one table per process,
// filled by the program at start-up with its own rows.
#pragma once

#include <cstdint>
#include <span>

struct FuelRow {
    double largestCo2;   // c1, % by volume
    double fm1;          // c2: mass flow = (fm1 / CO2 + fm2) x heat input / 1000
    double fm2;          // c3
    double fRDry;        // c4: gas-constant factor, dry operation
    double fRWet;        // c5: wet operation
    double cp0, cp1, cp2, cpF;  // c6-c9: specific-heat coefficients
    double fw;           // c10: water-vapour factor
    int16_t kind;        // c11: 1 wood and pellets, 2 coke and coal, 3 oil and gas
    double k1, k2, k3;   // c12-c14: default CO2 coefficients
    double dewA, dewB;   // c15, c16: dew-point increment = A + B x ln 2
};

struct FuelTableData {
    uint16_t count;
    FuelRow rows[20];
};

static_assert(sizeof(FuelRow) == 128 && sizeof(FuelTableData) == 2568, "the table keeps its file layout");

extern FuelTableData FuelTable;

// Clears the table, then writes the program's rows and their count.
void FillFuelTable(std::span<const FuelRow> rows);
// The rows of the main program.
std::span<const FuelRow> VelmoraFuelRows();

// The row of a fuel index; an index outside the table reads a zero row.
const FuelRow& FuelRowAt(int fuelIndex);
