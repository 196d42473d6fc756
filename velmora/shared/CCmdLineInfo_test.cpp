#include "velmora/shared/CCmdLineInfo.h"

#include <gtest/gtest.h>

namespace {
CCmdLineInfo Parsed(std::vector<std::string> args) {
    CCmdLineInfo info;
    info.Parse(args);
    return info;
}
} // namespace

TEST(CCmdLineInfo, CdStartSwitchInAnyCaseWithSlashOrDash) {
    for (const char* s : {"/CDSTART", "-CDSTART", "/cdstart", "-CdStart"}) {
        CCmdLineInfo info = Parsed({s});
        EXPECT_EQ(info.registryMode, 0) << s;
        EXPECT_EQ(info.shellCommand, CCmdLineInfo::FileNew) << s;
        EXPECT_EQ(info.fileName, "") << s;
    }
}

TEST(CCmdLineInfo, WithoutSwitchCharacterCdStartIsAFileName) {
    CCmdLineInfo info = Parsed({"CDSTART"});
    EXPECT_EQ(info.registryMode, -1);
    EXPECT_EQ(info.shellCommand, CCmdLineInfo::FileOpen);
    EXPECT_EQ(info.fileName, "CDSTART");

    // The name keeps its own case; only the comparison ignores it.
    info = Parsed({"cdstart"});
    EXPECT_EQ(info.registryMode, -1);
    EXPECT_EQ(info.fileName, "cdstart");
}

TEST(CCmdLineInfo, SwitchAndFileNameInEitherOrder) {
    CCmdLineInfo a = Parsed({"/cdstart", "/home/anna/Projekt M\xfcller.kfx"});
    EXPECT_EQ(a.registryMode, 0);
    EXPECT_EQ(a.shellCommand, CCmdLineInfo::FileOpen);
    EXPECT_EQ(a.fileName, "/home/anna/Projekt M\xfcller.kfx");

    CCmdLineInfo b = Parsed({"anlage.kfx", "-CDSTART"});
    EXPECT_EQ(b.registryMode, 0);
    EXPECT_EQ(b.fileName, "anlage.kfx");
}

TEST(CCmdLineInfo, AbsolutePathIsNoSwitch) {
    CCmdLineInfo info = Parsed({"/cdstart/anlage.kfx"});
    EXPECT_EQ(info.registryMode, -1);
    EXPECT_EQ(info.fileName, "/cdstart/anlage.kfx");
    info = Parsed({"/CDSTART", "/tmp/CDSTART"});
    EXPECT_EQ(info.registryMode, 0);
    EXPECT_EQ(info.fileName, "/tmp/CDSTART");
}

TEST(CCmdLineInfo, OtherSwitchesAndLaterNamesChangeNothing) {
    CCmdLineInfo none = Parsed({});
    EXPECT_EQ(none.registryMode, -1);
    EXPECT_EQ(none.shellCommand, CCmdLineInfo::FileNew);

    // Near misses of the switch are not the switch.
    CCmdLineInfo info = Parsed({"/CDSTARTX", "/CD", "-", "", "eins.kfx", "zwei.kfx"});
    EXPECT_EQ(info.registryMode, -1);
    EXPECT_EQ(info.fileName, "eins.kfx");
}

TEST(CCmdLineInfo, FileUriIsOpenedAsItsPathAndANameKeepsItsBytes) {
    // "Łódź.kfx" in "Kunden ł", as the file system and a launcher's %U give it.
    const std::string path = "/home/anna/Kunden \xC5\x82/\xC5\x81\xC3\xB3" "d\xC5\xBA.kfx";
    for (const std::string& arg : {path, std::string("file:///home/anna/Kunden%20%C5%82/%C5%81%C3%B3d%C5%BA.kfx"),
                                   std::string("file://localhost/home/anna/Kunden%20\xC5\x82/\xC5\x81\xC3\xB3"
                                               "d\xC5\xBA.kfx")}) {
        CCmdLineInfo info = Parsed({"/CDSTART", arg});
        EXPECT_EQ(info.registryMode, 0) << arg;
        EXPECT_EQ(info.shellCommand, CCmdLineInfo::FileOpen) << arg;
        EXPECT_EQ(info.fileName, path) << arg;
    }
}
