#include "velmora/FormLists.h"

#include "platform/StringTable.h"
#include "velmora/VelmoraSettings.h"

#include <gtest/gtest.h>

namespace {

class FormListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        vx::Strings().Clear();
        LoadProgramStrings();
    }
};

TEST_F(FormListsTest, SystemListWithItsHeadings) {
    const std::vector<std::string> systems = SystemTexts();
    ASSERT_EQ(systems.size(), 21u);
    EXPECT_EQ(systems[0], "@Neubau/Bestand");
    EXPECT_EQ(systems[9], "Mauerwerk 11,5");
    EXPECT_EQ(systems[10], "@Sanierung");
    EXPECT_EQ(systems[15], "einschalig m. Keramik  m. D\xE4mmschale");
    EXPECT_EQ(systems[16], "@Abgasanlage \xDC" "berdruck");
    EXPECT_EQ(systems[20], "au\xDF" "en am Geb\xE4ude Verb. konzentrisch");
    int headings = 0;
    for (const std::string& s : systems) headings += IsHeadingText(s);
    EXPECT_EQ(headings, 3);
    EXPECT_EQ(ShownItemText("@Sanierung"), "Sanierung");
    EXPECT_EQ(ShownItemText("Betonkanal"), "Betonkanal");
    EXPECT_EQ(SystemIndexOfText("Betonkanal"), 8);
    EXPECT_EQ(SystemIndexOfText("Gegenstromhinterl\xFC" "ftung"), 18);
    EXPECT_EQ(SystemIndexOfText("nicht da"), -1);
    EXPECT_EQ(SystemText(21), "");
}

TEST_F(FormListsTest, FuelListAndItsFuelIndices) {
    const std::vector<std::string> fuels = FuelTexts();
    ASSERT_EQ(fuels.size(), 13u);
    EXPECT_EQ(fuels[0], "Koks");
    EXPECT_EQ(fuels[1], "Heiz\xF6l EL");
    EXPECT_EQ(fuels[12], "Brennwert - Fl\xFCssiggas");
    // fuel index, condensing -> position
    EXPECT_EQ(FuelPositionOf(0, 0, -1), 0);
    EXPECT_EQ(FuelPositionOf(1, 0, -1), 1);
    EXPECT_EQ(FuelPositionOf(1, 1, -1), 10);
    EXPECT_EQ(FuelPositionOf(2, 1, -1), 11);
    EXPECT_EQ(FuelPositionOf(3, 0, -1), 3);
    EXPECT_EQ(FuelPositionOf(8, 0, -1), 4);
    EXPECT_EQ(FuelPositionOf(8, 1, -1), 12);
    EXPECT_EQ(FuelPositionOf(9, 0, -1), 5);
    EXPECT_EQ(FuelPositionOf(13, 0, -1), 9);
    // Fuels 4 to 7 have no position: the current one stays.
    for (int fuel = 4; fuel <= 7; ++fuel) EXPECT_EQ(FuelPositionOf(fuel, 0, 6), 6);
}

TEST(StartChoice, Answers) {
    EXPECT_EQ(StartChoiceOfAnswer(10), StartChoice::ProjectData);
    EXPECT_EQ(StartChoiceOfAnswer(12), StartChoice::OpenFile);
    EXPECT_EQ(StartChoiceOfAnswer(13), StartChoice::OpenLast);
    EXPECT_EQ(StartChoiceOfAnswer(11), StartChoice::Nothing);
    EXPECT_EQ(StartChoiceOfAnswer(0), StartChoice::Nothing);
}

} // namespace
