#include "platform/wx/WxMnemonics.h"

#include "platform/wx/WxFocus.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/event.h>
#include <wx/eventfilter.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/toplevel.h>
#include <wx/weakref.h>

#include <vector>

#include <dlfcn.h>

namespace vx {
namespace {

// The controls inside top in tab order; composite controls count as one.
void CollectInTabOrder(wxWindow* window, std::vector<wxWindow*>& out) {
    for (wxWindow* child : window->GetChildren()) {
        if (child->IsTopLevel()) continue;
        out.push_back(child);
        if (!wxDynamicCast(child, wxControl) || wxDynamicCast(child, wxStaticBox)) CollectInTabOrder(child, out);
    }
}

bool ShownWithin(wxWindow* window, wxWindow* top) {
    for (wxWindow* w = window; w && w != top; w = w->GetParent())
        if (!w->IsShown()) return false;
    return true;
}

bool TakesFocus(wxWindow* window) {
    if (window->CanAcceptFocusFromKeyboard()) return true;
    // A list drawn by the toolkit's generic code takes the focus in its inner window.
    for (wxWindow* child : window->GetChildren())
        if (!child->IsTopLevel() && child->CanAcceptFocusFromKeyboard()) return true;
    return false;
}

// Labels lead on; buttons and boxes act.
bool HasMnemonic(wxWindow* window) {
    return wxDynamicCast(window, wxStaticText) || wxDynamicCast(window, wxStaticBox) ||
           wxDynamicCast(window, wxButton) || wxDynamicCast(window, wxCheckBox) ||
           wxDynamicCast(window, wxRadioButton);
}

void Notify(wxWindow* control, wxEventType type, int state) {
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    event.SetInt(state);
    control->GetEventHandler()->ProcessEvent(event);
}

class MnemonicRule : public wxEventFilter {
public:
    int FilterEvent(wxEvent& event) override {
        const wxEventType type = event.GetEventType();
        if (type == wxEVT_CHAR_HOOK) return OnKeyDown(static_cast<wxKeyEvent&>(event));
        if (type == wxEVT_KEY_UP) return OnKeyUp(static_cast<wxKeyEvent&>(event));
        if (type == wxEVT_ACTIVATE) {
            auto* frame = wxDynamicCast(event.GetEventObject(), wxFrame);
            if (static_cast<wxActivateEvent&>(event).GetActive()) KeepKeyboardInForm(frame);
            else NoteKeyboardControl(frame);
        }
        if (type == wxEVT_SHOW && static_cast<wxShowEvent&>(event).IsShown())
            TakeKeyboardFromDisabled(wxDynamicCast(event.GetEventObject(), wxTopLevelWindow));
        if (type == wxEVT_DESTROY) OnWindowGone(static_cast<wxWindowDestroyEvent&>(event));
        if (type == wxEVT_SET_FOCUS) OnFocus(wxDynamicCast(event.GetEventObject(), wxWindow));
        if (type == wxEVT_LEFT_DOWN || type == wxEVT_RIGHT_DOWN || type == wxEVT_MIDDLE_DOWN ||
            type == wxEVT_ACTIVATE || type == wxEVT_KILL_FOCUS)
            altAlone_ = false;
        return Event_Skip;
    }

private:
    // The main window of the key's window, when it has a menu bar.
    static wxFrame* MainWindowOf(wxEvent& event) {
        auto* window = wxDynamicCast(event.GetEventObject(), wxWindow);
        auto* frame = window ? wxDynamicCast(wxGetTopLevelParent(window), wxFrame) : nullptr;
        return frame && frame->GetMenuBar() ? frame : nullptr;
    }

    int OnKeyDown(wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        altAlone_ = key == WXK_ALT && !event.ControlDown() && !event.ShiftDown();
        wxFrame* frame = MainWindowOf(event);
        if (!frame) return Event_Skip;
        NoteKeyboardControl(frame);
        if (key == WXK_F10 && event.GetModifiers() == wxMOD_NONE)
            return OpenMenuBarMenu(frame, 0) ? Event_Processed : Event_Skip;
        const wxChar letter = MnemonicKey(event);
        if (letter && (FollowMnemonic(frame, letter) || OpenMenuBarMenu(frame, letter))) return Event_Processed;
        return Event_Skip;
    }

    // The letter or sign of Alt and a key, 0 for any other key. A sign may
    // need Shift ("?" of the help menu); its key code is the unshifted key,
    // the toolkit's own key value the sign.
    static wxChar MnemonicKey(const wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        if (event.GetModifiers() == wxMOD_ALT && key <= 127 && wxIsalnum(key)) return wxChar(wxToupper(key));
        if ((event.GetModifiers() & ~wxMOD_SHIFT) != wxMOD_ALT) return 0;
#ifdef __WXGTK__
        const unsigned sign = event.GetRawKeyCode();
#else
        const unsigned sign = unsigned(event.GetUnicodeKey());
#endif
        return sign > ' ' && sign < 127 && !wxIsalnum(sign) ? wxChar(sign) : 0;
    }

    // A main window active again after a preview or a dialog may have no
    // control with the keyboard (a window that disables the main window
    // takes it away): its keys would then reach the menu bar directly, F10
    // would open a menu without a chosen item and the letters after it
    // would get lost. Give the keyboard back to the control that had it
    // last, or to the form's first one.
    static void KeepKeyboardInForm(wxFrame* frame) {
        if (!frame || !frame->GetMenuBar()) return;
        wxWeakRef<wxFrame> weak(frame);
        frame->CallAfter([weak] {
            if (!weak || !weak->IsEnabled()) return;
            wxWindow* focus = wxWindow::FindFocus();
            if (focus && focus != weak.get() && wxGetTopLevelParent(focus) == weak.get()) return;
            wxWindow* last = LastControl().get();
            if (last && wxGetTopLevelParent(last) == weak.get() && ShownWithin(last, weak.get()) && last->IsEnabled()) {
                last->SetFocus();
                return;
            }
            std::vector<wxWindow*> order;
            CollectInTabOrder(weak.get(), order);
            for (wxWindow* w : order)
                if (ShownWithin(w, weak.get()) && w->IsEnabled() && w->CanAcceptFocusFromKeyboard()) {
                    w->SetFocus();
                    return;
                }
        });
    }

    // The control of a main window that had the keyboard last.
    static wxWeakRef<wxWindow>& LastControl() {
        static wxWeakRef<wxWindow> last;
        return last;
    }

    // Not every control tells its window class when it gets the keyboard (a
    // choice list does not): at each key and when the main window passes
    // the keyboard on, the toolkit says which control holds it.
    static void NoteKeyboardControl(wxFrame* frame) {
        if (!frame || !frame->GetMenuBar()) return;
        wxWindow* control = KeyboardControlOf(frame);
        if (control && control != frame && control != frame->GetMenuBar()) LastControl() = control;
    }

    static void OnFocus(wxWindow* window) {
        if (!window || window->IsTopLevel()) return;
        auto* frame = wxDynamicCast(wxGetTopLevelParent(window), wxFrame);
        if (frame && frame->GetMenuBar() && window != frame->GetMenuBar()) LastControl() = window;
    }

    // A window shown that disables the main window (a preview) takes the
    // keyboard: the window manager may leave it with the disabled window,
    // where no key does anything.
    static void TakeKeyboardFromDisabled(wxTopLevelWindow* window) {
        if (!window) return;
        wxWeakRef<wxTopLevelWindow> weak(window);
        window->CallAfter([weak] {
            if (!weak || !weak->IsShown() || !weak->IsEnabled() || weak->IsActive()) return;
            for (wxWindow* w : wxTopLevelWindows) {
                auto* frame = wxDynamicCast(w, wxFrame);
                if (frame && frame != weak.get() && frame->GetMenuBar() && frame->IsShown() && !frame->IsEnabled()) {
                    weak->Raise();
                    return;
                }
            }
        });
    }

    // A window that goes (a preview, a dialog) hands the keyboard back to
    // the main window it belonged to.
    static void OnWindowGone(wxWindowDestroyEvent& event) {
        auto* window = wxDynamicCast(event.GetEventObject(), wxWindow);
        if (!window || !window->IsTopLevel()) return;
        wxWindow* parent = window->GetParent();
        KeepKeyboardInForm(parent ? wxDynamicCast(wxGetTopLevelParent(parent), wxFrame) : nullptr);
    }

    int OnKeyUp(wxKeyEvent& event) {
        if (event.GetKeyCode() != WXK_ALT) return Event_Skip;
        const bool alone = altAlone_;
        altAlone_ = false;
        wxFrame* frame = MainWindowOf(event);
        if (alone && frame) OpenMenuBarMenu(frame, 0);
        return Event_Skip;
    }

    bool altAlone_ = false;
};

} // namespace

wxChar MnemonicOf(const wxString& label) {
    for (size_t i = 0; i + 1 < label.length(); ++i) {
        if (label[i] != '&') continue;
        if (label[i + 1] != '&') return wxChar(wxToupper(label[i + 1]));
        ++i;
    }
    return 0;
}

bool FollowMnemonic(wxWindow* top, wxChar letter) {
    std::vector<wxWindow*> order;
    CollectInTabOrder(top, order);
    for (size_t i = 0; i < order.size(); ++i) {
        wxWindow* w = order[i];
        if (!HasMnemonic(w) || !ShownWithin(w, top) || !w->IsEnabled() || MnemonicOf(w->GetLabel()) != letter)
            continue;
        if (wxDynamicCast(w, wxStaticText) || wxDynamicCast(w, wxStaticBox)) {
            for (size_t next = i + 1; next < order.size(); ++next) {
                wxWindow* target = order[next];
                if (ShownWithin(target, top) && target->IsEnabled() && TakesFocus(target)) {
                    target->SetFocus();
                    return true;
                }
            }
            continue;
        }
        if (auto* box = wxDynamicCast(w, wxCheckBox)) {
            box->SetFocus();
            box->SetValue(!box->GetValue());
            Notify(box, wxEVT_CHECKBOX, box->GetValue() ? 1 : 0);
            return true;
        }
        if (auto* radio = wxDynamicCast(w, wxRadioButton)) {
            radio->SetFocus();
            radio->SetValue(true);
            Notify(radio, wxEVT_RADIOBUTTON, 1);
            return true;
        }
        Notify(w, wxEVT_BUTTON, 0);
        return true;
    }
    return false;
}

wxString LabelOf(wxWindow* control) {
    wxWindow* top = control ? wxGetTopLevelParent(control) : nullptr;
    if (!top) return {};
    std::vector<wxWindow*> order;
    CollectInTabOrder(top, order);
    wxWindow* label = nullptr;
    for (wxWindow* w : order) {
        if (w == control) break;
        if (wxDynamicCast(w, wxStaticText)) label = w;
        else if (TakesFocus(w)) label = nullptr;
    }
    if (!label) return {};
    wxString text = wxControl::RemoveMnemonics(label->GetLabel());
    text.Trim();
    if (text.EndsWith(":")) text.RemoveLast();
    return text.Trim();
}

bool OpenMenuBarMenu(wxFrame* frame, wxChar letter) {
    wxMenuBar* bar = frame ? frame->GetMenuBar() : nullptr;
    if (!bar) return false;
    for (size_t i = 0; i < bar->GetMenuCount(); ++i) {
        if (!bar->IsEnabledTop(i)) continue;
        if (letter != 0 && MnemonicOf(bar->GetMenuLabel(i)) != letter) continue;
#ifdef __WXGTK__
        // The title's own mnemonic: the toolkit opens the menu in keyboard mode.
        using Activate = int (*)(GtkWidget*, int);
        static const auto activate = reinterpret_cast<Activate>(::dlsym(RTLD_DEFAULT, "gtk_widget_mnemonic_activate"));
        wxMenu* menu = bar->GetMenu(i);
        if (!activate || !menu || !menu->m_owner) return false;
        activate(menu->m_owner, 0);
        return true;
#else
        return false;
#endif
    }
    return false;
}

void InstallMnemonicRule() {
    static MnemonicRule* rule = nullptr;
    if (rule) return;
    rule = new MnemonicRule;
    wxEvtHandler::AddFilter(rule);
}

} // namespace vx
