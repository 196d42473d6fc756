#include "quorvel/QuorvelText.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>

namespace {

// The ids a header declares under a prefix, with their numbers.
std::vector<std::pair<std::string, unsigned>> DeclaredIds(const std::string& header, const std::string& prefix) {
    std::string text;
    EXPECT_TRUE(vx::ReadWholeFile(std::string(VX_SOURCE_TREE) + "/" + header, text)) << header;
    std::vector<std::pair<std::string, unsigned>> ids;
    // Each "NAME = number," of the enum.
    for (size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at + 1)) {
        size_t end = at;
        while (end < text.size() && (std::isalnum((unsigned char)text[end]) || text[end] == '_')) ++end;
        if (text.compare(end, 3, " = ") != 0) continue;
        size_t digits = end + 3, stop = digits;
        while (stop < text.size() && std::isdigit((unsigned char)text[stop])) ++stop;
        if (stop == digits) continue;
        ids.emplace_back(text.substr(at, end - at), unsigned(std::stoul(text.substr(digits, stop - digits))));
    }
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
