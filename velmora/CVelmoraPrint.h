// The print helper: prints, previews or exports a calculation through the
// reporting layer on the layout "Velmora.LST", and hands an exported
// calculation to the desktop's mail program. The window parts (options
// dialog, printer, preview) come from the job the factory makes.
#pragma once

#include "platform/report/CalculationMailer.h"
#include "platform/report/PrintEntry.h"
#include "platform/report/ReportJob.h"
#include "velmora/shared/CProgramPrint.h"
#include "velmora/shared/PrintTexts.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CAnwender;
class CProjekt;
class CAufBauE;
class CWaerme;
class CVerb;
class CSchorn;
class CVelmoraDiag;

// What the print reads of a document. The document fills it; the sizes the
// print sets into the connecting piece and the chimney stay in them.
struct VelmoraPrintSource {
    CAnwender* user = nullptr;
    CProjekt* project = nullptr;
    CAufBauE* construction = nullptr;
    CWaerme* heater = nullptr;
    CVerb* connector = nullptr;
    CSchorn* chimney = nullptr;
    CVelmoraDiag* diagram = nullptr;  // the band, drawn into the page
    double chosenSize = 0;            // the diagram's chosen size, cm
    std::string text1, text2;         // the document's two project lines
    std::string moisture;             // "-", "ja" or "nein"
    std::string remarks;
    int partLoadSwitch = 1;
    std::string title;                // the document's title, for the mail
};

using vx::report::kPrintChoosePrinter;
using vx::report::kPrintExport;
using vx::report::kPrintExportQuiet;
using vx::report::kPrintOptionsDialog;
using vx::report::kPrintPreview;
using vx::report::kPrintPrinter;

class CVelmoraPrint : public CProgramPrint {
public:
    using CProgramPrint::CProgramPrint;

    // Modes 1-3 print, 5 previews, 6 stores the printer exportFile names in
    // the layout's printer file and prints, 0 and 7 export quietly; any other
    // mode lets the options dialog decide. 0 on success, else the status of
    // the reporting layer (already shown to the user).
    int PrintCalculation(int mode, VelmoraPrintSource& document, const std::string& exportFormat = "",
                         const std::string& exportFile = "", const std::string& exportPath = "");

    static void DefinePrintVariables(vx::report::ReportJob& job, VelmoraPrintSource& document);
    // The variables in their order of definition, as DefinePrintVariables
    // hands them to the job.
    using VariableSink = PrintVariableSink;
    static void ForEachPrintVariable(VelmoraPrintSource& document, const VariableSink& sink);
    static int PrintNotificationCallback(int message, intptr_t parameter, void* user);

    // shape 0 round, 1 square, 2 rectangle, 3 oval; sizes in metres.
    static std::string CrossSectionCaption(int shape, double size1, double size2, double size3);
    // The course of the flue path by operating mode and the construction's kind.
    static std::string CourseText(int operatingMode, int kind);

    // The layout file: profile "LuL"/"Formular" + the form number, by default
    // "Velmora.LST" in the program directory.
    static std::string LayoutFile();

    // Called for the layer's help requests (context, command).
    void SetHelpHandler(std::function<void(unsigned, unsigned)> handler) { help_ = std::move(handler); }

    const std::string& TempDir() const { return tempDir_; }

private:
    std::function<void(unsigned, unsigned)> help_;
    std::string tempDir_;
    VelmoraPrintSource* current_ = nullptr;
};

// Mails the calculation: exported through the print, addressed to the
// project's recipient; false when it failed (the user was told).
bool SendCalculationMail(vx::report::CalculationMailer& mailer, CVelmoraPrint& print, VelmoraPrintSource& document);
