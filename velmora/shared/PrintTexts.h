// Texts of a printed calculation that both programs print alike.
#pragma once

#include "platform/report/ReportJob.h"

#include <functional>
#include <string>

class CAnwender;
class CProjekt;
class CWDouble;

// A value cell's display text with its unit, without the form's "*" marker.
std::string PrintCellText(CWDouble& cell);
// shape 0 round, 1 square, 2 rectangle, 3 oval; sizes in metres.
std::string PrintCrossSectionCaption(int shape, double size1, double size2, double size3);
// The course of the flue path by operating mode and the construction's kind.
std::string PrintCourseText(int operatingMode, int kind);

// The page head's variables both programs define, in their order.
using PrintVariableSink = std::function<void(const char*, const std::string&, vx::report::VarType)>;
// "FormArt" (the form kind), the user's firm data, "Version" and "PrNr".
void DefineSenderVariables(int formKind, const CAnwender& user, const CProjekt& project, const PrintVariableSink& sink);
// "Datum", the recipient's and the site's addresses, "Bearbeiter",
// "Projekt" and the profile switches "Kopfdruck" and "Absenderdruck".
void DefineProjectVariables(const CProjekt& project, const PrintVariableSink& sink);
// The options dialog's title: the caption and the project number, or
// "Drucken" when the project has no number.
std::string PrintOptionsTitle(const std::string& caption, const std::string& number);
// The remarks on one line: every carriage return a blank.
std::string PrintRemarks(std::string remarks);
