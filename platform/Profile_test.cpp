#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/Profile.h"
#include "testsupport/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace vx {
namespace {

class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = scratch_.Path();
        ASSERT_FALSE(dir_.empty());
    }
    std::string Write(const std::string& name, const std::string& text) {
        std::string p = JoinPath(dir_, name);
        EXPECT_TRUE(WriteFileAtomic(p, text));
        return p;
    }
    std::string Read(const std::string& p) {
        std::string t;
        EXPECT_TRUE(ReadWholeFile(p, t));
        return t;
    }
    ScratchDir scratch_{"vxprof"};
    std::string dir_;
};

using IniTest = TempDirTest;

TEST_F(IniTest, PathsAreStoredInTheCodePageWhereTheyFitElseAsBytes) {
    const std::string p = Write("pfade.ini", "[Datenbank]\r\nAlt=/home/m\xFCller/Daten\r\n");
    IniFile ini(p);
    // An older start's path in code page 1252 is the UTF-8 name on the disk.
    EXPECT_EQ(ini.GetPath("Datenbank", "Alt"), "/home/m\xC3\xBCller/Daten");
    EXPECT_EQ(ini.GetPath("Datenbank", "Fehlt", "/vorgabe/\xC5\x82"), "/vorgabe/\xC5\x82");
    EXPECT_TRUE(ini.WritePath("Datenbank", "Umlaut", "/home/m\xC3\xBCller"));
    EXPECT_TRUE(ini.WritePath("Datenbank", "Polnisch", "/home/\xC5\x82ukasz"));
    const std::string text = Read(p);
    EXPECT_NE(text.find("Umlaut=/home/m\xFCller\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Polnisch=/home/\xC5\x82ukasz\r\n"), std::string::npos) << text;
    IniFile again(p);
    EXPECT_EQ(again.GetPath("Datenbank", "Umlaut"), "/home/m\xC3\xBCller");
    EXPECT_EQ(again.GetPath("Datenbank", "Polnisch"), "/home/\xC5\x82ukasz");
    // A text stays text.
    EXPECT_EQ(again.GetString("Datenbank", "Umlaut"), "/home/m\xFCller");
}

TEST_F(IniTest, ReadsWithTheProfileRules) {
    std::string p = Write("kehr.ini",
                          "; Kommentar\r\n"
                          "vorher=ohne Abschnitt\r\n"
                          "[Kehrbezirk]\r\n"
                          "  Name  =  Bezirk 7  \r\n"
                          "name=zweiter Eintrag\r\n"
                          "Pfad=\"  C:\\kehr  \"\r\n"
                          "Leer=\r\n"
                          "Zahl= 42abc\r\n"
                          "Neg=-5\r\n"
                          "[kehrbezirk]\r\n"
                          "Name=zweiter Abschnitt\r\n"
                          "[Global]\r\n"
                          "GeoHöhe=325,5");  // no trailing newline
    IniFile ini(p);
    EXPECT_EQ(ini.GetString("KEHRBEZIRK", "name"), "Bezirk 7");  // trimmed, first key, first section
    EXPECT_EQ(ini.GetString("Kehrbezirk", "Pfad"), "  C:\\kehr  ");  // quotes dropped, inside kept
    EXPECT_EQ(ini.GetString("Kehrbezirk", "Leer", "x"), "");        // present but empty
    EXPECT_EQ(ini.GetString("Kehrbezirk", "Fehlt", " vorgabe "), "vorgabe");
    EXPECT_EQ(ini.GetString("Fehlt", "Name", "d"), "d");
    EXPECT_EQ(ini.GetString("", "vorher", "d"), "d");  // keys before any section belong to none
    EXPECT_EQ(ini.GetInt("Kehrbezirk", "Zahl", 0), 42);
    EXPECT_EQ(ini.GetInt("Kehrbezirk", "Neg", 0), -5);
    EXPECT_EQ(ini.GetInt("Kehrbezirk", "Leer", 7), 0);
    EXPECT_EQ(ini.GetInt("Kehrbezirk", "Fehlt", 7), 7);
    EXPECT_EQ(ini.GetString("GLOBAL", "GEOHÖHE"), "325,5");  // case folding of umlauts, last line read
    EXPECT_EQ(ini.Keys("Kehrbezirk"), (std::vector<std::string>{"Name", "name", "Pfad", "Leer", "Zahl", "Neg"}));
    EXPECT_EQ(ini.Sections().size(), 3u);
}

TEST_F(IniTest, ParsesTextWithoutAFile) {
    IniFile ini = IniFile::FromText("[INNENTAB]\nR1=0,15\nR2=0.12\n\nR3=0.2\n");
    EXPECT_EQ(ini.GetString("innentab", "R2"), "0.12");
    EXPECT_EQ(ini.GetString("innentab", "R3"), "0.2");
    EXPECT_EQ(ini.Keys("INNENTAB").size(), 3u);
}

TEST_F(IniTest, WritesKeepTheRestOfTheFile) {
    std::string p = Write("anwender.dat", "[Anwender]\r\nName=Alt\r\nOrt=Musterstadt\r\n\r\n[Andere]\r\nx=1\r\n");
    IniFile ini(p);
    ASSERT_TRUE(ini.WriteString("ANWENDER", "name", "Neu GmbH"));
    ASSERT_TRUE(ini.WriteString("Anwender", "Tel", "0123"));
    ASSERT_TRUE(ini.WriteInt("Neu", "Zahl", -3));
    EXPECT_EQ(Read(p),
              "[Anwender]\r\nName=Neu GmbH\r\nOrt=Musterstadt\r\nTel=0123\r\n\r\n[Andere]\r\nx=1\r\n\r\n"
              "[Neu]\r\nZahl=-3\r\n");
    ASSERT_TRUE(ini.DeleteKey("Anwender", "Ort"));
    EXPECT_EQ(IniFile(p).GetString("Anwender", "Ort", "weg"), "weg");
    EXPECT_EQ(IniFile(p).GetString("Anwender", "Name"), "Neu GmbH");
}

TEST_F(IniTest, NewFileAndMissingDirectory) {
    IniFile ini(JoinPath(dir_, "neu.ini"));
    EXPECT_EQ(ini.GetString("Global", "Version", "-"), "-");
    ASSERT_TRUE(ini.WriteString("Global", "Version", "2.30"));
    EXPECT_EQ(Read(JoinPath(dir_, "neu.ini")), "[Global]\nVersion=2.30\n");
    IniFile nowhere(JoinPath(dir_, "fehlt/x.ini"));
    EXPECT_FALSE(nowhere.WriteString("a", "b", "c"));
    EXPECT_EQ(nowhere.GetString("a", "b", "d"), "d");
}

TEST_F(IniTest, SeesWhatAnotherWriterLeft) {
    std::string p = JoinPath(dir_, "geteilt.ini");
    IniFile a(p), b(p);
    ASSERT_TRUE(a.WriteString("Global", "LstPrj", "eins"));
    EXPECT_EQ(b.GetString("Global", "LstPrj"), "eins");
    ASSERT_TRUE(b.WriteString("Global", "LstPrj", "zwei"));
    EXPECT_EQ(a.GetString("Global", "LstPrj"), "zwei");

    // Another process writes too.
    pid_t pid = fork();
    if (pid == 0) {
        IniFile c(p);
        _exit(c.WriteString("Global", "Von", "Kind") ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(a.GetString("Global", "Von"), "Kind");
    EXPECT_EQ(a.GetString("Global", "LstPrj"), "zwei");
}

// A snapshot reads as the file was when it was taken, with the same rules.
TEST_F(IniTest, SnapshotKeepsTheFileAsItWas) {
    std::string p = Write("profil.ini", "[Grunddaten]\nGeoHoehe = \"400\"\n[grunddaten]\nGeoHoehe=1\n");
    IniFile file(p);
    const IniFile snapshot = file.Snapshot();
    ASSERT_TRUE(file.WriteString("Grunddaten", "GeoHoehe", "500"));
    EXPECT_EQ(snapshot.GetString("GRUNDDATEN", "geohoehe", "325"), "400");
    EXPECT_EQ(snapshot.GetString("Grunddaten", "Tl0", "15.0"), "15.0");
    EXPECT_EQ(file.GetString("Grunddaten", "GeoHoehe"), "500");
}

// A file beyond the limit reads as empty, every write fails and leaves it
// byte for byte, and the user hears of it once; a file at the limit is read.
TEST_F(IniTest, FileBeyondTheLimitIsNeitherReadNorWritten) {
    ScopedScriptedMessages messages;
    const std::string head = "[Global]\nVersion=2.30\n;";
    const std::string atLimit = head + std::string(kSettingsFileLimit - head.size(), '-');
    IniFile file(Write("Velmora.ini", atLimit));
    EXPECT_FALSE(file.TooLarge());
    EXPECT_EQ(file.GetString("Global", "Version"), "2.30");
    EXPECT_FALSE(ReportOversizedSettings(file));

    const std::string over = atLimit + "-";
    Write("Velmora.ini", over);
    EXPECT_TRUE(file.TooLarge());
    EXPECT_EQ(file.GetString("Global", "Version", "1.00"), "1.00");
    EXPECT_TRUE(file.Sections().empty());
    EXPECT_FALSE(file.WriteString("Global", "Version", "2.31"));
    EXPECT_FALSE(file.WriteInt("Neu", "Wert", 1));
    EXPECT_FALSE(file.DeleteKey("Global", "Version"));
    EXPECT_TRUE(Read(file.Path()) == over);
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(ReportOversizedSettings(file));
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_NE(messages.service.shown[0].text.find(file.Path()), std::string::npos);
    EXPECT_NE(messages.service.shown[0].text.find("1 MB"), std::string::npos);

    // The profile of a program alike.
    AppProfile prof;
    prof.UseFile(file.Path());
    EXPECT_TRUE(prof.File().TooLarge());
    EXPECT_FALSE(prof.WriteString("Window size", "Rect", "0000 0000 0640 0480"));
    EXPECT_TRUE(Read(file.Path()) == over);
}

TEST_F(IniTest, AppProfileStores) {
    std::string old = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    AppProfile prof;
    prof.Select(ProfileStore::Registry, "Velmora");
    EXPECT_EQ(prof.Path(), dir_ + "/Trevalen Software GmbH/Velmora.ini");
    ASSERT_TRUE(prof.WriteString("Global", "Version", "2.30"));
    EXPECT_TRUE(FileExists(prof.Path()));
    EXPECT_EQ(prof.GetInt("Global", "UndoSize", 0), 0);
    prof.Select(ProfileStore::IniBesideProgram, "Velmora");
    EXPECT_EQ(prof.Path(), ProgramDir() + "/Velmora.ini");
    if (old.empty()) unsetenv("XDG_CONFIG_HOME");
    else setenv("XDG_CONFIG_HOME", old.c_str(), 1);
}

} // namespace
} // namespace vx
