#include "tarsilo/TarsiloHandOver.h"

#include "testsupport/model/ModelTestEnv.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "testsupport/platform/TestSupport.h"
#include "tarsilo/CTarsiloDocCore.h"
#include "tarsilo/TarsiloFile.h"
#include "velmora/CVelmoraDocCore.h"
#include "velmora/shared/CWrzKatalogWaerme.h"
#include "tarsilo/TarsiloProgram.h"
#include "testsupport/velmora/SampleDataTestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct SampleGenerator {
    std::string type;
    int64_t offset = -1;
    double output = 0, outlet = 0;
};

class HandOverTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        vx::Profile().WriteString("Datenbank", "Pfad", vx::JoinPath(SourceDir(), "data"));
        previous_ = Program();
        UseTarsiloProgram();
        LoadProgramStrings();
        FindSamples();
    }

    void TearDown() override {
        UseProgram(previous_);
        ModelTest::TearDown();
    }

    // Two oil heat generators of the sample catalogue, one below 30 kW and
    // one from 30 kW, with different outlets.
    void FindSamples() {
        CWrzKatalog katalog(vx::JoinPath(SourceDir(), "data"));
        for (const WrzManufacturer& m : katalog.ReadManufacturers(1))
            for (const WrzType& t : katalog.ReadTypes(m.offset)) {
                CWaerme w;
                int64_t at = t.offset;
                if (LoadHeatGenerator(katalog, w, at, {}, CWrzKatalog::OpenOperation::Closed) != CWrzKatalog::kLoaded)
                    continue;
                SampleGenerator g{t.typeDesignation, t.offset, w.output.value, w.outletDiameter.value};
                if (g.output < 30 && small.offset < 0) small = g;
                if (g.output >= 30 && large.offset < 0 && small.offset >= 0 && g.outlet != small.outlet) large = g;
            }
        ASSERT_GE(small.offset, 0);
        ASSERT_GE(large.offset, 0);
    }

    void NewDocument(CTarsiloDocCore& doc, int system) {
        doc.fuelIndex = 1;
        doc.shape = 0;
        doc.NewSystemType(system, 0, 0);
        doc.system = system;
        doc.chimney.length.value = doc.chimney.height.value = 9;
        doc.effectiveHeight.value = 9;
    }

    static AssignmentRow Row(const SampleGenerator& g, const std::string& section) {
        AssignmentRow row;
        row.columns[AssignmentRow::Section] = section;
        row.columns[AssignmentRow::Type] = g.type;
        row.columns[AssignmentRow::Offset] = std::to_string(g.offset);
        return row;
    }

    SampleGenerator small, large;
    ProgramDescription previous_;
    vx::ScopedScriptedMessages messages;
};

// The hand-over file as the main program reads it.
void ReadInVelmora(const std::vector<uint8_t>& bytes, CVelmoraDocCore& velmora) {
    ASSERT_TRUE(velmora.LoadCalculation(bytes));
}

} // namespace

TEST_F(HandOverTest, TheChosenRowsChimneyReachesTheMainProgram) {
    CTarsiloDocCore doc;
    NewDocument(doc, 1);
    // The last computation left another generator and section in the document.
    int64_t at = large.offset;
    ASSERT_EQ(LoadHeatGenerator(doc.catalogue, doc.heatGenerator, at, {}, CWrzKatalog::OpenOperation::Closed),
              CWrzKatalog::kLoaded);
    doc.chimney.diameter.value = 0.25;
    doc.room.airSupplyPressure.value = 3;
    doc.partLoad = 0;

    struct Case {
        const SampleGenerator* g;
        const char* section;
        double d, pressure;
    } cases[] = {{&small, "0.140", 0.14, 4.0}, {&large, "0.180", 0.18, 3.0}};
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes;
        ASSERT_EQ(TarsiloHandOver::Bytes(doc, Row(*c.g, c.section), bytes), TarsiloHandOver::Written);
        CVelmoraDocCore velmora;
        ReadInVelmora(bytes, velmora);
        EXPECT_EQ(velmora.heatGenerator.typeDesignation.text, c.g->type);
        EXPECT_EQ(velmora.chimney.diameter.value, c.d);
        EXPECT_EQ(velmora.chimney.height.value, 9);
        EXPECT_EQ(velmora.connector.diameter.value, c.g->outlet);
        EXPECT_EQ(velmora.room.airSupplyPressure.value, c.pressure);
        EXPECT_EQ(velmora.room.airSupplyMode, c.pressure == 4.0 ? 1 : 0);
        // The file ends with the part-load items, as the main program's own files do.
        EXPECT_EQ(velmora.partLoad, 0);
    }
    // The document keeps what its computation left.
    EXPECT_EQ(doc.chimney.diameter.value, 0.25);
    EXPECT_EQ(doc.heatGenerator.typeDesignation.text, large.type);
}

TEST_F(HandOverTest, UnderPositivePressureTheConnectorTakesTheChimneysSection) {
    CTarsiloDocCore doc;
    NewDocument(doc, 17);
    ASSERT_EQ(doc.construction.Regime(), CAufBauE::Positive);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(TarsiloHandOver::Bytes(doc, Row(small, "0.110"), bytes), TarsiloHandOver::Written);
    CVelmoraDocCore velmora;
    ReadInVelmora(bytes, velmora);
    EXPECT_EQ(velmora.chimney.diameter.value, 0.11);
    EXPECT_EQ(velmora.connector.diameter.value, 0.11);
}

TEST_F(HandOverTest, ARowFromAFileAsksForANewComputation) {
    CTarsiloDocCore doc;
    NewDocument(doc, 1);
    doc.rows.push_back(Row(small, "0.140"));
    std::vector<uint8_t> stored = TarsiloFile::StoreBytes(doc);
    CTarsiloDocCore reopened;
    ASSERT_TRUE(TarsiloFile::Load(reopened, stored));
    vx::Profile().WriteString("Aurelia", "INI", Path("nirgends"));
    EXPECT_TRUE(TarsiloHandOver::Enabled(reopened, 0));
    EXPECT_FALSE(TarsiloHandOver::Enabled(reopened, 1));
    EXPECT_FALSE(TarsiloHandOver::Enabled(reopened, -1));
    EXPECT_FALSE(TarsiloHandOver::Run(reopened, 0));
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_EQ(messages.service.shown[0].text, "Klicken Sie bitte auf <Mach Et>.\nDanach kann Aurelia gestartet werden.");
}

TEST_F(HandOverTest, WritesIntoTheCurrentDirectoryAndStartsAurelia) {
    CTarsiloDocCore doc;
    NewDocument(doc, 1);
    doc.rows.push_back(Row(small, "0.140"));
    const std::string work = Path("arbeit");
    const std::string dir = Path("aurelia dir");
    vx::MakeDirs(work);
    vx::MakeDirs(dir);
    const std::string log = Path("aurelia.log");
    const std::string program = vx::JoinPath(dir, "AURELIA.EXE");
    // The record arrives whole: written beside the log, then renamed onto it.
    vx::WriteFileAtomic(program, "#!/bin/sh\n{ pwd; printf '%s\\n' \"$#\" \"$1\"; } > '" + log + ".tmp' && mv '" + log +
                                     ".tmp' '" + log + "'\n");
    ::chmod(program.c_str(), 0755);
    EXPECT_FALSE(TarsiloHandOver::Enabled(doc, 0));
    vx::Profile().WriteString("Aurelia", "INI", dir);
    EXPECT_FALSE(TarsiloHandOver::Enabled(doc, -1));
    EXPECT_TRUE(TarsiloHandOver::Enabled(doc, 0));

    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(work);
    const bool started = TarsiloHandOver::Run(doc, 0);
    std::filesystem::current_path(previous);
    ASSERT_TRUE(started);
    const std::string file = vx::JoinPath(work, "~uebergabe.kfx");
    std::string written;
    ASSERT_TRUE(vx::ReadWholeFile(file, written));
    std::vector<uint8_t> expected;
    ASSERT_EQ(TarsiloHandOver::Bytes(doc, doc.rows[0], expected), TarsiloHandOver::Written);
    EXPECT_EQ(std::vector<uint8_t>(written.begin(), written.end()), expected);
    EXPECT_FALSE(vx::FileExists(vx::JoinPath(dir, "~uebergabe.kfx")));

    // The started program reports through its log; waited for, not timed.
    std::string seen;
    ASSERT_TRUE(vx::WaitForFile(log, seen));
    EXPECT_EQ(seen, dir + "\n1\n<AURELIA FORMAT=2 ERZEUGER=\"Tarsilo\"><BERECHNUNG DATEI=\"" + file +
                        "\"></AURELIA>\n");
    EXPECT_TRUE(messages.service.shown.empty());

    // No program there: its path and the message.
    vx::RemoveFile(program);
    std::filesystem::current_path(work);
    const bool again = TarsiloHandOver::Run(doc, 0);
    std::filesystem::current_path(previous);
    EXPECT_FALSE(again);
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_EQ(messages.service.shown[0].text, program + " kann nicht gestartet werden.");
}

TEST_F(HandOverTest, ARowOfAComputationHandsOverItsOwnChimney) {
    UseTarsiloModel();
    CTarsiloDocCore doc;
    TarsiloDocValues values([](void* d) { return static_cast<CTarsiloDocCore*>(d); }, &doc);
    SetDocValueSource(&values);
    doc.catalogue.SetReportProblems(false);
    doc.fuelIndex = 1;
    doc.shape = 0;
    doc.system = 1;
    doc.ApplySystem();
    doc.effectiveHeight.value = 8;
    for (const WrzManufacturer& m : doc.catalogue.ReadManufacturers(1)) doc.manufacturers.push_back({m.name, m.offset, true});
    doc.ComputeAssignmentTable();
    SetDocValueSource(nullptr);
    ASSERT_GE(doc.rows.size(), 2u);
    // The first row computed lies at the bottom; the document holds the last one's chimney.
    const AssignmentRow& row = doc.rows.back();
    ASSERT_NE(row.columns[AssignmentRow::Section] + row.columns[AssignmentRow::Type],
              doc.rows.front().columns[AssignmentRow::Section] + doc.rows.front().columns[AssignmentRow::Type]);

    std::vector<uint8_t> bytes;
    ASSERT_EQ(TarsiloHandOver::Bytes(doc, row, bytes), TarsiloHandOver::Written);
    CVelmoraDocCore velmora;
    ReadInVelmora(bytes, velmora);
    EXPECT_EQ(velmora.heatGenerator.typeDesignation.text, row.columns[AssignmentRow::Type]);
    EXPECT_EQ(vx::Format("%.3f", velmora.chimney.diameter.value), row.columns[AssignmentRow::Section]);
    EXPECT_EQ(velmora.chimney.height.value, 8);
}
