#include "velmora/shared/PrintDisplay.h"

#include "platform/report/WxReportJob.h"

#include <wx/utils.h>

void AttachDisplay(CProgramPrint& print, wxWindow* owner) {
    print.SetJob([owner] { return std::make_unique<vx::report::WxReportJob>(owner); },
                 [](vx::report::ReportJob& job, const std::string& layout, const std::string& printer) {
                     auto* wxJob = dynamic_cast<vx::report::WxReportJob*>(&job);
                     return wxJob && wxJob->SetPrinterInPrinterFile(layout, printer);
                 });
    print.SetWaitCursor([](bool on) {
        if (on) wxBeginBusyCursor();
        else wxEndBusyCursor();
    });
}
