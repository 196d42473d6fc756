#include "model/CModul.h"
#include "model/CaseArray.h"
#include "model/ChainHelpers.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A module that records what the chain does to it.
class Probe : public CModul {
public:
    Probe(const char* cls, std::vector<std::string>* log = nullptr, double length = 0)
        : cls_(cls), log_(log), length_(length) {}
    const char* ClassName() const override { return cls_; }
    AbgasZustand* Calculate(AbgasZustand* in, uint16_t mode, int16_t caseIndex, int, int) override {
        if (log_) log_->push_back(std::string(cls_) + (in ? "+" : "0"));
        lastMode = mode;
        lastCase = caseIndex;
        if (in) state = *in;
        else state.Clear();
        state.temperatureT += 10;
        state.areaBelow = area;
        return &state;
    }
    void SetInletValue(double x) override { inlet = x; }
    double GetOutletValue() override { return area; }
    void SetRunLength(double l) override { run = l; }
    void AddRunLength(double l) override { run += l; }
    double GetRunLength() override { return run; }
    void ResetRunLength() override { run = length_; }
    void Notify(double* x) override {
        if (log_) log_->push_back(std::string("notify ") + cls_);
        notified = *x;
    }
    AbgasZustand* CalcForChain(AbgasZustand* in, uint16_t, int16_t, int) override {
        if (log_) log_->push_back(std::string("chain ") + cls_);
        if (!chainResult) return nullptr;
        state = in ? *in : AbgasZustand{};
        state.criteria = criteria;
        state.airSideLoss = airLoss;
        state.pressureLoss = pressure;
        return &state;
    }

    AbgasZustand state;
    double area = 0, inlet = -1, run = 0, notified = 0;
    uint16_t lastMode = 0;
    int16_t lastCase = 0;
    bool chainResult = true;
    uint32_t criteria = 1;
    double airLoss = 0, pressure = 0;

private:
    const char* cls_;
    std::vector<std::string>* log_;
    double length_;
};

class Junction : public Probe {
public:
    using Probe::Probe;
};

TEST(Chain, DocumentChainRunsFromTheHeatGeneratorUp) {
    std::vector<std::string> log;
    Probe head("CSKopf", &log), chimney("CSchorn", &log), connector("CVerb", &log), heater("CWaerme", &log);
    head.area = 0.5;
    chimney.area = 0.03;
    connector.area = 0.02;
    CModul* cursor = nullptr;
    InsertModule(nullptr, cursor, &head);
    for (CModul* m : {static_cast<CModul*>(&chimney), static_cast<CModul*>(&connector), static_cast<CModul*>(&heater)})
        InsertModule(&head, cursor, m);
    EXPECT_EQ(cursor, &head);
    EXPECT_EQ(head.next, &chimney);
    EXPECT_EQ(chimney.next, &connector);
    EXPECT_EQ(connector.next, &heater);
    EXPECT_EQ(heater.next, nullptr);

    CalculationMode = kModePartLoad;
    CaseIndex = 1;
    AbgasZustand* out = PropagateChainValues(&head);
    EXPECT_EQ(log, (std::vector<std::string>{"CWaerme0", "CVerb+", "CSchorn+", "CSKopf+"}));
    ASSERT_EQ(out, &head.state);
    EXPECT_EQ(out->temperatureT, 40.0);
    EXPECT_EQ(chimney.inlet, 0.5);  // each module learns the area of the one above it
    EXPECT_EQ(heater.inlet, 0.02);
    EXPECT_EQ(heater.lastMode, 2);
    EXPECT_EQ(heater.lastCase, 1);

    UnlinkChain(&head);
    EXPECT_EQ(head.next, nullptr);
    EXPECT_EQ(chimney.next, nullptr);
    EXPECT_EQ(connector.next, nullptr);
    CalculationMode = kModeFullLoad;
    CaseIndex = -1;
}

TEST(Chain, HeatGeneratorAloneReturnsItsOwnState) {
    Probe heater("CWaerme");
    AbgasZustand* out = PropagateChainValues(&heater);
    EXPECT_EQ(out, &heater.state);
    EXPECT_EQ(out->temperatureT, 10.0);
}

TEST(Chain, SecondaryAirTakesTheStateDirectly) {
    std::vector<std::string> log;
    Probe top("CSchorn", &log), side("CWaerme", &log), air("CNebenLuft", &log), below("CWaerme", &log);
    top.branch = &side;
    top.next = &air;
    air.next = &below;  // never descended into
    PropagateChainValues(&top);
    EXPECT_EQ(log, (std::vector<std::string>{"CWaerme0", "CNebenLuft+", "CSchorn+"}));
    Probe lone("CSchorn", &log);
    Probe air2("CAbgasAbluft", &log);
    lone.next = &air2;
    log.clear();
    PropagateChainValues(&lone);
    EXPECT_EQ(log, (std::vector<std::string>{"CAbgasAbluft0", "CSchorn+"}));
}

TEST(Chain, JunctionFillsItsLegUntilASourceClosesIt) {
    Probe head("CSKopf"), chimney("CSchorn"), pipe("CSchorn"), heater1("CWaerme"), pipe2("CVerb"), heater2("CWaerme");
    Junction junction("CAbzweige");
    CModul* cursor = &head;
    for (CModul* m : std::initializer_list<CModul*>{&chimney, &junction, &pipe, &heater1, &pipe2, &heater2})
        InsertModule(&head, cursor, m);
    EXPECT_EQ(chimney.next, &junction);
    EXPECT_EQ(junction.next, &pipe);
    EXPECT_EQ(pipe.next, &heater1);
    EXPECT_EQ(junction.branchComplete, 1);
    EXPECT_EQ(junction.branch, &pipe2);
    EXPECT_EQ(pipe2.next, &heater2);

    RemoveModules(&head);
    EXPECT_EQ(chimney.next, &pipe);
    EXPECT_EQ(chimney.branch, &pipe2);
}

TEST(Chain, RunLengthsOfNeighboursOfOneClass) {
    Probe a("CSchorn", nullptr, 3), b("CSchorn", nullptr, 4), c("CVerb", nullptr, 2), d("CWaerme", nullptr, 0);
    a.next = &b;
    b.next = &c;
    c.next = &d;
    CModul::ExchangeChainValues(&a);
    EXPECT_EQ(a.run, 7.0);
    EXPECT_EQ(b.run, 7.0);
    EXPECT_EQ(c.run, 2.0);  // a chimney above a connector keeps its own
}

TEST(Chain, NotifyOrder) {
    std::vector<std::string> log;
    Probe top("A", &log), br("B", &log), nx("N", &log);
    top.branch = &br;
    top.next = &nx;
    double v = 0.0;
    CModul::NotifyChain(&top, &v);
    EXPECT_EQ(log, (std::vector<std::string>{"notify B", "notify N", "notify A"}));
}

TEST(Chain, JunctionAwareRunCombinesCriteriaAndLosses) {
    int pumped = 0;
    SetCalculationMessagePump([&pumped] { ++pumped; });
    Probe top("CSchorn"), nx("CVerb"), br("CWaerme");
    top.next = &nx;
    top.branch = &br;
    top.airLoss = 1;
    nx.criteria = 1;
    nx.airLoss = 2;
    nx.pressure = 5;
    br.criteria = 0;
    br.airLoss = 3;
    br.pressure = 7;
    AbgasZustand* r = top.CalculateChain(nullptr, 0);
    EXPECT_EQ(pumped, 3);
    EXPECT_EQ(r, &top.state);
    EXPECT_EQ(r->criteria, 0u);
    EXPECT_EQ(r->pressureLoss, 7.0);
    EXPECT_EQ(r->airSideLoss, 5.0);  // the next leg's loss plus the branch's

    // A module without a result hands on a copy of the incoming state.
    Probe quiet("CVerb");
    quiet.chainResult = false;
    AbgasZustand in;
    in.draught = 12;
    AbgasZustand* spare = quiet.CalculateChain(&in, 0);
    ASSERT_NE(spare, nullptr);
    EXPECT_NE(spare, &in);
    EXPECT_EQ(spare->draught, 12.0);
    EXPECT_EQ(quiet.CalculateChain(nullptr, 0)->draught, 0.0);
    SetCalculationMessagePump(nullptr);
}

TEST(Chain, ForwardingDefaultsAndCopies) {
    Probe a("A");
    a.ordinal = 1;
    a.connectorFlag = 1;
    a.attribute3 = 5;
    Probe b("B");
    a.next = &b;
    Probe c("C");
    static_cast<CModul&>(c) = a;
    EXPECT_EQ(c.ordinal, 1);
    EXPECT_EQ(c.connectorFlag, 1);
    EXPECT_EQ(c.attribute3, 0);
    EXPECT_EQ(c.next, nullptr);
    EXPECT_EQ(a.GetSurroundingTemperature(nullptr), 20.0);
    EXPECT_EQ(a.GetConnectionArea(), 0.0);
    double x = 1, y = 1;
    a.GetResult(x, y, 0);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 0.0);
    int index = 9;
    EXPECT_FALSE(a.FindJunctionResistance(index));
    EXPECT_EQ(index, 0);
}

TEST(Chain, ModulesByClassName) {
    RegisterModuleKind("CTest", [] { return std::make_unique<Probe>("CTest"); });
    auto m = CreateModule("CTest");
    ASSERT_NE(m, nullptr);
    EXPECT_STREQ(m->ClassName(), "CTest");
    EXPECT_EQ(CreateModule("CUnbekannt"), nullptr);
}

TEST(ChainHelpers, CrossSectionGeometry) {
    double area = -1, perimeter = -1, dh = -1;
    CrossSectionGeometry(0.2, 0, 0, ShapeRound, area, perimeter, dh);
    EXPECT_DOUBLE_EQ(area, 3.141592654 * 0.04 / 4);
    EXPECT_DOUBLE_EQ(perimeter, 3.141592654 * 0.2);
    EXPECT_EQ(dh, 0.2);
    CrossSectionGeometry(0, 0.2, 0, ShapeSquare, area, perimeter, dh);
    EXPECT_DOUBLE_EQ(area, 0.04);
    EXPECT_DOUBLE_EQ(perimeter, 0.8);
    EXPECT_EQ(dh, 0.2);
    CrossSectionGeometry(0, 0.2, 0.3, ShapeRectangle, area, perimeter, dh);
    EXPECT_DOUBLE_EQ(area, 0.06);
    EXPECT_DOUBLE_EQ(perimeter, 1.0);
    EXPECT_DOUBLE_EQ(dh, 0.24);
    CrossSectionGeometry(0, 0.2, 0.3, ShapeOval, area, perimeter, dh);
    EXPECT_DOUBLE_EQ(area, 3.141592654 * 0.06 / 4);
    EXPECT_DOUBLE_EQ(perimeter, 3.141592654 * 0.5 / 2);
    EXPECT_DOUBLE_EQ(dh, 0.24);
    area = perimeter = dh = -1;
    CrossSectionGeometry(0, 0.2, 0, ShapeRectangle, area, perimeter, dh);
    CrossSectionGeometry(0, 0, 0.3, ShapeOval, area, perimeter, dh);
    CrossSectionGeometry(0.2, 0.2, 0.2, 4, area, perimeter, dh);
    EXPECT_EQ(area, -1.0);
    EXPECT_EQ(perimeter, -1.0);
    EXPECT_EQ(dh, -1.0);
}

TEST(ChainHelpers, ClassificationKeywordsAndTexts) {
    EXPECT_EQ(ClassifyAgainstLimit(2, 100, 50), 2);
    EXPECT_EQ(ClassifyAgainstLimit(1, 100, 150), 2);
    EXPECT_EQ(ClassifyAgainstLimit(1, 100, 50), 1);
    EXPECT_EQ(ClassifyAgainstLimit(0, 100, 150), 1);
    EXPECT_EQ(ShapeKeyword(2), "RECHTECK");
    EXPECT_EQ(ShapeKeyword(7), "RECHTECK");
    EXPECT_EQ(ShapeKeyword(0), "RUND");
    EXPECT_EQ(ShapeKeyword(1), "QUADRAT");
    EXPECT_EQ(ShapeKeyword(3), "OVAL");
    const char* texts[] = {"I", "IIa", "II", "III", "IV", "-"};
    for (int i = 0; i <= 5; ++i) EXPECT_EQ(ClassText(i), texts[i]);
    EXPECT_EQ(ClassText(-1), "-");
}

TEST(ChainHelpers, OutputLines) {
    OutputLines lines;
    CAusgabeZeile* line = AddOutputLine(lines, 1, 2, 3, 42);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(line, lines[0].get());
    EXPECT_EQ(line->lineNumber, "01.2.3");
    EXPECT_EQ(line->value, 42);
    EXPECT_EQ(line->texts[6], "");
    EXPECT_EQ(AddOutputLine(lines, 12, 0, 10, 0)->lineNumber, "12.0.10");
}

TEST(CaseArrays, GrowToTheIndexAndResetAtMinusOne) {
    std::vector<double> cases;
    CaseAt(cases, -1) = 1.0;
    EXPECT_EQ(cases.size(), 1u);
    CaseAt(cases, 4) = 5.0;  // far beyond the count: grown, never outside
    EXPECT_EQ(cases.size(), 5u);
    EXPECT_EQ(cases[4], 5.0);
    EXPECT_EQ(CaseAt(cases, 0), 1.0);
    CaseAt(cases, -1);
    EXPECT_EQ(cases.size(), 1u);
    EXPECT_EQ(cases[0], 0.0);
}

} // namespace
