// The print job with the display: printer, preview window and options
// dialog. The pages are the same that the PDF export writes.
#pragma once

#include "platform/report/ReportJob.h"

#include <wx/cmndata.h>

class wxWindow;

namespace vx::report {

class WxReportJob : public ReportJob {
public:
    explicit WxReportJob(wxWindow* owner) : owner_(owner) {}

    int PrintOptionsDialog(const std::string& title) override;
    // Opens the preview window (application-modal) and returns; the window
    // keeps its own copy of the pages.
    int PreviewDisplay() override;

    // Stores the named printer with its default settings in the layout's
    // printer file; false when there is no such printer name.
    bool SetPrinterInPrinterFile(const std::string& layoutFile, const std::string& printerName);

protected:
    int SendToPrinter(const ReportPages& pages) override;

private:
    wxWindow* owner_;
};

wxPrintData ToPrintData(const PrinterSettings& settings);
// The settings of data, with base's file kept.
PrinterSettings FromPrintData(const wxPrintData& data, const PrinterSettings& base = {});

} // namespace vx::report
