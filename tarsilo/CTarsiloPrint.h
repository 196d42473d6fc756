// The assignment table on paper: printed, previewed or exported through the
// reporting layer on the layout "Tarsilo.LST", one table row per result row,
// and mailed as an export.
#pragma once

#include "platform/report/CalculationMailer.h"
#include "platform/report/PrintEntry.h"
#include "platform/report/ReportJob.h"
#include "velmora/shared/CProgramPrint.h"
#include "velmora/shared/PrintTexts.h"

#include <functional>
#include <memory>
#include <string>

class CAnwender;
class CTarsiloDocCore;

class CTarsiloPrint : public CProgramPrint {
public:
    using CProgramPrint::CProgramPrint;

    // The print modes of the reporting layer (vx::report::kPrint...); 0 on
    // success, else its status, already shown to the user.
    int PrintTable(int mode, CTarsiloDocCore& doc, CAnwender& user, const std::string& exportFormat = "",
                   const std::string& exportFile = "", const std::string& exportPath = "");

    // The page's variables in their order of definition.
    using VariableSink = PrintVariableSink;
    static void ForEachPrintVariable(CTarsiloDocCore& doc, CAnwender& user, const VariableSink& sink);
    // The row fields: "KopfDM" and the result row's first four columns;
    // false when there is no such row.
    using FieldSink = std::function<void(const char*, const std::string&)>;
    static bool RowFields(const CTarsiloDocCore& doc, int row, const FieldSink& sink);
    // The cross-section column's heading on paper by shape.
    static std::string SectionHeading(int shape);
    static int PrintNotificationCallback(int message, intptr_t parameter, void* user);

    // Profile "LuL"/"Formular0"; by default "Tarsilo.LST" in the data
    // directory, or beside the program when the data directory has none.
    static std::string LayoutFile();

    void SetHelpHandler(std::function<void(unsigned)> handler) { help_ = std::move(handler); }

private:
    std::function<void(unsigned)> help_;
};

// What the frame's commands call: print (mode -1 lets the options dialog
// decide), preview (5), export (7).
int PrintAssignmentTable(CTarsiloPrint& print, CTarsiloDocCore& doc, CAnwender& user, int mode);
// Mails the table as the export the mailer asks for; false when it failed
// (the user was told).
bool SendAssignmentMail(vx::report::CalculationMailer& mailer, CTarsiloPrint& print, CTarsiloDocCore& doc,
                        CAnwender& user, const std::string& title);
