// The lists of the input form and the answers of the start dialog, apart
// from the widgets.
#pragma once

#include "velmora/VelmoraText.h"

#include <string>
#include <string_view>
#include <vector>

inline constexpr int kSystemCount = 21;
inline constexpr int kFuelCount = 13;

// The texts of the system list (strings 175 to 195) and the fuel list (218 to 230).
std::vector<std::string> SystemTexts();
std::vector<std::string> FuelTexts();
// The system text of an index; "" outside the list.
std::string SystemText(int index);
// The index of the system whose text equals text; -1 when none does.
int SystemIndexOfText(std::string_view text);

// A list entry that begins with "@" is a group heading.
bool IsHeadingText(std::string_view text);
// A heading's text as shown: without its "@".
std::string ShownItemText(std::string_view text);

// The fuel-list position of a heat generator; fuels 4 to 7 leave the
// current position as it is.
int FuelPositionOf(int fuel, int condensing, int current);

// What the form does with the start dialog's answer.
enum class StartChoice { Nothing, ProjectData, OpenFile, OpenLast };
StartChoice StartChoiceOfAnswer(int answer);
// The icons the start dialog shows beside its choices.
inline constexpr int kStartIconNew = 133;
inline constexpr int kStartIconOpen = 193;
