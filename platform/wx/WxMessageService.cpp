#include "platform/wx/WxMessageService.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "platform/PlatformText.h"
#include "platform/wx/WxMnemonics.h"
#include "platform/wx/WxText.h"

#include <wx/app.h>
#include <wx/display.h>
#include <wx/msgdlg.h>
#include <wx/generic/msgdlgg.h>
#include <wx/stattext.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <cstdint>

#include <dlfcn.h>

namespace vx {
namespace {

// Characters in a line of a box's text: a long message is broken into lines
// of about this many, as the desktop's own boxes do.
constexpr int kLineCharacters = 60;

// The button that changes nothing: Escape and the close box give it.
int NothingChanged(unsigned type) {
    switch (type) {
    case MB_YESNO: return wxID_NO;
    case MB_ABORTRETRYIGNORE: return wxID_YES;  // "Abbrechen"
    case MB_OKCANCEL:
    case MB_RETRYCANCEL:
    case MB_YESNOCANCEL: return wxID_CANCEL;
    default: return wxID_OK;
    }
}

// The window the user works in: a dialog of the program that waits for an
// answer, else the program's main window.
wxWindow* BoxParent() {
    for (auto it = wxTopLevelWindows.rbegin(); it != wxTopLevelWindows.rend(); ++it) {
        auto* dialog = wxDynamicCast(*it, wxDialog);
        if (dialog && dialog->IsModal() && !dialog->IsBeingDeleted()) return dialog;
    }
    return wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
}

// The display's time now, in the units of its key events' time stamps; 0
// when it cannot be asked.
uint32_t DisplayTime(wxWindow* window) {
#ifdef __WXGTK__
    using GetWindow = void* (*)(GtkWidget*);
    using ServerTime = uint32_t (*)(void*);
    static const auto getWindow = reinterpret_cast<GetWindow>(::dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
    static const auto serverTime = reinterpret_cast<ServerTime>(::dlsym(RTLD_DEFAULT, "gdk_x11_get_server_time"));
    void* gdkWindow = getWindow && serverTime && window->GetHandle() ? getWindow(window->GetHandle()) : nullptr;
    return gdkWindow ? serverTime(gdkWindow) : 0;
#else
    (void)window;
    return 0;
#endif
}

class MessageBox : public wxGenericMessageDialog {
public:
    MessageBox(wxWindow* parent, const wxString& text, const wxString& title, long style, unsigned type)
        : wxGenericMessageDialog(parent, text, title, style) {
        const auto label = [](unsigned id) { return ToWx(PlatformText(id)); };
        const wxString cancel = label(IDS_KNOPF_ABBRECHEN), retry = label(IDS_KNOPF_WIEDERHOLEN);
        const wxString yes = label(IDS_KNOPF_JA), no = label(IDS_KNOPF_NEIN);
        switch (type) {
        case MB_OKCANCEL: SetOKCancelLabels("OK", cancel); break;
        case MB_RETRYCANCEL: SetOKCancelLabels(retry, cancel); break;
        case MB_YESNO: SetYesNoLabels(yes, no); break;
        case MB_YESNOCANCEL: SetYesNoCancelLabels(yes, no, cancel); break;
        case MB_ABORTRETRYIGNORE: SetYesNoCancelLabels(cancel, retry, label(IDS_KNOPF_IGNORIEREN)); break;
        default: SetOKLabel("OK"); break;
        }
        SetEscapeId(NothingChanged(type));
        Bind(wxEVT_CHAR_HOOK, &MessageBox::OnKey, this);
        Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
            if (event.IsShown()) shownAt_ = DisplayTime(this);
            event.Skip();
        });
    }

protected:
    // Called once the text is laid out, before the box takes its size.
    void AddMessageDialogCheckBox(wxSizer*) override {
        const int width = std::min(GetCharWidth() * kLineCharacters, wxDisplay(this).GetClientArea().width / 2);
        for (wxWindow* child : GetChildren())
            if (auto* line = wxDynamicCast(child, wxStaticText)) line->Wrap(width);
    }

private:
    // A button's underlined letter answers also without Alt: the box has
    // nothing else to type into.
    void OnKey(wxKeyEvent& event) {
        // A key pressed while the program was busy before the box came
        // would answer it unread.
        if (shownAt_ && event.GetTimestamp() && int32_t(uint32_t(event.GetTimestamp()) - shownAt_) < 0) return;
        const int key = event.GetKeyCode();
        const int modifiers = event.GetModifiers() & ~wxMOD_SHIFT;
        if ((modifiers == wxMOD_NONE || modifiers == wxMOD_ALT) && key > ' ' && key < 127 && wxIsalnum(key) &&
            FollowMnemonic(this, wxChar(wxToupper(key))))
            return;
        event.Skip();
    }

    uint32_t shownAt_ = 0;
};

int ShowBox(const std::string& caption, const std::string& text, unsigned flags) {
    const unsigned type = flags & MB_TYPEMASK;
    long style = 0;
    switch (type) {
    case MB_OKCANCEL:
    case MB_RETRYCANCEL: style = wxOK | wxCANCEL; break;
    case MB_YESNO: style = wxYES_NO; break;
    case MB_YESNOCANCEL:
    case MB_ABORTRETRYIGNORE: style = wxYES_NO | wxCANCEL; break;
    default: style = wxOK; break;
    }
    switch (flags & MB_ICONMASK) {
    case MB_ICONSTOP: style |= wxICON_ERROR; break;
    case MB_ICONQUESTION: style |= wxICON_QUESTION; break;
    case MB_ICONEXCLAMATION: style |= wxICON_WARNING; break;
    case MB_ICONINFORMATION: style |= wxICON_INFORMATION; break;
    default: break;
    }
    if (flags & MB_DEFBUTTON2) style |= (style & wxYES_NO) ? wxNO_DEFAULT : wxCANCEL_DEFAULT;
    // Without a caption of its own (a loaded library's messages) the box
    // carries the running program's name.
    const wxString title = !caption.empty() ? ToWx(caption) : wxTheApp ? wxTheApp->GetAppName() : wxString();
    MessageBox dlg(BoxParent(), ToWx(text), title, style, type);
    switch (dlg.ShowModal()) {
    case wxID_OK: return type == MB_RETRYCANCEL ? IDRETRY : IDOK;
    case wxID_YES: return type == MB_ABORTRETRYIGNORE ? IDABORT : IDYES;
    case wxID_NO: return type == MB_ABORTRETRYIGNORE ? IDRETRY : IDNO;
    case wxID_CANCEL: return type == MB_ABORTRETRYIGNORE ? IDIGNORE : IDCANCEL;
    default: return type == MB_YESNO ? IDNO : type == MB_ABORTRETRYIGNORE ? IDABORT : IDCANCEL;
    }
}

} // namespace

int WxMessageService::Show(const std::string& caption, const std::string& text, unsigned flags) {
    // Without memory for the box the caller learns that none was shown.
    try {
        return ShowBox(caption, text, flags);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

void WxMessageService::Beep(unsigned) { wxBell(); }

void InstallWxMessageService() {
    // A program whose messages the tests read from standard error says so in
    // the environment, so that the libraries it loads follow it.
    if (std::getenv(kConsoleMessagesVariable)) {
        SetMessageService(nullptr);
        return;
    }
    static WxMessageService service;
    SetMessageService(&service);
}

} // namespace vx
