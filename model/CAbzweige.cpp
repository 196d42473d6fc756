#include "model/CAbzweige.h"

namespace {

// One gas description of the flow state: the temperature or the pressure case.
struct GasBlock {
    double &co2, &h2o, &R, &t, &cp, &c0, &c1, &c2, &c3;
};

GasBlock Block(AbgasZustand& s, bool temperatureCase) {
    if (temperatureCase)
        return {s.co2T, s.h2oT, s.gasConstantT, s.temperatureT, s.specificHeatT,
                s.cpCoeffAT, s.cpCoeffBT, s.cpCoeffCT, s.cpCoeffFT};
    return {s.co2P, s.h2oP, s.gasConstantP, s.temperatureP, s.specificHeatP,
            s.cpCoeffAP, s.cpCoeffBP, s.cpCoeffCP, s.cpCoeffFP};
}

} // namespace

AbgasZustand* CAbzweige::Calculate(const AbgasZustand* state, uint16_t, int16_t, const AbgasZustand* other) {
    // Copies first: either state may be this junction's own record.
    AbgasZustand M, B;
    if (state) M = *state;
    if (other) B = *other;
    mixedState = M;
    if (!other) return &mixedState;

    const double mB = B.massFlow, mM = M.massFlow;
    mixedState.massFlow = mB + mM;
    if (mB + mM == 0) return &mixedState;
    mixedState.useFuelCoefficients = 1;

    const bool temperatureCase = M.caseSelect != 0;
    const GasBlock b = Block(B, temperatureCase);
    const GasBlock m = Block(M, temperatureCase);
    const GasBlock out = Block(mixedState, temperatureCase);

    out.t = (mM * m.cp * m.t + mB * b.cp * b.t) / (mB * b.cp + mM * m.cp);
    const double gB = mB * b.R * (100 - b.h2o);
    const double gM = mM * m.R * (100 - m.h2o);
    const double co2 = (gB * b.co2 + gM * m.co2) / (gB + gM);
    out.co2 = co2;
    out.h2o = (mM * m.R * m.h2o + mB * b.R * b.h2o) / (mB * b.R + mM * m.R);
    out.R = (mB * b.R + mM * m.R) / (mB + mM);
    if (co2 != 0) {
        const double nB = b.co2 * b.c3 + 1, nM = m.co2 * m.c3 + 1;
        const double below = mB / nB + mM / nM;
        double* const mixed[] = {&out.c0, &out.c1, &out.c2, &out.c3};
        const double cB[] = {b.c0, b.c1, b.c2, b.c3};
        const double cM[] = {m.c0, m.c1, m.c2, m.c3};
        for (int i = 0; i < 4; ++i)
            *mixed[i] = (b.co2 * mB * cB[i] / nB + m.co2 * mM * cM[i] / nM) / below / co2;
    }
    return &mixedState;
}

void CAbzweige::CollectBranchValue(double& x, int& n, int what) {
    double v1 = 0, v2 = 0;
    int n1 = 0, n2 = 0;
    if (next) next->CollectBranchValue(v1, n1, what);
    x = v1;
    n = n1;
    if (!branch || !branch->IsKindOf("CVerb")) return;
    branch->CollectBranchValue(v2, n2, what);
    if (n1 != n2) {
        x = v1 + v2;
        n = -1;
    }
}

AbgasZustand* CAbzweige::CalcForChain(AbgasZustand* state, uint16_t, int16_t, int) {
    AbgasZustand in;
    if (state) in = *state;
    mixedState = in;
    branchDraught = mixedState.draught;
    mixedState.pressureLoss = 0;
    return &mixedState;
}

AbgasZustand* CAbzweige::CalculateChain(AbgasZustand* state, int flag) {
    if (!PumpCalculationMessages()) return HandOnUnchanged(state);

    int32_t keptCaseSelect = 0, keptFuelCoefficients = 0;
    if (next && state) {
        keptCaseSelect = state->caseSelect;
        keptFuelCoefficients = state->useFuelCoefficients;
    }
    AbgasZustand* r = CalcForChain(state, CalculationMode, CaseIndex, flag);

    bool nextRan = false;
    double nextPressureLoss = 0;
    if (next) {
        next->GetResult(r->junctionParamA, r->junctionParamB, r->caseSelect);
        r->junctionKind = 2;
        AbgasZustand* s = next->CalculateChain(r, flag);
        if (!s) s = r;
        r->criteria &= s->criteria;
        // Taken now: the branch's run may reuse the record s points to.
        nextPressureLoss = s->pressureLoss;
        nextRan = true;
    }
    r->draught = branchDraught;
    r->junctionKind = 0;
    if (branch) {
        if (next) {
            next->GetResult(r->junctionParamA, r->junctionParamB, r->caseSelect);
            r->caseSelect = keptCaseSelect;
            r->useFuelCoefficients = keptFuelCoefficients;
        }
        r->junctionKind = 1;
        AbgasZustand* p = branch->CalculateChain(r, flag);
        if (!p) p = r;
        r->criteria &= p->criteria;
    }
    if (nextRan) r->pressureLoss = nextPressureLoss;
    return r;
}
