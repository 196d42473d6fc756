// Every string id a part declares has its text in that part's table, so no
// message turns up empty.
#include "platform/Files.h"
#include "platform/PlatformText.h"
#include "platform/StringTable.h"
#include "testsupport/velmora/SampleDataTestEnv.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

vx::StringTable PartTable(const char* part) {
    vx::StringTable table;
    EXPECT_TRUE(table.LoadFile(vx::JoinPath(vx::JoinPath(vx::JoinPath(SourceDir(), "resources"), part), "strings.txt")))
        << part;
    return table;
}

TEST(StringIds, EveryDeclaredIdHasItsText) {
    // The shared code names a few texts each program words itself; those
    // stand in a program's table instead of the shared one.
    const struct {
        const char* header;
        std::vector<const char*> parts;
    } kParts[] = {
        {"platform/PlatformText.h", {"platform"}}, {"dbase/util/EngineText.h", {"dbase"}},
        {"values/ValuesText.h", {"values"}},
        {"model/ModelText.h", {"model"}},
        {"velmora/shared/SharedText.h", {"shared", "velmora", "tarsilo"}},
        {"velmora/VelmoraText.h", {"velmora"}},
        {"tarsilo/TarsiloText.h", {"tarsilo"}},
    };
    const std::regex declared(R"((IDS_\w+)\s*=\s*(\d+))");
    for (const auto& p : kParts) {
        std::string header;
        ASSERT_TRUE(vx::ReadWholeFile(vx::JoinPath(SourceDir(), p.header), header)) << p.header;
        std::vector<vx::StringTable> tables;
        for (const char* part : p.parts) tables.push_back(PartTable(part));
        int ids = 0;
        for (std::sregex_iterator m(header.begin(), header.end(), declared), end; m != end; ++m, ++ids) {
            const unsigned id = unsigned(std::stoul((*m)[2]));
            bool found = false;
            for (const auto& table : tables) found = found || !table.Get(id).empty();
            EXPECT_TRUE(found) << p.header << ": " << (*m)[1];
        }
        EXPECT_GT(ids, 0) << p.header;
    }
}

// Every part's ids stand in its one header: no other header of the part declares a string id.
TEST(StringIds, EachPartDeclaresItsIdsInOneHeader) {
    const char* const kHeaders[] = {"values/CMEinheitListe.h", "velmora/shared/CommandIds.h",
                                    "velmora/shared/DialogRules.h", "velmora/shared/FlueSystem.h",
                                    "velmora/shared/PrintTexts.h", "velmora/shared/CWrzKatalog.h",
                                    "velmora/CommandIds.h", "velmora/FormLists.h", "velmora/HeightRangeRules.h",
                                    "velmora/CVelmoraDocCore.h", "tarsilo/TarsiloCommandIds.h",
                                    "tarsilo/CTarsiloDocCore.h"};
    const std::regex declared(R"(IDS_\w+\s*=\s*\d+)");
    for (const char* h : kHeaders) {
        std::string header;
        ASSERT_TRUE(vx::ReadWholeFile(vx::JoinPath(SourceDir(), h), header)) << h;
        EXPECT_FALSE(std::regex_search(header, declared)) << h;
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
