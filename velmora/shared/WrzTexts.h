// The texts the type list and its data sheet show of a catalogue line.
#pragma once

#include "velmora/shared/CWrzKatalog.h"

#include <array>
#include <string>

// The output shown right of a type: "%.1f - %.1f kW" (part load, full load)
// with part-load data, else "%.1f kW".
std::string TypeOutputText(const WrzEntry& entry);

// The data sheet's values, full load and part load side by side.
struct WrzInfoTexts {
    enum Row { Output, Efficiency, Co2, MassFlow, GasTemperature, Draught, RowCount };
    std::array<std::string, RowCount> full;
    std::array<std::string, RowCount> part;  // empty without part-load data
    std::string outletSize;                  // cm
    std::string draughtLabel;
    bool openOperation = false;              // the line has open-operation values
};

// Numbers as the value cells show them: the decimals of the unit, a decimal
// comma, no trailing zeros.
WrzInfoTexts MakeWrzInfoTexts(const WrzEntry& entry);
