#include "tarsilo/CVxtFormView.h"

#include "quorvel/fields/FieldEvent.h"
#include "quorvel/fields/FieldMessages.h"
#include "platform/wx/WxText.h"

#include <wx/toplevel.h>

CVxtFormView::CVxtFormView(wxWindow* parent, CVxtBase* object, int messageMode, const FieldsDeliverable& fields)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL),
      host_(this, *this, messageMode, fields) {
    host_.core.object = object;
    Bind(wxEVT_CHAR_HOOK, &CVxtFormView::OnCharHook, this);
    Bind(wxEVT_MENU, &CVxtFormView::OnHelpCommand, this, WxCommandId(32777));
    Bind(wxEVT_MENU, &CVxtFormView::OnHelpCommand, this, WxCommandId(57670));
    Bind(wxEVT_MENU, &CVxtFormView::OnApplyCommand, this, kApplyCommand);
    Bind(wxEVT_BUTTON, &CVxtFormView::OnApplyCommand, this, kApplyCommand);
}

CVxtFormView::~CVxtFormView() {
    host_.core.values.clear();
    host_.core.wrongFields.clear();
    host_.core.errorText.clear();
}

bool CVxtFormView::InitFields() {
    if (!title.empty())
        if (wxTopLevelWindow* top = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(this)))
            top->SetTitle(vx::ToWx(title));
    host_.InitMessages();
    return true;
}

void CVxtFormView::OnCharHook(wxKeyEvent& event) {
    host_.altKey = event.AltDown();
    if (event.GetKeyCode() == WXK_RETURN || event.GetKeyCode() == WXK_NUMPAD_ENTER) {
        // An open combo list takes Enter for its choice.
        wxWindow* focus = wxWindow::FindFocus();
        if (focus && focus->GetId() == wxID_OK && !event.AltDown()) {
            event.Skip();
            return;
        }
        // With Alt held Enter takes the fields where the focus is.
        OnEnterKey();
        host_.altKey = false;
        return;
    }
    event.Skip();
}

void CVxtFormView::OnApplyCommand(wxCommandEvent&) {
    host_.core.endCode = kApplyCommand;
    ApplyFields();
}

bool CVxtFormView::OnFieldMessage(FieldEvent& event) {
    switch (event.message) {
    case fieldmsg::EndWith:
        host_.core.endCode = int(event.wParam);
        ApplyFields();
        event.result = 1;
        return true;
    case fieldmsg::ListKeyUp:
        OnListKeyUp(event.window);
        event.result = 1;
        return true;
    default:
        return false;
    }
}

void CVxtFormView::OnHelpCommand(wxCommandEvent&) { ShowFieldHelp(helpContext); }

CVxtListCtrl::CVxtListCtrl(wxWindow* parent, int id, long style)
    : wxListCtrl(parent, id, wxDefaultPosition, wxDefaultSize, style) {
    Bind(wxEVT_KEY_UP, &CVxtListCtrl::OnKeyUp, this);
}

void CVxtListCtrl::OnKeyUp(wxKeyEvent& event) {
    PostFieldMessage(GetParent(), fieldmsg::ListKeyUp, 0, nullptr, this);
    event.Skip();
}
