#include "velmora/shared/PrintDisplay.h"

#include "platform/report/WxReportJob.h"
#include "velmora/shared/CommandIds.h"

#include <wx/event.h>
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

void BindPrintCommands(wxEvtHandler& doc, std::function<bool()> ready, std::function<void(int mode)> print) {
    for (int id : {ID_PRINT_CALCULATION, ID_PREVIEW_CALCULATION, ID_FILE_SEND_MAIL}) RoutedCommands().insert(id);
    auto command = [ready, print](int mode) {
        return [ready, print, mode](wxCommandEvent&) {
            if (ready()) print(mode);
        };
    };
    doc.Bind(wxEVT_MENU, command(vx::report::kPrintOptionsDialog), ID_PRINT_CALCULATION);
    doc.Bind(wxEVT_MENU, command(vx::report::kPrintPreview), ID_PREVIEW_CALCULATION);
    doc.Bind(wxEVT_UPDATE_UI, [ready](wxUpdateUIEvent& e) { e.Enable(ready()); }, ID_PRINT_CALCULATION,
             ID_PREVIEW_CALCULATION);
}
