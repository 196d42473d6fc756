// Small routines the modules share: cross-section geometry, the wet/dry
// classification, shape keywords and class texts.
#pragma once

#include <string>

constexpr double kPi = 3.141592654;

enum SectionShape { ShapeRound = 0, ShapeSquare = 1, ShapeRectangle = 2, ShapeOval = 3 };

// Area, perimeter and hydraulic diameter of a section; nothing is written
// for an unknown shape, or for a rectangle or oval with a zero side.
void CrossSectionGeometry(double diameter, double sideA, double sideB, int shape, double& area,
                          double& perimeter, double& hydraulicDiameter);

// 1 dry, 2 wet: positive pressure (regime 2) is always wet, a wet-operated
// system (regime 1) wherever value exceeds limit.
int ClassifyAgainstLimit(int regime, double limit, double value);

// "RUND", "QUADRAT", "RECHTECK", "OVAL"; another shape gives the text of the last call.
std::string ShapeKeyword(int shape);

// "I", "IIa", "II", "III", "IV", otherwise "-".
std::string ClassText(int cls);
