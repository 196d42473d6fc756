// The chimney section: the vertical pipe section between the connecting
// piece and the chimney head.
#pragma once

#include "model/CRohr.h"

class CSchorn : public CRohr {
public:
    CSchorn();
    CSchorn(const CSchorn& other) : CSchorn() { CRohr::operator=(other); }
    CSchorn& operator=(const CSchorn& other) {
        CRohr::operator=(other);
        return *this;
    }

    const char* ClassName() const override { return "CSchorn"; }
    bool IsKindOf(std::string_view className) const override {
        return className == "CSchorn" || CRohr::IsKindOf(className);
    }

    void CollectBranchValue(double& x, int& n, int what) override;
    void WriteRecord(std::string& text, int what) override;
    AbgasZustand* CalculateChain(AbgasZustand* state, int v) override;
    std::string GetClassText(int which) override;
    int IsKindChimney() const override { return 1; }
    std::string BuildFilter(bool withShaft, long manufacturer, long secondManufacturer) override;
    void ApplyGeometryDefaultsOfKind() override;

    std::string GetName() override { return "SCHORN"; }
    // Non-zero when a check failed.
    int CheckInputs(std::string& message, std::vector<int>* ids) override;
};
