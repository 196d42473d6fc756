// The connecting piece: the flue pipe from the heat generator's outlet to
// the chimney. It calculates as any pipe section.
#pragma once

#include "model/CRohr.h"

class CVerb : public CRohr {
public:
    CVerb();
    CVerb(const CVerb& other) : CVerb() { *this = other; }
    CVerb& operator=(const CVerb& other) {
        CRohr::operator=(other);
        diameterDefault = other.diameterDefault;
        return *this;
    }

    const char* ClassName() const override { return "CVerb"; }
    bool IsKindOf(std::string_view className) const override {
        return className == "CVerb" || CRohr::IsKindOf(className);
    }

    void WriteRecord(std::string& text, int what) override;
    std::string BuildFilter(bool withDuct, long manufacturer, long secondManufacturer) override;
    void ApplyGeometryDefaultsOfKind() override;

    void LoadDefault(CWerte& value) override;
    void OnUnitChanged(CWerte& value) override;
    int OnValueChanged(CWerte& value) override;
    std::string GetName() override { return "VERB"; }
    // Non-zero when a check failed.
    int CheckInputs(std::string& message, std::vector<int>* ids) override;

    double diameterDefault = 0.0;  // m
};
