#include "platform/wx/WxMessageService.h"

#include <cstdlib>
#include <new>

#include "platform/wx/WxText.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/generic/msgdlgg.h>
#include <wx/utils.h>

namespace vx {
namespace {

int ShowBox(const std::string& caption, const std::string& text, unsigned flags) {
    long style = 0;
    switch (flags & MB_TYPEMASK) {
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
    wxWindow* parent = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    // Without a caption of its own (a loaded library's messages) the box
    // carries the running program's name.
    const wxString title = !caption.empty() ? ToWx(caption) : wxTheApp ? wxTheApp->GetAppName() : wxString();
    wxGenericMessageDialog dlg(parent, ToWx(text), title, style);
    if ((flags & MB_TYPEMASK) == MB_RETRYCANCEL) dlg.SetOKCancelLabels("&Wiederholen", "Abbrechen");
    if ((flags & MB_TYPEMASK) == MB_ABORTRETRYIGNORE)
        dlg.SetYesNoCancelLabels("&Abbrechen", "&Wiederholen", "&Ignorieren");
    int r = dlg.ShowModal();
    unsigned type = flags & MB_TYPEMASK;
    switch (r) {
    case wxID_OK: return type == MB_RETRYCANCEL ? IDRETRY : IDOK;
    case wxID_YES: return type == MB_ABORTRETRYIGNORE ? IDABORT : IDYES;
    case wxID_NO: return type == MB_ABORTRETRYIGNORE ? IDRETRY : IDNO;
    case wxID_CANCEL: return type == MB_ABORTRETRYIGNORE ? IDIGNORE : IDCANCEL;
    default: return IDCANCEL;
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
