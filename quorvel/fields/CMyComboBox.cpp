#include "quorvel/fields/CMyComboBox.h"

#include "quorvel/fields/FieldEvent.h"
#include "quorvel/fields/FieldMessages.h"
#include "quorvel/fields/FieldPlace.h"
#include "quorvel/fields/FieldRules.h"
#include "platform/wx/WxFocus.h"
#include "platform/wx/WxMnemonics.h"
#include "platform/wx/WxText.h"

#include <wx/dc.h>
#include <wx/settings.h>
#include <wx/textctrl.h>

namespace {
const wxColour kHeaderGreen(0, 255, 0);
const wxColour kHeaderBlue(0, 0, 255);
} // namespace

CMyComboBox::CMyComboBox(CWerte* value_, const FieldsDeliverable& fields_) : CDlgItem(value_, fields_) {}

bool CMyComboBox::Create(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style) {
    if (!wxOwnerDrawnComboBox::Create(parent, id, wxEmptyString, pos, size, 0, nullptr, style)) return false;
    fieldWindow = this;
    BindCommon();
    Bind(wxEVT_KEY_DOWN, &CMyComboBox::OnKeyDown, this);
    Bind(wxEVT_KEY_UP, &CMyComboBox::OnKeyUp, this);
    Bind(wxEVT_SET_FOCUS, &CMyComboBox::OnSetFocus, this);
    Bind(wxEVT_KILL_FOCUS, &CMyComboBox::OnKillFocus, this);
    Bind(wxEVT_RIGHT_UP, &CMyComboBox::OnRightUp, this);
    Bind(wxEVT_COMBOBOX, &CMyComboBox::OnSelected, this);
    if (wxTextCtrl* text = GetTextCtrl()) {
        text->Bind(wxEVT_KEY_DOWN, &CMyComboBox::OnKeyDown, this);
        text->Bind(wxEVT_KEY_UP, &CMyComboBox::OnKeyUp, this);
    }
    return true;
}

bool CMyComboBox::SubclassDlgItem(wxWindow* host, int id) {
    const ControlPlace place = FindControlPlace(host, id);
    if (!Create(place.parent, id, place.pos, place.size, (place.style & wxCB_READONLY) | wxCB_READONLY)) return false;
    TakeControlPlace(place, this);
    return true;
}

void CMyComboBox::AddItem(const std::string& text) { Append(vx::ToWx(text)); }

std::string CMyComboBox::GetItemText(int item) const {
    if (item < 0 || unsigned(item) >= GetCount()) return {};
    return vx::FromWx(GetString(unsigned(item)));
}

std::string CMyComboBox::GetFieldText() {
    if (textFromAlternative && alternativeInput) {
        if (auto* entry = dynamic_cast<wxTextEntry*>(alternativeInput)) return vx::FromWx(entry->GetValue());
        return vx::FromWx(alternativeInput->GetLabel());
    }
    const int selection = GetSelection();
    if (selection != wxNOT_FOUND) return GetItemText(selection);
    if (!HasFlag(wxCB_READONLY)) return vx::FromWx(GetValue());
    return itemText.text;
}

void CMyComboBox::SetFieldText(const std::string& text) {
    itemText.text = text;
    const int match = FindString(vx::ToWx(text), true);
    SetSelection(match);
    currentSelection = match;
    if (alternativeInput) {
        if (auto* entry = dynamic_cast<wxTextEntry*>(alternativeInput)) entry->ChangeValue(vx::ToWx(text));
        else alternativeInput->SetLabel(vx::ToWx(text));
    } else if (companion) {
        companion->SetLabel(vx::ToWx(text));
    } else if (!HasFlag(wxCB_READONLY)) {
        ChangeValue(vx::ToWx(text));
    }
}

std::string CMyComboBox::ShownText(int item, bool inList) const {
    std::string text = GetItemText(item);
    if (!inList) return text;
    auto* self = const_cast<CMyComboBox*>(this);
    FieldEvent event(fieldmsg::ItemSubstitute, item, value, self);
    if (SendFieldMessage(self->Host(), event) && !event.text.empty()) text = event.text;
    return text;
}

void CMyComboBox::PaintItem(wxDC& dc, const wxRect& rect, int item, bool selected, bool inList) const {
    const std::string text = ShownText(item, inList);
    const wxString label = vx::ToWx(std::string(fields::ItemLabel(text)));
    const wxSize extent = dc.GetTextExtent(label.empty() ? wxString("X") : label);
    const int y = rect.y + (rect.height - extent.y) / 2;
    if (fields::IsGroupHeader(text)) {
        dc.SetBrush(wxBrush(kHeaderGreen));
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.DrawRectangle(rect);
        dc.SetTextForeground(kHeaderBlue);
        dc.DrawText(label, rect.x + (rect.width - extent.x) / 2, y);
        return;
    }
    dc.SetTextForeground(wxSystemSettings::GetColour(selected ? wxSYS_COLOUR_HIGHLIGHTTEXT : wxSYS_COLOUR_WINDOWTEXT));
    dc.DrawText(label, rect.x + 3, y);
}

void CMyComboBox::OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const {
    if (item == wxNOT_FOUND) return;
    PaintItem(dc, rect, item, (flags & wxODCB_PAINTING_SELECTED) != 0, (flags & wxODCB_PAINTING_CONTROL) == 0);
}

void CMyComboBox::OnDrawBackground(wxDC& dc, const wxRect& rect, int item, int flags) const {
    if (item != wxNOT_FOUND && fields::IsGroupHeader(GetItemText(item))) {
        dc.SetBrush(wxBrush(kHeaderGreen));
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.DrawRectangle(rect);
        return;
    }
    wxOwnerDrawnComboBox::OnDrawBackground(dc, rect, item, flags);
}

wxCoord CMyComboBox::OnMeasureItem(size_t) const { return GetCharHeight() + 4; }

void CMyComboBox::OnKeyDown(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    // Alt and a letter lead where the dialog's labels say, as in any other
    // field; the list itself would take the letter as a search.
    if (event.AltDown() && !event.ControlDown() && key < 128 && wxIsalnum(key) && GetParent() &&
        vx::FollowMnemonic(GetParent(), wxChar(wxToupper(key))))
        return;
    if (key == WXK_SHIFT) shiftMark = true;
    if (key == WXK_DELETE && clearOnDelete) {
        SetSelection(wxNOT_FOUND);
        currentSelection = -1;
        itemText.text.clear();
        auto* changed = new wxCommandEvent(wxEVT_COMBOBOX, GetId());
        changed->SetEventObject(this);
        changed->SetInt(wxNOT_FOUND);
        GetEventHandler()->QueueEvent(changed);
        return;
    }
    event.Skip();
}

void CMyComboBox::OnKeyUp(wxKeyEvent& event) {
    HandleKeyUp(event);
    event.Skip();
}

void CMyComboBox::OnSelected(wxCommandEvent& event) {
    currentSelection = GetSelection();
    if (currentSelection != wxNOT_FOUND) itemText.text = GetItemText(currentSelection);
    event.Skip();
}

void CMyComboBox::OnSetFocus(wxFocusEvent& event) {
    event.Skip();
    ShowPrompt();
    if (companion) companion->Hide();
    Show();
    wxWindow* from = event.GetWindow();
    if (notifyEnter && (!from || LeavesTowardsCheck(from))) notifyEnter = int(Send(fieldmsg::ComboEntered, 0, from));
}

void CMyComboBox::OnKillFocus(wxFocusEvent& event) {
    event.Skip();
    CallAfter([this] { OnLeft(vx::FocusedWindowIn(this)); });
}

void CMyComboBox::OnLeft(wxWindow* to) {
    if (!LeavesTowardsCheck(to) || to == this || (to && to->GetParent() == this)) return;
    if (companion) {
        companion->SetLabel(vx::ToWx(GetFieldText()));
        companion->Show();
        Hide();
    }
    if (notifyLeaveCombo) notifyLeaveCombo = int(Send(fieldmsg::ComboLeft, value ? value->valueId : 0, to));
}

void CMyComboBox::OnRightUp(wxMouseEvent& event) {
    if (value && value->actionFlags) ShowContextMenu();
    else event.Skip();
}
