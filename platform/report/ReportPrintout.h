// Recorded report pages on a wxDC: the printout for the printer and the
// preview window, and a whole report onto any page-producing DC.
#pragma once

#include "platform/report/ReportPage.h"

#include <memory>
#include <wx/print.h>

class wxDC;

namespace vx::report {

class ReportPrintout : public wxPrintout {
public:
    ReportPrintout(std::shared_ptr<const ReportPages> pages, const wxString& title);

    bool HasPage(int page) override;
    void GetPageInfo(int* minPage, int* maxPage, int* fromPage, int* toPage) override;
    bool OnPrintPage(int page) override;

private:
    std::shared_ptr<const ReportPages> pages_;
};

// Draws one page on dc, scaled so that the layout's page fills the DC's
// page; the DC's own page must already be started.
void RenderReportPage(const ReportPage& page, Size pageSize, wxDC& dc);
// Prints every page onto dc (StartDoc .. EndDoc); false when the DC fails.
bool PrintReportToDc(const ReportPages& pages, wxDC& dc, const wxString& title);

} // namespace vx::report
