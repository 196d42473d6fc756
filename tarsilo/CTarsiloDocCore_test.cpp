#include "tarsilo/CTarsiloDocCore.h"

#include "model/CGrunddaten.h"
#include "model/CModul.h"
#include "model/ChainHelpers.h"
#include "model/CrossSectionTables.h"
#include "model/ModelText.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "testsupport/tarsilo/TarsiloModelTestEnv.h"
#include "testsupport/PartStrings.h"
#include "testsupport/SyntheticCatalogue.h"
#include "testsupport/values/ValuesTestEnv.h"
#include "velmora/shared/CWrzKatalogWaerme.h"
#include "testsupport/velmora/SampleDataTestEnv.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

// Records what a computation shows and cancels when told.
class RecordingProgress : public AssignmentProgress {
public:
    void Show() override { ++shown; }
    void Hide() override { ++hidden; }
    void SetStatusText(const std::string& text) override {
        texts.push_back(text);
        docValue46.push_back(::GetDocValue(46));
        if (onText) onText();
        if (cancelAtText != 0 && int(texts.size()) >= cancelAtText) cancelled = true;
    }
    bool IsCancelled() const override { return cancelled; }
    void ClearCancel() override { cancelled = false; }

    int shown = 0, hidden = 0;
    int cancelAtText = 0;  // 0: never
    bool cancelled = false;
    std::vector<std::string> texts;
    std::vector<int32_t> docValue46;
    std::function<void()> onText;
};

class TestDoc : public CTarsiloDocCore {
public:
    RecordingProgress* progress = nullptr;
    int modified = 0, updates = 0;

protected:
    void MarkModified() override { ++modified; }
    void UpdateViews(int) override { ++updates; }
    std::unique_ptr<AssignmentProgress> CreateProgress() override {
        auto p = std::make_unique<RecordingProgress>();
        progress = p.get();
        return p;
    }
};

TestDoc* g_Active = nullptr;
CTarsiloDocCore* ActiveDoc(void*) { return g_Active; }

// A gas boiler with blower, as the catalogue lists one.
WrzEntry Gas(const std::string& maker, const std::string& type, double output, int condensing = 0) {
    WrzEntry e;
    e.manufacturerName = maker;
    e.typeDesignation = type;
    e.fuel = 2;
    e.condensing = condensing;
    e.output = output;
    e.heatInput = output * 1.07;
    e.efficiency = 93.4;
    e.co2 = 9.8;
    e.flueMassFlow = (3.73 / 9.8 + 0.053) * e.heatInput / 1000;
    e.gasTemperature = condensing ? 55 : 150;
    e.requiredDraught = 4;
    e.positivePressure = condensing ? 50 : 0;
    e.outletDiameter = 0.13;
    return e;
}

WrzEntry Oil(const std::string& maker, const std::string& type, double output) {
    WrzEntry e = Gas(maker, type, output);
    e.fuel = 1;
    e.co2 = 13;
    e.flueMassFlow = (4.92 / 13 + 0.046) * e.heatInput / 1000;
    e.gasTemperature = 170;
    return e;
}

WrzEntry WithPartLoad(WrzEntry e, double part) {
    e.partLoadAvailable = 1;
    e.outputPart = part;
    e.heatInputPart = part * 1.05;
    e.efficiencyPart = 95;
    e.co2Part = 9.0;
    e.flueMassFlowPart = e.flueMassFlow * part / e.output;
    e.gasTemperaturePart = e.gasTemperature;
    e.requiredDraughtPart = 3;
    return e;
}

class AssignmentTest : public TarsiloModelTest {
protected:
    void SetUp() override {
        TarsiloModelTest::SetUp();
        saved_ = vx::Strings();
        ASSERT_TRUE(vx::Strings().LoadFile(vx::JoinPath(SourceDir(), "resources/tarsilo/strings.txt")));
    }
    void TearDown() override {
        vx::Strings() = saved_;
        g_Active = nullptr;
        SetDocValueSource(nullptr);
        TarsiloModelTest::TearDown();
    }

    void Write(const std::vector<WrzEntry>& entries) {
        ASSERT_TRUE(catalogue::WriteCatalogue(dir_.string(), entries));
    }

    // A document on the test's catalogue: system 1, 8 m, the given size,
    // every manufacturer of the fuel selected.
    void Prepare(TestDoc& doc, int fuelIndex, double size, int system = 1) {
        doc.catalogue = CWrzKatalog(dir_.string());
        doc.catalogue.SetReportProblems(false);
        doc.fuelIndex = fuelIndex;
        doc.shape = 0;
        doc.system = system;
        doc.ApplySystem();
        doc.effectiveHeight.value = 8;
        doc.sectionSize.value = size;
        doc.manufacturers.clear();
        for (const WrzManufacturer& m : doc.catalogue.ReadManufacturers(fuelIndex))
            doc.manufacturers.push_back({m.name, m.offset, true});
    }

    // The types computed, in order, from the progress texts.
    static std::vector<std::string> ComputedTypes(const TestDoc& doc) {
        std::vector<std::string> types;
        if (!doc.progress) return types;
        for (const std::string& t : doc.progress->texts) types.push_back(t.substr(t.rfind("\r\n") + 2));
        return types;
    }

    vx::ScopedScriptedMessages messages;
    vx::StringTable saved_;
    // The catalogue's messages.
    ScopedPartStrings strings_{"shared"};
};

} // namespace

TEST_F(AssignmentTest, FuelTableOfTheSecondProgram) {
    const auto rows = TarsiloFuelRows();
    ASSERT_EQ(rows.size(), 14u);
    for (const FuelRow& r : rows) {
        EXPECT_EQ(r.dewA, 0);
        EXPECT_EQ(r.dewB, 0);
    }
    EXPECT_EQ(rows[0].fw, 1240);
    EXPECT_EQ(rows[0].fm1, 7.05);
    EXPECT_EQ(rows[10].kind, 1);
    EXPECT_EQ(rows[11].largestCo2, 19.1);
    EXPECT_EQ(rows[11].cp2, 1.4e-05);
    EXPECT_EQ(rows[13].k1, 6);
    EXPECT_EQ(FuelTable.count, 14);
    EXPECT_EQ(FuelTable.rows[0].fw, 1240);
    EXPECT_EQ(FuelTable.rows[14].fw, 0);  // cleared before the fill
    EXPECT_EQ(ActiveModelProgram(), ModelProgram::Tarsilo);
}

TEST_F(AssignmentTest, FuelIndexOfCatalogueKinds) {
    struct Case {
        int kind, condensing, index;
    } cases[] = {
        {0, 0, 0},  {0, 1, 0},  {1, 0, 1},  {1, 1, 10}, {2, 0, 2},   {2, 1, 11},  {3, 0, 3},
        {3, 1, 3},  {8, 0, 4},  {8, 1, 12}, {9, 0, 5},  {10, 0, 6},  {11, 0, 7},  {12, 0, 8},
        {13, 0, 9}, {4, 0, -1}, {5, 0, -1}, {6, 1, -1}, {7, 0, -1},  {14, 0, -1}, {-1, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CTarsiloDocCore::FuelIndexOfKind(c.kind, c.condensing), c.index) << c.kind << "/" << c.condensing;
}

TEST_F(AssignmentTest, DocumentQueries) {
    TarsiloDocValues values(ActiveDoc);
    SetDocValueSource(&values);
    for (int code : {0, 21, 46, 51, 52, 60}) EXPECT_EQ(::GetDocValue(code), -1) << code;
    EXPECT_EQ(values.GetConstruction(), nullptr);

    TestDoc doc;
    g_Active = &doc;
    EXPECT_EQ(::GetDocValue(52), 0);
    EXPECT_EQ(::GetDocValue(60), 0);
    EXPECT_EQ(::GetDocValue(2), 0);
    EXPECT_EQ(::GetDocValue(46), 0);
    EXPECT_EQ(values.GetProgress(), nullptr);
    EXPECT_EQ(values.GetConstruction(), &doc.construction);
    EXPECT_EQ(values.GetChimneyHead(), &doc.head);

    EXPECT_EQ(::GetDocValue(21, 0), 0);
    EXPECT_EQ(doc.modified, 1);
    EXPECT_EQ(doc.updates, 0);
    EXPECT_EQ(::GetDocValue(21, 1), 0);
    EXPECT_EQ(doc.modified, 2);
    EXPECT_EQ(doc.updates, 1);

    // During a computation 46 names the progress.
    Write({Gas("Alpha", "G 20", 20)});
    Prepare(doc, 2, 0.15);
    AssignmentProgress* seen = nullptr;
    doc.ComputeAssignmentTable();
    ASSERT_NE(doc.progress, nullptr);
    doc.progress->onText = [&] { seen = values.GetProgress(); };
    doc.ComputeAssignmentTable();
    ASSERT_EQ(doc.progress->docValue46.size(), 2u);
    EXPECT_EQ(doc.progress->docValue46[1], 1);
    EXPECT_EQ(seen, doc.progress);
    EXPECT_EQ(::GetDocValue(46), 0);
    EXPECT_EQ(values.GetProgress(), nullptr);
}

TEST_F(AssignmentTest, OutputFilter) {
    Write({Gas("Alpha", "G 19.9", 19.9), Gas("Alpha", "G 20", 20), Gas("Alpha", "G 20 S", 20),
           Gas("Alpha", "G 20.1", 20.1), Gas("Alpha", "G 25", 25), Gas("Alpha", "G 30", 30)});
    struct Case {
        double from, to;
        std::vector<std::string> types;
    } cases[] = {
        {0, 0, {"G 19.9", "G 20", "G 20 S", "G 20.1", "G 25", "G 30"}},
        {20, 0, {"G 20", "G 20 S"}},
        {20, 25, {"G 20", "G 20 S", "G 20.1", "G 25"}},
        {0, 20, {"G 19.9", "G 20", "G 20 S"}},
        {25, 20, {}},
    };
    for (const Case& c : cases) {
        TestDoc doc;
        Prepare(doc, 2, 0.15);
        doc.outputFrom.value = c.from;
        doc.outputTo.value = c.to;
        doc.ComputeAssignmentTable();
        EXPECT_EQ(ComputedTypes(doc), c.types) << c.from << " - " << c.to;
        EXPECT_EQ(doc.counts.heatGenerators, long(c.types.size()));
    }
}

TEST_F(AssignmentTest, CondensingGasOnlyUnderItsOwnFuel) {
    // The maker's plain gas boilers are followed by its condensing ones.
    Write({Gas("Alpha", "G 20", 20), Gas("Alpha", "G 30", 30), Gas("Alpha", "GB 20", 20, 1),
           Gas("Alpha", "GB 30", 30, 1), Oil("Beta", "O 20", 20)});
    struct Case {
        int fuelIndex;
        std::vector<std::string> types;
    } cases[] = {{2, {"G 20", "G 30"}}, {11, {"GB 20", "GB 30"}}, {1, {"O 20"}}, {10, {}}};
    for (const Case& c : cases) {
        TestDoc doc;
        Prepare(doc, c.fuelIndex, 0.15);
        if (c.types.empty()) {
            EXPECT_TRUE(doc.manufacturers.empty());
            continue;
        }
        doc.ComputeAssignmentTable();
        EXPECT_EQ(ComputedTypes(doc), c.types) << c.fuelIndex;
        for (const AssignmentRow& row : doc.rows)
            EXPECT_EQ(row.columns[AssignmentRow::Type].substr(0, c.types[0].size() - 3),
                      c.types[0].substr(0, c.types[0].size() - 3));
    }
}

TEST_F(AssignmentTest, RowTextsAndOrder) {
    Write({WithPartLoad(Gas("Alpha", "G 20", 20), 16), Gas("Alpha", "G 25", 25)});
    CWrzKatalog k(dir_.string());
    const std::vector<WrzType> types = k.ReadTypes(k.ReadManufacturers(2).at(0).offset);
    ASSERT_EQ(types.size(), 2u);

    TestDoc doc;
    Prepare(doc, 2, 0.13);
    doc.ComputeAssignmentTable();
    ASSERT_EQ(doc.rows.size(), 2u);
    // The last computed row is the top row.
    const AssignmentRow& top = doc.rows[0];
    EXPECT_EQ(top.columns[0], "0.130");
    EXPECT_EQ(top.columns[1], "Alpha");
    EXPECT_EQ(top.columns[2], "G 25");
    EXPECT_EQ(top.columns[3], "25.0");
    EXPECT_EQ(top.columns[4], std::to_string(types[1].offset));
    EXPECT_EQ(top.itemData, 0);
    const AssignmentRow& second = doc.rows[1];
    EXPECT_EQ(second.columns[2], "G 20");
    EXPECT_EQ(second.columns[3], " 16.0 -  20.0");
    EXPECT_EQ(second.columns[4], "0");
    EXPECT_EQ(second.CatalogueOffset(), 0);
    EXPECT_EQ(second.itemData, 1);
    EXPECT_EQ(doc.resultValid, 1);

    // Rectangular sections name both sides.
    TestDoc rect;
    Prepare(rect, 2, 0);
    rect.shape = 2;
    rect.ApplySystem();
    rect.secondSide.value = 0.2;  // checked before the walk takes the table's pairs
    rect.ComputeAssignmentTable();
    ASSERT_FALSE(rect.rows.empty());
    // Each row is a passed section of the walk, the last one at the top.
    std::vector<const CErgebnis*> passed;
    for (const auto& inner : rect.results)
        if (inner.at(0)->ok) passed.insert(passed.begin(), inner[0].get());
    ASSERT_EQ(passed.size(), rect.rows.size());
    for (size_t i = 0; i < passed.size(); ++i) {
        const std::string& t = rect.rows[i].columns[0];
        ASSERT_EQ(t.size(), 13u) << t;
        EXPECT_EQ(t.substr(5, 3), " x ");
        EXPECT_NEAR(vx::ParseDouble(t.substr(0, 5)), passed[i]->sizes[1], 0.0005) << t;
        EXPECT_NEAR(vx::ParseDouble(t.substr(8)), passed[i]->sizes[2], 0.0005) << t;
        EXPECT_GT(passed[i]->sizes[2], 0);
    }
}

TEST_F(AssignmentTest, SearchWalkStopsAtTheFirstFailureAfterAPass) {
    // Full load passes from 0.10 to 0.15; the part load fails at 0.15.
    Write({WithPartLoad(Gas("Alpha", "G 20 P", 20), 16), Gas("Alpha", "G 20", 20)});
    TestDoc doc;
    Prepare(doc, 2, 0);
    doc.ComputeAssignmentTable();
    std::vector<std::string> listed;
    for (const AssignmentRow& row : doc.rows) listed.push_back(row.columns[0] + " " + row.columns[2]);
    const std::vector<std::string> expected = {
        "0.150 G 20",   "0.140 G 20",   "0.130 G 20",   "0.120 G 20",   "0.110 G 20",   "0.100 G 20",
        "0.140 G 20 P", "0.130 G 20 P", "0.120 G 20 P", "0.110 G 20 P", "0.100 G 20 P",
    };
    EXPECT_EQ(listed, expected);
    // 0.08 failed before any pass, 0.10 to 0.15 passed (judged by full
    // load), 0.16 failed and ended the walk: eight sections each.
    EXPECT_EQ(doc.counts.heatGenerators, 2);
    EXPECT_EQ(doc.counts.chainRuns, 16);
    EXPECT_EQ(doc.counts.partLoadPasses, 6);
    ASSERT_EQ(doc.results.size(), 16u);
    const double tried[] = {0.08, 0.10, 0.11, 0.12, 0.13, 0.14, 0.15, 0.16};
    for (size_t i = 0; i < 16; ++i) {
        ASSERT_EQ(doc.results[i].size(), 1u);
        EXPECT_EQ(doc.results[i][0]->sizes[0], tried[i % 8]) << i;
        EXPECT_EQ(doc.results[i][0]->ok, i % 8 == 0 || i % 8 == 7 ? 0 : 1) << i;
    }

    // A given size: one run per heat generator, with the part-load pass
    // only where the full load passed.
    TestDoc given;
    Prepare(given, 2, 0.16);
    given.ComputeAssignmentTable();
    EXPECT_TRUE(given.rows.empty());
    EXPECT_EQ(given.counts.chainRuns, 2);
    EXPECT_EQ(given.counts.partLoadPasses, 0);
    EXPECT_TRUE(given.results.empty());
    Prepare(given, 2, 0.14);
    given.ComputeAssignmentTable();
    EXPECT_EQ(given.rows.size(), 2u);
    EXPECT_EQ(given.counts.chainRuns, 2);
    EXPECT_EQ(given.counts.partLoadPasses, 1);
}

TEST_F(AssignmentTest, SearchWalkEndsAtTheTableEnd) {
    vx::WriteFileAtomic((dir_ / "INNENTAB.INI").string(), "[INNENTAB]\r\nR1=0.10\r\nR2=0.12\r\nR3=0.13\r\n");
    LoadCrossSectionTables();
    Write({Gas("Alpha", "G 20", 20)});
    TestDoc doc;
    Prepare(doc, 2, 0);
    doc.ComputeAssignmentTable();
    ASSERT_EQ(doc.rows.size(), 3u);
    EXPECT_EQ(doc.rows[0].columns[0], "0.130");
    EXPECT_EQ(doc.rows[2].columns[0], "0.100");
    EXPECT_EQ(doc.counts.chainRuns, 3);
    EXPECT_EQ(doc.chimney.diameter.value, 0.13);
}

TEST_F(AssignmentTest, CancelKeepsTheRowsOfTheHeatGeneratorInHand) {
    Write({Gas("Alpha", "G 20", 20), Gas("Alpha", "G 25", 25), Gas("Beta", "B 20", 20)});
    TestDoc doc;
    Prepare(doc, 2, 0.13);
    doc.ComputeAssignmentTable();
    ASSERT_EQ(doc.rows.size(), 3u);
    // Cancel pressed while the first heat generator is computed: the
    // dialog reports it at the next one.
    doc.progress->cancelAtText = 2;
    doc.progress->texts.clear();
    doc.ComputeAssignmentTable();
    EXPECT_EQ(doc.progress->texts.size(), 2u);
    EXPECT_EQ(doc.counts.heatGenerators, 1);
    ASSERT_EQ(doc.rows.size(), 1u);
    EXPECT_EQ(doc.rows[0].columns[2], "G 20");
    EXPECT_EQ(doc.rows[0].itemData, 0);
    EXPECT_EQ(doc.resultValid, 1);
    EXPECT_EQ(doc.progress->hidden, 2);
    EXPECT_EQ(doc.progress->texts[0], "\r\n\r\nAlpha\r\n\r\nG 20");
}

TEST_F(AssignmentTest, NoManufacturerSelected) {
    Write({Gas("Alpha", "G 20", 20)});
    TestDoc doc;
    Prepare(doc, 2, 0.13);
    doc.rows.push_back({});
    for (ManufacturerItem& m : doc.manufacturers) m.selected = false;
    doc.ComputeAssignmentTable();
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_NE(messages.service.shown[0].text.find("Hersteller"), std::string::npos);
    EXPECT_TRUE(doc.rows.empty());
    EXPECT_EQ(doc.counts.chainRuns, 0);
}

TEST_F(AssignmentTest, ChimneyFailingItsCheckIsNotComputed) {
    Write({Gas("Alpha", "G 20", 20)});
    TestDoc doc;
    Prepare(doc, 2, 0);
    doc.effectiveHeight.value = 0;  // as after "Neu"
    doc.sectionSize.value = 5;
    doc.ComputeAssignmentTable();
    // Every line names its field; the first takes the keyboard.
    ASSERT_EQ(messages.service.shown.size(), 1u);
    const std::string& text = messages.service.shown[0].text;
    EXPECT_EQ(text.rfind("wirksame Schornsteinhöhe: ", 0), 0u) << text;
    EXPECT_NE(text.find("\r\nDurchmesser: "), std::string::npos) << text;
    EXPECT_EQ(doc.failedInput, IDC_EFFECTIVE_HEIGHT);
    EXPECT_TRUE(doc.rows.empty());
    EXPECT_EQ(doc.counts.chainRuns, 0);
    EXPECT_EQ(doc.progress, nullptr);
    EXPECT_EQ(doc.chimney.checkFlag, 0);
}

// The height field and "Mach Et" name one range: what the field refuses on
// leaving is what the chimney refuses, in the same words.
TEST_F(AssignmentTest, HeightFieldAndComputationNameOneRange) {
    Write({Gas("Alpha", "G 20", 20)});
    TestDoc doc;
    Prepare(doc, 2, 0.2);
    auto firstLine = [](const std::string& text) { return text.substr(0, text.find("\r\n")); };
    for (double height : {0.0, 0.005, 200.5}) {
        doc.effectiveHeight.value = height;
        std::string fieldMessage;
        doc.effectiveHeight.CheckRange(fieldMessage, nullptr, nullptr);
        EXPECT_FALSE(fieldMessage.empty()) << height;
        messages.service.shown.clear();
        doc.ComputeAssignmentTable();
        ASSERT_EQ(messages.service.shown.size(), 1u) << height;
        EXPECT_EQ(firstLine(messages.service.shown[0].text), "wirksame Schornsteinhöhe: " + firstLine(fieldMessage))
            << height;
        EXPECT_EQ(doc.failedInput, IDC_EFFECTIVE_HEIGHT);
    }
    // The limits themselves pass both.
    for (double height : {0.01, 200.0}) {
        doc.effectiveHeight.value = height;
        std::string fieldMessage;
        doc.effectiveHeight.CheckRange(fieldMessage, nullptr, nullptr);
        EXPECT_EQ(fieldMessage, "") << height;
    }
}

TEST_F(AssignmentTest, PositivePressureConnectorTakesTheChimneySection) {
    Write({Gas("Alpha", "GB 20", 20, 1)});
    for (double size : {0.0, 0.18}) {
        TestDoc doc;
        Prepare(doc, 11, size, 19);
        ASSERT_EQ(doc.construction.Regime(), CAufBauE::Positive);
        doc.ComputeAssignmentTable();
        EXPECT_EQ(doc.counts.heatGenerators, 1) << size;
        EXPECT_EQ(doc.connector.diameter.value, doc.chimney.diameter.value) << size;
        EXPECT_EQ(doc.connector.shape.value, doc.chimney.shape.value) << size;
        if (size > 0) {
            EXPECT_EQ(doc.connector.diameter.value, 0.18);
        }
    }
}

// Systems in a shaft (rear-ventilated, renovation) get their shaft from the
// section's size; the chimney's own check must see it, or every run stops.
TEST_F(AssignmentTest, ChimneysInAShaftAreComputed) {
    Write({Gas("Alpha", "GB 20", 20, 1), Gas("Alpha", "G 20", 20)});
    const struct {
        int fuel, system;
    } cases[] = {{11, 17}, {11, 18}, {2, 11}, {2, 13}};
    for (const auto& c : cases)
        for (double size : {0.0, 0.18}) {
            SCOPED_TRACE(testing::Message() << "system " << c.system << " size " << size);
            messages.service.shown.clear();
            TestDoc doc;
            Prepare(doc, c.fuel, size, c.system);
            doc.ComputeAssignmentTable();
            // At most the note that nothing fitted: no check stopped the run.
            for (const auto& shown : messages.service.shown)
                EXPECT_EQ(shown.text.rfind("Der Schornstein passt zu keinem", 0), 0u) << shown.text;
            EXPECT_EQ(doc.chimney.checkFlag, 1);
            EXPECT_EQ(doc.counts.heatGenerators, 1);
            EXPECT_GT(doc.counts.chainRuns, 0);
        }
}

TEST_F(AssignmentTest, ConnectorFittingPutInPlaceOnce) {
    Write({Gas("Alpha", "G 20", 20)});
    TestDoc doc;
    Prepare(doc, 2, 0.13);
    for (int i = 0; i < 3; ++i) {
        doc.connector.checkFlag = 0;
        doc.ComputeAssignmentTable();
    }
    int fittings = 0;
    for (const ZetaElement& e : doc.connector.zeta.elements)
        if (e.kind == 6) ++fittings;
    EXPECT_EQ(fittings, 1);
}

TEST_F(AssignmentTest, RunWithoutResultRecordCountsAsFailed) {
    Write({Gas("Alpha", "G 20", 20)});
    TestDoc doc;
    Prepare(doc, 2, 0);
    doc.ComputeAssignmentTable();
    ASSERT_FALSE(doc.rows.empty());
    // Inside a pumped message the chain computes nothing and the head
    // keeps no record.
    doc.rows.clear();
    SetCalculationMessagePump([&] { doc.ComputeManufacturer("Alpha", 0); });
    PumpCalculationMessages();
    SetCalculationMessagePump(nullptr);
    EXPECT_TRUE(doc.rows.empty());
    EXPECT_TRUE(doc.results.empty());
    EXPECT_GT(doc.counts.chainRuns, 8);
}

TEST_F(AssignmentTest, SystemChangeKeepsTheGeodeticHeight) {
    TestDoc doc;
    doc.construction.site.geoHeight.value = 512;
    doc.construction.site.geoHeight.marker = CWerte::MarkerPlain;
    struct Step {
        int system, fu;
    } steps[] = {{1, 0}, {1, 1}, {19, 0}, {7, 1}};
    for (const Step& s : steps) {
        doc.system = s.system;
        doc.fu = s.fu;
        doc.ApplySystem();
        EXPECT_EQ(doc.construction.site.geoHeight.value, 512) << s.system;
        EXPECT_EQ(doc.construction.site.geoHeight.marker, CWerte::MarkerPlain) << s.system;
    }
    EXPECT_EQ(doc.construction.Regime(), CAufBauE::NegativeWet);
}

// The chimney's printed construction: the chosen entry, a heading replaced by
// the entry below it, and one material text for the positive-pressure systems.
TEST_F(AssignmentTest, SystemChangeNamesTheChimney) {
    ASSERT_TRUE(vx::Strings().LoadFile(vx::JoinPath(SourceDir(), "resources/tarsilo/strings.txt")));
    const struct {
        int system;
        const char* text;
    } cases[] = {{1, "dreischalig m. NW (Keramik)"}, {10, "einschalig m. Edelstahl"},
                 {15, "einschalig m. Keramik  m. Dämmschale"}, {16, "Stahl, Edelstahl oder Kunststoff"},
                 {20, "Stahl, Edelstahl oder Kunststoff"}};
    for (const auto& c : cases) {
        TestDoc doc;
        doc.system = c.system;
        doc.ApplySystem();
        EXPECT_EQ(doc.chimney.name.text, c.text) << c.system;
    }
    vx::Strings().Clear();
}

TEST_F(AssignmentTest, UnreadableCatalogueLineIsSkipped) {
    for (int fuelIndex : {1, 2}) {
        const WrzEntry a = fuelIndex == 1 ? Oil("Alpha", "A 20", 20) : Gas("Alpha", "A 20", 20);
        WrzEntry b = a, c = a;
        b.typeDesignation = "A 25";
        c.typeDesignation = "A 30";
        const std::string first = catalogue::FormatWrzLine(a);
        // The same maker's line with a number that is none.
        std::string bad = catalogue::FormatWrzLine(b);
        bad.replace(bad.find(";20.0") != std::string::npos ? bad.find(";20.0") : bad.find(';', 10), 1, ";x");
        const std::string text = first + bad + catalogue::FormatWrzLine(c);
        ASSERT_TRUE(vx::WriteFileAtomic((dir_ / "velmora.wrz").string(), text));
        ASSERT_TRUE(catalogue::WriteHstFor(dir_.string()));
        TestDoc doc;
        Prepare(doc, fuelIndex, 0.13);
        // The computation reports through the catalogue.
        doc.catalogue.SetReportProblems(true);
        ASSERT_EQ(doc.manufacturers.size(), 1u);
        messages.service.shown.clear();
        doc.ComputeAssignmentTable();
        EXPECT_EQ(ComputedTypes(doc), (std::vector<std::string>{"A 20", "A 30"})) << fuelIndex;
        ASSERT_EQ(messages.service.shown.size(), 1u) << fuelIndex;
        EXPECT_NE(messages.service.shown[0].text.find("übersprungen"), std::string::npos);
    }
}

// A manufacturer whose offset points into a line computes nothing and says
// so, as the catalogue's own reads do, and the next manufacturer is computed.
TEST_F(AssignmentTest, OffsetInsideALineIsReported) {
    Write({Gas("Alpha", "A 20", 20), Gas("Beta", "B 20", 20)});
    TestDoc doc;
    Prepare(doc, 2, 0.13);
    doc.catalogue.SetReportProblems(true);
    ASSERT_EQ(doc.manufacturers.size(), 2u);
    doc.manufacturers[0].offset += 3;
    messages.service.shown.clear();
    doc.ComputeAssignmentTable();
    EXPECT_EQ(ComputedTypes(doc), (std::vector<std::string>{"B 20"}));
    ASSERT_FALSE(messages.service.shown.empty());
    EXPECT_NE(messages.service.shown[0].text.find("Zeilenanfang"), std::string::npos) << messages.service.shown[0].text;
    ASSERT_EQ(doc.catalogue.Problems().size(), 1u);
    EXPECT_EQ(doc.catalogue.Problems()[0].offset, doc.manufacturers[0].offset);
}

namespace {

using PlainRow = std::array<std::string, 5>;

// The table as plainly as it can be computed: every catalogue line read on
// its own, both loads always run, a fresh system per table.
std::vector<PlainRow> PlainTable(const std::string& dir, int fuelIndex, double size, int system) {
    FlueSystem fs(FlueSystemVariant::Assignment());
    CWrzKatalog k(dir);
    k.SetReportProblems(false);
    int index = system;
    fs.NewSystemType(index, 0, 0);
    const bool search = size == 0;
    fs.LinkModuleChain();
    fs.connector.length.value = 1.5;
    fs.connector.height.value = 0;
    fs.connector.wallThickness.value = 0.001;
    fs.connector.roughness.value = 0.001;
    fs.connector.zeta.AddResistance(6, 90, 1, 1, 2);
    fs.chimney.length.value = fs.chimney.height.value = 8;
    fs.chimney.diameter.value = fs.chimney.sideA.value = search ? 0.13 : size;
    fs.chimney.sideB.value = 0;
    fs.chimney.ComputeGeometry();
    const bool positive = fs.construction.Regime() == CAufBauE::Positive;
    auto put = [&](double d) {
        fs.chimney.diameter.value = d;
        fs.chimney.ComputeGeometry();
        if (positive) {
            fs.connector.shape.value = 0;
            fs.connector.diameter.value = d;
            fs.connector.ComputeGeometry();
        }
    };
    std::vector<PlainRow> rows;
    for (const WrzManufacturer& m : k.ReadManufacturers(fuelIndex)) {
        int64_t offset = m.offset;
        for (;;) {
            const int64_t line = offset;
            const int rc = LoadHeatGenerator(k, fs.heatGenerator, offset, m.name);
            if (rc == CWrzKatalog::kBadLine) continue;
            if (rc != CWrzKatalog::kLoaded) break;
            CWaerme& g = fs.heatGenerator;
            if (CTarsiloDocCore::FuelIndexOfKind(g.fuel.value, g.condensing) != fuelIndex) break;
            g.arrangement = &fs.construction;
            double dh = 0;
            CrossSectionGeometry(g.outletDiameter.value, 0, 0, 0, g.outletArea.value, g.outletPerimeter.value, dh);
            std::string message;
            if (g.CheckInputs(message, nullptr) != 0) continue;
            fs.connector.diameter.value = g.outletDiameter.value;
            fs.connector.ComputeGeometry();
            if (fs.connector.CheckInputs(message, nullptr) != 0) continue;
            fs.room.airSupplyPressure.value = g.output.value < 30 ? 4.0 : 3.0;
            fs.room.airSupplyMode = g.output.value < 30 ? 1 : 0;
            double d = size;
            if (search) {
                d = SharedCrossSectionTables().round.front();
            }
            put(d);
            bool passedBefore = false;
            for (size_t step = 1;; ++step) {
                fs.RunCalculation();
                if (fs.RunPassed()) {
                    PlainRow row = {vx::Format("%.3f", d), g.manufacturerName.text, g.typeDesignation.text,
                                    g.partLoadAvailable.value
                                        ? vx::Format("%5.1f - %5.1f", g.outputPart.value, g.output.value)
                                        : vx::Format("%.1f", g.output.value),
                                    std::to_string(line)};
                    rows.insert(rows.begin(), row);
                }
                if (!search) break;
                const bool ok = fs.head.results.at(0)->ok != 0;
                if (!ok && passedBefore) break;
                passedBefore = passedBefore || ok;
                const std::vector<double>& table = SharedCrossSectionTables().round;
                if (step >= table.size()) break;
                d = table[step];
                put(d);
            }
        }
    }
    return rows;
}

} // namespace

TEST_F(AssignmentTest, SameRowsAsAPlainComputation) {
    Write(catalogue::MakeSyntheticEntries(240, 11));
    size_t total = 0;
    for (int system : {1, 19})
        for (double size : {0.0, 0.15})
            for (int fuelIndex = 0; fuelIndex < CWrzKatalog::kFuelPositions; ++fuelIndex) {
                TestDoc doc;
                Prepare(doc, fuelIndex, size, system);
                if (doc.manufacturers.empty()) continue;
                doc.ComputeAssignmentTable();
                std::vector<PlainRow> rows;
                for (const AssignmentRow& r : doc.rows)
                    rows.push_back({r.columns[0], r.columns[1], r.columns[2], r.columns[3], r.columns[4]});
                EXPECT_EQ(rows, PlainTable(dir_.string(), fuelIndex, size, system))
                    << "system " << system << ", size " << size << ", fuel " << fuelIndex;
                total += rows.size();
            }
    EXPECT_GT(total, 100u);
}

TEST_F(AssignmentTest, NoSecondComputationWhileOneRuns) {
    Write({Gas("Alpha", "G 20", 20), Gas("Alpha", "G 25", 25)});
    TestDoc doc;
    Prepare(doc, 2, 0.13);
    doc.ComputeAssignmentTable();
    size_t nestedTexts = 0;
    // "Mach Et" pressed again while the progress dialog lets a message through.
    doc.progress->onText = [&] {
        doc.progress->onText = nullptr;
        doc.ComputeAssignmentTable();
        nestedTexts = doc.progress->texts.size();
    };
    doc.progress->texts.clear();
    doc.ComputeAssignmentTable();
    EXPECT_EQ(nestedTexts, 1u);
    EXPECT_EQ(doc.progress->texts.size(), 2u);
    EXPECT_EQ(doc.rows.size(), 2u);
}
