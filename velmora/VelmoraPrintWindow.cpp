#include "velmora/VelmoraPrintWindow.h"

#include "platform/report/WxReportJob.h"

#include <wx/menu.h>
#include <wx/utils.h>

std::unique_ptr<CVelmoraPrint> MakeWindowPrint(wxWindow* owner) {
    auto print = std::make_unique<CVelmoraPrint>(
        [owner] { return std::make_unique<vx::report::WxReportJob>(owner); },
        [](vx::report::ReportJob& job, const std::string& layout, const std::string& printer) {
            auto* wxJob = dynamic_cast<vx::report::WxReportJob*>(&job);
            return wxJob && wxJob->SetPrinterInPrinterFile(layout, printer);
        });
    print->SetWaitCursor([](bool on) {
        if (on) wxBeginBusyCursor();
        else wxEndBusyCursor();
    });
    return print;
}

bool RemoveMenuItemWithSeparator(wxMenuBar* bar, int id) {
    if (!bar) return false;
    wxMenu* menu = nullptr;
    wxMenuItem* item = bar->FindItem(id, &menu);
    if (!item || !menu) return false;
    wxMenuItemList::compatibility_iterator node = menu->GetMenuItems().Find(item);
    if (!node) return false;
    wxMenuItem* before = node->GetPrevious() ? node->GetPrevious()->GetData() : nullptr;
    wxMenuItem* after = node->GetNext() ? node->GetNext()->GetData() : nullptr;
    menu->Destroy(item);
    if (before && after && before->IsSeparator() && after->IsSeparator()) menu->Destroy(after);
    return true;
}
