// An exhaust-air system: a secondary-air device whose air comes through a
// duct of its own, with the duct's friction and single resistances.
#pragma once

#include "model/CNebenLuft.h"
#include "model/CZeta.h"

class CAbgasAbluft : public CNebenLuft {
public:
    enum : uint16_t {
        IdDuctShape = 12, IdDuctDiameter, IdDuctSideA, IdDuctSideB, IdDuctArea, IdDuctPerimeter, IdDuctZetaSum
    };

    CAbgasAbluft();

    const char* ClassName() const override { return "CAbgasAbluft"; }
    bool IsKindOf(std::string_view className) const override {
        return className == "CAbgasAbluft" || CNebenLuft::IsKindOf(className);
    }

    void Serialize(vx::Archive& ar) override;
    void AppendResults(OutputLines&, int&) override {}
    void CalcAirState(CNebWerte& record, const AbgasZustand& state, bool temperatureCase) override;

    std::string GetName() override { return "ABGASABL"; }
    // Non-zero when a check failed.
    int CheckInputs(std::string& message, std::vector<int>* ids) override;
    void OnUnitChanged(CWerte& value) override;

    CWShort ductShape;
    CWDouble ductDiameter;  // the hydraulic diameter after a geometry change, m
    CWDouble ductSideA, ductSideB;
    CWDouble ductArea;      // m²
    CWDouble ductPerimeter; // m
    CWDouble ductZetaSum;
    CZeta ductZetas;

    // Section "ABGASABL", read with the first exhaust-air system of the process.
    struct Settings {
        double dhMin, dhMax;
    };
    static const Settings& ProfileSettings();
};
