#include "platform/report/ReportPrintout.h"

#include "platform/wx/WxCanvas.h"

#include <algorithm>
#include <wx/dc.h>

namespace vx::report {
namespace {

void Draw(const ReportPage& page, wxDC& dc) {
    WxCanvas canvas(dc);
    canvas.SetTextBackground(std::nullopt);
    Replay(page, canvas);
    dc.DestroyClippingRegion();
}

} // namespace

ReportPrintout::ReportPrintout(std::shared_ptr<const ReportPages> pages, const wxString& title)
    : wxPrintout(title), pages_(std::move(pages)) {}

bool ReportPrintout::HasPage(int page) { return page >= 1 && page <= int(pages_->pages.size()); }

void ReportPrintout::GetPageInfo(int* minPage, int* maxPage, int* fromPage, int* toPage) {
    *minPage = *fromPage = 1;
    *maxPage = *toPage = int(pages_->pages.size());
}

bool ReportPrintout::OnPrintPage(int page) {
    wxDC* dc = GetDC();
    if (!dc || !HasPage(page)) return false;
    // Layout units onto the paper itself, so that margins are measured from
    // the paper's edge whatever the printer cannot reach.
    FitThisSizeToPaper(wxSize(pages_->pageSize.width, pages_->pageSize.height));
    Draw(pages_->pages[size_t(page - 1)], *dc);
    return true;
}

void RenderReportPage(const ReportPage& page, Size pageSize, wxDC& dc) {
    wxSize device = dc.GetSize();
    double scale = std::min(double(device.x) / pageSize.width, double(device.y) / pageSize.height);
    dc.SetUserScale(scale, scale);
    dc.SetDeviceOrigin(0, 0);
    Draw(page, dc);
}

bool PrintReportToDc(const ReportPages& pages, wxDC& dc, const wxString& title) {
    if (!dc.IsOk() || !dc.StartDoc(title)) return false;
    for (const ReportPage& page : pages.pages) {
        dc.StartPage();
        RenderReportPage(page, pages.pageSize, dc);
        dc.EndPage();
    }
    dc.EndDoc();
    return true;
}

} // namespace vx::report
