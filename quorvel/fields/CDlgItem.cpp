#include "quorvel/fields/CDlgItem.h"

#include "quorvel/fields/CDlgHistorie.h"
#include "quorvel/fields/FieldEvent.h"
#include "quorvel/fields/FieldMessages.h"
#include "quorvel/fields/FieldResources.h"
#include "platform/MessageService.h"
#include "platform/wx/WxText.h"
#include "values/CWerte.h"

#include <wx/menu.h>
#include <wx/toplevel.h>
#include <wx/window.h>

#include <memory>

using fields::Action;

bool CDlgItem::shiftMark = false;
CDlgItem* CDlgItem::reclaiming = nullptr;

CDlgItem::CDlgItem(CWerte* value_, const FieldsDeliverable& fields_) : value(value_), fields(fields_) {}

wxWindow* CDlgItem::Host() const { return FieldHostOf(fieldWindow); }

long CDlgItem::Send(int message, long wParam, wxWindow* window) {
    return SendFieldMessage(Host(), message, wParam, value, window);
}

void CDlgItem::Post(int message, long wParam, wxWindow* window) {
    PostFieldMessage(Host(), message, wParam, value, window);
}

void CDlgItem::ShowPrompt() {
    if (errorMark || !value || (reclaiming && reclaiming != this)) return;
    FieldEvent event(fieldmsg::ShowText, 0, value);
    event.text = fields::PromptText(*value, fields);
    SendFieldMessage(Host(), event);
}

int CDlgItem::HelpId() const {
    if (value && value->helpId) return value->helpId;
    FieldEvent event(fieldmsg::HelpContext, 0, value);
    return int(SendFieldMessage(Host(), event));
}

bool CDlgItem::LeavesTowardsCheck(wxWindow* newFocus) const {
    if (!newFocus || !fieldWindow) return false;
    if (wxGetTopLevelParent(newFocus) != wxGetTopLevelParent(fieldWindow)) return false;
    return newFocus->GetId() != wxID_CANCEL && newFocus->GetId() != 2;
}

void CDlgItem::HandleKeyUp(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_SHIFT) {
        shiftMark = false;
        return;
    }
    if (key < WXK_F1 || key > WXK_F12 || !value) return;
    const Action action =
        fields::ActionForKey(key - WXK_F1 + 1, event.ShiftDown(), shiftMark, value->actionFlags, value->CanUndo());
    if (action == Action::Input) {
        // F6 goes through the field's own command, as the menu does.
        wxCommandEvent command(wxEVT_MENU, WxCommandId(fields::CommandOfAction(Action::Input, fields)));
        command.SetEventObject(fieldWindow);
        fieldWindow->GetEventHandler()->ProcessEvent(command);
        return;
    }
    DoAction(action);
}

bool CDlgItem::DoAction(Action action) {
    if (!value || !fieldWindow) return false;
    switch (action) {
    case Action::Preset:
        Send(fieldmsg::Preset, 0);
        return true;
    case Action::Proposal:
        if (Send(fieldmsg::Proposal, 0)) MarkModified(false);
        return true;
    case Action::Choice:
        Post(fieldmsg::Choice, value->valueId);
        MarkModified(true);
        return true;
    case Action::Unit:
        if (Send(fieldmsg::Unit, value->valueId)) MarkModified(true);
        return true;
    case Action::Input:
        if (inputSwitchLock) {
            vx::ShowMessage(fields.Load(fields.idsInputLocked), vx::MB_OK | vx::MB_ICONEXCLAMATION);
            return true;
        }
        if (alternativeInput) {
            alternativeInput->Show();
            fieldWindow->Hide();
            alternativeInput->SetFocus();
        }
        Send(fieldmsg::InputSwitched, value->valueId);
        return true;
    case Action::Help:
        ShowFieldHelp(HelpId());
        return true;
    case Action::History: {
        if (!value->CanUndo()) return false;
        CDlgHistorie dialog(wxGetTopLevelParent(fieldWindow), value, fields);
        if (dialog.ShowModal() == wxID_OK) {
            SetFieldText(dialog.chosen);
            MarkModified(true);
        }
        return true;
    }
    case Action::NextWrong:
        Send(fieldmsg::NextWrong, value->valueId);
        return true;
    case Action::None:
        break;
    }
    return false;
}

wxMenu* CDlgItem::BuildContextMenu() {
    if (!value) return nullptr;
    const fields::EditState state = EditMenuState();
    const auto entries =
        fields::ContextMenu(value->actionFlags, value->CanUndo(), HasEditMenu() ? &state : nullptr, fields);
    if (entries.empty()) return nullptr;
    auto menu = std::make_unique<wxMenu>();
    for (const fields::MenuEntry& e : entries) {
        if (e.IsSeparator()) {
            menu->AppendSeparator();
            continue;
        }
        menu->Append(WxCommandId(e.command), FieldMenuLabel(e.libraryId));
        menu->Enable(WxCommandId(e.command), e.enabled);
    }
    return menu.release();
}

void CDlgItem::ShowContextMenu() {
    std::unique_ptr<wxMenu> menu(BuildContextMenu());
    if (menu) fieldWindow->PopupMenu(menu.get(), wxPoint(0, fieldWindow->GetSize().y));
}

void CDlgItem::BindCommon() {
    fieldWindow->Bind(wxEVT_MENU, &CDlgItem::OnMenu, this);
    fieldWindow->Bind(VXT_EVT_FIELD, &CDlgItem::OnFieldQuery, this);
}

void CDlgItem::OnMenu(wxCommandEvent& event) {
    // Every menu command that reaches a field ends here: the second program's
    // field commands share their ids with its own menu commands.
    for (Action action : {Action::Preset, Action::Proposal, Action::Choice, Action::Unit, Action::Input, Action::Help,
                          Action::History})
        if (WxCommandId(fields::CommandOfAction(action, fields)) == event.GetId()) {
            DoAction(action);
            return;
        }
    OnEditCommand(event.GetId());
}

void CDlgItem::OnFieldQuery(FieldEvent& event) {
    if (event.message == fieldmsg::SetByProgram)
        event.result = value && fields::IsSetByProgram(*value) ? fieldmsg::SetByProgramAnswer : 0;
    else if (event.message == fieldmsg::HelpContext)
        event.result = HelpId();
    else
        event.Skip();
}
