#include "velmora/shared/CProgramPrint.h"

#include "platform/MessageService.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "velmora/shared/DialogRules.h"

using vx::report::ReportJob;

bool CProgramPrint::SetupPrinterFile(ReportJob& job, const std::string& projectFile, const std::string& printerName) {
    if (printerSetup_) return printerSetup_(job, projectFile, printerName);
    // Without a display there are no printers to open.
    return false;
}

vx::report::PrintEntry CProgramPrint::Entry(int mode, const std::string& layoutFile, const std::string& exportFormat,
                                            const std::string& exportFile, const std::string& exportPath) {
    vx::report::PrintEntry entry;
    entry.mode = mode;
    entry.layoutFile = layoutFile;
    entry.exportFormat = exportFormat;
    entry.exportFile = exportFile;
    entry.exportPath = exportPath;
    entry.designer = vx::Profile().GetInt("LuL", "Designer", 0) != 0;
    entry.setupPrinter = [this](ReportJob& j, const std::string& layout, const std::string& printer) {
        SetupPrinterFile(j, layout, printer);
    };
    entry.waitCursor = waitCursor_;
    return entry;
}

int CProgramPrint::Run(const vx::report::PrintEntry& entry) {
    std::unique_ptr<ReportJob> job = factory_ ? factory_() : std::make_unique<ReportJob>();
    if (!job) {
        // The message the programs have always shown when no job could be opened.
        vx::ShowMessage(vx::LoadString(IDS_KEIN_DRUCKAUFTRAG));
        return vx::report::kErrJobOpen;
    }
    return vx::report::RunPrint(*job, entry);
}
