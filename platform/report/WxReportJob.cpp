#include "platform/report/WxReportJob.h"

#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/PlatformText.h"
#include "platform/report/ReportOptionsDialog.h"
#include "platform/report/ReportPrintout.h"
#include "platform/wx/WxText.h"

#include <wx/dcps.h>
#include <wx/log.h>
#include <wx/print.h>
#include <wx/printdlg.h>
#include <wx/toplevel.h>

namespace vx::report {

wxPrintData ToPrintData(const PrinterSettings& s) {
    wxPrintData data;
    if (!s.printer.empty()) data.SetPrinterName(ToWx(s.printer));
    data.SetOrientation(s.landscape ? wxLANDSCAPE : wxPORTRAIT);
    data.SetNoCopies(s.copies);
    if (s.paper > 0) data.SetPaperId(wxPaperSize(s.paper));
    return data;
}

PrinterSettings FromPrintData(const wxPrintData& data, const PrinterSettings& base) {
    PrinterSettings s = base;
    s.printer = FromWx(data.GetPrinterName());
    s.landscape = data.GetOrientation() == wxLANDSCAPE;
    s.copies = data.GetNoCopies() > 0 ? data.GetNoCopies() : 1;
    s.paper = int(data.GetPaperId());
    return s;
}

int WxReportJob::PrintOptionsDialog(const std::string& title) {
    if (int rc = ReportJob::PrintOptionsDialog(title); rc < 0) return rc;
    ReportOptionsDialog dlg(owner_, title, *this);
    if (dlg.ShowModal() != wxID_OK) {
        MarkCancelled();
        return Fail(kErrUserAborted, PlatformText(IDS_DRUCK_ABGEBROCHEN));
    }
    SetDestination(dlg.GetDestination());
    if (dlg.GetDestination() == Destination::Export) SetExport("PDF", dlg.GetExportFile(), "");
    return kOk;
}

int WxReportJob::PreviewDisplay() {
    if (int rc = ReportJob::PreviewDisplay(); rc == kErrState) return rc;
    auto pages = std::make_shared<const ReportPages>(Pages());
    wxString title = ToWxPath(BaseName(LayoutFile()));
    PrinterSettings settings;
    ReadPrinterFile(LayoutFile(), settings);
    wxPrintData data = ToPrintData(settings);
    auto* preview = new wxPrintPreview(new ReportPrintout(pages, title), new ReportPrintout(pages, title), &data);
    if (!preview->IsOk()) {
        delete preview;
        return Fail(kErrDevice, PlatformText(IDS_VORSCHAU_NICHT_ANZEIGBAR));
    }
    auto* frame =
        new wxPreviewFrame(preview, owner_, ToWx(PlatformText(IDS_VORSCHAU_TITEL)) + title,
                           wxDefaultPosition, wxSize(800, 900));
    // A frame of its own: it shows the program's icons only when given them.
    if (auto* top = wxDynamicCast(owner_ ? wxGetTopLevelParent(owner_) : nullptr, wxTopLevelWindow))
        frame->SetIcons(top->GetIcons());
    frame->InitializeWithModality(wxPreviewFrame_AppModal);
    frame->Centre(wxBOTH);
    frame->Show();
    return kOk;
}

bool WxReportJob::SetPrinterInPrinterFile(const std::string& layoutFile, const std::string& printerName) {
    if (printerName.empty()) return false;
    wxPrintData data;
    data.SetPrinterName(ToWx(printerName));
    if (!data.IsOk()) return false;
    return WritePrinterFile(layoutFile, FromPrintData(data));
}

int WxReportJob::SendToPrinter(const ReportPages& pages) {
    PrinterSettings settings;
    ReadPrinterFile(LayoutFile(), settings);
    wxString title = ToWxPath(BaseName(LayoutFile()));
    if (!settings.file.empty()) {
        // The printer file names a file: PostScript instead of a printer.
        wxPrintData data = ToPrintData(settings);
        data.SetFilename(ToWxPath(settings.file));
        data.SetPrintMode(wxPRINT_MODE_FILE);
        // Without font metric files the DC only logs that it guesses widths.
        wxLogNull quiet;
        wxPostScriptDC dc(data);
        if (!PrintReportToDc(pages, dc, title))
            return Fail(kErrDevice, Format(PlatformText(IDS_DRUCKDATEI_NICHT_GESCHRIEBEN),
                                           PathForDisplay(settings.file)));
        return kOk;
    }
    wxPrintDialogData data(ToPrintData(settings));
    wxPrinter printer(&data);
    ReportPrintout printout(std::make_shared<const ReportPages>(pages), title);
    if (printer.Print(owner_, &printout, false)) return kOk;
    if (wxPrinter::GetLastError() == wxPRINTER_CANCELLED)
        return Fail(kErrUserAborted, PlatformText(IDS_DRUCK_ABGEBROCHEN));
    return Fail(kErrDevice, PlatformText(IDS_DRUCKER_FEHLER));
}

} // namespace vx::report
