#include "quorvel/CDlgAnwender.h"

#include "platform/MessageService.h"
#include "platform/wx/WxText.h"
#include "quorvel/QuorvelDialogs.h"
#include "quorvel/QuorvelText.h"
#include "quorvel/fields/CParsedEdit.h"
#include "quorvel/fields/FieldRules.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

// The user file keeps values of up to this length.
constexpr size_t kFieldLimit = 255;

} // namespace

CDlgAnwender::CDlgAnwender(wxWindow* parent, const CAnwender& record_, int flags)
    : CVxtDialog(IDD, parent, nullptr, 1), record(record_), flags_(flags) {
    title = QuorvelString(IDS_QV_TITLE_USER);
    helpContext = 23;
    struct Row {
        int id;
        unsigned label;
        std::string* member;
    } rows[] = {{IDC_NAME1, IDS_QV_LBL_NAME1, &record.name1},
                {IDC_NAME2, IDS_QV_LBL_NAME2, &record.name2},
                {IDC_STREET, IDS_QV_LBL_USER_STREET, &record.street},
                {IDC_PLZ_ORT, IDS_QV_LBL_USER_PLZ_TOWN, &record.plzOrt},
                {IDC_TEL, IDS_QV_LBL_USER_TELEPHONE, &record.telephone},
                {IDC_FAX, IDS_QV_LBL_USER_FAX, &record.fax},
                {IDC_EMAIL, IDS_QV_LBL_USER_EMAIL, &record.email},
                {IDC_WWW, IDS_QV_LBL_WEB, &record.web}};
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    for (unsigned line : {IDS_QV_USER_GREETING, IDS_QV_USER_GREETING2, IDS_QV_USER_GREETING3, IDS_QV_USER_GREETING4})
        sizer->Add(new wxStaticText(this, wxID_ANY, QuorvelLabel(line)), 0, wxLEFT | wxRIGHT | wxTOP, 8);
    auto* body = new wxBoxSizer(wxHORIZONTAL);
    auto* grid = new wxFlexGridSizer(2, 4, 8);
    grid->AddGrowableCol(1);
    for (size_t i = 0; i < std::size(rows); ++i) {
        Binding& b = fields_[i];
        b.member = rows[i].member;
        b.cell.Init(uint16_t(rows[i].id), 0, 0, 0, fields::KindAny, 0, 0, 0, 0, 0, 0, 0, false);
        grid->Add(new wxStaticText(this, wxID_ANY, QuorvelLabel(rows[i].label)), 0, wxALIGN_CENTER_VERTICAL);
        auto* edit = new CParsedEdit(&b.cell);
        edit->Create(this, rows[i].id, wxDefaultPosition, wxSize(320, -1));
        edit->SetLimitText(kFieldLimit);
        grid->Add(edit, 0, wxEXPAND);
        RegisterValue(&b.cell);
    }
    body->Add(grid, 1, wxALL | wxEXPAND, 8);
    auto* side = new wxBoxSizer(wxVERTICAL);
    auto* ok = new wxButton(this, wxID_OK, QuorvelLabel(IDS_QV_BTN_CONTINUE));
    ok->SetDefault();
    side->Add(ok, 0, wxEXPAND | wxBOTTOM, 4);
    side->Add(new wxButton(this, wxID_CANCEL, QuorvelLabel(IDS_QV_BTN_CANCEL)), 0, wxEXPAND);
    body->Add(side, 0, wxALL, 8);
    sizer->Add(body, 1, wxEXPAND);
    auto* hint = new wxStaticText(this, IDC_HINT, QuorvelLabel(IDS_QV_USER_NAME1_HINT));
    hint->SetForegroundColour(*wxRED);
    hint->Wrap(480);
    sizer->Add(hint, 0, wxLEFT | wxRIGHT, 8);
    // Room for the message strip at the bottom.
    sizer->AddSpacer(28);
    SetSizerAndFit(sizer);
    hint->Show((flags_ & ShowHint) != 0);
    Layout();
}

bool CDlgAnwender::OnInitDialog() {
    CVxtDialog::OnInitDialog();
    for (Binding& b : fields_) b.cell.text = *b.member;
    RefreshFields(false);
    if ((flags_ & LockName1) && !record.name1.empty())
        if (auto* name1 = dynamic_cast<wxTextCtrl*>(FindWindow(IDC_NAME1))) name1->SetEditable(false);
    if (wxWindow* first = FindWindow((flags_ & LockName1) && !record.name1.empty() ? IDC_NAME2 : IDC_NAME1))
        first->SetFocus();
    return true;
}

void CDlgAnwender::Finish() {
    if (Fields().endCode == 1) {
        if (RefreshFields(true) == 0) return;
        for (Binding& b : fields_) *b.member = b.cell.text;
        // The record still goes back to the caller; the user learns that the file is behind.
        if (!record.Save())
            vx::ShowMessage(QuorvelString(IDS_QV_USER_NOT_SAVED), vx::MB_OK | vx::MB_ICONSTOP);
    }
    CVxtDialog::Finish();
}
