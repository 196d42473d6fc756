#include "platform/Files.h"
#include "testsupport/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <string>
#include <vector>

namespace vx {
namespace {

// "Łódź" and "Kunden ł" as a Linux file system gives them (UTF-8); the source's
// literals would otherwise become code page 1252, which has no "Ł".
const std::string kLodz = "\xC5\x81\xC3\xB3" "d\xC5\xBA";
const std::string kCustomers = "Kunden \xC5\x82";

TEST(PathFromFileUri, LocalUrisGiveTheirDecodedPath) {
    const struct {
        std::string uri, path;
    } cases[] = {
        {"file:///home/anna/%C5%81%C3%B3d%C5%BA.kfx", "/home/anna/" + kLodz + ".kfx"},
        {"file:///home/anna/" + kLodz + ".kfx", "/home/anna/" + kLodz + ".kfx"},
        {"file://localhost/tmp/neubau%20m%C3%BCller.kfx", "/tmp/neubau m\xC3\xBCller.kfx"},
        {"FILE:///tmp/a%2fb", "/tmp/a/b"},
        {"file:///tmp/100%25", "/tmp/100%"},
        // Broken escapes stay as they are; a query or fragment is no part of a path.
        {"file:///tmp/a%zz%4", "/tmp/a%zz%4"},
        {"file:///tmp/a.kfx#x", "/tmp/a.kfx"},
        // Not a local file.
        {"file://server/tmp/a.kfx", ""},
        {"http://example.org/a.kfx", ""},
        {"/tmp/file:///a.kfx", ""},
        {"file:", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(PathFromFileUri(c.uri), c.path) << c.uri;
}

TEST(StoredPath, CodePage1252WhereItFitsElseTheBytes) {
    const struct {
        std::string path, stored;
    } cases[] = {
        {"/home/anna/Daten", "/home/anna/Daten"},
        // As every older start stored it.
        {"/home/m\xC3\xBCller/Stra\xC3\x9F" "e", "/home/m\xFCller/Stra\xDF" "e"},
        {"/home/" + kCustomers + "/" + kLodz, "/home/" + kCustomers + "/" + kLodz},
        // Bytes that are no UTF-8 are kept too.
        {"/tmp/\xFF\xFE", "/tmp/\xFF\xFE"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PathToStored(c.path), c.stored) << c.path;
        if (c.path != "/tmp/\xFF\xFE") {
            EXPECT_EQ(PathFromStored(c.stored), c.path) << c.stored;
        }
    }
    // A code-page-1252 path of an older start reads as its file system name.
    EXPECT_EQ(PathFromStored("C:/Programme/M\xFCller \x80"), "C:/Programme/M\xC3\xBCller \xE2\x82\xAC");
    EXPECT_EQ(PathForDisplay("/tmp/" + kLodz), "/tmp/?\xF3" "d?");
    EXPECT_EQ(PathFromText("M\xFCller.kfx"), "M\xC3\xBCller.kfx");
}

TEST(FileNames, NamesOutsideCodePage1252AreTheFileSystemsBytes) {
    const ScratchDir scratch("vxfiles");
    const std::string root = scratch.Path();
    ASSERT_FALSE(root.empty());
    const std::string dir = JoinPath(root, kCustomers);
    const std::string file = JoinPath(dir, kLodz + ".kfx");
    ASSERT_TRUE(MakeDirs(dir));
    ASSERT_TRUE(WriteFileAtomic(file, "Inhalt"));
    EXPECT_TRUE(DirExists(dir));
    EXPECT_TRUE(FileExists(file));
    std::string read;
    EXPECT_TRUE(ReadWholeFile(file, read));
    EXPECT_EQ(read, "Inhalt");
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        ::closedir(d);
    }
    EXPECT_EQ(names, std::vector<std::string>{kLodz + ".kfx"});
    EXPECT_EQ(FindFileNoCase(dir, kLodz + ".KFX"), kLodz + ".kfx");
    EXPECT_EQ(ResolveNoCase(JoinPath(dir, kLodz + ".KFX")), file);
    EXPECT_TRUE(RemoveFile(file));
}

} // namespace
} // namespace vx
