#include "velmora/CVelmoraDocCore.h"

#include "model/CrossSectionTables.h"
#include "testsupport/model/ModelTestEnv.h"
#include "platform/Archive.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/PlatformText.h"
#include "platform/StringTable.h"
#include "testsupport/platform/TestSupport.h"
#include "velmora/VelmoraSettings.h"
#include "velmora/shared/CWrzKatalog.h"
#include "velmora/shared/CWrzKatalogWaerme.h"
#include "testsupport/velmora/SampleDataTestEnv.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <sys/stat.h>

namespace {

std::string SampleData() { return vx::JoinPath(SourceDir(), "data"); }

// The document on the sample data: its catalogue, its cross-section tables
// and the program's texts, with a profile of the test's own.
class DocTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        vx::Profile().WriteString("Datenbank", "Pfad", SampleData());
        vx::Profile().WriteString("Global", "Hinweis", "1");
        LoadProgramStrings();
        LoadCrossSectionTables();
    }
    void TearDown() override {
        LoadCrossSectionTables();
        ModelTest::TearDown();
    }

    // The first line of the manufacturer's group for fuel position 1 (oil)
    // whose type designation is type.
    void LoadSample(CVelmoraDocCore& doc, const std::string& type, int fuelPosition = 1) {
        CWrzKatalog katalog(SampleData());
        for (const WrzManufacturer& m : katalog.ReadManufacturers(fuelPosition))
            for (const WrzType& t : katalog.ReadTypes(m.offset))
                if (t.typeDesignation == type) {
                    int64_t at = t.offset;
                    ASSERT_EQ(LoadHeatGenerator(katalog, doc.heatGenerator, at, {}, CWrzKatalog::OpenOperation::Closed),
                              CWrzKatalog::kLoaded);
                    return;
                }
        FAIL() << "no sample heat generator " << type;
    }

    void NewOilDocument(CVelmoraDocCore& doc, const std::string& type = "Oleomat 22") {
        doc.ResetDocument();
        LoadSample(doc, type);
        int system = 1;
        doc.NewSystemType(system, 0, 0);
    }

    vx::ScopedScriptedMessages messages;
};

bool SamePoints(const std::vector<DiagramPoint>& a, const std::vector<DiagramPoint>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].height != b[i].height || a[i].largest != b[i].largest || a[i].smallest != b[i].smallest)
            return false;
    return true;
}

} // namespace

TEST_F(DocTest, StartCrossSectionFollowsTheMassFlow) {
    CVelmoraDocCore doc;
    doc.heatGenerator.flueMassFlow.value = 0.01;
    doc.chimney.shape.value = 0;
    doc.StartCrossSection();
    EXPECT_DOUBLE_EQ(doc.limitCrossSection, 0.2);
    doc.heatGenerator.flueMassFlow.value = 0.05;
    doc.StartCrossSection();
    EXPECT_DOUBLE_EQ(doc.limitCrossSection, 0.3);
    doc.chimney.shape.value = 1;
    doc.StartCrossSection();
    EXPECT_DOUBLE_EQ(doc.limitCrossSection, 0.2);
}

TEST_F(DocTest, DefaultHeightRangeAndAxes) {
    CVelmoraDocCore doc;
    EXPECT_EQ(doc.hStart, 4.0);
    EXPECT_EQ(doc.hStep, 2.0);
    EXPECT_EQ(doc.hEnd, 30.0);
    EXPECT_EQ(doc.diagram.XAxis().Title(), "Wirksame Schornsteinh\xf6he [m]");
    EXPECT_EQ(doc.diagram.YAxis().Title(), "Durchmesser [cm]");
    vx::Profile().WriteString("Global", "HStart", "6.5");
    CVelmoraDocCore other;
    EXPECT_EQ(other.hStart, 6.5);
}

// The geodetic-height command: the default is marked, any edit invalidates the shown results.
TEST_F(DocTest, GeodeticHeightMarksTheDefaultAndInvalidatesResults) {
    struct Recording : CVelmoraDocCore {
        std::vector<bool> shown;
        void ShowDiagram(bool show) override { shown.push_back(show); }
    } doc;
    doc.resultValid = 1;
    doc.SetGeodeticHeight(325.0);
    EXPECT_EQ(doc.construction.site.geoHeight.value, 325.0);
    EXPECT_EQ(doc.construction.site.geoHeight.marker, CWerte::MarkerDerived);
    EXPECT_EQ(doc.resultValid, 0);
    EXPECT_EQ(doc.shown, std::vector<bool>{false});
    vx::Profile().WriteString("Grunddaten", "GeoHoehe", "480.5");
    doc.SetGeodeticHeight(325.0);
    EXPECT_EQ(doc.construction.site.geoHeight.marker, CWerte::MarkerPlain);
    doc.SetGeodeticHeight(480.5);
    EXPECT_EQ(doc.construction.site.geoHeight.marker, CWerte::MarkerDerived);
}

TEST_F(DocTest, CatalogueLineFillsTheHeatGenerator) {
    CVelmoraDocCore doc;
    LoadSample(doc, "Oleomat 29-2");
    const CWaerme& w = doc.heatGenerator;
    EXPECT_EQ(w.manufacturerName.text, "Kesselwerk Almendorf GmbH");
    EXPECT_EQ(w.fuel.value, 1);
    EXPECT_EQ(w.condensing, 0);
    EXPECT_DOUBLE_EQ(w.output.value, 29.0);
    EXPECT_DOUBLE_EQ(w.heatInput.value, 31.25);
    EXPECT_DOUBLE_EQ(w.efficiency.value, 92.8);
    EXPECT_DOUBLE_EQ(w.co2.value, 13.2);
    EXPECT_DOUBLE_EQ(w.flueMassFlow.value, 0.01313);
    EXPECT_DOUBLE_EQ(w.gasTemperature.value, 175.0);
    EXPECT_DOUBLE_EQ(w.requiredDraught.value, 5.0);
    EXPECT_DOUBLE_EQ(w.outletDiameter.value, 0.13);
    EXPECT_EQ(w.partLoadAvailable.value, 1);
    EXPECT_DOUBLE_EQ(w.outputPart.value, 19.0);
    EXPECT_DOUBLE_EQ(w.flueMassFlowPart.value, 0.00881);
    EXPECT_DOUBLE_EQ(w.gasTemperaturePart.value, 140.0);
    EXPECT_EQ(w.flueMassFlow.marker, CWerte::MarkerPlain);

    // A line without part-load data leaves the part-load values fresh.
    LoadSample(doc, "Oleomat 17");
    EXPECT_EQ(doc.heatGenerator.partLoadAvailable.value, 0);
    EXPECT_DOUBLE_EQ(doc.heatGenerator.outputPart.value, CWaerme().outputPart.value);
    EXPECT_DOUBLE_EQ(doc.heatGenerator.flueMassFlow.value, 0.00786);
}

TEST_F(DocTest, OpenOperationQuestionDecidesTheValues) {
    // A fireplace that runs open or closed: field 22 on.
    const std::string dir = Path("cat");
    vx::MakeDirs(dir);
    const std::string line = "Feuerbau;Kamin 8;3;0;8.0;10.0;80.0;9.0;0.009;300.0;12.0;0.0;0.15;0;"
                             "9.5;12.5;76.0;0.015;250.0;10.0\r\n";
    vx::WriteFileAtomic(vx::JoinPath(dir, "velmora.wrz"), line);
    CWrzKatalog katalog(dir);
    CWaerme w;
    messages.service.answers = {vx::IDNO, vx::IDYES};
    int64_t at = 0;
    ASSERT_EQ(LoadHeatGenerator(katalog, w, at), CWrzKatalog::kLoaded);
    EXPECT_DOUBLE_EQ(w.output.value, 8.0);
    EXPECT_DOUBLE_EQ(w.co2.value, 9.0);
    EXPECT_EQ(w.openOperation, 0);
    at = 0;
    ASSERT_EQ(LoadHeatGenerator(katalog, w, at), CWrzKatalog::kLoaded);
    EXPECT_DOUBLE_EQ(w.output.value, 9.5);
    EXPECT_DOUBLE_EQ(w.co2.value, 1.0);
    EXPECT_DOUBLE_EQ(w.flueMassFlow.value, 0.015);
    EXPECT_DOUBLE_EQ(w.gasTemperature.value, 250.0);
    EXPECT_EQ(w.openOperation, 1);
    ASSERT_EQ(messages.service.shown.size(), 2u);
    EXPECT_EQ(messages.service.shown[0].flags, vx::MB_YESNO | vx::MB_ICONQUESTION);
}

TEST_F(DocTest, SystemTypeSetsTheChimneyAndTheMode) {
    CVelmoraDocCore doc;
    int system = 0;
    doc.NewSystemType(system, 0, 1);
    EXPECT_EQ(system, 1);
    EXPECT_DOUBLE_EQ(doc.chimney.roughness.value, 0.0015);
    EXPECT_DOUBLE_EQ(doc.chimney.wallResistance.value, 0.65);
    EXPECT_EQ(doc.construction.Regime(), CAufBauE::NegativeWet);
    EXPECT_EQ(doc.moistureText, "ja");
    EXPECT_DOUBLE_EQ(doc.chimney.diameter.value, 0.13);

    system = 10;
    doc.NewSystemType(system, 1, 0);
    EXPECT_EQ(system, 11);
    EXPECT_EQ(doc.construction.renovation.value, 1);
    EXPECT_EQ(doc.chimney.resistanceGroup.value, 3);
    EXPECT_DOUBLE_EQ(doc.chimney.wallThickness.value, 0.125);
    EXPECT_DOUBLE_EQ(doc.chimney.sideA.value, 0.13);
    EXPECT_EQ(doc.yAxisTitle, "Kantenl\xe4nge [cm]");
    EXPECT_EQ(doc.moistureText, "nein");

    system = 16;
    doc.NewSystemType(system, 0, 0);
    EXPECT_EQ(system, 17);
    EXPECT_EQ(doc.construction.Regime(), CAufBauE::Positive);
    EXPECT_EQ(doc.moistureText, "-");
    EXPECT_EQ(doc.chimney.resistanceGroup.value, 4);
    int kind5 = 0, kind12 = 0;
    for (const ZetaElement& e : doc.chimney.zeta.elements) {
        kind5 += e.kind == 5;
        kind12 += e.kind == 12;
    }
    EXPECT_EQ(kind5, 1);
    EXPECT_EQ(kind12, 0);

    system = 20;
    doc.NewSystemType(system, 0, 0);
    EXPECT_EQ(doc.construction.Kind(), 3);
    EXPECT_EQ(doc.chimney.setting1, 20);
    // The whole chimney outside: 100 % of its 8 m.
    EXPECT_DOUBLE_EQ(doc.chimney.shareOutside.value, 100.0);
    EXPECT_DOUBLE_EQ(doc.chimney.lengthOutside.value, 8.0);
    system = 5;
    doc.NewSystemType(system, 0, 0);
    EXPECT_DOUBLE_EQ(doc.chimney.lengthOutside.value, 0.8);  // 10 %
}

TEST_F(DocTest, SampleOilBoilerGivesABand) {
    CVelmoraDocCore doc;
    NewOilDocument(doc);
    ASSERT_TRUE(doc.OnCalculate());
    ASSERT_GE(doc.points.size(), 2u);
    for (const DiagramPoint& p : doc.points) {
        EXPECT_GE(p.height, 4.0);
        EXPECT_LE(p.height, 30.0);
        EXPECT_GT(p.smallest, 0);
        if (p.largest != -1.0) {
            EXPECT_GE(p.largest, p.smallest);
        }
    }
    EXPECT_EQ(doc.resultValid, 1);
    EXPECT_EQ(doc.diagram.Points().size(), doc.points.size());
    EXPECT_DOUBLE_EQ(doc.chosenSize, 13.0);
    EXPECT_DOUBLE_EQ(doc.chosenHeight, 10.0);
    EXPECT_TRUE(messages.service.shown.empty());
    EXPECT_FALSE(doc.results.empty());

    doc.ResetDocument();
    EXPECT_TRUE(doc.points.empty());
    EXPECT_TRUE(doc.results.empty());
    EXPECT_TRUE(doc.diagram.Points().empty());
    EXPECT_EQ(doc.resultValid, 0);
    EXPECT_TRUE(doc.heatGenerator.typeDesignation.text.empty());
}

TEST_F(DocTest, CalculatingTwiceGivesTheSameBand) {
    CVelmoraDocCore doc;
    NewOilDocument(doc, "Oleomat 29-2");
    int system = 3;
    doc.NewSystemType(system, 0, 0);
    ASSERT_TRUE(doc.OnCalculate());
    const std::vector<DiagramPoint> first = doc.points;
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(doc.OnCalculate());
    EXPECT_TRUE(SamePoints(first, doc.points));
    // The presets stand once in their lists, and the system's wall values survive.
    int kind6 = 0, kind12 = 0;
    for (const ZetaElement& e : doc.connector.zeta.elements) kind6 += e.kind == 6;
    for (const ZetaElement& e : doc.chimney.zeta.elements) kind12 += e.kind == 12;
    EXPECT_EQ(kind6, 1);
    EXPECT_EQ(kind12, 1);
    EXPECT_DOUBLE_EQ(doc.chimney.roughness.value, 0.001);
    EXPECT_DOUBLE_EQ(doc.chimney.wallResistance.value, 0.65);
    EXPECT_EQ(doc.chimney.resistanceGroup.value, 0);
}

TEST_F(DocTest, UnusableRangesAndTablesComputeNothing) {
    CVelmoraDocCore doc;
    NewOilDocument(doc);
    for (auto range : {std::array<double, 3>{4, 0, 30}, {4, -2, 30}, {30, 2, 4}}) {
        messages.service.shown.clear();
        doc.SetHeightRange(range[0], range[1], range[2]);
        EXPECT_FALSE(doc.OnCalculate());
        EXPECT_TRUE(doc.points.empty());
        EXPECT_TRUE(doc.results.empty());
        ASSERT_EQ(messages.service.shown.size(), 1u);
        EXPECT_EQ(messages.service.shown[0].text, "Keine passende Querschnitte gefunden.");
    }
    doc.SetHeightRange(4, 2, 30);
    SharedCrossSectionTables().round.clear();
    messages.service.shown.clear();
    EXPECT_FALSE(doc.OnCalculate());
    EXPECT_TRUE(doc.results.empty());
    // Without sizes the user learns which table is empty and where it was looked for.
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_EQ(messages.service.shown[0].text, EmptyCrossSectionTableMessage(0));
    EXPECT_NE(messages.service.shown[0].text.find("INNENTAB"), std::string::npos);
}

TEST_F(DocTest, FewerThanTwoPointsGiveTheMessage) {
    CVelmoraDocCore doc;
    NewOilDocument(doc);
    doc.SetHeightRange(10, 2, 10);
    EXPECT_FALSE(doc.OnCalculate());
    EXPECT_EQ(doc.points.size(), 1u);
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_EQ(messages.service.shown[0].text, "Keine passende Querschnitte gefunden.");
}

TEST_F(DocTest, NoCalculationStartsInsideARunningOne) {
    CVelmoraDocCore doc;
    NewOilDocument(doc);
    const std::vector<uint8_t> saved = doc.StoreCalculation();
    ASSERT_TRUE(doc.OnCalculate());
    const std::vector<DiagramPoint> band = doc.points;
    vx::Profile().WriteString("Aurelia", "INI", Path("aurelia"));
    int tries = 0, refused = 0;
    SetCalculationMessagePump([&] {
        if (tries++ < 3) refused += !doc.OnCalculate();
        refused += !doc.LoadCalculation(saved);
        refused += !doc.HandOverToAurelia();
        refused += !doc.SaveCalculationFile(Path("during.kfx"));
    });
    EXPECT_TRUE(doc.OnCalculate());
    SetCalculationMessagePump(nullptr);
    EXPECT_GT(tries, 10);
    EXPECT_EQ(refused, 3 * tries + 3);
    EXPECT_FALSE(doc.IsBusy());
    EXPECT_TRUE(SamePoints(band, doc.points));
    EXPECT_FALSE(vx::FileExists(Path("during.kfx")));
    EXPECT_TRUE(messages.service.shown.empty());
}

TEST_F(DocTest, CalculationFileRoundTrip) {
    CVelmoraDocCore doc;
    NewOilDocument(doc, "Oleomat 29-2");
    doc.remarks.text = "Bemerkung \xe4\xf6\xfc";
    doc.project.Text(CProjekt::Nummer) = "P-17";
    doc.partLoad = 0;
    ASSERT_TRUE(doc.OnCalculate());
    const std::vector<DiagramPoint> band = doc.points;
    const std::string file = Path("Projekt.kfx");
    ASSERT_TRUE(doc.SaveCalculationFile(file));

    std::string bytes;
    ASSERT_TRUE(vx::ReadWholeFile(file, bytes));
    ASSERT_GE(bytes.size(), 12u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x2a\0\0\0", 4));
    EXPECT_EQ(bytes.substr(bytes.size() - 8), std::string("\x02\0\0\0\0\0\0\0", 8));

    CVelmoraDocCore reopened;
    ASSERT_TRUE(reopened.LoadCalculationFile(file));
    EXPECT_EQ(reopened.remarks.text, doc.remarks.text);
    EXPECT_EQ(reopened.project.Text(CProjekt::Nummer), "P-17");
    EXPECT_EQ(reopened.partLoad, 0);
    EXPECT_EQ(reopened.keepDiagramRange, 1);
    EXPECT_EQ(reopened.resultValid, 0);
    EXPECT_DOUBLE_EQ(reopened.chosenHeight, 10.0);
    EXPECT_DOUBLE_EQ(reopened.chosenSize, 13.0);
    const std::string again = Path("again.kfx");
    ASSERT_TRUE(reopened.SaveCalculationFile(again));
    std::string bytesAgain;
    ASSERT_TRUE(vx::ReadWholeFile(again, bytesAgain));
    EXPECT_TRUE(bytes == bytesAgain);

    ASSERT_TRUE(reopened.OnCalculate());
    EXPECT_TRUE(SamePoints(band, reopened.points));
    // The loaded file's chosen point stays for the first computation.
    EXPECT_DOUBLE_EQ(reopened.chosenHeight, 10.0);
    EXPECT_EQ(reopened.keepDiagramRange, 0);
}

TEST_F(DocTest, SavedBeforeTheFirstDiagramKeepsTheChimney) {
    CVelmoraDocCore doc;
    NewOilDocument(doc);
    CVelmoraDocCore reopened;
    ASSERT_TRUE(reopened.LoadCalculation(doc.StoreCalculation()));
    EXPECT_DOUBLE_EQ(reopened.chimney.diameter.value, 0.13);
    EXPECT_DOUBLE_EQ(reopened.chimney.height.value, 8.0);
    EXPECT_DOUBLE_EQ(reopened.chosenHeight, 8.0);
    EXPECT_DOUBLE_EQ(reopened.chosenSize, 13.0);
}

TEST_F(DocTest, FileOfAnOlderFormatWithoutTrailingItemsComputesPartLoad) {
    CVelmoraDocCore doc;
    NewOilDocument(doc);
    doc.partLoad = 0;
    std::vector<uint8_t> bytes = doc.StoreCalculation();
    bytes.resize(bytes.size() - 8);
    // Format 41 stores every member as 42 does.
    const int32_t older = 41;
    std::memcpy(bytes.data(), &older, 4);
    CVelmoraDocCore old;
    old.partLoad = 0;
    ASSERT_TRUE(old.LoadCalculation(bytes));
    EXPECT_EQ(old.partLoad, 1);
    EXPECT_TRUE(messages.service.shown.empty());
}

TEST_F(DocTest, BrokenFileLeavesTheDocumentAlone) {
    CVelmoraDocCore doc;
    NewOilDocument(doc, "Oleomat 29-2");
    std::vector<uint8_t> good = doc.StoreCalculation();

    CVelmoraDocCore open;
    NewOilDocument(open, "Oleomat 45-2");
    open.remarks.text = "offen";
    const std::vector<uint8_t> before = open.StoreCalculation();
    for (size_t cut : {size_t(0), size_t(3), size_t(20), good.size() / 3, good.size() / 2, good.size() - 9}) {
        messages.service.shown.clear();
        std::vector<uint8_t> truncated(good.begin(), good.begin() + long(cut));
        EXPECT_FALSE(open.LoadCalculation(truncated)) << cut;
        ASSERT_EQ(messages.service.shown.size(), 1u) << cut;
        EXPECT_EQ(open.remarks.text, "offen");
        EXPECT_EQ(open.heatGenerator.typeDesignation.text, "Oleomat 45-2");
    }
    // A string length far beyond the file.
    std::vector<uint8_t> corrupt = good;
    corrupt[4] = 0xFF;
    corrupt[5] = 0xFF;
    corrupt[6] = 0xFF;
    EXPECT_FALSE(open.LoadCalculation(corrupt));
    EXPECT_EQ(open.StoreCalculation(), before);
    EXPECT_EQ(vx::g_FileFormat, vx::kFileFormatCurrent);

    EXPECT_FALSE(open.LoadCalculationFile(Path("missing.kfx")));
}

// Files of the current format cut anywhere in the part-load items, right
// before them included, numbers of formats no reader knows, and a file of
// 2 GB are damage; a newer format says so. The open document stays as it was.
TEST_F(DocTest, CutTrailingItemsForeignFormatsAndHugeFilesAreDamage) {
    CVelmoraDocCore doc;
    NewOilDocument(doc, "Oleomat 29-2");
    doc.partLoad = 0;
    const std::vector<uint8_t> good = doc.StoreCalculation();
    const std::string damaged = vx::PlatformText(vx::IDS_DATEI_BESCHAEDIGT);
    const std::string newer = vx::PlatformText(vx::IDS_DATEI_NEUERE_VERSION);
    std::vector<std::pair<std::vector<uint8_t>, std::string>> broken;
    for (long cut = 1; cut <= 12; ++cut)
        broken.emplace_back(std::vector<uint8_t>(good.begin(), good.end() - cut), damaged);
    for (int32_t format : {0, -1, -42, 43, 100, 999, 1000, 0x7FFFFFFF, INT32_MIN}) {
        broken.emplace_back(good, format > 42 && format < 1000 ? newer : damaged);
        std::memcpy(broken.back().first.data(), &format, 4);
    }
    CVelmoraDocCore open;
    NewOilDocument(open, "Oleomat 45-2");
    open.remarks.text = "offen";
    const std::vector<uint8_t> before = open.StoreCalculation();
    vx::g_FileFormat = 40;
    for (const auto& [bytes, message] : broken) {
        messages.service.shown.clear();
        EXPECT_FALSE(open.LoadCalculation(bytes)) << bytes.size();
        ASSERT_EQ(messages.service.shown.size(), 1u);
        EXPECT_EQ(messages.service.shown[0].text, message) << bytes.size();
        EXPECT_EQ(vx::g_FileFormat, 40);
    }
    const std::string huge = Path("gross.kfx");
    ASSERT_TRUE(vx::MakeSparseFile(huge, int64_t(2) << 30, std::string(good.begin(), good.end())));
    messages.service.shown.clear();
    EXPECT_FALSE(open.LoadCalculationFile(huge));
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_EQ(messages.service.shown[0].text, vx::PlatformText(vx::IDS_DATEI_BESCHAEDIGT));
    EXPECT_EQ(vx::g_FileFormat, 40);
    EXPECT_EQ(open.StoreCalculation(), before);
    vx::RemoveFile(huge);

    // Whole items 12 and 13 read, or none of them in an older format.
    std::vector<uint8_t> old(good.begin(), good.end() - 8);
    const int32_t older = 41;
    std::memcpy(old.data(), &older, 4);
    ASSERT_TRUE(open.LoadCalculation(old));
    EXPECT_EQ(open.partLoad, 1);
    ASSERT_TRUE(open.LoadCalculation(good));
    EXPECT_EQ(open.partLoad, 0);
}

TEST_F(DocTest, DocumentValuesAnswerTheModel) {
    CVelmoraDocCore doc;
    NewOilDocument(doc);
    EXPECT_EQ(doc.GetDocValue(0, 0), 0);
    EXPECT_EQ(doc.GetDocValue(11, 0), 0);
    doc.heatGenerator.fuel.value = 3;
    EXPECT_EQ(doc.GetDocValue(0, 0), 1);
    EXPECT_EQ(doc.GetDocValue(11, 0), 1);
    doc.heatGenerator.condensing = 1;
    EXPECT_EQ(doc.GetDocValue(19, 0), 1);
    doc.chimney.length.value = 9.5;
    doc.chimney.height.value = 8.25;
    doc.chimney.addedLength.value = 0.5;
    EXPECT_EQ(doc.GetDocValue(22, 0), 10000);
    EXPECT_EQ(doc.GetDocValue(23, 0), 8750);
    doc.construction.regime.value = 2;
    doc.construction.kind.value = 3;
    EXPECT_EQ(doc.GetDocValue(15, 0), 1);
    EXPECT_EQ(doc.GetDocValue(1, 0), 1);
    doc.construction.kind.value = 4;
    EXPECT_EQ(doc.GetDocValue(16, 0), 1);
    doc.construction.chimneyShutOff.value = 1;
    doc.construction.setting5.value = 3;
    EXPECT_EQ(doc.GetDocValue(32, 0), 2);
    EXPECT_EQ(doc.GetDocValue(33, 0), 3);
    doc.resultValid = 1;
    g_ResultsValid = 1;
    EXPECT_EQ(doc.GetDocValue(18, 0), 0);
    EXPECT_EQ(doc.resultValid, 0);
    EXPECT_EQ(g_ResultsValid, 0);
    EXPECT_EQ(doc.GetDocValue(50, 0), 0);
    EXPECT_EQ(doc.GetChimneyHead(), &doc.head);
    EXPECT_EQ(doc.GetFlueMassFlow(), &doc.heatGenerator.flueMassFlow.value);
    EXPECT_EQ(doc.GetConstruction(), &doc.construction);
    EXPECT_EQ(doc.GetAirSupplyPressure(), nullptr);
}

TEST_F(DocTest, HandOverWritesTheFileAndStartsAurelia) {
    CVelmoraDocCore doc;
    NewOilDocument(doc);
    EXPECT_FALSE(CVelmoraDocCore::HandOverEnabled());
    const std::string dir = Path("aurelia dir");
    vx::MakeDirs(dir);
    const std::string log = Path("aurelia.log");
    const std::string script = vx::JoinPath(dir, "AURELIA.EXE");
    // The record arrives whole: written beside the log, then renamed onto it.
    vx::WriteFileAtomic(script, "#!/bin/sh\n{ pwd; printf '%s\\n' \"$#\" \"$1\"; } > '" + log + ".tmp' && mv '" + log +
                                    ".tmp' '" + log + "'\n");
    ::chmod(script.c_str(), 0755);
    vx::Profile().WriteString("Aurelia", "INI", dir);
    EXPECT_TRUE(CVelmoraDocCore::HandOverEnabled());

    ASSERT_TRUE(doc.HandOverToAurelia());
    const std::string file = vx::JoinPath(dir, "~uebergabe.kfx");
    std::string written;
    ASSERT_TRUE(vx::ReadWholeFile(file, written));
    EXPECT_EQ(std::vector<uint8_t>(written.begin(), written.end()), doc.StoreCalculation());
    std::string seen;
    ASSERT_TRUE(vx::WaitForFile(log, seen));
    EXPECT_EQ(seen, dir + "\n1\n<AURELIA FORMAT=2 ERZEUGER=\"Velmora\"><BERECHNUNG DATEI=\"" + file +
                        "\"></AURELIA>\n");
    EXPECT_TRUE(messages.service.shown.empty());

    // A folder name with a quote, an ampersand and brackets reaches the receiver as XML text,
    // and one with an umlaut as the file system has it, in UTF-8.
    const std::string odd = Path(vx::PathFromText("B\xFCro \"Nord\" & <Co>"));
    vx::MakeDirs(odd);
    const std::string oddScript = vx::JoinPath(odd, "AURELIA.EXE");
    vx::WriteFileAtomic(oddScript, "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + log + ".2'\n");
    ::chmod(vx::ToFsName(oddScript).c_str(), 0755);
    vx::Profile().WritePath("Aurelia", "INI", odd);
    ASSERT_TRUE(doc.HandOverToAurelia());
    seen.clear();
    for (int i = 0; i < 6000 && seen.find("</AURELIA>\n") == std::string::npos; ++i) {
        ::usleep(10000);
        vx::ReadWholeFile(log + ".2", seen);
    }
    EXPECT_EQ(seen, "<AURELIA FORMAT=2 ERZEUGER=\"Velmora\"><BERECHNUNG DATEI=\"" +
                        Path("B\xC3\xBCro &quot;Nord&quot; &amp; &lt;Co&gt;") +
                        "/~uebergabe.kfx\"></AURELIA>\n");
    vx::Profile().WriteString("Aurelia", "INI", dir);

    // No program there: the message with the system's error code.
    vx::RemoveFile(script);
    EXPECT_FALSE(doc.HandOverToAurelia());
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_EQ(messages.service.shown[0].text.rfind("Aurelia kann nicht gestartet werden (Fehler 2).", 0), 0u);
}

TEST_F(DocTest, CorruptBytesNeverCrashOrChangeTheDocument) {
    CVelmoraDocCore doc;
    NewOilDocument(doc, "Oleomat 29-2");
    const std::vector<uint8_t> good = doc.StoreCalculation();
    CVelmoraDocCore open;
    NewOilDocument(open, "Oleomat 45-2");
    const std::vector<uint8_t> before = open.StoreCalculation();
    int refused = 0;
    for (size_t i = 4; i < good.size(); i += 7) {
        for (uint8_t v : {uint8_t(0xFF), uint8_t(0x80)}) {
            std::vector<uint8_t> bytes = good;
            bytes[i] = v;
            CVelmoraDocCore target;
            if (!target.LoadCalculation(bytes)) ++refused;
        }
        std::vector<uint8_t> bytes = good;
        bytes[i] = 0xFF;
        if (!open.LoadCalculation(bytes)) {
            EXPECT_EQ(open.StoreCalculation(), before) << i;
        } else {
            ASSERT_TRUE(open.LoadCalculation(before));
        }
    }
    EXPECT_GT(refused, 0);
}

TEST_F(DocTest, WalkStopsAtTheLimitWithoutAllQuer) {
    CVelmoraDocCore doc;
    NewOilDocument(doc, "Oleomat 45-2");
    ASSERT_TRUE(doc.OnCalculate());
    double widest = 0;
    for (const DiagramPoint& p : doc.points) widest = std::max(widest, p.largest);
    ASSERT_GT(widest, 30.0);

    vx::Profile().WriteString("Global", "AllQuer", "0");
    doc.StartCrossSection();
    const double limit = doc.limitCrossSection;
    ASSERT_GT(limit, 0);
    ASSERT_TRUE(doc.OnCalculate());
    for (const DiagramPoint& p : doc.points) EXPECT_LE(p.largest, limit * 100 + 1e-9);
    for (const auto& inner : doc.results) EXPECT_LE(inner[0]->sizes[0], limit + 1e-9);
}

TEST_F(DocTest, PositivePressureConnectorFollowsTheChimney) {
    CVelmoraDocCore doc;
    doc.ResetDocument();
    LoadSample(doc, "Oleo Kondens 25", CWrzKatalog::PositionOfFuel(1, 1));
    int system = 17;
    doc.NewSystemType(system, 0, 0);
    std::vector<double> connectorSizes;
    SetCalculationMessagePump([&] { connectorSizes.push_back(doc.connector.diameter.value - doc.chimney.diameter.value); });
    doc.OnCalculate();
    SetCalculationMessagePump(nullptr);
    ASSERT_FALSE(connectorSizes.empty());
    for (double d : connectorSizes) EXPECT_EQ(d, 0.0);
    EXPECT_EQ(doc.moistureText, "-");
}

TEST_F(DocTest, OnlyOnePassingSizeGivesNoLargest) {
    CVelmoraDocCore doc;
    NewOilDocument(doc, "Oleomat 17");
    ASSERT_TRUE(doc.OnCalculate());
    // The sample boiler passes with one size only at the top heights.
    ASSERT_FALSE(doc.points.empty());
    EXPECT_EQ(doc.points.back().largest, -1.0);
    EXPECT_GT(doc.points.back().smallest, 0);
}

TEST_F(DocTest, HandOverIntoAMissingDirectoryStartsNothing) {
    CVelmoraDocCore doc;
    NewOilDocument(doc);
    vx::Profile().WriteString("Aurelia", "INI", Path("nicht da"));
    EXPECT_FALSE(doc.HandOverToAurelia());
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_NE(messages.service.shown[0].text.find("~uebergabe.kfx"), std::string::npos);
}

TEST_F(DocTest, SquareChimneyWalksTheSquareTable) {
    CVelmoraDocCore doc;
    doc.ResetDocument();
    LoadSample(doc, "Oleomat 45-2");
    int system = 1;
    doc.NewSystemType(system, 1, 0);
    ASSERT_TRUE(doc.OnCalculate());
    const std::vector<double>& square = SharedCrossSectionTables().square;
    auto inTable = [&](double cm) {
        for (double v : square)
            if (std::abs(v * 100 - cm) < 1e-9) return true;
        return false;
    };
    for (const DiagramPoint& p : doc.points) {
        EXPECT_TRUE(inTable(p.smallest)) << p.smallest;
        if (p.largest != -1.0) {
            EXPECT_TRUE(inTable(p.largest)) << p.largest;
        }
    }
    EXPECT_EQ(doc.diagram.Shape(), 1);
    EXPECT_EQ(doc.results.front()[0]->shape, 1);
    EXPECT_DOUBLE_EQ(doc.results.front()[0]->sizes[1], square.front());
}
// The band of the sample boiler at 20 m: the sizes that the shared flue
// system's walk finds pass there (10 to 15 cm).
TEST_F(DocTest, BandAtTwentyMetresIsTheSharedWalksSizes) {
    CVelmoraDocCore doc;
    NewOilDocument(doc);
    ASSERT_TRUE(doc.OnCalculate());
    ASSERT_EQ(doc.points.size(), 14u);
    const DiagramPoint& p = doc.points[8];
    EXPECT_EQ(p.height, 20.0);
    EXPECT_EQ(p.smallest, 10.0);
    EXPECT_EQ(p.largest, 15.0);
}
