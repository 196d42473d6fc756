// Runs the real program under the test display: start-up on a copy of the
// sample data, settings in a store of the test's own, and the close of the
// main window through its real close path (the program's test-close timer).
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/System.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "testsupport/velmora/VelmoraProgramTestEnv.h"
#include "velmora/VelmoraSettings.h"
#include "testsupport/velmora/ProgramRunTestEnv.h"

namespace fs = std::filesystem;

namespace {

class VelmoraProgram : public ProgramRunTest {
protected:
    VelmoraProgram() : ProgramRunTest("Velmora", "VELMORA_TEST_CLOSE_MS") {}
};

} // namespace

TEST_F(VelmoraProgram, StartsOnTheDataWritesTheVersionAndClosesCleanly) {
    ASSERT_EQ(Run(VX_VELMORA_EXE, "", 3000, "velmora_main_window.png"), 0) << Stderr();
    vx::IniFile ini(UserIni());
    EXPECT_EQ(ini.GetString("Global", "Version"), "2.30");
    // The close went through the frame: its placement was saved.
    EXPECT_EQ(ini.GetString("Window size", "icon"), "0");
    EXPECT_EQ(ini.GetString("Window size", "tool"), "1");
    EXPECT_EQ(ini.GetString("Window size", "Rect").size(), 19u);
    // Nothing was written beside the program.
    EXPECT_FALSE(vx::FileExists(vx::JoinPath(vx::DirName(VX_VELMORA_EXE), "Velmora.ini")));
}

TEST_F(VelmoraProgram, SavedPlacementAndBarsComeBack) {
    vx::MakeDirs(vx::DirName(UserIni()));
    vx::WriteFileAtomic(UserIni(), "[Window size]\nRect=0100 0080 0740 0560\nicon=0\nmax=0\ntool=0\nstatus=1\n"
                                   "[Recent File List]\nFile1=/daten/neubau.kfx\nFile2=/daten/anlage.kfx\n");
    ASSERT_EQ(Run(VX_VELMORA_EXE, ""), 0) << Stderr();
    vx::IniFile ini(UserIni());
    EXPECT_EQ(ini.GetString("Window size", "Rect"), "0100 0080 0740 0560");
    EXPECT_EQ(ini.GetString("Window size", "tool"), "0");
    EXPECT_EQ(ini.GetString("Window size", "status"), "1");
    EXPECT_EQ(ini.GetString("Window size", "max"), "0");
    // The recent files went through the program's list and came back in order.
    EXPECT_EQ(ini.GetString("Recent File List", "File1"), "/daten/neubau.kfx");
    EXPECT_EQ(ini.GetString("Recent File List", "File2"), "/daten/anlage.kfx");
}

TEST_F(VelmoraProgram, QuorvelIsBoundAndAFirstStartAsksForTheUserData) {
    const std::string log = (root_ / "quorvel.log").string();
    setenv("VX_QUORVEL_LOG", log.c_str(), 1);
    vx::MakeDirs(vx::DirName(UserIni()));
    vx::WriteFileAtomic(UserIni(), std::string("[Quorvel]\nDLL=") + VX_QUORVEL_STAND_IN + "\n[Global]\n1stemal=1\n");
    // A stored user name: the first start alone asks.
    vx::WriteFileAtomic((root_ / "data" / "anwender.dat").string(), "[Anwender]\nName1=Kaminbau Ost\n");
    const int rc = Run(VX_VELMORA_EXE, "");
    unsetenv("VX_QUORVEL_LOG");
    ASSERT_EQ(rc, 0) << Stderr();
    std::string calls;
    ASSERT_TRUE(vx::ReadWholeFile(log, calls));
    const std::string programDir = vx::DirName(VX_VELMORA_EXE);
    EXPECT_EQ(calls, "InitQuorvel(Velmora|" + programDir + "/Velmora.hlp|Trevalen Software GmbH)\n"
                     "GetAnwenderDaten(3)\n");
    EXPECT_EQ(vx::IniFile(UserIni()).GetString("Global", "1stemal"), "0");

    // The next start is no first start and the name is there: no question.
    vx::RemoveFile(log);
    setenv("VX_QUORVEL_LOG", log.c_str(), 1);
    const int again = Run(VX_VELMORA_EXE, "");
    unsetenv("VX_QUORVEL_LOG");
    ASSERT_EQ(again, 0) << Stderr();
    ASSERT_TRUE(vx::ReadWholeFile(log, calls));
    EXPECT_EQ(calls, "InitQuorvel(Velmora|" + programDir + "/Velmora.hlp|Trevalen Software GmbH)\n");
}

TEST_F(VelmoraProgram, CdStartSwitchSelectsTheIniBesideTheProgram) {
    fs::create_directories(root_ / "bin");
    const fs::path exe = root_ / "bin" / "velmora";
    fs::copy_file(VX_VELMORA_EXE, exe);
    ASSERT_EQ(Run(exe.string(), "/cdstart"), 0) << Stderr();
    vx::IniFile beside((root_ / "bin" / "Velmora.ini").string());
    EXPECT_EQ(beside.GetString("Global", "Version"), "2.30");
    EXPECT_FALSE(beside.GetString("Window size", "Rect").empty());
    EXPECT_FALSE(vx::FileExists(UserIni()));
    // The catalogue is looked for beside the program: where, is said once.
    const std::string message = "Der Katalog der Feuerst\xc3\xa4tten (velmora.hst, velmora.wrz) fehlt im Verzeichnis\n" +
                                (root_ / "bin").string() + "\n";
    const std::string err = Stderr();
    const size_t at = err.find(message);
    ASSERT_NE(at, std::string::npos) << err;
    EXPECT_EQ(err.find(message, at + 1), std::string::npos) << err;
}

TEST_F(VelmoraProgram, CdStartWithoutSwitchIsAFileNameThatFailsTheStart) {
    // No file of that name: the start ends with the framework's message.
    EXPECT_NE(Run(VX_VELMORA_EXE, "CDSTART"), 0);
    EXPECT_NE(Stderr().find("Fehler beim \xc3\x96" "ffnen des Dokuments."), std::string::npos) << Stderr();
    // The switch was not taken: the settings are in the user's store.
    EXPECT_EQ(vx::IniFile(UserIni()).GetString("Global", "Version"), "2.30");
    EXPECT_FALSE(vx::FileExists(vx::JoinPath(vx::DirName(VX_VELMORA_EXE), "Velmora.ini")));
}

TEST_F(VelmoraProgram, AnEmptyDataDirectoryIsNamedOnceAtStart) {
    fs::remove_all(root_ / "data");
    fs::create_directories(root_ / "data");
    ASSERT_EQ(Run(VX_VELMORA_EXE, ""), 0) << Stderr();
    const std::string err = Stderr();
    const std::string message = "Der Katalog der Feuerst\xc3\xa4tten (velmora.hst, velmora.wrz) fehlt im Verzeichnis";
    const size_t at = err.find(message);
    ASSERT_NE(at, std::string::npos) << err;
    EXPECT_EQ(err.find(message, at + 1), std::string::npos) << err;
    EXPECT_NE(err.find((root_ / "data").string()), std::string::npos) << err;

    // With the catalogue there, nothing is said.
    fs::copy(fs::path(std::getenv("VX_SOURCE_DIR")) / "data", root_ / "data",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    ASSERT_EQ(Run(VX_VELMORA_EXE, ""), 0) << Stderr();
    EXPECT_EQ(Stderr().find(message), std::string::npos) << Stderr();
}

TEST_F(VelmoraProgram, TheLibraryBesideTheProgramIsLoadedAndOpensItsTables) {
    const std::string data = (root_ / "data").string();
    std::string places;
    ASSERT_TRUE(vx::ReadWholeFile(data + "/PLZORT.DBF", places));
    vx::MakeDirs(vx::DirName(UserIni()));
    vx::WriteFileAtomic(UserIni(), "[Quorvel]\nDLL=" + vx::JoinPath(vx::DirName(VX_VELMORA_EXE), "libquorvel.so") + "\n");
    escapeDialogs = true;
    ASSERT_EQ(Run(VX_VELMORA_EXE, ""), 0) << Stderr();
    // The address tables appear beside the places, which stay as they were.
    EXPECT_TRUE(vx::FileExists(data + "/ADRESSE.DBF"));
    EXPECT_TRUE(vx::FileExists(data + "/ADRESSE.MDX"));
    EXPECT_TRUE(vx::FileExists(data + "/BEMERKUN.DBF"));
    std::string after;
    ASSERT_TRUE(vx::ReadWholeFile(data + "/PLZORT.DBF", after));
    EXPECT_EQ(after, places);
    EXPECT_EQ(Stderr().find("DATENBANK FEHLER"), std::string::npos) << Stderr();
}

TEST_F(VelmoraProgram, PrintLayoutLiesBesideTheProgram) {
    // Where the profile's default looks for it when started as "make run" starts it.
    std::string beside, source;
    ASSERT_TRUE(vx::ReadWholeFile(vx::JoinPath(vx::DirName(VX_VELMORA_EXE), "Velmora.LST"), beside));
    ASSERT_TRUE(vx::ReadWholeFile((fs::path(std::getenv("VX_SOURCE_DIR")) / "data" / "Velmora.LST").string(), source));
    EXPECT_EQ(beside, source);
}

TEST_F(VelmoraProgram, PlacementStaysTheSameOverRestartsUnderAWindowManager) {
    // The window manager's frame must not be added to the saved size at each start.
    if (vx::FindProgramOnPath("openbox").empty()) GTEST_SKIP() << "openbox fehlt (scripts/install-deps)";
    vx::MakeDirs(vx::DirName(UserIni()));
    vx::WriteFileAtomic(UserIni(), "[Window size]\nRect=0100 0080 0740 0560\nicon=0\nmax=0\n[Quorvel]\nDLL=\n");
    // The manager is up once it has named its check window on the root.
    const std::string wm = "openbox >/dev/null 2>&1 & wm=$!; n=0; "
                           "until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do "
                           "n=$((n+1)); [ $n -gt 200 ] && { kill $wm; exit 3; }; sleep 0.05; done; ";
    std::vector<std::string> rects;
    for (int start = 0; start < 3; ++start) {
        setenv("VELMORA_TEST_CLOSE_MS", "2000", 1);
        const std::string script = wm + "cd '" + (root_ / "data").string() + "' && '" + VX_VELMORA_EXE + "' 2>'" +
                                   (root_ / "stderr.txt").string() + "'; rc=$?; kill $wm; wait $wm; exit $rc";
        ASSERT_EQ(vx::RunProgram("/bin/sh", {"-c", script}), 0) << Stderr();
        rects.push_back(vx::IniFile(UserIni()).GetString("Window size", "Rect"));
    }
    for (const std::string& rect : rects) EXPECT_EQ(rect, "0100 0080 0740 0560");
}

TEST_F(VelmoraProgram, WindowKeepsItsSizeFromTheFirstStartOn) {
    if (vx::FindProgramOnPath("openbox").empty()) GTEST_SKIP() << "openbox fehlt (scripts/install-deps)";
    ExpectTheWindowKeepsItsSize(VX_VELMORA_EXE);
}
