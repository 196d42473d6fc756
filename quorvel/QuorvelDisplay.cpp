#include "quorvel/QuorvelDisplay.h"

#include "dbase/file/EngineContext.h"
#include "platform/MessageService.h"
#include "platform/wx/WxMessageService.h"
#include "platform/wx/WxWaitRepainting.h"
#include "quorvel/CModifyDBStruk.h"

#include <wx/app.h>
#include <wx/window.h>

wxWindow* HostDialogParent() {
    if (!wxTheApp) return nullptr;
    if (wxWindow* active = wxGetActiveWindow())
        if (wxWindow* top = wxGetTopLevelParent(active)) return top;
    return wxTheApp->GetTopWindow();
}

void InstallQuorvelDisplay() {
    if (!wxTheApp) return;
    vx::InstallWxMessageService();
    vx::engineHooks().pump = [](int hundredths) { vx::WaitRepainting(hundredths); };
    // During the host's start-up the event loop does not run yet: the quit
    // waits in the queue until it does.
    CModifyDBStruk::QuitHook() = [] {
        if (!wxTheApp) return;
        wxTheApp->CallAfter([] {
            if (wxWindow* top = wxTheApp->GetTopWindow()) top->Close(true);
            wxTheApp->ExitMainLoop();
        });
    };
}
