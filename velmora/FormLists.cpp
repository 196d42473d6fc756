#include "velmora/FormLists.h"

#include "platform/StringTable.h"
#include "velmora/shared/CWrzKatalog.h"

std::vector<std::string> SystemTexts() {
    std::vector<std::string> texts;
    for (int i = 0; i < kSystemCount; ++i) texts.push_back(vx::LoadString(IDS_SYSTEM_FIRST + i));
    return texts;
}

std::vector<std::string> FuelTexts() {
    std::vector<std::string> texts;
    for (int i = 0; i < kFuelCount; ++i) texts.push_back(vx::LoadString(IDS_FUEL_FIRST + i));
    return texts;
}

std::string SystemText(int index) {
    if (index < 0 || index >= kSystemCount) return "";
    return vx::LoadString(IDS_SYSTEM_FIRST + unsigned(index));
}

int SystemIndexOfText(std::string_view text) {
    for (int i = 0; i < kSystemCount; ++i)
        if (vx::LoadString(IDS_SYSTEM_FIRST + unsigned(i)) == text) return i;
    return -1;
}

bool IsHeadingText(std::string_view text) { return !text.empty() && text[0] == '@'; }

std::string ShownItemText(std::string_view text) {
    return std::string(IsHeadingText(text) ? text.substr(1) : text);
}

int FuelPositionOf(int fuel, int condensing, int current) {
    const int position = CWrzKatalog::PositionOfFuel(fuel, condensing);
    return position < 0 ? current : position;
}

StartChoice StartChoiceOfAnswer(int answer) {
    switch (answer) {
    case 10: return StartChoice::ProjectData;
    case 12: return StartChoice::OpenFile;
    case 13: return StartChoice::OpenLast;
    default: return StartChoice::Nothing;
    }
}
