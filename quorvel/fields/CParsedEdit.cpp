#include "quorvel/fields/CParsedEdit.h"

#include "quorvel/fields/FieldEvent.h"
#include "quorvel/fields/FieldMessages.h"
#include "quorvel/fields/FieldPlace.h"
#include "quorvel/fields/FieldRules.h"
#include "platform/MessageService.h"
#include "platform/wx/WxFocus.h"
#include "platform/wx/WxMnemonics.h"
#include "platform/wx/WxText.h"
#include "values/CWerte.h"

#include <wx/clipbrd.h>
#include <wx/combo.h>
#include <wx/toplevel.h>

namespace {
// The virtual key codes 32 to 47 (Space to Help) that the host may want to see.
int NavigationKeyCode(int key) {
    switch (key) {
    case WXK_SPACE: return 32;
    case WXK_PAGEUP: return 33;
    case WXK_PAGEDOWN: return 34;
    case WXK_END: return 35;
    case WXK_HOME: return 36;
    case WXK_LEFT: return 37;
    case WXK_UP: return 38;
    case WXK_RIGHT: return 39;
    case WXK_DOWN: return 40;
    case WXK_SELECT: return 41;
    case WXK_PRINT: return 42;
    case WXK_EXECUTE: return 43;
    case WXK_SNAPSHOT: return 44;
    case WXK_INSERT: return 45;
    case WXK_DELETE: return 46;
    case WXK_HELP: return 47;
    default: return 0;
    }
}
} // namespace

CParsedEdit::CParsedEdit(CWerte* value_, const FieldsDeliverable& fields_) : CDlgItem(value_, fields_) {}

bool CParsedEdit::Create(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style) {
    // No native maximum length: GTK would cut or empty a longer stored text.
    if (!wxTextCtrl::Create(parent, id, wxEmptyString, pos, size, style)) return false;
    fieldWindow = this;
    BindCommon();
    Bind(wxEVT_CHAR, &CParsedEdit::OnChar, this);
    Bind(wxEVT_KEY_DOWN, &CParsedEdit::OnKeyDown, this);
    Bind(wxEVT_KEY_UP, &CParsedEdit::OnKeyUp, this);
    Bind(wxEVT_SET_FOCUS, &CParsedEdit::OnSetFocus, this);
    Bind(wxEVT_KILL_FOCUS, &CParsedEdit::OnKillFocus, this);
    Bind(wxEVT_RIGHT_UP, &CParsedEdit::OnRightUp, this);
    Bind(wxEVT_TEXT_PASTE, &CParsedEdit::OnPaste, this);
    return true;
}

bool CParsedEdit::SubclassDlgItem(wxWindow* host, int id) {
    const ControlPlace place = FindControlPlace(host, id);
    const long keep = wxTE_READONLY | wxTE_PASSWORD | wxTE_MULTILINE | wxTE_RIGHT | wxTE_CENTRE | wxBORDER_MASK;
    if (!Create(place.parent, id, place.pos, place.size, place.style & keep)) return false;
    if (auto* old = dynamic_cast<wxTextCtrl*>(place.old)) ChangeValue(old->GetValue());
    TakeControlPlace(place, this);
    return true;
}

std::string CParsedEdit::GetFieldText() { return vx::FromWx(GetValue()); }

void CParsedEdit::SetFieldText(const std::string& text) {
    ChangeValue(vx::ToWx(text));
    DiscardEdits();
}

void CParsedEdit::MarkModified(bool modified) {
    if (modified) MarkDirty();
    else DiscardEdits();
}

bool CParsedEdit::IsTextValid() { return !value || fields::IsTextValid(value->inputKind, GetFieldText()); }

std::string CParsedEdit::ReadValue() {
    std::string message;
    if (!value) return message;
    value->SetText(GetFieldText());
    value->CheckRange(message, nullptr, nullptr);
    errorMark = !message.empty();
    return message;
}

void CParsedEdit::Reject() {
    vx::MessageBeep(0xFFFFFFFF);
    // The beep alone goes unnoticed: where the host shows prompts, say what
    // the field takes.
    const std::string text = value ? fields::RefusedKeyText(value->inputKind) : std::string();
    if (text.empty()) return;
    FieldEvent refused(fieldmsg::ShowText, 0, value);
    const std::string label = vx::FromWx(vx::LabelOf(this));
    refused.text = label.empty() ? text : label + ": " + text;
    SendFieldMessage(Host(), refused);
}

void CParsedEdit::OnChar(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    const wxChar unicode = event.GetUnicodeKey();
    if (event.ControlDown() || event.AltDown() || unicode == WXK_NONE || (unicode < 32 && unicode != WXK_BACK) ||
        unicode == WXK_DELETE) {
        event.Skip();
        return;
    }
    const std::string typed = vx::FromWx(wxString(unicode));
    const char c = typed.size() == 1 ? typed[0] : '\x7F';
    const fields::CharVerdict verdict = fields::FilterChar(value ? value->inputKind : uint16_t(fields::KindAny), c);
    if (!verdict.accept) {
        Reject();
        return;
    }
    if (key != WXK_BACK) {
        long from = 0, to = 0;
        GetSelection(&from, &to);
        if (!fields::FitsLimit(size_t(GetLastPosition()), size_t(to - from), 1, limit_)) {
            Reject();
            return;
        }
    }
    event.Skip();
    MarkDirty();
    if (verdict.marksTyped && value) value->undoPending = true;
    if (charNotify) Post(fieldmsg::CharTyped, (unsigned char)c);
}

void CParsedEdit::OnKeyDown(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_BACK && event.AltDown()) {
        std::string text;
        if (value && value->CanUndo() && value->Undo(text)) {
            ChangeValue(vx::ToWx(text));
            MarkDirty();
        }
        return;
    }
    if (const int vk = NavigationKeyCode(key); vk && notifyNavigation) notifyNavigation = int(Send(fieldmsg::NavigationKey, vk));
    if ((key == WXK_UP || key == WXK_DOWN) && !InComboBox()) {
        Navigate(key == WXK_DOWN ? wxNavigationKeyEvent::IsForward : wxNavigationKeyEvent::IsBackward);
        return;
    }
    event.Skip();
}

void CParsedEdit::OnKeyUp(wxKeyEvent& event) {
    HandleKeyUp(event);
    event.Skip();
}

void CParsedEdit::OnSetFocus(wxFocusEvent& event) {
    event.Skip();
    if (!IsEditable()) {
        if (wxWindow* back = event.GetWindow()) back->CallAfter([back] { back->SetFocus(); });
        return;
    }
    CallAfter([this] { SelectAll(); });
    if (clearModifiedAtFocus) DiscardEdits();
    ShowPrompt();
    if (value) value->undoPending = false;
}

void CParsedEdit::Reclaim() {
    reclaiming = this;
    CallAfter([this] {
        SetFocus();
        SelectAll();
        // The leave of the field that had the focus meanwhile is queued
        // before this and must not count.
        CallAfter([this] {
            if (reclaiming == this) reclaiming = nullptr;
        });
    });
}

void CParsedEdit::OnKillFocus(wxFocusEvent& event) {
    event.Skip();
    if (!value || value->valueId != GetId() || (reclaiming && reclaiming != this)) return;
    // GTK does not name the new focus when the old one loses it: look once it moved.
    CallAfter([this] { CheckOnLeave(vx::FocusedWindowIn(this)); });
}

void CParsedEdit::CheckOnLeave(wxWindow* to) {
    if ((reclaiming && reclaiming != this) || !to || to == this) return;
    if (wxGetTopLevelParent(to) != wxGetTopLevelParent(this)) return;
    if (!LeavesTowardsCheck(to) || Send(fieldmsg::SkipLeaveCheck, 0, to) != 0) {
        errorMark = 0;
        return;
    }
    // A field left in error is checked again, so that a wrong value cannot
    // be left behind by simply moving on.
    if (IsModified() || errorMark) {
        if (!IsTextValid()) {
            Reject();
            Reclaim();
            return;
        }
        if (const std::string problem = fields::NumberTextProblem(*value, GetFieldText()); !problem.empty()) {
            errorMark = 1;
            FieldEvent error(fieldmsg::ShowText, 1, value);
            error.text = problem;
            SendFieldMessage(Host(), error);
            Reclaim();
            return;
        }
        FieldEvent prompt(fieldmsg::ShowText, 0, value);
        prompt.text = fields.Load(fields.idsHelpPrompt);
        SendFieldMessage(Host(), prompt);
        std::string before, after;
        value->GetText(before, false);
        const bool typed = value->undoPending;
        value->SetText(GetFieldText());
        value->GetText(after, false);
        if (before != after || typed || errorMark) {
            std::string message;
            value->CheckRange(message, nullptr, nullptr);
            errorMark = !message.empty();
            if (errorMark) {
                FieldEvent error(fieldmsg::ShowText, 1, value);
                error.text = message;
                SendFieldMessage(Host(), error);
                Reclaim();
                return;
            }
        }
        if (notifyChange) notifyChange = int(Send(fieldmsg::ValueChanged, value->valueId));
    }
    if (notifyLeave) notifyLeave = int(Send(fieldmsg::FieldLeft, value->valueId, to));
}

void CParsedEdit::Spin(int delta) {
    if (!value) return;
    if (Send(fieldmsg::SpinStep, delta > 0 ? 0 : 1)) {
        std::string text;
        value->GetText(text, false);
        SetFieldText(text);
    } else {
        std::string next;
        if (!fields::SpinStep(GetFieldText(), delta, value->minimum, value->maximum, next)) {
            Reject();
            SelectAll();
            return;
        }
        ChangeValue(vx::ToWx(next));
        MarkDirty();
    }
    Send(fieldmsg::CharTyped, 0);
    Send(fieldmsg::ValueChanged, value->valueId);
    SelectAll();
}

void CParsedEdit::OnRightUp(wxMouseEvent& event) {
    if (value && value->actionFlags) ShowContextMenu();
    else event.Skip();
}

void CParsedEdit::OnPaste(wxClipboardTextEvent& event) {
    if (!limit_) {
        event.Skip();
        return;
    }
    wxString text;
    if (wxTheClipboard->Open()) {
        wxTextDataObject data;
        if (wxTheClipboard->GetData(data)) text = data.GetText();
        wxTheClipboard->Close();
    }
    long from = 0, to = 0;
    GetSelection(&from, &to);
    const size_t kept = size_t(GetLastPosition() - (to - from));
    const size_t room = kept < limit_ ? limit_ - kept : 0;
    if (room == 0 || text.empty()) {
        Reject();
        return;
    }
    WriteText(text.Left(room));
    MarkDirty();
}

void CParsedEdit::OnEditCommand(int command) {
    long from = 0, to = 0;
    switch (command) {
    case fields::CmdEditUndo: Undo(); break;
    case fields::CmdCut: Cut(); break;
    case fields::CmdCopy: Copy(); break;
    case fields::CmdPaste: Paste(); break;
    case fields::CmdClear:
        GetSelection(&from, &to);
        if (from < to) Remove(from, to);
        break;
    case fields::CmdSelectAll:
        SelectAll();
        ShowPosition(GetLastPosition());
        break;
    default: break;
    }
}

fields::EditState CParsedEdit::EditMenuState() {
    long from = 0, to = 0;
    GetSelection(&from, &to);
    return {CanUndo(), from < to, !IsEmpty()};
}

bool CParsedEdit::InComboBox() const { return dynamic_cast<wxComboCtrl*>(GetParent()) != nullptr; }
