#include "velmora/VelmoraSettings.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "values/CAnwender.h"
#include "values/Directories.h"
#include "velmora/shared/QuorvelLibrary.h"
#include "testsupport/velmora/VelmoraProgramTestEnv.h"
#include "testsupport/platform/TestProfile.h"
#include "testsupport/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

std::string TempPath(const std::string& name) {
    return vx::JoinPath(vx::TempDir(), "vxapp-" + std::to_string(::getpid()) + "-" + name);
}

// The stand-in library's log of calls, through a handle of the test's own.
std::string StandInLog(bool clear = false) {
    vx::SharedLibrary lib;
    lib.Open(VX_QUORVEL_STAND_IN);
    if (clear) lib.Function<void (*)()>("vx_test_quorvel_clear")();
    return lib.Function<const char* (*)()>("vx_test_quorvel_log")();
}

class FirstStart : public ::testing::Test {
protected:
    void SetUp() override {
        userFile_ = TempPath("anwender.dat");
        vx::RemoveFile(userFile_);
        StandInLog(true);
    }
    void TearDown() override { vx::RemoveFile(userFile_); }
    std::string Profile(const std::string& more) {
        return "[Global]\nAnwenderDAT=" + userFile_ + "\n" + more;
    }
    // The start asks the library's stand-in for the user's data, which it fills.
    static void ExpectUserDataAsked(QuorvelLibrary& q) {
        CAnwender user;
        EXPECT_TRUE(CheckFirstStart(q, user));
        EXPECT_EQ(StandInLog(), "GetAnwenderDaten(3)");
        EXPECT_EQ(user.name1, "Schornsteinbau Nord");
    }
    std::string userFile_;
};

} // namespace

TEST(VelmoraSettings, SettingsStoreFollowsTheSwitch) {
    CCmdLineInfo cd;
    cd.Parse({"/cdstart"});
    SelectSettingsStore(cd);
    EXPECT_TRUE(IsCdStartMode());
    EXPECT_EQ(vx::Profile().Store(), vx::ProfileStore::IniBesideProgram);
    EXPECT_EQ(vx::Profile().Path(), vx::ProgramDir() + "/Velmora.ini");
    EXPECT_EQ(GetDataDir(), GetProgramDir());

    const std::string home = TempPath("config");
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    CCmdLineInfo plain;
    plain.Parse({"CDSTART"});
    SelectSettingsStore(plain);
    EXPECT_FALSE(IsCdStartMode());
    EXPECT_EQ(vx::Profile().Store(), vx::ProfileStore::Registry);
    EXPECT_EQ(vx::Profile().Path(), home + "/Trevalen Software GmbH/Velmora.ini");
    EXPECT_TRUE(vx::DirExists(home + "/Trevalen Software GmbH"));
    unsetenv("XDG_CONFIG_HOME");
    vx::RunProgram("/bin/rm", {"-rf", home});
    vx::Profile().UseFile("");
}

// A settings file far beyond any real one is named at the start and kept
// as it is, whatever the start writes.
TEST(VelmoraSettings, OversizedSettingsFileIsReportedAtTheStartAndKept) {
    vx::ScopedScriptedMessages messages;
    const std::string home = TempPath("grossconfig");
    const std::string ini = home + "/Trevalen Software GmbH/Velmora.ini";
    ASSERT_TRUE(vx::MakeDirs(home + "/Trevalen Software GmbH"));
    ASSERT_TRUE(vx::MakeSparseFile(ini, int64_t(vx::kSettingsFileLimit) + 1, "[Global]\nVersion=1.00\n"));
    std::string before;
    ASSERT_TRUE(vx::ReadWholeFile(ini, before));
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    CCmdLineInfo plain;
    plain.Parse({});
    SelectSettingsStore(plain);
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_NE(messages.service.shown[0].text.find(ini), std::string::npos);
    WriteVersion();
    EXPECT_EQ(vx::Profile().GetString("Global", "Version", "-"), "-");
    std::string after;
    ASSERT_TRUE(vx::ReadWholeFile(ini, after));
    EXPECT_TRUE(after == before);
    unsetenv("XDG_CONFIG_HOME");
    vx::RunProgram("/bin/rm", {"-rf", home});
    vx::Profile().UseFile("");
}

TEST(VelmoraSettings, VersionAndLanguageFile) {
    const std::string language = TempPath("sprache.txt");
    vx::WriteFileAtomic(language, "1077 Program for dimensioning diagrams\n");
    {
        ScopedTestProfile profile("[Global]\nVersion=1.00\nSprache=" + language + "\n");
        WriteVersion();
        EXPECT_EQ(vx::Profile().GetString("Global", "Version"), "2.30");
        vx::Strings().Clear();
        LoadProgramStrings();
        EXPECT_EQ(vx::LoadString(1077), "Program for dimensioning diagrams");
        // Entries the language file lacks stay the program's own.
        EXPECT_EQ(vx::LoadString(1078), "f\xfcr Abgasanlagen.");
    }
    {
        ScopedTestProfile profile("[Global]\nSprache=/nonexistent/sprache.txt\n");
        vx::Strings().Clear();
        LoadProgramStrings();
        EXPECT_EQ(vx::LoadString(1077), "Programm zur Ermittlung von Dimensionierungsdiagrammen");
    }
    vx::RemoveFile(language);
}

TEST(VelmoraSettings, QuorvelIsStartedWithTheProfileNameHelpPathAndKey) {
    StandInLog(true);
    QuorvelLibrary q;
    {
        ScopedTestProfile profile(std::string("[Quorvel]\nDLL=") + VX_QUORVEL_STAND_IN + "\n");
        const std::string path = vx::Profile().Path();
        const std::string home = TempPath("config");
        setenv("XDG_CONFIG_HOME", home.c_str(), 1);
        vx::Profile().Select(vx::ProfileStore::Registry, "Velmora", "Trevalen Software GmbH");
        unsetenv("XDG_CONFIG_HOME");
        vx::RunProgram("/bin/rm", {"-rf", home});
        vx::Profile().UseFile(path);
        EXPECT_TRUE(BindQuorvel(q));
        EXPECT_EQ(StandInLog(), "InitQuorvel(Velmora|" + GetProgramDir() + "/Velmora.hlp|Trevalen Software GmbH)");

        // Beside the program the library gets the INI file's path and no key.
        StandInLog(true);
        vx::Profile().Select(vx::ProfileStore::IniBesideProgram, "Velmora");
        vx::Profile().UseFile(path);
        ASSERT_EQ(vx::Profile().Store(), vx::ProfileStore::IniBesideProgram);
        EXPECT_TRUE(BindQuorvel(q));
        EXPECT_EQ(StandInLog(), "InitQuorvel(" + path + "|" + GetProgramDir() + "/Velmora.hlp|)");
    }
    StandInLog(true);
    {
        // An empty value loads nothing and calls nothing.
        ScopedTestProfile profile("[Quorvel]\nDLL=\n");
        EXPECT_FALSE(BindQuorvel(q));
        EXPECT_FALSE(q.IsLoaded());
        EXPECT_EQ(StandInLog(), "");
    }
    {
        ScopedTestProfile profile("[Quorvel]\nDLL=/nonexistent/libquorvel.so\n");
        EXPECT_FALSE(BindQuorvel(q));
    }
}

TEST_F(FirstStart, FirstStartWithStoredNameRunsUserDataOnceAndResetsTheFlag) {
    vx::WriteFileAtomic(userFile_, "[Anwender]\nName1=Kaminbau Ost\n");
    ScopedTestProfile profile(Profile("1stemal=1\n"));
    QuorvelLibrary q;
    ASSERT_TRUE(q.Load(VX_QUORVEL_STAND_IN));
    ExpectUserDataAsked(q);
    EXPECT_EQ(vx::Profile().GetString("Global", "1stemal"), "0");

    // The next start finds the flag reset and the name stored: nothing runs.
    StandInLog(true);
    CAnwender again;
    EXPECT_FALSE(CheckFirstStart(q, again));
    EXPECT_EQ(again.name1, "Kaminbau Ost");
    EXPECT_EQ(StandInLog(), "");
}

TEST_F(FirstStart, EmptyUserNameRunsUserDataWithoutLibraryToo) {
    ScopedTestProfile profile(Profile(""));
    QuorvelLibrary q;
    ASSERT_TRUE(q.Load(VX_QUORVEL_STAND_IN));
    ExpectUserDataAsked(q);
    // The first-start flag was never set and is not written.
    EXPECT_EQ(vx::Profile().GetString("Global", "1stemal", "absent"), "absent");

    // Without Quorvel the command is skipped, no error.
    QuorvelLibrary none;
    CAnwender plain;
    EXPECT_TRUE(CheckFirstStart(none, plain));
    EXPECT_EQ(plain.name1, "");
}

TEST_F(FirstStart, CancelledUserDialogKeepsTheRecord) {
    vx::WriteFileAtomic(userFile_, "[Anwender]\nName1=CANCEL GmbH\n");
    ScopedTestProfile profile(Profile("1stemal=5\n"));
    QuorvelLibrary q;
    ASSERT_TRUE(q.Load(VX_QUORVEL_STAND_IN));
    CAnwender user;
    EXPECT_TRUE(CheckFirstStart(q, user));
    EXPECT_EQ(user.name1, "CANCEL GmbH");
    EXPECT_FALSE(RunUserData(q, user));
}

TEST(VelmoraSettings, HintToggleAndOpenDirectory) {
    ScopedTestProfile profile("[Global]\n");
    EXPECT_TRUE(HintChecked());
    ToggleHint();
    EXPECT_EQ(vx::Profile().GetString("Global", "Hinweis"), "1");
    EXPECT_FALSE(HintChecked());
    ToggleHint();
    EXPECT_EQ(vx::Profile().GetString("Global", "Hinweis"), "0");
    EXPECT_TRUE(HintChecked());

    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(OpenDialogDirectory(), cwd);
    vx::Profile().WriteString("Global", "DatPfad", "D:\\Berechnungen");
    EXPECT_EQ(OpenDialogDirectory(), "D:/Berechnungen");
}

TEST(VelmoraSettings, RecentFilesKeepFourInOrder) {
    ScopedTestProfile profile("[Recent File List]\nFile1=/a/eins.kfx\nFile3=/a/drei.kfx\n");
    EXPECT_EQ(LoadRecentFiles(), (std::vector<std::string>{"/a/eins.kfx", "/a/drei.kfx"}));
    SaveRecentFiles({"/b/1.kfx", "/b/2.kfx", "/b/3.kfx", "/b/4.kfx", "/b/5.kfx"});
    EXPECT_EQ(LoadRecentFiles(), (std::vector<std::string>{"/b/1.kfx", "/b/2.kfx", "/b/3.kfx", "/b/4.kfx"}));
    EXPECT_EQ(vx::Profile().GetString("Recent File List", "File5", "none"), "none");
    SaveRecentFiles({"/c/x.kfx"});
    EXPECT_EQ(LoadRecentFiles(), (std::vector<std::string>{"/c/x.kfx"}));
}

TEST(VelmoraSettings, AboutBoxLines) {
    EXPECT_EQ(AboutVersionLine(), "( V. 2.30  vom 17. Jun 2008 )");
    EXPECT_EQ(AboutVersionLine("2.30", "Mar  5 2009"), "( V. 2.30  vom  5. Mar 2009 )");
    ScopedTestProfile profile("[Global]\n");
    EXPECT_EQ(AboutDatabaseLine(), "( Datenbank: 2002/03 )");
    // The opening picture shows the same date form as the about box.
    EXPECT_EQ(VelmoraProgram().about.openingDatabaseDefault, "2002/03");
    vx::Profile().WriteString("Datenbank", "Stand_W", "2008/1");
    EXPECT_EQ(AboutDatabaseLine(), "( Datenbank: 2008/1 )");
}

TEST(VelmoraSettings, OpenFilterInTheDialogsForm) {
    EXPECT_EQ(FileDialogFilter("Dateityp Velmora (*.kfx) | *.kfx||"), "Dateityp Velmora (*.kfx)|*.kfx");
    EXPECT_EQ(FileDialogFilter("A|*.a|B|*.b||"), "A|*.a|B|*.b");
    // A text without its pattern is dropped, an empty filter stays empty.
    EXPECT_EQ(FileDialogFilter("A|*.a|B"), "A|*.a");
    EXPECT_EQ(FileDialogFilter(""), "");
}
