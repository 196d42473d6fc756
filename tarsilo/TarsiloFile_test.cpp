#include "tarsilo/TarsiloFile.h"

#include "testsupport/model/ModelTestEnv.h"
#include "platform/Archive.h"
#include "platform/MessageService.h"
#include "platform/PlatformText.h"
#include "testsupport/platform/TestSupport.h"
#include "tarsilo/CTarsiloDocCore.h"
#include "testsupport/velmora/SampleDataTestEnv.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <tuple>

namespace {

class TarsiloFileTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        vx::Profile().WriteString("Datenbank", "Pfad", SampleData());
    }

    // A document as a computation leaves it: gas, two of its manufacturers
    // selected, three rows in list order.
    void Fill(CTarsiloDocCore& doc) {
        doc.fuelIndex = 2;
        doc.fuelName = "Erdgas Brenner mit Gebläse";
        doc.shape = 0;
        int system = 1;
        doc.NewSystemType(system, 0, 0);
        doc.system = system;
        doc.outputFrom.value = 15;
        doc.outputTo.value = 40;
        doc.effectiveHeight.value = 9.5;
        doc.remarks.text = "Bemerkung";
        doc.project.Text(CProjekt::Nummer) = "P-17";
        doc.partLoad = 0;
        doc.manufacturers.clear();
        for (const WrzManufacturer& m : doc.catalogue.ReadManufacturers(2))
            doc.manufacturers.push_back({m.name, m.offset, false});
        ASSERT_GE(doc.manufacturers.size(), 2u);
        doc.manufacturers[0].selected = true;
        doc.manufacturers.back().selected = true;
        doc.rows.clear();
        for (const char* section : {"0.130", "0.140", "0.150"}) {
            AssignmentRow row;
            row.columns[AssignmentRow::Section] = section;
            row.columns[AssignmentRow::Manufacturer] = doc.manufacturers[0].name;
            row.columns[AssignmentRow::Type] = std::string("Typ ") + section;
            row.columns[AssignmentRow::Output] = " 15.0 -  22.0";
            row.columns[AssignmentRow::Offset] = "1234";
            doc.rows.push_back(row);
        }
    }

    vx::ScopedScriptedMessages messages;
};

// The bytes of a file with the first six items given and the rest of a stored file.
std::vector<uint8_t> WithHead(const std::vector<uint8_t>& stored, int32_t fuel, int32_t shape, int32_t system) {
    vx::Archive ar = vx::Archive::ForLoading(stored);
    int32_t format = ar.ReadInt32(), oldFuel = ar.ReadInt32();
    (void)oldFuel;
    const std::string name = ar.ReadString();
    ar.ReadInt32();
    ar.ReadInt32();
    const size_t rest = ar.Position();
    vx::Archive out = vx::Archive::ForStoring();
    out << format << fuel << name << shape << system;
    out.WriteBytes(stored.data() + rest, stored.size() - rest);
    return out.Bytes();
}

} // namespace

TEST_F(TarsiloFileTest, SavedReopenedAndSavedAgainIsByteIdentical) {
    CTarsiloDocCore doc;
    Fill(doc);
    doc.manufacturers.push_back({"Nicht mehr im Katalog", 5, true});
    const std::vector<uint8_t> first = TarsiloFile::StoreBytes(doc);
    CTarsiloDocCore reopened;
    ASSERT_TRUE(TarsiloFile::Load(reopened, first));
    doc.manufacturers.pop_back();
    reopened.manufacturers.push_back({"Nicht mehr im Katalog", 5, true});
    EXPECT_EQ(TarsiloFile::StoreBytes(reopened), first);
    EXPECT_TRUE(messages.service.shown.empty());

    // The selection by name (a name the catalogue lost stays out), the rows
    // in list order without their catalogue offsets, the part-load flag.
    EXPECT_EQ(reopened.fuelName, "Erdgas Brenner mit Gebläse");
    EXPECT_EQ(reopened.effectiveHeight.value, 9.5);
    EXPECT_EQ(reopened.partLoad, 0);
    ASSERT_EQ(reopened.manufacturers.size(), doc.manufacturers.size() + 1);
    for (size_t i = 0; i < doc.manufacturers.size(); ++i)
        EXPECT_EQ(reopened.manufacturers[i].selected, doc.manufacturers[i].selected) << i;
    ASSERT_EQ(reopened.rows.size(), 3u);
    EXPECT_EQ(reopened.rows[0].columns[AssignmentRow::Section], "0.130");
    EXPECT_EQ(reopened.rows[2].columns[AssignmentRow::Section], "0.150");
    for (const AssignmentRow& row : reopened.rows) EXPECT_EQ(row.columns[AssignmentRow::Offset], "-1");

}

TEST_F(TarsiloFileTest, LayoutOfTheLeadingAndTrailingItems) {
    CTarsiloDocCore doc;
    Fill(doc);
    doc.manufacturers.clear();
    doc.rows.resize(1);
    const std::vector<uint8_t> bytes = TarsiloFile::StoreBytes(doc);
    std::vector<uint8_t> head = {42, 0, 0, 0, 2, 0, 0, 0, 26};
    for (char c : std::string("Erdgas Brenner mit Gebl\xE4se")) head.push_back(uint8_t(c));
    head.insert(head.end(), {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_GT(bytes.size(), head.size() + 8);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + head.size()), head);
    // ... then no manufacturer, one row of four columns, 2 and the part-load flag.
    const AssignmentRow& row = doc.rows[0];
    std::vector<uint8_t> tail = {0, 0, 0, 0, 1, 0, 0, 0};
    for (int c = 0; c < 4; ++c) {
        tail.push_back(uint8_t(row.columns[c].size()));
        tail.insert(tail.end(), row.columns[c].begin(), row.columns[c].end());
    }
    tail.insert(tail.end(), {2, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - long(tail.size()), bytes.end()), tail);
}

TEST_F(TarsiloFileTest, DamagedFilesLeaveTheOpenDocumentAlone) {
    CTarsiloDocCore doc;
    Fill(doc);
    const std::vector<uint8_t> stored = TarsiloFile::StoreBytes(doc);
    // Positions outside their lists (fuel -1..12, shape 0..3, system -1..20) ...
    std::vector<std::vector<uint8_t>> broken;
    for (auto [fuel, shape, system] : {std::tuple{13, 0, 1}, {-2, 0, 1}, {2, 4, 1}, {2, -1, 1}, {2, 0, 21}, {2, 0, -2}})
        broken.push_back(WithHead(stored, fuel, shape, system));
    // ... files cut inside items 1 to 14, a huge and a negative row count.
    for (size_t n : {size_t(3), size_t(20), stored.size() / 2, stored.size() - 9})
        broken.emplace_back(stored.begin(), stored.begin() + long(n));
    const size_t rowCountAt = stored.size() - 8 - 3 * (6 + 1 + doc.manufacturers[0].name.size() + 10 + 14) - 4;
    ASSERT_EQ(stored[rowCountAt], 3);
    for (int32_t count : {0x7FFFFFFF, -1}) {
        broken.push_back(stored);
        std::memcpy(&broken.back()[rowCountAt], &count, 4);
    }

    CTarsiloDocCore open;
    Fill(open);
    open.fuelName = "offen";
    const std::vector<uint8_t> before = TarsiloFile::StoreBytes(open);
    for (const auto& bytes : broken) {
        messages.service.shown.clear();
        EXPECT_FALSE(TarsiloFile::Load(open, bytes)) << bytes.size();
        ASSERT_EQ(messages.service.shown.size(), 1u);
        EXPECT_EQ(messages.service.shown[0].text, vx::PlatformText(vx::IDS_DATEI_BESCHAEDIGT));
        EXPECT_EQ(TarsiloFile::StoreBytes(open), before);
        EXPECT_EQ(open.rows[0].columns[AssignmentRow::Offset], "1234");
    }
    // The ends of the lists are positions.
    for (auto [fuel, shape, system] : {std::tuple{-1, 0, -1}, {12, 3, 20}})
        EXPECT_TRUE(TarsiloFile::Load(open, WithHead(stored, fuel, shape, system)));
}

// Files cut anywhere in the part-load items, right before them included
// (the program has always written them), any format number but the one the
// program writes, and a file of 2 GB are damage; a newer format says so.
TEST_F(TarsiloFileTest, CutTrailingItemsForeignFormatsAndHugeFilesAreDamage) {
    CTarsiloDocCore doc;
    Fill(doc);
    const std::vector<uint8_t> stored = TarsiloFile::StoreBytes(doc);
    const std::string damaged = vx::PlatformText(vx::IDS_DATEI_BESCHAEDIGT);
    const std::string newer = vx::PlatformText(vx::IDS_DATEI_NEUERE_VERSION);
    std::vector<std::pair<std::vector<uint8_t>, std::string>> broken;
    for (long cut = 1; cut <= 12; ++cut)
        broken.emplace_back(std::vector<uint8_t>(stored.begin(), stored.end() - cut), damaged);
    for (int32_t format : {0, 1, 41, 43, 100, 999, 1000, 0x7FFFFFFF, -1, INT32_MIN}) {
        broken.emplace_back(stored, format > 42 && format < 1000 ? newer : damaged);
        std::memcpy(broken.back().first.data(), &format, 4);
    }
    CTarsiloDocCore open;
    Fill(open);
    open.fuelName = "offen";
    const std::vector<uint8_t> before = TarsiloFile::StoreBytes(open);
    vx::g_FileFormat = 40;
    for (const auto& [bytes, message] : broken) {
        messages.service.shown.clear();
        EXPECT_FALSE(TarsiloFile::Load(open, bytes)) << bytes.size();
        ASSERT_EQ(messages.service.shown.size(), 1u);
        EXPECT_EQ(messages.service.shown[0].text, message) << bytes.size();
        EXPECT_EQ(vx::g_FileFormat, 40);
        EXPECT_EQ(open.rows[0].columns[AssignmentRow::Offset], "1234");
    }
    const std::string huge = Path("gross.kbv");
    ASSERT_TRUE(
        vx::MakeSparseFile(huge, int64_t(2) << 30, std::string(stored.begin(), stored.end())));
    messages.service.shown.clear();
    EXPECT_FALSE(TarsiloFile::LoadFile(open, huge));
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_EQ(messages.service.shown[0].text, vx::PlatformText(vx::IDS_DATEI_BESCHAEDIGT));
    EXPECT_EQ(vx::g_FileFormat, 40);
    EXPECT_EQ(TarsiloFile::StoreBytes(open), before);
    vx::RemoveFile(huge);

    open.partLoad = 1;
    ASSERT_TRUE(TarsiloFile::Load(open, stored));
    EXPECT_EQ(open.partLoad, 0);
}

TEST_F(TarsiloFileTest, ReopenedInputsKeepTheirFieldsUnitsAndLimits) {
    CTarsiloDocCore doc;
    Fill(doc);
    const std::vector<uint8_t> stored = TarsiloFile::StoreBytes(doc);
    CTarsiloDocCore fresh, reopened;
    ASSERT_TRUE(TarsiloFile::Load(reopened, stored));
    CWDouble* before[5] = {&fresh.outputFrom, &fresh.outputTo, &fresh.effectiveHeight, &fresh.sectionSize,
                           &fresh.secondSide};
    CWDouble* after[5] = {&reopened.outputFrom, &reopened.outputTo, &reopened.effectiveHeight,
                          &reopened.sectionSize, &reopened.secondSide};
    const uint16_t fields[5] = {1001, 1002, 1003, 1019, 1020};
    for (int i = 0; i < 5; ++i) {
        // The form finds each field by its id; the unit and the range stay the document's.
        EXPECT_EQ(after[i]->valueId, fields[i]) << i;
        EXPECT_EQ(after[i]->valueId, before[i]->valueId) << i;
        EXPECT_EQ(after[i]->internalUnit, before[i]->internalUnit) << i;
        EXPECT_EQ(after[i]->minimum, before[i]->minimum) << i;
        EXPECT_EQ(after[i]->maximum, before[i]->maximum) << i;
    }
    std::string shown;
    reopened.effectiveHeight.GetText(shown, false);
    EXPECT_EQ(shown, "9,5");
    reopened.outputTo.GetText(shown, false);
    EXPECT_EQ(shown, "40");
}
