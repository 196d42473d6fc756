// Chains with the secondary-air and junction modules: linked as the chain
// operations place them, calculated, and carried through an archive in which
// each module is named by its class.
#include "model/ModuleKinds.h"

#include "model/CAbgasAbluft.h"
#include "model/CAbzweige.h"
#include "model/CNebenLuft.h"
#include "testsupport/model/ChainTestEnv.h"
#include "testsupport/model/ModelTestEnv.h"
#include "platform/Archive.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using ModuleList = std::vector<CModul*>;

// Each module as its class name followed by its members.
std::vector<uint8_t> StoreModules(const ModuleList& modules) {
    vx::Archive ar = vx::Archive::ForStoring();
    ar << int32_t(modules.size());
    for (CModul* m : modules) {
        ar << std::string(m->ClassName());
        m->Serialize(ar);
    }
    return ar.Bytes();
}

// Loads into the given modules where one is given for the place, else into a
// module made by the stored class name.
std::vector<std::unique_ptr<CModul>> LoadModules(const std::vector<uint8_t>& bytes, ModuleList& places) {
    std::vector<std::unique_ptr<CModul>> made;
    vx::Archive ar = vx::Archive::ForLoading(bytes);
    const int32_t n = ar.ReadInt32();
    EXPECT_EQ(size_t(n), places.size());
    for (int32_t i = 0; i < n; ++i) {
        const std::string name = ar.ReadString();
        if (!places[size_t(i)]) {
            made.push_back(CreateModule(name));
            places[size_t(i)] = made.back().get();
        }
        EXPECT_STREQ(places[size_t(i)]->ClassName(), name.c_str());
        places[size_t(i)]->Serialize(ar);
    }
    EXPECT_TRUE(ar.AtEnd());
    return made;
}

// The document's steps before a run, with the caller's mode.
void RunChain(TestChain& c, uint16_t mode) {
    c.arrangement.site.CalcAirPressure();
    CModul::ExchangeChainValues(&c.head);
    c.head.exposedLength = -1;
    c.head.outletArea = c.chimney.area.value;
    CalculationMode = mode;
    CaseIndex = -1;
    PropagateChainValues(&c.head);
    CalculationMode = kModeFullLoad;
    CaseIndex = -1;
}

// Chimney head, chimney, junction, secondary air, connecting piece, heat
// generator; taking the junction out leaves the device in the chimney's next
// link and the flue path in its branch.
void LinkWithSecondaryAir(TestChain& c, CAbzweige& junction, CNebenLuft& device) {
    c.Link();
    UnlinkChain(&c.head);
    CModul* cursor = &c.head;
    for (CModul* m : ModuleList{&c.chimney, &junction, &device, &c.connector, &c.generator})
        InsertModule(&c.head, cursor, m);
    RemoveModules(&c.head);
    device.Attach(&c.arrangement, &c.room, &c.connector);
}

class ChainWithKinds : public ModelTest {};

TEST_F(ChainWithKinds, SecondaryAirChainCalculatesAndRoundTrips) {
    TestChain a;
    CAbzweige junctionA;
    auto deviceA = CreateModule("CNebenLuft");
    auto& nlA = dynamic_cast<CNebenLuft&>(*deviceA);
    LinkWithSecondaryAir(a, junctionA, nlA);
    ASSERT_EQ(a.chimney.next, &nlA);
    ASSERT_EQ(a.chimney.branch, &a.connector);
    ASSERT_EQ(a.connector.next, &a.generator);
    EXPECT_EQ(nlA.next, nullptr);
    nlA.LoadDefault(nlA.deviceType);
    EXPECT_EQ(nlA.deviceType.value, CNebenLuft::DeviceTypeForSection(a.connector.area.value, 0));
    nlA.OnValueChanged(nlA.deviceType);

    // Without mode bit 8 the device hands the connecting piece's state on.
    RunChain(a, 1);
    EXPECT_EQ(nlA.savedState, nullptr);
    EXPECT_EQ(nlA.outgoing.massFlowAdded, 0);
    ASSERT_FALSE(a.head.results.empty());
    const double requiredWithout = a.head.results[0]->required;

    RunChain(a, 1 | 8);
    ASSERT_NE(nlA.savedState, nullptr);
    EXPECT_EQ(nlA.deviceArea, a.chimney.area.value);  // handed down by the chimney
    const CNebWerte& p = *nlA.pressureCases[0];
    EXPECT_TRUE(std::isfinite(p.pressureLoss));
    EXPECT_GT(p.pressureLoss, 0);
    EXPECT_GT(p.airSideValue, 0);  // the room's air supply pressure, raised by the added air
    EXPECT_NEAR(nlA.airMassFlow.value, std::pow(a.connector.area.value / 0.24, 1 / 0.7), 1e-12);
    // The mixture is cooler than the flue gas below the device.
    EXPECT_LT(p.temperature, nlA.savedState->temperatureP);
    EXPECT_EQ(nlA.outgoing.massFlowAdded, nlA.airMassFlow.value);
    EXPECT_EQ(nlA.outgoing.pressureLoss, p.pressureLoss + p.airSideValue);
    ASSERT_FALSE(a.head.results.empty());
    const CErgebnis& ra = *a.head.results[0];
    EXPECT_TRUE(std::isfinite(ra.draught));
    EXPECT_NE(ra.required, requiredWithout);

    // Through the archive, each module by its class name.
    const ModuleList storedA{&a.head, &a.chimney, &nlA, &a.connector, &a.generator};
    const std::vector<uint8_t> bytes = StoreModules(storedA);
    vx::Archive arrangementOut = vx::Archive::ForStoring();
    a.arrangement.Serialize(arrangementOut);
    a.room.Serialize(arrangementOut);

    TestChain b;
    vx::Archive arrangementIn = vx::Archive::ForLoading(arrangementOut.Bytes());
    b.arrangement.Serialize(arrangementIn);
    b.room.Serialize(arrangementIn);
    ModuleList places{&b.head, &b.chimney, nullptr, &b.connector, &b.generator};
    auto made = LoadModules(bytes, places);
    ASSERT_EQ(made.size(), 1u);
    auto& nlB = dynamic_cast<CNebenLuft&>(*made[0]);
    EXPECT_EQ(nlB.deviceType.value, nlA.deviceType.value);
    EXPECT_EQ(nlB.a2.value, nlA.a2.value);
    ASSERT_EQ(nlB.caseCount, 0);
    EXPECT_EQ(nlB.pressureCases[0]->pressureLoss, p.pressureLoss);
    EXPECT_EQ(StoreModules({&b.head, &b.chimney, &nlB, &b.connector, &b.generator}), bytes);

    // Calculated again, the loaded chain gives the same results.
    CAbzweige junctionB;
    LinkWithSecondaryAir(b, junctionB, nlB);
    RunChain(b, 1 | 8);
    EXPECT_EQ(nlB.pressureCases[0]->pressureLoss, p.pressureLoss);
    EXPECT_EQ(nlB.temperatureCases[0]->temperature, nlA.temperatureCases[0]->temperature);
    ASSERT_FALSE(b.head.results.empty());
    EXPECT_EQ(b.head.results[0]->draught, ra.draught);
    EXPECT_EQ(b.head.results[0]->required, ra.required);
    EXPECT_EQ(b.head.results[0]->ok, ra.ok);
    UnlinkChain(&a.head);
    UnlinkChain(&b.head);
}

TEST_F(ChainWithKinds, ExhaustAirBelowAChimneyWithoutBranchGetsNoState) {
    TestChain c;
    c.Link();
    UnlinkChain(&c.head);
    CAbgasAbluft device;
    device.Attach(&c.arrangement, &c.room, &c.chimney);
    device.ductDiameter.value = 0.1;
    CModul* cursor = &c.head;
    InsertModule(&c.head, cursor, &c.chimney);
    InsertModule(&c.head, cursor, &device);
    // The chimney has no branch: the device is calculated with a null state.
    RunChain(c, 1 | 8);
    ASSERT_NE(device.savedState, nullptr);
    EXPECT_EQ(device.savedState->massFlow, 0);
    EXPECT_EQ(device.outgoing.massFlow, 0);
    EXPECT_EQ(device.outgoing.temperatureP, 0);
    EXPECT_EQ(device.airMassFlow.value, 0);
    EXPECT_EQ(device.pressureCases[0]->pressureLoss, 0);
    UnlinkChain(&c.head);
}

TEST_F(ChainWithKinds, BranchedChainCalculatesAndRoundTrips) {
    // Two heat generators, each with its connecting piece, join below the chimney.
    TestChain a, second;
    second.Link();
    UnlinkChain(&second.head);
    a.Link();
    UnlinkChain(&a.head);
    CAbzweige junctionA;
    CModul* cursor = &a.head;
    for (CModul* m : ModuleList{&a.chimney, &junctionA, &a.connector, &a.generator, &second.connector,
                                &second.generator})
        InsertModule(&a.head, cursor, m);
    second.connector.arrangement = &a.arrangement;
    second.generator.arrangement = &a.arrangement;
    ASSERT_EQ(a.chimney.next, &junctionA);
    ASSERT_EQ(junctionA.next, &a.connector);
    ASSERT_EQ(junctionA.branch, &second.connector);
    EXPECT_EQ(junctionA.branchComplete, 1);
    EXPECT_EQ(second.connector.next, &second.generator);

    RunChain(a, 1);
    ASSERT_FALSE(a.head.results.empty());
    const CErgebnis& ra = *a.head.results[0];
    EXPECT_TRUE(std::isfinite(ra.draught));
    // The run hands the junction the state of its next leg.
    EXPECT_EQ(junctionA.mixedState.massFlow, a.connector.outState.massFlow);
    EXPECT_GT(second.connector.outState.massFlow, 0);  // the branch leg was calculated as well

    // The junction mixes both legs when given the branch's state.
    AbgasZustand mixed = *junctionA.Calculate(&a.connector.outState, 1, 0, &second.connector.outState);
    EXPECT_DOUBLE_EQ(mixed.massFlow, a.connector.outState.massFlow + second.connector.outState.massFlow);

    // The junction-aware run visits both legs.
    int pumped = 0;
    SetCalculationMessagePump([&] { ++pumped; });
    AbgasZustand* top = a.head.CalculateChain(nullptr, 0);
    SetCalculationMessagePump(nullptr);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(pumped, 7);

    const ModuleList storedA{&a.head, &a.chimney, &junctionA, &a.connector, &a.generator, &second.connector,
                             &second.generator};
    const std::vector<uint8_t> bytes = StoreModules(storedA);
    TestChain b, secondB;
    ModuleList places{&b.head, &b.chimney, nullptr, &b.connector, &b.generator, &secondB.connector,
                      &secondB.generator};
    auto made = LoadModules(bytes, places);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_STREQ(made[0]->ClassName(), "CAbzweige");
    EXPECT_EQ(StoreModules(places), bytes);

    b.Link();
    UnlinkChain(&b.head);
    cursor = &b.head;
    for (CModul* m : ModuleList{&b.chimney, made[0].get(), &b.connector, &b.generator, &secondB.connector,
                                &secondB.generator})
        InsertModule(&b.head, cursor, m);
    secondB.connector.arrangement = &b.arrangement;
    secondB.generator.arrangement = &b.arrangement;
    RunChain(b, 1);
    ASSERT_FALSE(b.head.results.empty());
    EXPECT_EQ(b.head.results[0]->draught, ra.draught);
    EXPECT_EQ(b.head.results[0]->required, ra.required);
    UnlinkChain(&a.head);
    UnlinkChain(&b.head);
}

} // namespace
