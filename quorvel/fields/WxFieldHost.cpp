#include "quorvel/fields/WxFieldHost.h"

#include "quorvel/fields/CDlgEinheit.h"
#include "quorvel/fields/CDlgItem.h"
#include "quorvel/fields/CParsedEdit.h"
#include "quorvel/fields/CPromptMessage.h"
#include "quorvel/fields/CZeigFehler.h"
#include "quorvel/fields/FieldEvent.h"
#include "quorvel/fields/FieldMessages.h"
#include "quorvel/fields/FieldRules.h"
#include "platform/MessageService.h"
#include "platform/wx/WxText.h"
#include "values/CWerte.h"

#include <wx/app.h>
#include <wx/combo.h>
#include <wx/ctrlsub.h>
#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

const wxColour WxFieldHost::kLabelBlue(0, 0, 255);
const wxColour WxFieldHost::kWrongRed(255, 0, 0);
const wxColour WxFieldHost::kFocusCyan(0, 255, 255);

WxFieldHost::WxFieldHost(wxWindow* window, WxFieldHostOwner& owner, int mode, const FieldsDeliverable& fields)
    : core(*this, fields), messageMode(mode), window_(window), owner_(owner) {
    MarkFieldHost(window_, true);
    window_->Bind(VXT_EVT_FIELD, &WxFieldHost::OnField, this);
    window_->Bind(wxEVT_CHILD_FOCUS, &WxFieldHost::OnChildFocus, this);
}

WxFieldHost::~WxFieldHost() {
    MarkFieldHost(window_, false);
    window_->Unbind(VXT_EVT_FIELD, &WxFieldHost::OnField, this);
    window_->Unbind(wxEVT_CHILD_FOCUS, &WxFieldHost::OnChildFocus, this);
}

void WxFieldHost::InitMessages() {
    if (messageMode == 1 && !strip) {
        strip = new CPromptMessage(window_, core.fields);
    } else if (messageMode == 2) {
        wxWindow* top = window_->GetParent() ? wxGetTopLevelParent(window_->GetParent()) : nullptr;
        if (!top || top == window_) top = wxGetTopLevelParent(window_);
        auto* frame = dynamic_cast<wxFrame*>(top);
        if (!frame || !frame->GetStatusBar()) frame = dynamic_cast<wxFrame*>(wxTheApp->GetTopWindow());
        statusBar = frame ? frame->GetStatusBar() : nullptr;
    }
    ApplyColours();
}

wxWindow* WxFieldHost::Control(int id) const {
    if (id == 0 || id == wxID_ANY) return nullptr;
    wxWindow* w = window_->FindWindow(id);
    return w == window_ ? nullptr : w;
}

bool WxFieldHost::HasControl(int id) { return Control(id) != nullptr; }

bool WxFieldHost::IsEditField(int id) { return dynamic_cast<CParsedEdit*>(Control(id)) != nullptr; }

bool WxFieldHost::IsModified(int id) {
    auto* text = dynamic_cast<wxTextCtrl*>(Control(id));
    return text && text->IsModified();
}

bool WxFieldHost::IsTextValid(int id) {
    auto* edit = dynamic_cast<CParsedEdit*>(Control(id));
    return !edit || edit->IsTextValid();
}

bool WxFieldHost::HasErrorMark(int id) {
    auto* item = dynamic_cast<CDlgItem*>(Control(id));
    return item && item->errorMark;
}

std::string WxFieldHost::ControlText(int id) {
    wxWindow* w = Control(id);
    if (auto* item = dynamic_cast<CDlgItem*>(w)) return item->GetFieldText();
    if (auto* entry = dynamic_cast<wxTextEntry*>(w)) return vx::FromWx(entry->GetValue());
    if (auto* items = dynamic_cast<wxItemContainerImmutable*>(w)) return vx::FromWx(items->GetStringSelection());
    return w ? vx::FromWx(w->GetLabel()) : std::string();
}

void WxFieldHost::SetControlText(int id, const std::string& text) {
    wxWindow* w = Control(id);
    if (auto* item = dynamic_cast<CDlgItem*>(w)) item->SetFieldText(text);
    else if (auto* entry = dynamic_cast<wxTextEntry*>(w)) entry->ChangeValue(vx::ToWx(text));
    else if (auto* items = dynamic_cast<wxItemContainerImmutable*>(w)) items->SetStringSelection(vx::ToWx(text));
    else if (w) w->SetLabel(vx::ToWx(text));
}

bool WxFieldHost::HasFocus(int id) {
    wxWindow* w = Control(id);
    for (wxWindow* f = wxWindow::FindFocus(); w && f; f = f->GetParent())
        if (f == w) return true;
    return false;
}

void WxFieldHost::SelectAll(int id) {
    if (auto* entry = dynamic_cast<wxTextEntry*>(Control(id))) entry->SelectAll();
}

void WxFieldHost::FocusControl(int id) {
    if (wxWindow* w = Control(id)) w->SetFocus();
}

std::string WxFieldHost::ReadFieldValue(int id) {
    auto* edit = dynamic_cast<CParsedEdit*>(Control(id));
    return edit ? edit->ReadValue() : std::string();
}

bool WxFieldHost::ShowMessage(int mode, const std::string& text) {
    if (strip) strip->ShowText(mode, &text);
    if (statusBar) {
        if (mode == 1 && statusBar->IsShown()) vx::MessageBeep(vx::MB_ICONEXCLAMATION);
        statusBar->SetStatusText(vx::ToWx(fields::StatusBarText(text)), 0);
    }
    return strip || statusBar;
}

void WxFieldHost::ShowInputErrors(const std::string& text) {
    CZeigFehler dialog(window_, core.fields);
    dialog.errorText = text;
    dialog.ShowModal();
}

bool WxFieldHost::ChooseUnit(uint16_t& unit) {
    CDlgEinheit dialog(window_, unit, core.fields);
    if (dialog.ShowModal() != wxID_OK) return false;
    unit = dialog.unitCode;
    return true;
}

void WxFieldHost::CommandToMainWindow(int command) {
    wxWindow* main = wxTheApp->GetTopWindow();
    if (!main) return;
    wxCommandEvent event(wxEVT_MENU, WxCommandId(command));
    event.SetEventObject(main);
    main->GetEventHandler()->ProcessEvent(event);
}

void WxFieldHost::PostOk() {
    auto* event = new wxCommandEvent(wxEVT_BUTTON, wxID_OK);
    event->SetEventObject(window_);
    window_->GetEventHandler()->QueueEvent(event);
}

void WxFieldHost::Repaint() {
    ApplyColours();
    window_->Refresh();
}

int WxFieldHost::DataExchange(bool save) {
    return save ? window_->TransferDataFromWindow() : window_->TransferDataToWindow();
}

void WxFieldHost::Enter(bool finishWithoutFocus) {
    core.endCode = 1;
    wxWindow* focus = wxWindow::FindFocus();
    // The combo's own text window stands for the combo.
    if (focus && dynamic_cast<wxComboCtrl*>(focus->GetParent())) focus = focus->GetParent();
    const bool inside = focus && wxGetTopLevelParent(focus) == wxGetTopLevelParent(window_);
    const bool held = altKey || wxGetKeyState(WXK_ALT) || wxGetMouseState().LeftIsDown();
    if (!held && inside && focus->GetId() != wxID_OK && focus->GetId() != 1) {
        focus->CallAfter([focus] { focus->Navigate(wxNavigationKeyEvent::IsForward); });
        return;
    }
    if (!held && !inside && !finishWithoutFocus) return;
    owner_.Finish();
}

void WxFieldHost::Colour(wxWindow* control, wxWindow* focus) {
    const int id = control->GetId();
    if (core.IsMarkedLabel(id) && dynamic_cast<wxStaticText*>(control)) {
        control->SetForegroundColour(kLabelBlue);
        return;
    }
    auto* item = dynamic_cast<CDlgItem*>(control);
    wxColour background;
    if (core.IsWrongField(id) || (item && item->errorMark)) background = kWrongRed;
    else if (focus == control && dynamic_cast<CParsedEdit*>(control)) background = kFocusCyan;
    control->SetBackgroundColour(background);
    control->Refresh();
}

void WxFieldHost::ApplyColours() {
    wxWindow* focus = wxWindow::FindFocus();
    for (int id : core.markedLabels)
        if (wxWindow* w = Control(id)) Colour(w, focus);
    for (int id : core.wrongFields)
        if (wxWindow* w = Control(id)) Colour(w, focus);
    for (CWerte* v : core.values)
        if (wxWindow* w = Control(v->valueId)) Colour(w, focus);
}

void WxFieldHost::OnChildFocus(wxChildFocusEvent& event) {
    ApplyColours();
    event.Skip();
}

void WxFieldHost::OnField(FieldEvent& event) {
    if (owner_.OnFieldMessage(event)) return;
    if (event.message == fieldmsg::HelpContext) {
        event.result = owner_.HelpContext();
        return;
    }
    event.result = core.Dispatch(event.message, event.wParam, event.lParam, event.value, event.text);
    ApplyColours();
}
