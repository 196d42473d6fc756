// A floating-point value cell: stored in its internal unit, shown and typed
// in its display unit.
#pragma once

#include "values/CWerte.h"

class CWDouble : public CWerte {
public:
    CWDouble() = default;
    CWDouble(const CWDouble&) = default;
    CWDouble& operator=(const CWDouble& other);
    // A copy for cells that keep no earlier texts.
    void AssignWithoutHistory(const CWDouble& other) {
        CWerte::AssignWithoutHistory(other);
        value = other.value;
        shownValue = other.shownValue;
    }

    void Serialize(vx::Archive& ar) override;
    void GetText(std::string& out, bool internalUnit) override;
    void SetText(const std::string& text) override;
    void CheckRange(std::string& message, std::vector<int>* ids, int* failed) override;

    // Fixed-width text of printed result lines: four decimals, trailing zeros blanked.
    void GetShortText(std::string& out, bool blankWhenZero);

    double value = 0.0;       // internal unit
    double shownValue = 0.0;  // display unit, as last shown or typed
};

// The number of decimals a cell shows for a unit, as a printf format.
const char* UnitFormat(uint16_t unit);
