#include "values/Directories.h"
#include "testsupport/values/ValuesTestEnv.h"

#include "platform/Files.h"
#include "platform/Profile.h"

#include <filesystem>

namespace {

using Directories = ValuesTest;

TEST_F(Directories, ProgramAndDataDirectories) {
    std::string prog = GetProgramDir();
    ASSERT_FALSE(prog.empty());
    EXPECT_NE(prog.back(), '/');
    EXPECT_TRUE(vx::DirExists(prog));

    // The default is read once, from a profile without entries: the current directory.
    std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(GetDataDir("X"), cwd);
    vx::Profile().WriteString("Datenbank", "Pfad_X", "/daten/wrz/");
    EXPECT_EQ(GetDataDir("X"), "/daten/wrz");
    vx::Profile().WriteString("Datenbank", "Pfad", "/anders\\");
    EXPECT_EQ(GetDataDir(), "/anders");
    EXPECT_EQ(GetDataDir("Y"), cwd);

    SetCdStartMode(true);
    EXPECT_EQ(GetDataDir("X"), prog);
    SetCdStartMode(false);
}

} // namespace
