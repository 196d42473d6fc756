#include "platform/Archive.h"
#include "values/CProjekt.h"
#include "testsupport/values/ValuesTestEnv.h"

#include <cstring>

namespace {

using Projekt = ValuesTest;

void PutCell(vx::Archive& ar, const std::string& text) {
    CWString c;
    c.text = text;
    c.Serialize(ar);
}

std::vector<uint8_t> Store(CProjekt& p) {
    auto ar = vx::Archive::ForStoring();
    p.Serialize(ar);
    return ar.Bytes();
}

void Load(CProjekt& p, std::vector<uint8_t> bytes, int format) {
    vx::g_FileFormat = format;
    auto ar = vx::Archive::ForLoading(std::move(bytes));
    p.Serialize(ar);
    EXPECT_TRUE(ar.AtEnd());
    vx::g_FileFormat = vx::kFileFormatCurrent;
}

void ExpectTexts(const CProjekt& p, std::initializer_list<std::pair<CProjekt::Cell, const char*>> expected) {
    for (const auto& [cell, text] : expected) EXPECT_EQ(p.Text(cell), text) << "cell " << int(cell);
}

TEST_F(Projekt, EmptyRecordAtCurrentFormat) {
    CProjekt p;
    EXPECT_EQ(p.recipientHeight, -99.0);
    EXPECT_EQ(p.siteHeight, -99.0);
    EXPECT_EQ(p.GetName(), "PROJEKT");
    auto bytes = Store(p);
    ASSERT_EQ(bytes.size(), 224u);
    // The recipient's height closes the postcodes: 15 cells of 9 bytes before it.
    double h;
    std::memcpy(&h, bytes.data() + 17 * 9 + 2 * 9, 8);
    EXPECT_EQ(h, -99.0);
}

TEST_F(Projekt, StoringAfterAnOldFileStillWritesTheCurrentFormat) {
    CProjekt p;
    vx::g_FileFormat = 19;
    auto bytes = Store(p);
    vx::g_FileFormat = vx::kFileFormatCurrent;
    EXPECT_EQ(bytes.size(), 224u);
}

TEST_F(Projekt, RoundTripOfEveryCell) {
    CProjekt p;
    for (int i = 0; i < CProjekt::CellCount; ++i) p.cells[i].text = "c" + std::to_string(i);
    p.recipientHeight = 325.5;
    p.siteHeight = 410;
    auto bytes = Store(p);
    CProjekt q;
    q.siteHeight = 12;
    Load(q, bytes, 42);
    for (int i = 0; i < CProjekt::CellCount; ++i) EXPECT_EQ(q.cells[i].text, "c" + std::to_string(i));
    EXPECT_EQ(q.recipientHeight, 325.5);
    EXPECT_EQ(q.siteHeight, 12.0);  // never stored
}

TEST_F(Projekt, Format19SplitsPostcodeFromTown) {
    auto ar = vx::Archive::ForStoring();
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 16, 17, 18, 19, 20})
        PutCell(ar, i == 6 ? "12345 Musterstadt" : i == 19 ? "Dorf" : "t" + std::to_string(i));
    for (int i : {13, 14, 15}) PutCell(ar, "k" + std::to_string(i));
    CProjekt p;
    p.recipientHeight = 100;
    p.siteHeight = 200;
    p.Text(CProjekt::EmpfPlz) = "alt";
    p.Text(CProjekt::StdoPlz) = "alt";
    Load(p, ar.Bytes(), 19);
    ExpectTexts(p, {{CProjekt::EmpfPlz, "12345"}, {CProjekt::EmpfOrt, "Musterstadt"}, {CProjekt::StdoPlz, ""},
                    {CProjekt::StdoOrt, "Dorf"}, {CProjekt::VertragsNr, "k15"}, {CProjekt::Floskel, "t20"}});
    EXPECT_EQ(p.recipientHeight, -99.0);
    EXPECT_EQ(p.siteHeight, -99.0);
}

TEST_F(Projekt, FormatThresholds) {
    // Format 5: only the first fourteen cells.
    auto ar = vx::Archive::ForStoring();
    for (int i = 0; i < 14; ++i) PutCell(ar, "a");
    CProjekt p;
    p.Text(CProjekt::KundenNr) = "keep";
    Load(p, ar.Bytes(), 5);
    EXPECT_EQ(p.Text(CProjekt::KundenNr), "keep");

    // Format 38 has the mobile number but not the contact person.
    auto ar38 = vx::Archive::ForStoring();
    for (int i = 0; i < 17; ++i) PutCell(ar38, "a");
    PutCell(ar38, "plz1");
    PutCell(ar38, "plz2");
    ar38.WriteDouble(5.0);
    for (const char* t : {"dummy", "mail", "url", "handy"}) PutCell(ar38, t);
    CProjekt q;
    q.Text(CProjekt::EmpfAnsprech) = "keep";
    Load(q, ar38.Bytes(), 38);
    ExpectTexts(q, {{CProjekt::Dummy, "dummy"}, {CProjekt::EmpfEmail, "mail"}, {CProjekt::EmpfUrl, "url"},
                    {CProjekt::EmpfHandy, "handy"}, {CProjekt::EmpfAnsprech, "keep"}});
    EXPECT_EQ(q.recipientHeight, 5.0);
}

TEST_F(Projekt, SplitAtFirstBlank) {
    std::string first = "x", text = "12345 Bad Musterstadt";
    SplitAtFirstBlank(first, text);
    EXPECT_EQ(first, "12345");
    EXPECT_EQ(text, "Bad Musterstadt");
    text = "Musterstadt";
    SplitAtFirstBlank(first, text);
    EXPECT_EQ(first, "");
    EXPECT_EQ(text, "Musterstadt");
}

TEST_F(Projekt, RecordText) {
    CProjekt p;
    p.Text(CProjekt::Nummer) = "P-1";
    p.Text(CProjekt::EmpfName1) = "Ofen \"Glut\"";
    p.Text(CProjekt::StdoOrt) = "Musterstadt";
    p.recipientHeight = 325;
    EXPECT_EQ(p.WriteRecord(),
              "<PROJEKTDATEN FORMAT=1 ERZEUGER=\"Velmora\">"
              "<Projekt NUMMER=\"P-1\" BEARBEITER=\"\" DATUM=\"\">"
              "<KUNDE KDNR=\"\" MATCH=\"\" VERTNR=\"\" FLOSKEL=\"\" DUMMY=\"\">"
              "<EMPF NAME1=\"Ofen 'Glut'\" NAME2=\"\" STR=\"\" PLZ=\"\" ORT=\"\" TEL=\"\" FAX=\"\" EMAIL=\"\" "
              "HANDY=\"\" URL=\"\" ANSPRECH=\"\">"
              "<STDO NAME1=\"\" NAME2=\"\" STR=\"\" PLZ=\"\" ORT=\"Musterstadt\">"
              "<GEO EMPF=325.000000 STDO=-99.000000></PROJEKTDATEN>");
}

TEST_F(Projekt, RecordRoundTrip) {
    CProjekt p;
    for (int i = 0; i < CProjekt::CellCount; ++i) p.cells[i].text = "v" + std::to_string(i);
    p.recipientHeight = 12.5;
    p.siteHeight = 700.25;
    CProjekt q;
    q.ReadRecord(p.WriteRecord());
    for (int i = 0; i < CProjekt::CellCount; ++i) EXPECT_EQ(q.cells[i].text, "v" + std::to_string(i)) << i;
    EXPECT_EQ(q.recipientHeight, 12.5);
    EXPECT_EQ(q.siteHeight, 700.25);
}

TEST_F(Projekt, ReadRecordLeavesAbsentCellsAndDefaultsHeights) {
    CProjekt p;
    p.Text(CProjekt::EmpfTel) = "alt";
    p.siteHeight = 400;
    p.ReadRecord("<PROJEKTDATEN><empf name1=\"Neu\"><GEO EMPF=12.5><STDO ORT=\"x\"></PROJEKTDATEN><STDO ORT=\"y\">");
    EXPECT_EQ(p.Text(CProjekt::EmpfName1), "Neu");
    EXPECT_EQ(p.Text(CProjekt::EmpfTel), "alt");
    EXPECT_EQ(p.recipientHeight, 12.5);
    EXPECT_EQ(p.siteHeight, -99.0);
    EXPECT_EQ(p.Text(CProjekt::StdoOrt), "x");
}

TEST_F(Projekt, AssignmentCopiesCellsAndHeights) {
    CProjekt p;
    p.Text(CProjekt::Datum) = "01.02.2008";
    p.recipientHeight = 1;
    p.siteHeight = 2;
    CProjekt q;
    q = p;
    EXPECT_EQ(q.Text(CProjekt::Datum), "01.02.2008");
    EXPECT_EQ(q.recipientHeight, 1.0);
    EXPECT_EQ(q.siteHeight, 2.0);
}

TEST_F(Projekt, GermanNumericLocaleChangesNothing) {
    GermanNumeric de;
    ASSERT_TRUE(de.active());
    CProjekt p;
    p.recipientHeight = 325.5;
    std::string rec = p.WriteRecord();
    EXPECT_NE(rec.find("<GEO EMPF=325.500000 STDO=-99.000000>"), std::string::npos);
    CProjekt q;
    q.ReadRecord(rec);
    EXPECT_EQ(q.recipientHeight, 325.5);
}

TEST(ProjectFileName, FolderPartsAndClimbsAreMadeSafe) {
    const std::pair<const char*, const char*> cases[] = {
        {"2026-17", "2026-17"}, {"a/b", "a-b"}, {"../../etc/passwd", "------etc-passwd"}, {"x\\..\\y", "x----y"},
        {".hidden", "-hidden"}, {"1.2.3", "1.2.3"}, {"", ""}};
    for (const auto& [in, out] : cases) EXPECT_EQ(ProjectFileName(in), out) << in;
}

} // namespace
