#include "velmora/shared/QuorvelLibrary.h"

#include "testsupport/platform/TestProfile.h"

#include <gtest/gtest.h>

namespace {

// The stand-in's call log, read through a library handle of the test's own.
struct StandInLog {
    vx::SharedLibrary lib;
    StandInLog() { lib.Open(VX_QUORVEL_STAND_IN); }
    std::string Text() const {
        auto fn = lib.Function<const char* (*)()>("vx_test_quorvel_log");
        return fn ? fn() : "<no log>";
    }
    void Clear() {
        if (auto fn = lib.Function<void (*)()>("vx_test_quorvel_clear")) fn();
    }
};

} // namespace

TEST(QuorvelLibrary, CallsTheExportsByName) {
    QuorvelLibrary q;
    ASSERT_TRUE(q.Load(VX_QUORVEL_STAND_IN));
    StandInLog log;
    log.Clear();

    EXPECT_TRUE(q.InitQuorvel("Velmora", "/opt/velmora/Velmora.hlp", "Trevalen Software GmbH"));
    auto answer = q.GetAnwenderDaten("<ANWENDERDATEN FORMAT=1><DATEN NAME1=\"\"></ANWENDERDATEN>", 3);
    ASSERT_TRUE(answer.has_value());
    EXPECT_NE(answer->find("Schornsteinbau Nord"), std::string::npos);
    EXPECT_EQ(log.Text(), "InitQuorvel(Velmora|/opt/velmora/Velmora.hlp|Trevalen Software GmbH)"
                          "GetAnwenderDaten(3)");

    // Cancel in the library's dialog is no answer, though the export ran.
    EXPECT_FALSE(q.GetAnwenderDaten("CANCEL", 3).has_value());
    EXPECT_EQ(log.Text().substr(log.Text().size() - 19), "GetAnwenderDaten(3)");
}

TEST(QuorvelLibrary, MissingExportsSkipTheCall) {
    QuorvelLibrary q;
    ASSERT_TRUE(q.Load(VX_QUORVEL_STAND_IN));
    // The stand-in has no project, remark, start or dialog exports.
    EXPECT_FALSE(q.GetProjektDaten("<PROJEKTDATEN>").has_value());
    EXPECT_FALSE(q.GetBemerkung("Text").has_value());
    EXPECT_FALSE(q.NeuLadenAlt("Velmora", "", "a", "", "b", 133, 0, 193).has_value());
    EXPECT_FALSE(q.Formular().has_value());
    EXPECT_FALSE(q.BearbOrte().has_value());
    EXPECT_FALSE(q.WdbBestell().has_value());

    QuorvelLibrary lacking;
    ASSERT_TRUE(lacking.Load(VX_QUORVEL_WITHOUT_EXPORTS));
    EXPECT_TRUE(lacking.IsLoaded());
    EXPECT_FALSE(lacking.InitQuorvel("Velmora", "", ""));
    EXPECT_FALSE(lacking.GetAnwenderDaten("<ANWENDERDATEN>", 3).has_value());
}

TEST(QuorvelLibrary, MissingOrEmptyPathLoadsNothing) {
    QuorvelLibrary q;
    EXPECT_FALSE(q.Load(""));
    EXPECT_FALSE(q.IsLoaded());
    EXPECT_FALSE(q.InitQuorvel("Velmora", "", ""));
    EXPECT_FALSE(q.Load("/nonexistent/libquorvel.so"));
    EXPECT_FALSE(q.IsLoaded());
    EXPECT_FALSE(q.Formular().has_value());

    // A failed load after a good one leaves nothing loaded.
    ASSERT_TRUE(q.Load(VX_QUORVEL_STAND_IN));
    EXPECT_FALSE(q.Load("/nonexistent/libquorvel.so"));
    EXPECT_FALSE(q.InitQuorvel("Velmora", "", ""));
}

TEST(QuorvelLibrary, PathFromProfileWithProgramDirectoryDefault) {
    {
        ScopedTestProfile profile("[Global]\n");
        EXPECT_EQ(QuorvelLibraryPath(), vx::ProgramDir() + "/libquorvel.so");
    }
    {
        ScopedTestProfile profile("[Quorvel]\nDLL=/usr/lib/velmora/libquorvel.so\n");
        EXPECT_EQ(QuorvelLibraryPath(), "/usr/lib/velmora/libquorvel.so");
    }
    {
        ScopedTestProfile profile("[Quorvel]\nDLL=\n");
        EXPECT_EQ(QuorvelLibraryPath(), "");
    }
}
