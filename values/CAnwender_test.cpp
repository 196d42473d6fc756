#include "values/CAnwender.h"
#include "testsupport/values/ValuesTestEnv.h"

#include "platform/MessageService.h"
#include "testsupport/platform/TestSupport.h"

namespace {

using Anwender = ValuesTest;

const char kEmptyRecord[] =
    "<ANWENDERDATEN FORMAT=1 ERZEUGER=\"Velmora\"><DATEN NAME1=\"\" NAME2=\"\" STR=\"\" PLZORT=\"\" "
    "VERSION=\"2.30\" POSTFACH=\"\" PLZORTPOSTFACH=\"\" TEL=\"\" FAX=\"\" HANDY=\"\" EMAIL=\"\" WWW=\"\" "
    "PFAD=\"\" DATEI=\"anwender.dat\"></ANWENDERDATEN>";

TEST_F(Anwender, EmptyRecordHasEveryAttribute) {
    vx::Profile().WriteString("Global", "Version", "2.30");
    vx::Profile().WriteString("Global", "AnwenderDAT", Path("missing.dat"));
    CAnwender a;
    a.name1 = "stale";
    a.Load();
    EXPECT_EQ(a.name1, "");
    EXPECT_EQ(a.WriteRecord(), kEmptyRecord);
}

TEST_F(Anwender, LoadsTheUserFile) {
    vx::WriteFileAtomic(Path("anwender.dat"),
                        "[Anwender]\r\nName1=Ofenbau M\xFCller\r\nName2=GmbH\r\nStrasse=Hauptstr. 1\r\n"
                        "PLZOrt=12345 Musterstadt\r\nFAX=0123-2\r\nTEL=0123-1\r\neMail=info@example.de\r\n"
                        "WWW=www.example.de\r\nPostfach=PF 7\r\nPlzOrtPostfach=12346 Musterstadt\r\n"
                        "HandyNr=0170-1\r\n");
    CAnwender a;
    a.folder = dir_.string() + "/";
    EXPECT_EQ(a.DefaultPath(), Path("anwender.dat"));
    a.Load();
    EXPECT_EQ(a.version, "1.00");
    EXPECT_EQ(a.name1, "Ofenbau M\xFCller");
    EXPECT_EQ(a.name2, "GmbH");
    EXPECT_EQ(a.street, "Hauptstr. 1");
    EXPECT_EQ(a.plzOrt, "12345 Musterstadt");
    EXPECT_EQ(a.fax, "0123-2");
    EXPECT_EQ(a.telephone, "0123-1");
    EXPECT_EQ(a.email, "info@example.de");
    EXPECT_EQ(a.web, "www.example.de");
    EXPECT_EQ(a.postBox, "PF 7");
    EXPECT_EQ(a.plzOrtPostBox, "12346 Musterstadt");
    EXPECT_EQ(a.mobile, "0170-1");
}

// A user file beyond any sane size is refused with a message: the record
// stays empty, and saving fails without touching the file.
TEST_F(Anwender, OversizedUserFileIsRefusedAndKept) {
    vx::ScopedScriptedMessages messages;
    const std::string head = "[Anwender]\nName1=Ofenbau\n";
    ASSERT_TRUE(vx::MakeSparseFile(Path("gross.dat"), int64_t(vx::kSettingsFileLimit) + 1, head));
    std::string before;
    ASSERT_TRUE(vx::ReadWholeFile(Path("gross.dat"), before));
    vx::Profile().WriteString("Global", "AnwenderDAT", Path("gross.dat"));
    CAnwender a;
    a.name1 = "alt";
    a.Load();
    EXPECT_EQ(a.name1, "");
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_NE(messages.service.shown[0].text.find(Path("gross.dat")), std::string::npos);
    a.name1 = "Neu";
    EXPECT_FALSE(a.Save());
    std::string after;
    ASSERT_TRUE(vx::ReadWholeFile(Path("gross.dat"), after));
    EXPECT_TRUE(after == before);
}

TEST_F(Anwender, LongValuesAreCut) {
    vx::WriteFileAtomic(Path("u.dat"), "[Anwender]\nName1=" + std::string(300, 'x') + "\n");
    vx::Profile().WriteString("Global", "AnwenderDAT", Path("u.dat"));
    CAnwender a;
    a.Load();
    EXPECT_EQ(a.name1, std::string(255, 'x'));
}

TEST_F(Anwender, RecordRoundTripWithQuotes) {
    CAnwender a;
    a.name1 = "Firma \"Kamin\"";
    a.telephone = "0123";
    a.folder = "/home/x";
    a.version = "2.30";
    std::string rec = a.WriteRecord();
    EXPECT_NE(rec.find("NAME1=\"Firma 'Kamin'\""), std::string::npos);
    CAnwender b;
    b.ReadRecord(rec);
    EXPECT_EQ(b.name1, "Firma 'Kamin'");
    EXPECT_EQ(b.telephone, "0123");
    EXPECT_EQ(b.folder, "/home/x");
    EXPECT_EQ(b.version, "2.30");
    EXPECT_EQ(b.fileName, "anwender.dat");
}

TEST_F(Anwender, ReadRecordKeepsWhatIsAbsentAndStopsAtBadTags) {
    CAnwender a;
    a.telephone = "alt";
    a.fax = "alt";
    a.ReadRecord("<ANWENDERDATEN FORMAT=1><X NAME1=\"no\"><daten name1=\"Neu\" fax=\"9\"></ANWENDERDATEN>"
                 "<DATEN NAME2=\"after end\">");
    EXPECT_EQ(a.name1, "Neu");
    EXPECT_EQ(a.fax, "9");
    EXPECT_EQ(a.telephone, "alt");
    EXPECT_EQ(a.name2, "");

    CAnwender b;
    b.ReadRecord("<ANWENDERDATEN/><DATEN NAME1=\"x\">");
    EXPECT_EQ(b.name1, "");
    EXPECT_EQ(b.GetName(), "");
    std::string msg;
    EXPECT_EQ(b.CheckInputs(msg, nullptr), 1);
}

TEST_F(Anwender, SaveWritesTheElevenKeysInOrder) {
    CAnwender a;
    a.folder = dir_.string();  // without the trailing separator
    a.fileName = "firma.dat";
    a.name1 = "Ofenbau M\xFCller";
    a.name2 = "GmbH";
    a.street = "Hauptstr. 1";
    a.plzOrt = "12345 Musterstadt";
    a.fax = "0123-2";
    a.telephone = "0123-1";
    a.email = "info@example.de";
    a.web = "www.example.de";
    a.postBox = "PF 7";
    a.plzOrtPostBox = "12346 Musterstadt";
    a.mobile = "0170-1";
    ASSERT_TRUE(a.Save());
    vx::IniFile file(Path("firma.dat"));
    EXPECT_EQ(file.Keys("Anwender"),
              (std::vector<std::string>{"Name1", "Name2", "Strasse", "PLZOrt", "FAX", "TEL", "eMail", "WWW",
                                        "Postfach", "PlzOrtPostfach", "HandyNr"}));
    // What Save writes, Load reads back.
    vx::Profile().WriteString("Global", "AnwenderDAT", Path("firma.dat"));
    CAnwender b;
    b.Load();
    EXPECT_EQ(b.name1, a.name1);
    EXPECT_EQ(b.plzOrtPostBox, a.plzOrtPostBox);
    EXPECT_EQ(b.mobile, a.mobile);
}

TEST_F(Anwender, SaveFollowsTheProfilesFileName) {
    vx::Profile().WriteString("Global", "AnwenderDAT", Path("other.dat"));
    CAnwender a;
    a.folder = dir_.string() + "/";
    a.name1 = "Nord";
    ASSERT_TRUE(a.Save());
    EXPECT_FALSE(vx::FileExists(Path("anwender.dat")));
    EXPECT_EQ(vx::IniFile(Path("other.dat")).GetString("Anwender", "Name1"), "Nord");
}

} // namespace
