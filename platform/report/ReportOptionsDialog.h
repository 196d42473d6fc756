// The options dialog of a print: where it goes (printer, preview, PDF
// file) and the printer's set-up; its title names the project.
#pragma once

#include "platform/report/ReportJob.h"

#include <wx/dialog.h>

class wxRadioBox;
class wxTextCtrl;

namespace vx::report {

class ReportOptionsDialog : public wxDialog {
public:
    ReportOptionsDialog(wxWindow* parent, const std::string& title, ReportJob& job);

    Destination GetDestination() const;
    std::string GetExportFile() const;
    // Sets the choice as the user would (tests and the job's current choice).
    void Choose(Destination d, const std::string& exportFile = "");
    bool TransferDataFromWindow() override;

private:
    void OnBrowse(wxCommandEvent&);
    void OnSetup(wxCommandEvent&);
    void OnHelp(wxCommandEvent&);
    void OnChoice(wxCommandEvent&);

    ReportJob& job_;
    wxRadioBox* target_ = nullptr;
    wxTextCtrl* file_ = nullptr;
};

} // namespace vx::report
