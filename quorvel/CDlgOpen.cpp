#include "quorvel/CDlgOpen.h"

#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "quorvel/CQuorvelApp.h"
#include "quorvel/QuorvelDialogs.h"
#include "quorvel/QuorvelText.h"

#include <wx/button.h>
#include <wx/image.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>

#include <filesystem>

namespace {

std::string CurrentDir() {
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
}

} // namespace

wxBitmap StartIcon(int id) {
    if (id == 0) return wxBitmap();
    const std::string path = vx::JoinPath(vx::ResourceDir(), vx::Format("quorvel/icon%d.xpm", id));
    if (!vx::FileExists(path)) return wxBitmap();
    if (!wxImage::FindHandler(wxBITMAP_TYPE_XPM)) wxImage::AddHandler(new wxXPMHandler);
    wxImage image;
    if (!image.LoadFile(vx::ToWxPath(path), wxBITMAP_TYPE_XPM)) return wxBitmap();
    return wxBitmap(image);
}

CDlgOpen::CDlgOpen(wxWindow* parent, const StartDialogTexts& texts)
    : wxDialog(parent, wxID_ANY, vx::ToWx(texts.title), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* group = new wxStaticBoxSizer(new wxStaticBox(this, IDC_TEXT, vx::ToWx(texts.text)), wxVERTICAL);
    const struct {
        int id, iconId;
        const std::string& caption;
    } rows[] = {{IDC_FIRST, IDC_ICON1, texts.choice1},
                {IDC_SECOND, IDC_ICON2, texts.choice2},
                {IDC_OPEN, IDC_ICON3, texts.openChoice}};
    for (int i = 0; i < 3; ++i) {
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        // The place keeps its size also without a picture, so the choices line up.
        auto* icon = new wxStaticBitmap(group->GetStaticBox(), rows[i].iconId, StartIcon(texts.icons[i]),
                                        wxDefaultPosition, wxSize(32, 32));
        row->Add(icon, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
        choices_[i] = new wxRadioButton(group->GetStaticBox(), rows[i].id, vx::ToWx(rows[i].caption),
                                        wxDefaultPosition, wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
        row->Add(choices_[i], 1, wxALIGN_CENTER_VERTICAL);
        group->Add(row, 0, wxALL | wxEXPAND, 4);
        if (i == 1 && texts.icons[1] == 0) {
            icon->Hide();
            choices_[i]->Hide();
        }
    }
    list_ = new wxListBox(group->GetStaticBox(), IDC_LIST, wxDefaultPosition, wxSize(320, 160));
    group->Add(list_, 1, wxALL | wxEXPAND, 4);
    sizer->Add(group, 1, wxALL | wxEXPAND, 8);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* ok = new wxButton(this, wxID_OK, QuorvelLabel(IDS_QV_BTN_CONTINUE));
    ok->SetDefault();
    buttons->Add(ok, 0, wxRIGHT, 8);
    buttons->Add(new wxButton(this, wxID_CANCEL, QuorvelLabel(IDS_QV_BTN_CANCEL)));
    sizer->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 8);
    SetSizerAndFit(sizer);

    list_->Append(QuorvelLabel(IDS_QV_MORE_PROJECTS));
    recent_ = ReadRecentProjects(CurrentDir());
    for (const RecentProject& p : recent_) list_->Append(vx::ToWxPath(p.display));
    list_->SetSelection(0);
    // Nothing recent to open: a new project is the likely wish.
    choices_[recent_.empty() ? 0 : 2]->SetValue(true);
    EnableList();

    for (wxRadioButton* choice : choices_) choice->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { EnableList(); });
    list_->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { OnWeiter(); });
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnWeiter(); }, wxID_OK);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(Cancelled); }, wxID_CANCEL);
    SetEscapeId(wxID_CANCEL);
    CentreOnParent();
}

void CDlgOpen::EnableList() {
    const bool on = choices_[2]->GetValue();
    // A disabled list shows no chosen line: the toolkit draws it grey on the
    // selection's blue, which cannot be read.
    if (!on && list_->GetSelection() != wxNOT_FOUND) {
        listLine_ = list_->GetSelection();
        list_->SetSelection(wxNOT_FOUND);
    }
    list_->Enable(on);
    if (on && list_->GetSelection() == wxNOT_FOUND) list_->SetSelection(listLine_);
}

void CDlgOpen::OnWeiter() {
    int code = Cancelled;
    if (choices_[0]->GetValue()) {
        code = FirstChoice;
    } else if (choices_[1]->GetValue() && choices_[1]->IsShown()) {
        code = SecondChoice;
    } else if (choices_[2]->GetValue()) {
        const int line = list_->GetSelection();
        if (line <= 0) {
            code = OpenOther;
        } else {
            vx::Profile().WritePath("Global", "LstPrj", recent_[size_t(line - 1)].path);
            code = OpenRecent;
        }
    }
    EndModal(code);
}
