#include "dbase/file/FileName.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

namespace vx {
namespace {

std::string Ext(const char* name, const char* ext, bool replace, int size = 64, int* rc = nullptr) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%s", name);
    int r = utilNameExt(buf, size, ext, replace);
    if (rc) *rc = r;
    return buf;
}

std::string Fix(const char* name, int* rc = nullptr) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "%s", name);
    int r = utilNameFix(buf);
    if (rc) *rc = r;
    return r == 0 ? std::string(buf) : std::string("error");
}

std::string Cwd() {
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? buf : "";
}

std::string Current(const char* name, int* rc = nullptr, int size = 512) {
    char buf[512] = "";
    int r = utilNameCurrent(buf, size, name);
    if (rc) *rc = r;
    return buf;
}

TEST(FileNameTest, ExtensionAddedOrReplaced) {
    EXPECT_EQ(Ext("adresse", "dbf", false), "ADRESSE.DBF");
    EXPECT_EQ(Ext("adresse   ", ".dbf", false), "ADRESSE.DBF");
    EXPECT_EQ(Ext("adresse.old", "dbf", false), "ADRESSE.OLD");
    EXPECT_EQ(Ext("adresse.old", "dbf", true), "ADRESSE.DBF");
    EXPECT_EQ(Ext("data/Sub.Dir/adresse", "mdx", false), "data/Sub.Dir/ADRESSE.MDX");
    EXPECT_EQ(Ext("data\\x.y\\adresse.dbf", "mdx", true), "data\\x.y\\ADRESSE.MDX");
    EXPECT_EQ(Ext("a.b.c", "x", true), "A.B.X");
}

TEST(FileNameTest, ExtensionThatDoesNotFitLeavesNameUnchanged) {
    int rc = 0;
    EXPECT_EQ(Ext("adresse", "dbf", false, 11, &rc), "adresse");
    EXPECT_EQ(rc, -930);
    EXPECT_EQ(Ext("adresse", "dbf", false, 12, &rc), "ADRESSE.DBF");
    EXPECT_EQ(rc, 0);
}

TEST(FileNameTest, FixRemovesDotSegments) {
    for (auto [path, fixed] : {std::pair{"/a/b/../c", "/a/c"}, {"\\a\\b\\..\\..\\c", "/c"}, {"/a/./b/./c.dbf", "/a/b/c.dbf"},
                               {"//server/share/x/../y", "//server/share/y"}, {"a/b/", "a/b/"}})
        EXPECT_EQ(Fix(path), fixed) << path;
    // Dot segments that cannot be resolved give an error.
    for (const char* path : {"/a/b../c", "/../c", "//server/../c"}) {
        int rc = 0;
        EXPECT_EQ(Fix(path, &rc), "error") << path;
        EXPECT_EQ(rc, -1420) << path;
    }
}

TEST(FileNameTest, CurrentMakesFullPathsUpperCasingOnlyTheFileName) {
    std::string cwd = Cwd();
    ASSERT_FALSE(cwd.empty());
    std::string parent = cwd.substr(0, cwd.find_last_of('/'));
    if (parent.empty()) parent = "/";
    auto join = [](const std::string& d, const std::string& f) {
        return d == "/" ? "/" + f : d + "/" + f;
    };
    EXPECT_EQ(Current("adresse.dbf"), join(cwd, "ADRESSE.DBF"));
    EXPECT_EQ(Current(".\\adresse.dbf"), join(cwd, "ADRESSE.DBF"));
    EXPECT_EQ(Current("..\\adresse.dbf"), join(parent, "ADRESSE.DBF"));
    EXPECT_EQ(Current("sub/../adresse.dbf"), join(cwd, "ADRESSE.DBF"));
    EXPECT_EQ(Current("/tmp/Daten/adresse.dbf"), "/tmp/Daten/ADRESSE.DBF");
    EXPECT_EQ(Current("\\tmp\\Daten\\x.dbf"), "/tmp/Daten/X.DBF");
    EXPECT_EQ(Current("C:\\tmp\\x.dbf"), "/tmp/X.DBF");
    EXPECT_EQ(Current("C:x.dbf"), join(cwd, "X.DBF"));
    EXPECT_EQ(Current("\\\\server\\share\\x.dbf"), "//server/share/X.DBF");
}

TEST(FileNameTest, CurrentTooLongOrBad) {
    int rc = 0;
    Current("/tmp/adresse.dbf", &rc, 16);
    EXPECT_EQ(rc, -930);
    EXPECT_EQ(Current("/tmp/adresse.dbf", &rc, 17), "/tmp/ADRESSE.DBF");
    EXPECT_EQ(rc, 0);
    Current("/tmp/x../y", &rc);
    EXPECT_EQ(rc, -1420);
}

TEST(FileNameTest, PieceOfPath) {
    char buf[64];
    utilNamePiece(buf, sizeof buf, "/data/Sub/adresse.dbf", false, false);
    EXPECT_STREQ(buf, "ADRESSE");
    utilNamePiece(buf, sizeof buf, "/data/Sub/adresse.dbf", false, true);
    EXPECT_STREQ(buf, "ADRESSE.DBF");
    utilNamePiece(buf, sizeof buf, "/data/Sub/adresse.dbf", true, false);
    EXPECT_STREQ(buf, "/data/Sub/ADRESSE");
    utilNamePiece(buf, sizeof buf, "/data.d/adresse", false, false);
    EXPECT_STREQ(buf, "ADRESSE");
    utilNamePiece(buf, 5, "c:\\x\\adresse.dbf", false, false);
    EXPECT_STREQ(buf, "ADRE");
}

} // namespace
} // namespace vx
