#include "tarsilo/CDlgStatus.h"

#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "tarsilo/TarsiloText.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/eventfilter.h>
#include <wx/evtloop.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <vector>

namespace {

CDlgStatus* g_active = nullptr;

bool InsideDialog(wxObject* object, wxWindow* dialog) {
    auto* window = wxDynamicCast(object, wxWindow);
    for (; window; window = window->GetParent())
        if (window == dialog) return true;
    return false;
}

// Where a held event goes when it is let through: the window it came from,
// the window of its menu.
wxEvtHandler* TargetOf(wxEvent& event) {
    if (auto* window = wxDynamicCast(event.GetEventObject(), wxWindow)) return window->GetEventHandler();
    if (auto* menu = wxDynamicCast(event.GetEventObject(), wxMenu)) {
        if (menu->GetWindow()) return menu->GetWindow()->GetEventHandler();
        if (menu->GetInvokingWindow()) return menu->GetInvokingWindow()->GetEventHandler();
    }
    return wxTheApp;
}

} // namespace

// While the dialog lets the pending events through, input for any other
// window (a click, a key, a command, a menu item, a close request) is held
// back, not lost.
class CDlgStatus::Gate : public wxEventFilter {
public:
    explicit Gate(CDlgStatus& dialog) : dialog_(dialog) { wxEvtHandler::AddFilter(this); }
    ~Gate() override { wxEvtHandler::RemoveFilter(this); }

    int FilterEvent(wxEvent& event) override {
        if (!dialog_.yielding_) return Event_Skip;
        const wxEventType type = event.GetEventType();
        const bool input = event.GetEventCategory() == wxEVT_CATEGORY_USER_INPUT && type != wxEVT_UPDATE_UI;
        if (!input && type != wxEVT_CLOSE_WINDOW) return Event_Skip;
        if (InsideDialog(event.GetEventObject(), &dialog_)) return Event_Skip;
        held_.push_back({TargetOf(event), event.Clone()});
        return Event_Processed;
    }

    // In their order, behind whatever is pending already.
    void Deliver() {
        for (Held& h : held_) {
            if (h.target) h.target->QueueEvent(h.event);
            else delete h.event;
        }
        held_.clear();
    }
    size_t Count() const { return held_.size(); }

private:
    struct Held {
        wxWeakRef<wxEvtHandler> target;
        wxEvent* event;
    };
    CDlgStatus& dialog_;
    std::vector<Held> held_;
};

CDlgStatus::CDlgStatus(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, vx::ToWx(vx::LoadString(IDS_STATUS_TITLE)), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    SetId(IDD);
    // The Windows colour 0x00FFFF is yellow.
    SetBackgroundColour(wxColour(255, 255, 0));
    textCtrl_ = new wxTextCtrl(this, IDC_TEXT, wxEmptyString, wxDefaultPosition, wxSize(320, 110),
                               wxTE_MULTILINE | wxTE_READONLY | wxTE_CENTRE | wxTE_NO_VSCROLL | wxBORDER_NONE);
    textCtrl_->SetBackgroundColour(wxColour(255, 255, 0));
    auto* cancel = new wxButton(this, wxID_CANCEL, vx::ToWx(vx::LoadString(IDS_STATUS_CANCEL)));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(textCtrl_, 1, wxEXPAND | wxALL, 10);
    sizer->Add(cancel, 0, wxALIGN_CENTER | wxBOTTOM, 10);
    SetSizerAndFit(sizer);
    SetEscapeId(wxID_CANCEL);
    CentreOnParent();
    Bind(wxEVT_BUTTON, &CDlgStatus::OnCancel, this, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &CDlgStatus::OnClose, this);
}

CDlgStatus::~CDlgStatus() { Release(); }

CDlgStatus* CDlgStatus::Active() { return g_active; }

void CDlgStatus::BeginRun() {
    if (running_) return;
    running_ = true;
    g_active = this;
    wxDialog::Show(true);
    // Every top-level window but this one takes no input until EndRun.
    disabler_ = std::make_unique<wxWindowDisabler>(this);
    gate_ = std::make_unique<Gate>(*this);
    Raise();
}

void CDlgStatus::EndRun() {
    wxDialog::Show(false);
    Release();
}

void CDlgStatus::Release() {
    if (!running_) return;
    running_ = false;
    if (g_active == this) g_active = nullptr;
    disabler_.reset();
    if (gate_) {
        std::unique_ptr<Gate> gate = std::move(gate_);
        gate->Deliver();
    }
}

size_t CDlgStatus::HeldEvents() const { return gate_ ? gate_->Count() : 0; }

void CDlgStatus::SetStatusText(const std::string& text) {
    text_ = text;
    wxString shown = vx::ToWx(text);
    shown.Replace("\r\n", "\n");
    textCtrl_->ChangeValue(shown);
    PassPendingEvents();
}

void CDlgStatus::PassPendingEvents() {
    if (yielding_) return;
    yielding_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{yielding_};
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (loop) {
        loop->YieldFor(wxEVT_CATEGORY_ALL);
        return;
    }
    // Outside a running loop (a computation started before the program's
    // loop, a test): one of our own for the moment.
    wxGUIEventLoop own;
    wxEventLoopActivator activate(&own);
    own.YieldFor(wxEVT_CATEGORY_ALL);
}

void CDlgStatus::OnCancel(wxCommandEvent&) {
    // The computation sees the flag after the heat generator in hand.
    cancelled_ = true;
    wxDialog::Show(false);
}

void CDlgStatus::OnClose(wxCloseEvent& event) {
    if (!event.CanVeto()) {
        Destroy();
        return;
    }
    event.Veto();
    cancelled_ = true;
    wxDialog::Show(false);
}

// ---------------------------------------------------------------------------

StatusDialogProgress::~StatusDialogProgress() {
    if (CDlgStatus* d = dialog_.get()) {
        d->EndRun();
        d->Destroy();
    }
}

CDlgStatus* StatusDialogProgress::Ensure() {
    if (!dialog_ && parent_) dialog_ = new CDlgStatus(parent_.get());
    return dialog_.get();
}

void StatusDialogProgress::Show() {
    if (CDlgStatus* d = Ensure()) d->BeginRun();
}

void StatusDialogProgress::Hide() {
    if (CDlgStatus* d = dialog_.get()) d->EndRun();
}

void StatusDialogProgress::SetStatusText(const std::string& text) {
    if (CDlgStatus* d = dialog_.get()) d->SetStatusText(text);
    // The parent went while computing: nothing left to compute for.
    else if (parent_.get() == nullptr) cancelledWithoutDialog_ = true;
}

bool StatusDialogProgress::IsCancelled() const {
    if (CDlgStatus* d = dialog_.get()) return d->IsCancelled();
    return cancelledWithoutDialog_;
}

void StatusDialogProgress::ClearCancel() {
    cancelledWithoutDialog_ = false;
    if (CDlgStatus* d = dialog_.get()) d->ClearCancel();
}

std::unique_ptr<AssignmentProgress> MakeStatusDialog(wxWindow* parent) {
    return std::make_unique<StatusDialogProgress>(parent);
}

void PumpTarsiloCalculationMessages() {
    if (CDlgStatus* d = CDlgStatus::Active()) {
        d->PassPendingEvents();
        return;
    }
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_UI);
}
