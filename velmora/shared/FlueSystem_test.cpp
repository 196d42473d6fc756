#include "velmora/shared/FlueSystem.h"

#include "model/CrossSectionTables.h"
#include "testsupport/model/ModelTestEnv.h"
#include "platform/Files.h"
#include "platform/StringTable.h"
#include "velmora/shared/CWrzKatalog.h"
#include "velmora/shared/CWrzKatalogWaerme.h"
#include "testsupport/velmora/SampleDataTestEnv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

class FlueSystemTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        vx::Profile().WriteString("Datenbank", "Pfad", SampleData());
        const char* dir = std::getenv("VX_SOURCE_DIR");
        const std::string resources = vx::JoinPath(dir ? dir : ".", "resources");
        for (const char* part : {"values", "model"})
            vx::Strings().LoadFile(vx::JoinPath(vx::JoinPath(resources, part), "strings.txt"));
        LoadCrossSectionTables();
    }
    void TearDown() override {
        LoadCrossSectionTables();
        ModelTest::TearDown();
    }

    void LoadSample(FlueSystem& system, const std::string& type, int fuelPosition) {
        CWrzKatalog katalog(SampleData());
        for (const WrzManufacturer& m : katalog.ReadManufacturers(fuelPosition))
            for (const WrzType& t : katalog.ReadTypes(m.offset))
                if (t.typeDesignation == type) {
                    int64_t at = t.offset;
                    ASSERT_EQ(LoadHeatGenerator(katalog, system.heatGenerator, at, {}, CWrzKatalog::OpenOperation::Closed),
                              CWrzKatalog::kLoaded);
                    return;
                }
        FAIL() << "no sample heat generator " << type;
    }
};

// One heat generator at one effective height over the whole round table, as
// the assignment table walks it: every size that passes, in centimetres.
std::vector<double> PassingRoundSizes(FlueSystem& system, double height) {
    system.PrepareAndSize(FlueSystem::Preparation::Full);
    system.chimney.length.value = system.chimney.height.value = height;
    std::vector<double> passing;
    FlueSystem::Sizes s;
    CRohr::NextCrossSection(0, 0, s.d, s.b, s.a);
    while (s.d > 0) {
        system.PutChimneySizes(s);
        system.RunCalculation();
        if (system.RunPassed()) passing.push_back(std::round(s.d * 1000) / 10);
        const double previous = s.d;
        CRohr::NextCrossSection(0, 0, s.d, s.b, s.a);
        if (s.d == previous) break;
    }
    return passing;
}

int CountKind(const CZeta& zeta, int kind) {
    int n = 0;
    for (const ZetaElement& e : zeta.elements) n += e.kind == kind;
    return n;
}

} // namespace

// The same oil boiler on a three-shell ceramic chimney, 20 m high: the sizes
// of the round table that pass, through both programs' systems. The diagram
// shows the band from the first to the last of them: 10 to 15 cm at 20 m.
TEST_F(FlueSystemTest, OneHeatGeneratorOverTheRoundSizes) {
    FlueSystem assignment(FlueSystemVariant::Assignment());
    LoadSample(assignment, "Oleomat 22", 1);
    int system = 1;
    assignment.NewSystemType(system, 0, 0);
    const std::vector<double> sizes = PassingRoundSizes(assignment, 20.0);
    EXPECT_EQ(sizes, (std::vector<double>{10, 11, 12, 13, 14, 15}));

    FlueSystem diagram(FlueSystemVariant::Diagram());
    LoadSample(diagram, "Oleomat 22", 1);
    system = 1;
    diagram.NewSystemType(system, 0, 0);
    const std::vector<double> band = PassingRoundSizes(diagram, 20.0);
    ASSERT_FALSE(band.empty());
    EXPECT_EQ(band.front(), 10.0);
    EXPECT_EQ(band.back(), 15.0);
}

// Where the programs differ: the renovation flag, the moisture text, the
// positive-pressure fitting and a system chosen on a system in hand.
TEST_F(FlueSystemTest, VariantsSetUpTheSystemTheirWay) {
    struct Case {
        const FlueSystemVariant& variant;
        int renovation;
        const char* moisture;
        int kind5, kind6;
    };
    const Case cases[] = {
        {FlueSystemVariant::Diagram(), 1, "-", 1, 0},
        {FlueSystemVariant::Assignment(), 0, "", 0, 1},
    };
    for (const Case& c : cases) {
        FlueSystem fs(c.variant);
        int system = 10;
        fs.NewSystemType(system, 0, 0);
        EXPECT_EQ(system, 11);
        EXPECT_EQ(fs.construction.renovation.value, c.renovation);
        fs.chimney.zeta.AddResistance(3, 90, 0, 0, 1);
        system = 16;
        fs.NewSystemType(system, 1, 0);
        EXPECT_EQ(system, 17);
        EXPECT_EQ(fs.construction.Regime(), CAufBauE::Positive);
        EXPECT_EQ(fs.construction.renovation.value, 0);
        EXPECT_EQ(fs.moistureText, c.moisture);
        EXPECT_EQ(CountKind(fs.chimney.zeta, 5), c.kind5);
        EXPECT_EQ(CountKind(fs.chimney.zeta, 6), c.kind6);
        EXPECT_DOUBLE_EQ(fs.chimney.sideA.value, 0.13);
        EXPECT_DOUBLE_EQ(fs.chimney.wallThickness.value, 0.001);
        EXPECT_EQ(fs.chimney.setting1, 17);
    }
    // The assignment table's system starts from a new arrangement; the
    // diagram's keeps the arrangement's other settings.
    for (const Case& c : cases) {
        FlueSystem fs(c.variant);
        fs.construction.secondaryAir.value = 1;
        int system = 3;
        fs.NewSystemType(system, 0, 1);
        const int kept = &c.variant == &FlueSystemVariant::Diagram() ? 1 : 0;
        EXPECT_EQ(fs.construction.secondaryAir.value, kept);
        EXPECT_EQ(fs.construction.Regime(), CAufBauE::NegativeWet);
    }
    // The assignment table's system starts from an empty fitting list; the
    // diagram's keeps the fittings that are not its own.
    FlueSystem diagram(FlueSystemVariant::Diagram());
    FlueSystem assignment(FlueSystemVariant::Assignment());
    for (FlueSystem* fs : {&diagram, &assignment}) {
        fs->chimney.zeta.AddResistance(3, 90, 0, 0, 1);
        fs->SetResistanceDefaults(0.001, 0.4, 1, 0.03, 100, 1);
        EXPECT_EQ(CountKind(fs->chimney.zeta, 12), 1);
    }
    EXPECT_EQ(CountKind(diagram.chimney.zeta, 3), 1);
    EXPECT_EQ(CountKind(assignment.chimney.zeta, 3), 0);
}

// The part-load pass: the diagram's switch counts when not 0, the assignment
// table's only as 1.
TEST_F(FlueSystemTest, PartLoadPassFollowsTheSwitch) {
    struct Case {
        const FlueSystemVariant& variant;
        int32_t partLoad;
        size_t results;
    };
    const Case cases[] = {
        {FlueSystemVariant::Diagram(), 1, 2},     {FlueSystemVariant::Diagram(), 2, 2},
        {FlueSystemVariant::Diagram(), 0, 1},     {FlueSystemVariant::Assignment(), 1, 2},
        {FlueSystemVariant::Assignment(), 2, 1},  {FlueSystemVariant::Assignment(), 0, 1},
    };
    for (const Case& c : cases) {
        FlueSystem fs(c.variant);
        LoadSample(fs, "Oleomat 29-2", 1);
        ASSERT_EQ(fs.heatGenerator.partLoadAvailable.value, 1);
        int system = 3;
        fs.NewSystemType(system, 0, 0);
        fs.partLoad = c.partLoad;
        fs.PrepareAndSize(FlueSystem::Preparation::Full);
        fs.RunCalculation();
        EXPECT_EQ(fs.head.results.size(), c.results) << c.partLoad;
    }
}

TEST_F(FlueSystemTest, ChecksThatReportNothingMarkTheModulesChecked) {
    FlueSystem fs(FlueSystemVariant::Assignment());
    LoadSample(fs, "Oleomat 22", 1);
    int system = 1;
    fs.NewSystemType(system, 0, 0);
    EXPECT_EQ(fs.chimney.checkFlag, 1);
    fs.PrepareAndSize(FlueSystem::Preparation::Full);
    EXPECT_EQ(fs.heatGenerator.checkFlag, 1);
    EXPECT_EQ(fs.connector.checkFlag, 1);
    EXPECT_EQ(CountKind(fs.connector.zeta, 6), 1);
    // A chimney of 0 m reports its height and stays unchecked.
    FlueSystem bad(FlueSystemVariant::Assignment());
    bad.chimney.length.value = bad.chimney.height.value = 0;
    bad.chimney.setting1 = 1;
    bad.PrepareAndSize(FlueSystem::Preparation::Full);
    EXPECT_EQ(bad.chimney.checkFlag, 0);
}

namespace {

// The steps the documents take between their own ones.
class OpenFlueSystem : public FlueSystem {
public:
    OpenFlueSystem() : FlueSystem(FlueSystemVariant::Assignment()) {}
    using FlueSystem::PresetAirSupply;
    using FlueSystem::SizedFirstResult;
};

} // namespace

TEST_F(FlueSystemTest, AirSupplyPresetChangesAtThirtyKilowatts) {
    struct Case {
        double output, pressure;
        int mode;
    };
    for (const Case& c : {Case{8.0, 4.0, 1}, Case{29.9, 4.0, 1}, Case{30.0, 3.0, 0}, Case{120.0, 3.0, 0}}) {
        OpenFlueSystem fs;
        fs.heatGenerator.output.value = c.output;
        fs.room.airSupplyPressure.value = 7.5;
        fs.room.airSupplyMode = 5;
        fs.PresetAirSupply();
        EXPECT_EQ(fs.room.airSupplyPressure.value, c.pressure) << c.output;
        EXPECT_EQ(fs.room.airSupplyMode, c.mode) << c.output;
    }
}

TEST_F(FlueSystemTest, SizedResultCopiesTheRunsFirstRecordWithTheChimneysSizes) {
    OpenFlueSystem fs;
    auto first = std::make_unique<CErgebnis>();
    first->draught = 12.25;
    first->shape = 3;
    fs.head.results.push_back(std::move(first));
    fs.head.results.push_back(std::make_unique<CErgebnis>());
    fs.chimney.diameter.value = 0.16;
    fs.chimney.sideA.value = 0.14;
    fs.chimney.sideB.value = 0.2;
    fs.chimney.area.value = 0.028;
    fs.chimney.perimeter.value = 0.68;
    std::unique_ptr<CErgebnis> kept = fs.SizedFirstResult(1);
    ASSERT_NE(kept, nullptr);
    EXPECT_NE(kept.get(), fs.head.results[0].get());
    EXPECT_EQ(kept->draught, 12.25);
    // The shape is the caller's, not the record's.
    EXPECT_EQ(kept->shape, 1);
    const double expected[5] = {0.16, 0.14, 0.2, 0.028, 0.68};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(kept->sizes[i], expected[i]) << i;
}
