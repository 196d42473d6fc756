#include "quorvel/CDlgMatchCode.h"

#include "platform/wx/WxText.h"
#include "quorvel/QuorvelDialogs.h"
#include "quorvel/QuorvelText.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

CDlgMatchCode::CDlgMatchCode(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, QuorvelLabel(IDS_QV_TITLE_MATCHCODE), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* hint = new wxStaticText(this, wxID_ANY, QuorvelLabel(IDS_QV_MATCHCODE_HINT));
    hint->Wrap(300);
    sizer->Add(hint, 0, wxALL, 8);
    edit_ = new wxTextCtrl(this, IDC_MATCH, "", wxDefaultPosition, wxSize(160, -1));
    edit_->SetMaxLength(10);
    sizer->Add(edit_, 0, wxLEFT | wxRIGHT, 8);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* ok = new wxButton(this, wxID_OK, QuorvelLabel(IDS_QV_BTN_CONTINUE));
    ok->SetDefault();
    buttons->Add(ok, 0, wxRIGHT, 4);
    buttons->Add(new wxButton(this, wxID_CANCEL, QuorvelLabel(IDS_QV_BTN_CANCEL)));
    sizer->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 8);
    SetSizerAndFit(sizer);
    // A double-click takes the code as "&Weiter" does.
    auto takeIt = [this](wxMouseEvent&) {
        if (IsModal() && Validate() && TransferDataFromWindow()) EndModal(wxID_OK);
    };
    edit_->Bind(wxEVT_LEFT_DCLICK, takeIt);
    Bind(wxEVT_LEFT_DCLICK, takeIt);
    CentreOnParent();
}

bool CDlgMatchCode::TransferDataFromWindow() {
    match = vx::FromWx(edit_->GetValue());
    return true;
}
