#include "model/CAbzweige.h"

#include "platform/Archive.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Main flow (pressure-case block) and branch flow of the hand-worked mixture.
AbgasZustand MainFlow() {
    AbgasZustand s;
    s.massFlow = 0.02;
    s.co2P = 10, s.h2oP = 9, s.gasConstantP = 300, s.temperatureP = 150, s.specificHeatP = 1100;
    s.cpCoeffAP = 13, s.cpCoeffBP = 0.014, s.cpCoeffCP = -0.000011, s.cpCoeffFP = 0.0093;
    s.co2T = 11, s.temperatureT = 170;
    s.draught = 4.5;
    return s;
}

AbgasZustand BranchFlow() {
    AbgasZustand s;
    s.massFlow = 0.01;
    s.co2P = 8, s.h2oP = 7, s.gasConstantP = 295, s.temperatureP = 100, s.specificHeatP = 1050;
    s.cpCoeffAP = 23, s.cpCoeffBP = 0.015, s.cpCoeffCP = -0.000007, s.cpCoeffFP = 0.0142;
    return s;
}

TEST(CAbzweige, MixesThePressureCaseByMassFlowAndHeatCapacity) {
    CAbzweige j;
    const AbgasZustand main = MainFlow(), other = BranchFlow();
    const AbgasZustand& r = *j.Calculate(&main, 1, -1, &other);
    EXPECT_EQ(&r, &j.mixedState);
    EXPECT_DOUBLE_EQ(r.massFlow, 0.03);
    EXPECT_EQ(r.useFuelCoefficients, 1);
    // t = (0.02 x 1100 x 150 + 0.01 x 1050 x 100) / (0.01 x 1050 + 0.02 x 1100) = 4350 / 32.5
    EXPECT_NEAR(r.temperatureP, 133.846153846, 1e-8);
    // gB = 0.01 x 295 x 93 = 274.35, gM = 0.02 x 300 x 91 = 546
    // co2 = (274.35 x 8 + 546 x 10) / 820.35 = 7654.8 / 820.35
    EXPECT_NEAR(r.co2P, 9.331139148, 1e-8);
    // h2o = (0.02 x 300 x 9 + 0.01 x 295 x 7) / (2.95 + 6) = 74.65 / 8.95
    EXPECT_NEAR(r.h2oP, 8.340782123, 1e-8);
    // R = 8.95 / 0.03
    EXPECT_NEAR(r.gasConstantP, 298.333333333, 1e-8);
    // nB = 8 x 0.0142 + 1 = 1.1136, nM = 10 x 0.0093 + 1 = 1.093;
    // below = 0.01 / 1.1136 + 0.02 / 1.093 = 0.0272781467
    // c0 = (8 x 0.01 x 23 / 1.1136 + 10 x 0.02 x 13 / 1.093) / below / co2
    //    = (1.6522989 + 2.3787740) / 0.0272781467 / 9.3311391
    EXPECT_NEAR(r.cpCoeffAP, 15.83693455, 1e-7);
    EXPECT_NEAR(r.cpCoeffBP, 0.0142979391, 1e-9);
    EXPECT_NEAR(r.cpCoeffCP, -9.8833978e-6, 1e-12);
    EXPECT_NEAR(r.cpCoeffFP, 0.0106933845, 1e-9);
    // The specific heat and the temperature-case block stay those of the main flow.
    EXPECT_EQ(r.specificHeatP, 1100);
    EXPECT_EQ(r.co2T, 11);
    EXPECT_EQ(r.temperatureT, 170);
    EXPECT_EQ(r.draught, 4.5);
}

TEST(CAbzweige, MixesTheTemperatureCaseWhenTheStateSelectsIt) {
    CAbzweige j;
    AbgasZustand main = MainFlow(), other = BranchFlow();
    main.caseSelect = other.caseSelect = 1;
    main.temperatureT = 150, main.specificHeatT = 1100;
    other.temperatureT = 100, other.specificHeatT = 1050;
    const AbgasZustand& r = *j.Calculate(&main, 1, -1, &other);
    EXPECT_NEAR(r.temperatureT, 133.846153846, 1e-8);
    // The pressure-case block is the main flow's, untouched.
    EXPECT_EQ(r.temperatureP, 150);
    EXPECT_EQ(r.co2P, 10);
}

TEST(CAbzweige, EqualStatesKeepTheirGasWithTwiceTheMassFlow) {
    CAbzweige j;
    const AbgasZustand a = MainFlow(), b = MainFlow();
    const AbgasZustand& r = *j.Calculate(&a, 1, -1, &b);
    EXPECT_DOUBLE_EQ(r.massFlow, 0.04);
    EXPECT_DOUBLE_EQ(r.temperatureP, 150);
    EXPECT_DOUBLE_EQ(r.co2P, 10);
    EXPECT_DOUBLE_EQ(r.h2oP, 9);
    EXPECT_DOUBLE_EQ(r.gasConstantP, 300);
    EXPECT_DOUBLE_EQ(r.cpCoeffAP, 13);
}

TEST(CAbzweige, NoFlowOrNoCarbonDioxideLeavesTheCopy) {
    CAbzweige j;
    AbgasZustand a = MainFlow(), b = BranchFlow();
    a.massFlow = b.massFlow = 0;
    const AbgasZustand& r = *j.Calculate(&a, 1, -1, &b);
    EXPECT_EQ(r.massFlow, 0);
    EXPECT_EQ(r.temperatureP, 150);
    EXPECT_EQ(r.useFuelCoefficients, 0);

    a = MainFlow(), b = BranchFlow();
    a.co2P = b.co2P = 0;
    const AbgasZustand& z = *j.Calculate(&a, 1, -1, &b);
    EXPECT_EQ(z.co2P, 0);
    EXPECT_EQ(z.cpCoeffAP, 13);
    EXPECT_EQ(z.cpCoeffFP, 0.0093);
    EXPECT_NEAR(z.temperatureP, 133.846153846, 1e-8);
}

TEST(CAbzweige, NullStatesCountAsCleared) {
    CAbzweige j;
    j.mixedState = MainFlow();
    const AbgasZustand& r = *j.Calculate(nullptr, 1, -1, nullptr);
    EXPECT_EQ(r.massFlow, 0);
    EXPECT_EQ(r.temperatureP, 0);
    // Only the branch flows: the mixture is the branch's gas.
    const AbgasZustand other = BranchFlow();
    const AbgasZustand& s = *j.Calculate(nullptr, 1, -1, &other);
    EXPECT_DOUBLE_EQ(s.massFlow, 0.01);
    EXPECT_DOUBLE_EQ(s.temperatureP, 100);
    EXPECT_DOUBLE_EQ(s.gasConstantP, 295);
    // The chain's own call passes the state on.
    AbgasZustand a = MainFlow();
    EXPECT_EQ(j.CModul::CalcForChain(&a, 1, 0, 0), nullptr);
    EXPECT_EQ(static_cast<CModul&>(j).Calculate(nullptr, 1, -1, 0, 0)->massFlow, 0);
    // Its own record as input is read before it is overwritten.
    j.mixedState = MainFlow();
    EXPECT_DOUBLE_EQ(j.Calculate(&j.mixedState, 1, -1, &j.mixedState)->massFlow, 0.04);
}

// A module of the junction-aware run that records what it was handed.
class Probe : public CModul {
public:
    explicit Probe(std::vector<std::string>* log, std::string name) : log_(log), name_(std::move(name)) {}
    const char* ClassName() const override { return kind.c_str(); }
    AbgasZustand* Calculate(AbgasZustand* in, uint16_t, int16_t, int, int) override { return in; }
    void SetInletValue(double) override {}
    double GetOutletValue() override { return 0; }
    void SetRunLength(double) override {}
    void AddRunLength(double) override {}
    double GetRunLength() override { return 0; }
    void ResetRunLength() override {}
    void GetResult(double& a, double& b, int variant) override {
        a = resultA + variant;
        b = resultB;
    }
    void CollectBranchValue(double& x, int& n, int) override {
        x = collected;
        n = collectedCount;
    }
    AbgasZustand* CalcForChain(AbgasZustand* in, uint16_t, int16_t, int) override {
        if (log_) log_->push_back(name_);
        seen = in ? *in : AbgasZustand{};
        out = seen;
        out.criteria = criteria;
        out.pressureLoss = pressureLoss;
        return &out;
    }

    std::string kind = "CProbe";
    AbgasZustand seen, out;
    uint32_t criteria = 1;
    double pressureLoss = 0;
    double resultA = 0, resultB = 0;
    double collected = 0;
    int collectedCount = 0;

private:
    std::vector<std::string>* log_;
    std::string name_;
};

TEST(CAbzweige, ChainRunHandsJunctionValuesToBothLegs) {
    std::vector<std::string> log;
    CAbzweige j;
    Probe main(&log, "main"), side(&log, "side");
    main.pressureLoss = 12.5;
    main.resultA = 0.3, main.resultB = 0.07;
    side.criteria = 0;
    side.pressureLoss = 99;
    j.next = &main;
    j.branch = &side;

    AbgasZustand in = MainFlow();
    in.pressureLoss = 7;
    in.caseSelect = 1;
    in.useFuelCoefficients = 1;
    in.criteria = 1;
    const AbgasZustand& r = *j.CalculateChain(&in, 0);
    EXPECT_EQ(&r, &j.mixedState);
    EXPECT_EQ(log, (std::vector<std::string>{"main", "side"}));

    // The main leg sees the junction marker 2, the incoming pressure loss cleared.
    EXPECT_EQ(main.seen.junctionKind, 2);
    EXPECT_EQ(main.seen.pressureLoss, 0);
    EXPECT_EQ(main.seen.junctionParamA, 1.3);
    EXPECT_EQ(main.seen.junctionParamB, 0.07);
    // The branch leg sees marker 1 and the draught at the junction.
    EXPECT_EQ(side.seen.junctionKind, 1);
    EXPECT_EQ(side.seen.draught, 4.5);
    EXPECT_EQ(side.seen.caseSelect, 1);
    EXPECT_EQ(side.seen.useFuelCoefficients, 1);

    EXPECT_EQ(j.branchDraught, 4.5);
    EXPECT_EQ(r.draught, 4.5);
    EXPECT_EQ(r.pressureLoss, 12.5);  // the main leg's, not the branch's
    EXPECT_EQ(r.criteria, 0u);        // the branch failed
}

TEST(CAbzweige, ChainRunWithoutLegsOrState) {
    CAbzweige j;
    const AbgasZustand& r = *j.CalculateChain(nullptr, 0);
    EXPECT_EQ(r.massFlow, 0);
    EXPECT_EQ(r.pressureLoss, 0);

    // A leg that returns nothing keeps the junction's own values.
    class Silent : public Probe {
    public:
        Silent() : Probe(nullptr, "") {}
        AbgasZustand* CalculateChain(AbgasZustand*, int) override { return nullptr; }
    } silent;
    j.next = &silent;
    AbgasZustand in = MainFlow();
    in.criteria = 1;
    in.pressureLoss = 3;
    const AbgasZustand& s = *j.CalculateChain(&in, 0);
    EXPECT_EQ(s.criteria, 1u);
    EXPECT_EQ(s.pressureLoss, 0);
}

TEST(CAbzweige, CollectsTheConnectorBranchValue) {
    CAbzweige j;
    Probe main(nullptr, "main"), connector(nullptr, "verb");
    connector.kind = "CVerb";
    main.collected = 2.5, main.collectedCount = 1;
    connector.collected = 1.5, connector.collectedCount = 2;
    double x = -1;
    int n = -5;
    j.CollectBranchValue(x, n, 0);
    EXPECT_EQ(x, 0);  // no legs
    EXPECT_EQ(n, 0);

    j.next = &main;
    j.CollectBranchValue(x, n, 0);
    EXPECT_EQ(x, 2.5);
    EXPECT_EQ(n, 1);

    j.branch = &connector;
    j.CollectBranchValue(x, n, 0);
    EXPECT_EQ(x, 4.0);
    EXPECT_EQ(n, -1);

    connector.collectedCount = 1;
    j.CollectBranchValue(x, n, 0);
    EXPECT_EQ(x, 2.5);
    EXPECT_EQ(n, 1);

    connector.kind = "CSchorn";  // only a connector's value counts
    connector.collectedCount = 2;
    j.CollectBranchValue(x, n, 0);
    EXPECT_EQ(x, 2.5);
    EXPECT_EQ(n, 1);
}

TEST(CAbzweige, PumpRunsOncePerModuleAndCannotReenterTheRun) {
    std::vector<std::string> log;
    CAbzweige j;
    Probe main(&log, "main"), side(&log, "side");
    j.next = &main;
    j.branch = &side;

    int pumped = 0;
    AbgasZustand* nested = &main.out;
    AbgasZustand* nestedPropagate = &main.out;
    SetCalculationMessagePump([&] {
        ++pumped;
        // A message that would start another run on the same modules.
        AbgasZustand other = BranchFlow();
        nested = j.CalculateChain(&other, 0);
        nestedPropagate = PropagateChainValues(&j);
        EXPECT_TRUE(CalculationMessagePumpRunning());
        EXPECT_FALSE(PumpCalculationMessages());
    });
    AbgasZustand in = MainFlow();
    j.CalculateChain(&in, 0);
    SetCalculationMessagePump(nullptr);

    EXPECT_EQ(pumped, 3);  // the junction and its two legs
    EXPECT_EQ(log, (std::vector<std::string>{"main", "side"}));
    // The refused run handed its state on unchanged and calculated nothing.
    EXPECT_DOUBLE_EQ(nested->massFlow, 0.01);
    EXPECT_EQ(nestedPropagate, nullptr);
    EXPECT_FALSE(CalculationMessagePumpRunning());
    EXPECT_DOUBLE_EQ(j.mixedState.massFlow, 0.02);
}

TEST(CAbzweige, PumpGuardSurvivesAThrowingHandler) {
    SetCalculationMessagePump([] { throw std::runtime_error("handler"); });
    EXPECT_THROW(PumpCalculationMessages(), std::runtime_error);
    EXPECT_FALSE(CalculationMessagePumpRunning());
    SetCalculationMessagePump(nullptr);
    EXPECT_TRUE(PumpCalculationMessages());
}

TEST(CAbzweige, MadeByClassNameAndStoresNothing) {
    auto m = CreateModule("CAbzweige");
    ASSERT_NE(m, nullptr);
    EXPECT_STREQ(m->ClassName(), "CAbzweige");
    EXPECT_TRUE(m->IsKindOf("CAbzweige"));
    vx::Archive ar = vx::Archive::ForStoring();
    m->Serialize(ar);
    EXPECT_TRUE(ar.Bytes().empty());
    EXPECT_EQ(m->GetOutletValue(), 0.0);
    EXPECT_EQ(m->GetConnectionArea(), 0.0);
}

} // namespace
