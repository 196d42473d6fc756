#include "velmora/shared/VelmoraPrintWindow.h"

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
    const wxMenuItemList& items = menu->GetMenuItems();
    const int pos = items.IndexOf(item);
    const int count = int(items.GetCount());
    const bool before = pos > 0 && items[size_t(pos - 1)]->IsSeparator();
    const bool after = pos + 1 < count && items[size_t(pos + 1)]->IsSeparator();
    menu->Destroy(item);
    if (before && after) menu->Destroy(items[size_t(pos)]);
    return true;
}
