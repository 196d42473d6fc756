// Runs the real program under the test display: start-up on a copy of the
// sample data, settings in a store of the test's own, and the close of the
// main window through its real close path (the program's test-close timer).
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/System.h"
#include "tarsilo/CTarsiloDocCore.h"
#include "tarsilo/TarsiloFile.h"
#include "testsupport/velmora/ProgramRunTestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class TarsiloProgram : public ProgramRunTest {
protected:
    TarsiloProgram() : ProgramRunTest("Tarsilo", "TARSILO_TEST_CLOSE_MS") {}
    int Run(const std::string& args, int closeMs = 2500) { return ProgramRunTest::Run(VX_TARSILO_EXE, args, closeMs); }
};

} // namespace

TEST_F(TarsiloProgram, StartsWritesTheVersionAndBindsTheLibrary) {
    const std::string log = (root_ / "quorvel.log").string();
    setenv("VX_QUORVEL_LOG", log.c_str(), 1);
    vx::WriteFileAtomic(UserIni(), std::string("[Quorvel]\nDLL=") + VX_QUORVEL_STAND_IN + "\n[Global]\n1stemal=1\n" +
                                       "[Datenbank]\nPfad=" + (root_ / "data").string() + "\nAnzeige_W=1\n");
    ASSERT_EQ(Run(""), 0) << Stderr();
    vx::IniFile ini(UserIni());
    EXPECT_EQ(ini.GetString("Global", "Version"), "2.30");
    EXPECT_EQ(ini.GetString("Window size", "Rect").size(), 19u);
    std::string calls;
    ASSERT_TRUE(vx::ReadWholeFile(log, calls));
    const std::string programDir = vx::DirName(VX_TARSILO_EXE);
    EXPECT_EQ(calls.rfind("InitQuorvel(Tarsilo|" + programDir + "/Tarsilo.hlp|Trevalen Software GmbH)\n"
                          "GetAnwenderDaten(3)\n",
                          0),
              0u)
        << calls;
    EXPECT_FALSE(vx::FileExists(vx::JoinPath(programDir, "Tarsilo.ini")));
}

TEST_F(TarsiloProgram, OpensATableFromTheCommandLineIntoTheRecentFiles) {
    const std::string table = (root_ / "data" / "anlage.kbv").string();
    {
        CTarsiloDocCore doc;
        doc.fuelIndex = 1;
        doc.fuelName = "Heizöl EL";
        AssignmentRow row;
        row.columns[0] = "0,14";
        row.columns[1] = "Kesselwerk Almendorf GmbH";
        row.columns[2] = "Oleomat 22";
        row.columns[3] = "22.0";
        row.columns[4] = "-1";
        doc.rows.push_back(row);
        ASSERT_TRUE(TarsiloFile::SaveFile(doc, table));
    }
    // The stand-in library: the real one beside the program would ask a person.
    vx::WriteFileAtomic(UserIni(), std::string("[Quorvel]\nDLL=") + VX_QUORVEL_STAND_IN + "\n[Datenbank]\nPfad=" +
                                       (root_ / "data").string() + "\nAnzeige_W=1\n");
    ASSERT_EQ(Run("'" + table + "'"), 0) << Stderr();
    EXPECT_EQ(vx::IniFile(UserIni()).GetString("Recent File List", "File1"), table);
    // A file that is no table is refused with a message, and the program ends.
    vx::WriteFileAtomic((root_ / "data" / "kaputt.kbv").string(), "kein Inhalt");
    EXPECT_NE(Run("'" + (root_ / "data" / "kaputt.kbv").string() + "'"), 0);
    EXPECT_FALSE(Stderr().empty());
}

TEST_F(TarsiloProgram, WindowKeepsItsSizeFromTheFirstStartOn) {
    if (vx::FindProgramOnPath("openbox").empty()) GTEST_SKIP() << "openbox fehlt (scripts/install-deps)";
    ExpectTheWindowKeepsItsSize(VX_TARSILO_EXE);
}
