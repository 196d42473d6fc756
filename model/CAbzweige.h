// The junction of a branched flue-gas system: the flue paths of its next
// and its branch link join here and mix by mass flow and heat capacity.
#pragma once

#include "model/CModul.h"

class CAbzweige : public CModul {
public:
    const char* ClassName() const override { return "CAbzweige"; }

    // No persistent members: a junction stores nothing.
    void Serialize(vx::Archive&) override {}
    // The chain run hands no second state, so the junction passes state on.
    AbgasZustand* Calculate(AbgasZustand* state, uint16_t mode, int16_t caseIndex, int, int) override {
        return Calculate(state, mode, caseIndex, nullptr);
    }
    // Mixes state with the state of the branch (other) into mixedState.
    AbgasZustand* Calculate(const AbgasZustand* state, uint16_t mode, int16_t caseIndex, const AbgasZustand* other);
    void SetInletValue(double) override {}
    double GetOutletValue() override { return 0.0; }
    void CollectBranchValue(double& x, int& n, int what) override;
    void SetRunLength(double) override {}
    void AddRunLength(double) override {}
    double GetRunLength() override { return 0.0; }
    void ResetRunLength() override {}
    AbgasZustand* CalcForChain(AbgasZustand* state, uint16_t mode, int16_t caseIndex, int flag) override;
    AbgasZustand* CalculateChain(AbgasZustand* state, int flag) override;

    AbgasZustand mixedState;  // the state at the junction's outlet
    double branchDraught = 0.0;
};
