// The engine's texts come from its own table, byte for byte as the messages
// users have always seen.
#include "dbase/file/EngineContext.h"
#include "dbase/util/EngineText.h"
#include "platform/StringTable.h"

#include <gtest/gtest.h>

#include <string>

namespace vx {
namespace {

TEST(EngineText, TextsAreCodePage1252AndKeepTheirBlanks) {
    EXPECT_STREQ(EngineText(IDS_PACKDATEI_BESCHAEDIGT), "Packdatei besch\xE4" "digt");
    EXPECT_STREQ(EngineText(IDS_SKIP_OHNE_SATZNUMMER), "skip() mu\xDF von g\xFCltiger Satznummer erfolgen");
    // The table escapes the blank at the end, which the box's layout needs.
    EXPECT_STREQ(EngineText(IDS_BOX_FEHLER_NR), "Fehler #: ");
    EXPECT_STREQ(engineErrorText(-250), "Positionieren in der Datei ");
    EXPECT_STREQ(engineErrorText(-40), "\xC4ndern der Dateigr\xF6\xDF" "e");
    EXPECT_STREQ(EngineText(0), "");
    // Handed out once and kept: the same text, at the same place, every time.
    EXPECT_EQ(EngineText(IDS_DATENBANK_KORRUPT), EngineText(IDS_DATENBANK_KORRUPT));
}

// Every entry of the engine's file is there, whole, under its id.
TEST(EngineText, EveryTextOfTheFileIsHandedOutWhole) {
    const StringTable file = PartTable("dbase");
    ASSERT_GT(file.Size(), 100u);
    file.ForEach([](unsigned id, const std::string& text) { EXPECT_EQ(EngineText(id), text) << id; });
}

// Error codes are negative; a positive number or one beyond the range never
// reaches a detail text that shares the table.
TEST(EngineText, OnlyNegativeCodesHaveAnErrorText) {
    const std::string unknown = EngineText(IDS_FEHLERNUMMER_UNBEKANNT);
    ASSERT_FALSE(unknown.empty());
    const int base = int(kEngineErrorTextBase), detail = int(IDS_DATENBANK_KORRUPT);
    for (int code : {base - detail, 0, 1, -base, -base - detail, -5})
        EXPECT_EQ(engineErrorText(code), unknown) << code;
    EXPECT_STREQ(engineErrorText(e4memory), "Kein Speicher mehr verf\xFCgbar");
}

} // namespace
} // namespace vx
