#include "quorvel/QuorvelDisplay.h"

#include "dbase/file/EngineContext.h"
#include "platform/MessageService.h"
#include "platform/wx/WxMessageService.h"
#include "quorvel/CModifyDBStruk.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include "testsupport/quorvel/FieldsTestDialog.h"

// The host's focus sits on a control of its main window: the library's
// dialogs belong to that window, not to the control.
TEST(QuorvelDisplay, DialogsBelongToTheHostsWindowNotToTheFocusedControl) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Velmora", wxPoint(0, 0), wxSize(900, 600));
    auto* edit = new wxTextCtrl(frame, wxID_ANY, "", wxPoint(700, 500), wxSize(120, -1));
    new wxTextCtrl(frame, wxID_ANY, "", wxPoint(10, 10), wxSize(120, -1));
    frame->Show();
    wxTheApp->SetTopWindow(frame);
    FocusOn(edit);
    ASSERT_EQ(wxWindow::FindFocus(), edit);
    EXPECT_EQ(HostDialogParent(), frame);
    wxTheApp->SetTopWindow(nullptr);
    frame->Destroy();
    Settle();
}

TEST(QuorvelDisplay, TheQuitOfARefusedConversionWaitsForTheEventLoop) {
    vx::MessageService* before = &vx::Messages();
    InstallQuorvelDisplay();
    EXPECT_NE(dynamic_cast<vx::WxMessageService*>(&vx::Messages()), nullptr);
    EXPECT_TRUE(bool(vx::engineHooks().pump));
    ASSERT_TRUE(bool(CModifyDBStruk::QuitHook()));

    auto* frame = new wxFrame(nullptr, wxID_ANY, "Velmora");
    wxTheApp->SetTopWindow(frame);
    int closes = 0;
    frame->Bind(wxEVT_CLOSE_WINDOW, [&closes](wxCloseEvent& e) {
        ++closes;
        e.Skip();
    });
    CModifyDBStruk::QuitHook()();
    // Posted, not done: the host's start-up goes on until its loop runs.
    EXPECT_EQ(closes, 0);
    wxEventLoop loop;
    wxEventLoopActivator activate(&loop);
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ(closes, 1);
    wxTheApp->SetTopWindow(nullptr);
    wxTheApp->ProcessPendingEvents();
    wxTheApp->Yield(true);

    CModifyDBStruk::QuitHook() = nullptr;
    vx::engineHooksReset();
    vx::SetMessageService(before);
}
