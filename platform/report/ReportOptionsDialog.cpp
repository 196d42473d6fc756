#include "platform/report/ReportOptionsDialog.h"

#include "platform/MessageService.h"
#include "platform/PlatformText.h"
#include "platform/report/WxReportJob.h"
#include "platform/wx/WxText.h"

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/printdlg.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace vx::report {
namespace {
enum { ID_BROWSE = wxID_HIGHEST + 1, ID_SETUP };

wxString Label(unsigned id) { return ToWx(PlatformText(id)); }
}

ReportOptionsDialog::ReportOptionsDialog(wxWindow* parent, const std::string& title, ReportJob& job)
    : wxDialog(parent, wxID_ANY, ToWx(title)), job_(job) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    // Each choice has its letter, so that the keyboard reaches the PDF file
    // without counting arrow presses from whatever was chosen last.
    wxString choices[] = {Label(IDS_AUSGABE_DRUCKER), Label(IDS_AUSGABE_VORSCHAU),
                          Label(IDS_AUSGABE_PDF_DATEI)};
    target_ = new wxRadioBox(this, wxID_ANY, Label(IDS_AUSGABE), wxDefaultPosition, wxDefaultSize,
                             3, choices, 1);
    top->Add(target_, 0, wxALL | wxEXPAND, 8);

    auto* fileRow = new wxBoxSizer(wxHORIZONTAL);
    fileRow->Add(new wxStaticText(this, wxID_ANY, Label(IDS_AUSGABE_DATEI)), 0,
                 wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    file_ = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxSize(280, -1));
    fileRow->Add(file_, 1, wxRIGHT, 4);
    fileRow->Add(new wxButton(this, ID_BROWSE, Label(IDS_DURCHSUCHEN)), 0);
    top->Add(fileRow, 0, wxLEFT | wxRIGHT | wxEXPAND, 8);

    top->Add(new wxButton(this, ID_SETUP, Label(IDS_DRUCKER_EINRICHTEN)), 0, wxALL, 8);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, wxID_OK, ToWx("&OK")), 0, wxRIGHT, 4);
    buttons->Add(new wxButton(this, wxID_CANCEL, Label(IDS_ABBRUCH)), 0, wxRIGHT, 4);
    // There is no online help: greyed as in every other dialog; the help
    // request still reaches the callback for a program that has one.
    auto* help = new wxButton(this, wxID_HELP, Label(IDS_HILFE));
    help->Disable();
    buttons->Add(help, 0);
    top->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 8);
    SetSizerAndFit(top);

    Bind(wxEVT_BUTTON, &ReportOptionsDialog::OnBrowse, this, ID_BROWSE);
    Bind(wxEVT_BUTTON, &ReportOptionsDialog::OnSetup, this, ID_SETUP);
    Bind(wxEVT_BUTTON, &ReportOptionsDialog::OnHelp, this, wxID_HELP);
    target_->Bind(wxEVT_RADIOBOX, &ReportOptionsDialog::OnChoice, this);
    Choose(job.GetDestination(), job.ExportFile());
}

void ReportOptionsDialog::Choose(Destination d, const std::string& exportFile) {
    target_->SetSelection(d == Destination::Printer ? 0 : d == Destination::Preview ? 1 : 2);
    if (!exportFile.empty()) file_->ChangeValue(ToWxPath(exportFile));
    file_->Enable(d == Destination::Export);
}

Destination ReportOptionsDialog::GetDestination() const {
    switch (target_->GetSelection()) {
    case 1: return Destination::Preview;
    case 2: return Destination::Export;
    default: return Destination::Printer;
    }
}

std::string ReportOptionsDialog::GetExportFile() const { return FromWxPath(file_->GetValue()); }

bool ReportOptionsDialog::TransferDataFromWindow() {
    if (GetDestination() == Destination::Export && GetExportFile().empty()) {
        ShowMessage(PlatformText(IDS_PDF_DATEI_ANGEBEN));
        file_->SetFocus();
        return false;
    }
    return wxDialog::TransferDataFromWindow();
}

void ReportOptionsDialog::OnChoice(wxCommandEvent&) { file_->Enable(GetDestination() == Destination::Export); }

void ReportOptionsDialog::OnBrowse(wxCommandEvent&) {
    wxFileDialog dlg(this, Label(IDS_PDF_DATEI), "", file_->GetValue(),
                     Label(IDS_PDF_DATEIEN_FILTER), wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dlg.ShowModal() != wxID_OK) return;
    file_->ChangeValue(dlg.GetPath());
    Choose(Destination::Export);
}

void ReportOptionsDialog::OnSetup(wxCommandEvent&) {
    PrinterSettings settings;
    ReadPrinterFile(job_.LayoutFile(), settings);
    wxPrintDialogData data(ToPrintData(settings));
    wxPrintDialog dlg(this, &data);
    if (dlg.ShowModal() != wxID_OK) return;
    if (!WritePrinterFile(job_.LayoutFile(), FromPrintData(dlg.GetPrintDialogData().GetPrintData(), settings)))
        ShowMessage(PlatformText(IDS_DRUCKEREINSTELLUNGEN_NICHT_GESPEICHERT));
    Choose(Destination::Printer);
}

void ReportOptionsDialog::OnHelp(wxCommandEvent&) { job_.RequestHelp(kHelpContextOptions); }

} // namespace vx::report
