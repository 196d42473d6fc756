#include "quorvel/CKehrBezirk.h"

#include "testsupport/quorvel/QuorvelTestEnv.h"

#include "platform/Profile.h"
#include "testsupport/platform/TestSupport.h"

namespace {

using KehrBezirk = QuorvelTest;

TEST_F(KehrBezirk, TheModeFallsBackToZeroWithoutALoadableLibrary) {
    struct {
        const char* ini;
        int mode;
    } cases[] = {
        {nullptr, 0},
        {"[Kehrbezirk]\nKehrSW=0\nKehrSW_DLL=" VX_KEHR_STAND_IN "\n", 0},
        {"[Kehrbezirk]\nKehrSW=1\n", 0},
        {"[Kehrbezirk]\nKehrSW=2\nKehrSW_DLL=/nirgends/kehr.so\n", 0},
        {"[Kehrbezirk]\nKehrSW=3\nKehrSW_DLL=" VX_KEHR_STAND_IN "\n", 3},
    };
    for (const auto& c : cases) {
        vx::RemoveFile(Path("kehr.ini"));
        if (c.ini) vx::WriteFileAtomic(Path("kehr.ini"), c.ini);
        CKehrBezirk kehr;
        kehr.Load(Path("kehr.ini"));
        EXPECT_EQ(kehr.Mode(), c.mode) << (c.ini ? c.ini : "(none)");
        EXPECT_EQ(kehr.IsLoaded(), c.mode != 0);
        EXPECT_EQ(kehr.SuchIndex().has_value(), c.mode != 0);
    }
    EXPECT_TRUE(Shown().empty());
}

TEST_F(KehrBezirk, OversizedFileIsRefusedWithAMessage) {
    const std::string ini = "[Kehrbezirk]\nKehrSW=3\nKehrSW_DLL=" VX_KEHR_STAND_IN "\n";
    ASSERT_TRUE(vx::MakeSparseFile(Path("kehr.ini"), int64_t(vx::kSettingsFileLimit) + 1, ini));
    CKehrBezirk kehr;
    kehr.Load(Path("kehr.ini"));
    EXPECT_EQ(kehr.Mode(), 0);
    EXPECT_FALSE(kehr.IsLoaded());
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_NE(Shown()[0].text.find("kehr.ini"), std::string::npos);
}

TEST_F(KehrBezirk, AddressBuffersAreReadNoFurtherThanTheirLength) {
    vx::WriteFileAtomic(Path("kehr.ini"), "[Kehrbezirk]\nKehrSW=1\nKehrSW_DLL=" VX_KEHR_STAND_IN "\n");
    CKehrBezirk kehr;
    kehr.Load(Path("kehr.ini"));
    ASSERT_TRUE(kehr.IsLoaded());
    EXPECT_EQ(kehr.SuchIndex(), 2);
    for (auto address : {kehr.GetAdresse("1", "2", "3"), kehr.GetAdresseDLG()}) {
        ASSERT_TRUE(address.has_value());
        EXPECT_EQ((*address)[0], std::string(52, 'N'));  // filled to the brim, no terminator
        EXPECT_EQ((*address)[3], "12345 Musterstadt");
        EXPECT_EQ((*address)[8], "Feld");
    }
    kehr.Unload();
    EXPECT_FALSE(kehr.IsLoaded());
    EXPECT_EQ(kehr.Mode(), 0);
    EXPECT_FALSE(kehr.GetAdresseDLG().has_value());
}

} // namespace
