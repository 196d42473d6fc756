#include "quorvel/QuorvelText.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace {

// The ids a header declares under a prefix, with their numbers.
std::vector<std::pair<std::string, unsigned>> DeclaredIds(const std::string& header, const std::string& prefix) {
    std::string text;
    EXPECT_TRUE(vx::ReadWholeFile(std::string(VX_SOURCE_TREE) + "/" + header, text)) << header;
    std::vector<std::pair<std::string, unsigned>> ids;
    const std::regex entry("\\b(" + prefix + "\\w+) = (\\d+),");
    for (std::sregex_iterator it(text.begin(), text.end(), entry), end; it != end; ++it)
        ids.emplace_back((*it)[1], unsigned(std::stoul((*it)[2])));
    return ids;
}

// A label left without its text would show an empty button; two ids on one
// number would show one text in the other's place.
TEST(QuorvelText, EveryDeclaredIdHasItsOwnTextInTheTable) {
    vx::StringTable table;
    ASSERT_TRUE(table.LoadFile(std::string(VX_SOURCE_TREE) + "/resources/quorvel/strings.txt"));
    const auto ids = DeclaredIds("quorvel/QuorvelText.h", "IDS_QV_");
    EXPECT_GT(ids.size(), 100u);
    std::set<unsigned> numbers;
    for (const auto& [name, id] : ids) {
        EXPECT_FALSE(table.Get(id).empty()) << name;
        EXPECT_TRUE(numbers.insert(id).second) << name << " repeats " << id;
    }
}

TEST(QuorvelText, TheLoadedTableWinsAndTheLibrarysFileFillsItsGaps) {
    QuorvelStrings().Clear();
    EXPECT_EQ(QuorvelString(IDS_QV_USER_NOT_SAVED), "Die Anwenderdaten konnten nicht gespeichert werden.");
    EXPECT_EQ(QuorvelString(IDS_QV_BTN_CLOSE), "Schlie\xDF" "en");
    // A language file names only what it translates.
    QuorvelStrings().LoadText("30100 The user data could not be saved.\n");
    EXPECT_EQ(QuorvelString(IDS_QV_USER_NOT_SAVED), "The user data could not be saved.");
    EXPECT_EQ(QuorvelString(IDS_QV_TITLE_USER), "Anwenderdaten");
    EXPECT_EQ(QuorvelString(0), "");
    QuorvelStrings().Clear();
}

} // namespace
