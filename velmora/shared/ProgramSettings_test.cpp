#include "velmora/shared/ProgramSettings.h"

#include "platform/Files.h"
#include "platform/Profile.h"
#include "testsupport/platform/TestProfile.h"
#include "platform/report/ReportJob.h"
#include "testsupport/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

// The form settings change the layout that the profile names for the first
// form; without one they would change nothing the program prints.
TEST(ShareFormLayout, AProfileWithoutAFirstLayoutGetsTheProgramsOwn) {
    const struct {
        const char* profile;
        const char* printLayout;
        const char* expected;
    } cases[] = {
        {"", "/opt/velmora/Velmora.LST", "/opt/velmora/Velmora.LST"},
        {"[LuL]\nFormular0=\n", "/opt/velmora/Velmora.LST", "/opt/velmora/Velmora.LST"},
        {"[LuL]\nFormular0=/daten/Brief.lst\n", "/opt/velmora/Velmora.LST", "/daten/Brief.lst"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        ScopedTestProfile profile(c.profile);
        ShareFormLayout(c.printLayout);
        EXPECT_EQ(vx::Profile().GetString("LuL", "Formular0", ""), c.expected) << c.profile;
        EXPECT_EQ(vx::Profile().GetString("LuL", "Formular1", ""), "") << c.profile;
    }
}

// Installed for everyone, the program's folder is the user's to read only: the
// layouts, which hold the margins, and their printer settings are the user's
// copies in the data folder, and settings that name the program's folder, as
// an older start stored them, are taken over to those copies.
TEST(UserLayoutFile, TheUsersCopyInTheDataFolderAndSettingsTakenOverToIt) {
    const vx::ScratchDir scratch("vxlayout");
    const std::string root = scratch.Path();
    ASSERT_FALSE(root.empty());
    // A data folder under a name code page 1252 cannot hold ("Łódź").
    const std::string data = vx::JoinPath(root, "\xC5\x81\xC3\xB3" "d\xC5\xBA");
    const std::string program = vx::JoinPath(root, "lib/velmora");
    ASSERT_TRUE(vx::MakeDirs(data));
    ASSERT_TRUE(vx::MakeDirs(program));
    ASSERT_TRUE(vx::WriteFileAtomic(vx::JoinPath(program, "Velmora.LST"), "[Layout]\nyOffset=0\n"));
    ASSERT_TRUE(vx::WriteFileAtomic(vx::JoinPath(program, "Velmora.LSP"), "[Drucker]\nKopien=2\n"));
    ASSERT_TRUE(vx::WriteFileAtomic(vx::JoinPath(program, "Bestell.LST"), "[Layout]\n"));
    ASSERT_TRUE(vx::WriteFileAtomic(vx::JoinPath(data, "Bestell.LST"), "[Layout]\nyOffset=5000\n"));
    const std::string elsewhere = vx::JoinPath(root, "eigene/Brief.lst");

    ScopedTestProfile profile("[LuL]\nFormular0=" + vx::PathToStored(vx::JoinPath(program, "Velmora.LST")) +
                              "\nFormular1=" + elsewhere + "\nFormWdb=" + vx::JoinPath(program, "Bestell.LST") +
                              "\nFormular=0\n");
    TakeOverLayoutPaths(data, program);
    const std::string own = vx::JoinPath(data, "Velmora.LST");
    EXPECT_EQ(vx::Profile().GetPath("LuL", "Formular0"), own);
    EXPECT_EQ(vx::Profile().GetPath("LuL", "Formular1"), elsewhere);
    EXPECT_EQ(vx::Profile().GetPath("LuL", "FormWdb"), vx::JoinPath(data, "Bestell.LST"));
    EXPECT_EQ(vx::Profile().GetString("LuL", "Formular"), "0");
    // Copied with the printer settings; a copy the user has is kept as it is.
    std::string text;
    EXPECT_TRUE(vx::ReadWholeFile(own, text));
    EXPECT_EQ(text, "[Layout]\nyOffset=0\n");
    EXPECT_TRUE(vx::ReadWholeFile(vx::report::PrinterFileName(own), text));
    EXPECT_EQ(text, "[Drucker]\nKopien=2\n");
    EXPECT_TRUE(vx::ReadWholeFile(vx::JoinPath(data, "Bestell.LST"), text));
    EXPECT_EQ(text, "[Layout]\nyOffset=5000\n");

    // The user's copy, once there, is the one; a layout nobody has stays the
    // user's to name; with the data folder in the program's, that is the one.
    EXPECT_EQ(UserLayoutFile("Velmora.LST", data, program), own);
    EXPECT_EQ(UserLayoutFile("Tarsilo.LST", data, program), vx::JoinPath(data, "Tarsilo.LST"));
    EXPECT_EQ(UserLayoutFile("Velmora.LST", program, program), vx::JoinPath(program, "Velmora.LST"));
}
