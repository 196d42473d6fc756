#include "quorvel/RecentProjects.h"

#include "platform/Profile.h"
#include "testsupport/quorvel/QuorvelTestEnv.h"

namespace {

TEST(RecentProjects, DisplayNamesAreRelativeAndShortened) {
    struct Case {
        const char *path, *display;
    } cases[] = {
        {"/daten/neubau.kfx", "/daten/neubau.kfx"},
        {"/home/kmueller/projekte/neubau.kfx", "neubau.kfx"},
        {"/home/kmueller/projekte/2026/kiel/neubau.kfx", "2026/kiel/neubau.kfx"},
        {"/srv/kunden/nord/anlagen/2026/schornstein.kfx", "/srv/.../2026/schornstein.kfx"},
        {"/a/sehr-lange-ordnerbezeichnung/neubau.kfx", "/a/.../neubau.kfx"},
        {"/x/ein-ueberaus-langer-projektname-fuer-kiel.kfx", "ein-ueberaus-langer-projektnam"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecentDisplayName(c.path, "/home/kmueller/projekte"), c.display) << c.path;
    for (const Case& c : cases) EXPECT_LE(RecentDisplayName(c.path, "/").size(), 30u) << c.path;
}

using RecentList = QuorvelTest;

TEST_F(RecentList, PresentEntriesInKeyOrderUpToSixteen) {
    const std::string old = vx::Profile().Path();
    std::string ini = "[Recent File List]\nFile3=/p/drei.kfx\nFile1=/p/eins.kfx\nFile2=\nFile17=/p/zuviel.kfx\n";
    vx::WriteFileAtomic(Path("Velmora.ini"), ini);
    vx::Profile().UseFile(Path("Velmora.ini"));
    const auto list = ReadRecentProjects("/p");
    vx::Profile().UseFile(old);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].path, "/p/eins.kfx");
    EXPECT_EQ(list[0].display, "eins.kfx");
    EXPECT_EQ(list[1].path, "/p/drei.kfx");
}

} // namespace
