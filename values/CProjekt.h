// The project record: stored in calculation files and exchanged with the
// library as the tagged-text record PROJEKTDATEN.
#pragma once

#include "values/CVxtBase.h"
#include "values/CWString.h"

#include <array>
#include <string>
#include <string_view>

class CProjekt : public CVxtBase {
public:
    enum Cell {
        Nummer, Bearbeiter, Datum,
        EmpfName1, EmpfName2, EmpfStrasse, EmpfOrt, EmpfTel, EmpfFax, EmpfEmail, EmpfHandy, EmpfUrl, EmpfAnsprech,
        KundenNr, Match, VertragsNr,
        StdoName1, StdoName2, StdoStrasse, StdoOrt,
        Floskel, EmpfPlz, StdoPlz, Dummy,
        CellCount
    };

    CProjekt();
    CProjekt(const CProjekt&) = default;
    CProjekt& operator=(const CProjekt&) = default;

    void Serialize(vx::Archive& ar);
    std::string WriteRecord() const;
    void ReadRecord(std::string_view record);

    void LoadDefault(CWerte&) override {}
    void SaveDefaults() override {}
    void OnUnitChanged(CWerte&) override {}
    int OnValueChanged(CWerte&) override { return 0; }
    void UpdateDependentValues() override {}
    std::string GetName() override { return "PROJEKT"; }
    // Non-zero when a check failed (nothing to check: always 1).
    int CheckInputs(std::string&, std::vector<int>*) override { return 1; }

    std::string& Text(Cell c) { return cells[c].text; }
    const std::string& Text(Cell c) const { return cells[c].text; }

    std::array<CWString, CellCount> cells;
    // Geodetic heights in metres; -99.0 = unknown.
    double recipientHeight = -99.0;
    double siteHeight = -99.0;
};

// first := the text before the first blank and text := the rest after it;
// without a blank, first := "" and text stays.
void SplitAtFirstBlank(std::string& first, std::string& text);

// The project number as part of a file name: no folder separators, no "..",
// no leading dot and no control characters; each becomes "-".
std::string ProjectFileName(std::string_view number);
