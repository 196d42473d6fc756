#include "model/ChainHelpers.h"

void CrossSectionGeometry(double d, double a, double b, int shape, double& area, double& perimeter,
                          double& hydraulicDiameter) {
    switch (shape) {
    case ShapeRound:
        area = kPi * d * d / 4;
        perimeter = kPi * d;
        hydraulicDiameter = d;
        break;
    case ShapeSquare:
        area = a * a;
        perimeter = 4 * a;
        hydraulicDiameter = a;
        break;
    case ShapeRectangle:
        if (a == 0 || b == 0) return;
        area = a * b;
        perimeter = 2 * (a + b);
        hydraulicDiameter = 4 * area / perimeter;
        break;
    case ShapeOval:
        if (a == 0 || b == 0) return;
        area = kPi * a * b / 4;
        perimeter = kPi * (a + b) / 2;
        hydraulicDiameter = 4 * area / perimeter;
        break;
    default:
        break;
    }
}

int ClassifyAgainstLimit(int regime, double limit, double value) {
    if (regime == 2) return 2;
    if (regime == 1 && value > limit) return 2;
    return 1;
}

std::string ShapeKeyword(int shape) {
    static std::string keyword;
    static const char* const kKeywords[] = {"RUND", "QUADRAT", "RECHTECK", "OVAL"};
    if (shape >= 0 && shape <= 3) keyword = kKeywords[shape];
    return keyword;
}

std::string ClassText(int cls) {
    static const char* const kTexts[] = {"I", "IIa", "II", "III", "IV"};
    return cls >= 0 && cls <= 4 ? kTexts[cls] : "-";
}
