// One print, preview or export through the reporting layer, the same for
// every program: the program fills in its layout, its fields, its variables
// and its rows; the entry runs the job, shows the layer's failures and
// gives a row that finds its page full one more try on the next page.
#pragma once

#include "platform/report/ReportJob.h"

#include <functional>
#include <string>

namespace vx::report {

// The print modes: 1-3 print, 5 previews, 6 prints on the printer named by
// the export file, 0 and 7 export quietly; any other mode lets the options
// dialog decide.
enum : int {
    kPrintExportQuiet = 0,
    kPrintPrinter = 1,
    kPrintPreview = 5,
    kPrintChoosePrinter = 6,
    kPrintExport = 7,
    kPrintOptionsDialog = -1,
};

struct PrintEntry {
    int mode = kPrintOptionsDialog;
    std::string layoutFile;
    std::string exportFormat, exportFile, exportPath;
    // The options dialog's title ("Projekt: " and the project number).
    std::string optionsTitle;
    // Where the program's failure texts say the failure came from.
    std::string sourceName;
    int printStartLine = 0, previewLine = 0;
    // Profile switch: the layout designer opens on the layout first.
    bool designer = false;

    NotificationCallback notification = nullptr;
    void* notificationUser = nullptr;
    // The table's fields, defined once before the print starts.
    std::function<void(ReportJob&)> defineFields;
    // The page's variables, defined before the start and again after the options dialog.
    std::function<void(ReportJob&)> defineVariables;
    // Sets the fields of row; false when there is no such row.
    std::function<bool(ReportJob&, int row)> setRow;
    // The row as the user knows it, for the message on a row that fits on no page.
    std::function<std::string(int row)> rowName;
    // After the last row, before the table ends; a status (< 0 fails).
    std::function<int(ReportJob&)> afterRows;
    // Mode 6: stores the named printer for the layout.
    std::function<void(ReportJob&, const std::string& layout, const std::string& printer)> setupPrinter;
    // Shown around the work, off while the options dialog is open.
    std::function<void(bool)> waitCursor;
};

// Runs the print; 0 on success, else the layer's status (already shown).
int RunPrint(ReportJob& job, const PrintEntry& entry);

} // namespace vx::report
