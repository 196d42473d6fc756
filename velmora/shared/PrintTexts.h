// Texts of a printed calculation that both programs print alike.
#pragma once

#include <string>

class CWDouble;

// The program's text of an id; the text it stands for when the table lacks it.
std::string PrintString(unsigned id, const char* fallback);
// A value cell's display text with its unit, without the form's "*" marker.
std::string PrintCellText(CWDouble& cell);
// shape 0 round, 1 square, 2 rectangle, 3 oval; sizes in metres.
std::string PrintCrossSectionCaption(int shape, double size1, double size2, double size3);
// The course of the flue path by operating mode and the construction's kind.
std::string PrintCourseText(int operatingMode, int kind);
