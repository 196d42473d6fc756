#include "quorvel/CDlgFormular.h"

#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/wx/WxText.h"
#include "quorvel/CQuorvelApp.h"
#include "quorvel/FormLayout.h"
#include "quorvel/QuorvelDialogs.h"
#include "quorvel/QuorvelText.h"
#include "quorvel/fields/CParsedEdit.h"
#include "quorvel/fields/FieldRules.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

CDlgFormular::CDlgFormular(wxWindow* parent) : CVxtDialog(IDD, parent, nullptr, 1) {
    title = QuorvelString(IDS_QV_TITLE_PRINT_SETUP);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* body = new wxBoxSizer(wxHORIZONTAL);
    auto* left = new wxBoxSizer(wxVERTICAL);

    auto* margins =
        new wxStaticBoxSizer(new wxStaticBox(this, IDC_MARGINS, QuorvelLabel(IDS_QV_PRT_MARGINS)), wxVERTICAL);
    auto* grid = new wxFlexGridSizer(3, 4, 8);
    struct Row {
        CWDouble* value;
        int id;
        unsigned label;
    } rows[] = {{&top_, IDC_TOP, IDS_QV_PRT_TOP}, {&left_, IDC_LEFT, IDS_QV_PRT_LEFT}};
    for (const Row& row : rows) {
        row.value->Init(uint16_t(row.id), 0, 0, 0, fields::KindSignedDecimal, 0, 0, 0, 0, 0, 0, 0, false);
        // Labels and fields share one parent, or the box shifts one against the other.
        grid->Add(new wxStaticText(this, wxID_ANY, QuorvelLabel(row.label)), 0, wxALIGN_CENTER_VERTICAL);
        auto* edit = new CParsedEdit(row.value);
        edit->Create(this, row.id, wxDefaultPosition, wxSize(80, -1));
        edit->SetLimitText(8);
        grid->Add(edit);
        grid->Add(new wxStaticText(this, wxID_ANY, QuorvelLabel(IDS_QV_PRT_CM)), 0, wxALIGN_CENTER_VERTICAL);
        RegisterValue(row.value);
    }
    margins->Add(grid, 0, wxALL, 6);
    left->Add(margins, 0, wxEXPAND | wxBOTTOM, 8);

    auto* form = new wxStaticBoxSizer(new wxStaticBox(this, IDC_FORM_GROUP, QuorvelLabel(IDS_QV_PRT_FORM)), wxVERTICAL);
    letterhead_ = new wxCheckBox(this, IDC_LETTERHEAD, QuorvelLabel(IDS_QV_PRT_LETTERHEAD));
    sender_ = new wxCheckBox(this, IDC_SENDER, QuorvelLabel(IDS_QV_PRT_SENDER));
    forms_[0] =
        new wxRadioButton(this, IDC_SHORT_FORM, QuorvelLabel(IDS_QV_PRT_SHORT), wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    forms_[1] = new wxRadioButton(this, IDC_STANDARD_FORM, QuorvelLabel(IDS_QV_PRT_STANDARD));
    for (wxWindow* w : {static_cast<wxWindow*>(letterhead_), static_cast<wxWindow*>(sender_),
                        static_cast<wxWindow*>(forms_[0]), static_cast<wxWindow*>(forms_[1])})
        form->Add(w, 0, wxALL, 3);
    left->Add(form, 0, wxEXPAND);
    body->Add(left, 1, wxALL | wxEXPAND, 8);

    auto* side = new wxBoxSizer(wxVERTICAL);
    auto* ok = new wxButton(this, wxID_OK, QuorvelLabel(IDS_QV_BTN_CONTINUE));
    ok->SetDefault();
    side->Add(ok, 0, wxEXPAND | wxBOTTOM, 4);
    side->Add(new wxButton(this, wxID_CANCEL, QuorvelLabel(IDS_QV_BTN_CANCEL)), 0, wxEXPAND | wxBOTTOM, 4);
    side->Add(new wxButton(this, wxID_HELP, QuorvelLabel(IDS_QV_BTN_HELP)), 0, wxEXPAND);
    body->Add(side, 0, wxALL, 8);
    sizer->Add(body, 1, wxEXPAND);
    // Room for the message strip at the bottom.
    sizer->AddSpacer(28);
    SetSizerAndFit(sizer);
    GreyHelpButton(this);
    for (int i = 0; i < 2; ++i)
        forms_[i]->Bind(wxEVT_RADIOBUTTON, [this, i](wxCommandEvent&) { ReadForm(i); });
}

bool CDlgFormular::OnInitDialog() {
    CVxtDialog::OnInitDialog();
    vx::AppProfile& profile = vx::Profile();
    sender_->SetValue(profile.GetInt("LuL", "Absenderdruck", 1) != 0);
    letterhead_->SetValue(profile.GetInt("LuL", "Kopfdruck", 1) != 0);
    form_ = profile.GetInt("LuL", "Formular", 0);
    if (profile.GetInt("LuL", "AnzFormulare", 0) < 2) {
        form_ = 0;
        forms_[0]->Hide();
        forms_[1]->Hide();
        Layout();
    }
    // Only two forms can be chosen here.
    if (form_ < 0 || form_ > 1) form_ = 0;
    forms_[form_]->SetValue(true);
    ReadForm(form_);
    if (wxWindow* first = FindWindow(IDC_TOP)) first->SetFocus();
    return true;
}

void CDlgFormular::ReadForm(int index) {
    form_ = index;
    layoutPath_ = vx::Profile().GetPath("LuL", vx::Format("Formular%d", index), "");
    if (!layoutPath_.empty()) {
        const FormMargins m = ReadFormMargins(layoutPath_);
        top_.value = m.topCm;
        left_.value = m.leftCm;
    }
    RefreshFields(false);
}

void CDlgFormular::Finish() {
    if (Fields().endCode != 1) {
        CVxtDialog::Finish();
        return;
    }
    if (RefreshFields(true) == 0) return;
    const FormMargins margins{top_.value, left_.value};
    if (const int wrong = WrongMargin(margins)) {
        vx::ShowMessage(vx::Format(QuorvelString(IDS_QV_MARGIN_RANGE), 0.0, 2.0) + " " + QuorvelString(IDS_QV_PRT_CM),
                        vx::MB_OK | vx::MB_ICONEXCLAMATION);
        if (wxWindow* field = FindWindow(wrong == 1 ? IDC_TOP : IDC_LEFT)) field->SetFocus();
        return;
    }
    vx::AppProfile& profile = vx::Profile();
    profile.WriteInt("LuL", "Absenderdruck", sender_->GetValue() ? 1 : 0);
    profile.WriteInt("LuL", "Kopfdruck", letterhead_->GetValue() ? 1 : 0);
    profile.WriteInt("LuL", "Formular", form_);
    if (!layoutPath_.empty() && !WriteFormMargins(layoutPath_, margins))
        vx::ShowMessage(QuorvelString(IDS_QV_MARGIN_WRITE_FAILED), vx::MB_OK | vx::MB_ICONSTOP);
    CVxtDialog::Finish();
}
