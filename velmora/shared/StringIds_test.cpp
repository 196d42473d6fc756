// Every string id a part declares has its text in that part's table, so no
// message turns up empty.
#include "platform/Files.h"
#include "platform/PlatformText.h"
#include "platform/StringTable.h"
#include "testsupport/velmora/SampleDataTestEnv.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

TEST(StringIds, EveryDeclaredIdHasItsText) {
    const struct {
        const char* header;
        const char* part;
    } kParts[] = {
        {"platform/PlatformText.h", "platform"}, {"dbase/util/EngineText.h", "dbase"},
        {"values/CMEinheitListe.h", "values"},
        {"velmora/shared/DialogRules.h", "shared"},
        {"velmora/CVelmoraDocCore.h", "velmora"}, {"tarsilo/CTarsiloDocCore.h", "tarsilo"},
    };
    const std::regex declared(R"((IDS_\w+)\s*=\s*(\d+))");
    for (const auto& p : kParts) {
        std::string header;
        ASSERT_TRUE(vx::ReadWholeFile(vx::JoinPath(SourceDir(), p.header), header)) << p.header;
        vx::StringTable table;
        ASSERT_TRUE(table.LoadFile(vx::JoinPath(vx::JoinPath(vx::JoinPath(SourceDir(), "resources"), p.part), "strings.txt")))
            << p.part;
        int ids = 0;
        for (std::sregex_iterator m(header.begin(), header.end(), declared), end; m != end; ++m, ++ids)
            EXPECT_FALSE(table.Get(unsigned(std::stoul((*m)[2]))).empty()) << p.header << ": " << (*m)[1];
        EXPECT_GT(ids, 0) << p.header;
    }
}

// The table file is UTF-8; in memory the texts are code page 1252, byte for
// byte as the literals they replace.
TEST(StringIds, PlatformTextsAreCodePage1252) {
    EXPECT_EQ(vx::PlatformText(vx::IDS_DATEI_NICHT_GEOEFFNET), "Die Datei %s kann nicht ge\xF6" "ffnet werden.");
    EXPECT_EQ(vx::PlatformText(vx::IDS_EINSTELLUNGSDATEI_ZU_GROSS),
              "Die Datei %s ist gr\xF6\xDF" "er als %d MB und damit keine Einstellungsdatei. Sie wird weder gelesen "
              "noch ge\xE4ndert; bis sie kleiner ist, gelten die Vorgaben.");
    EXPECT_EQ(vx::PlatformText(0), "");
}

} // namespace
