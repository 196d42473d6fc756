// For the dialog tests: driving a dialog through its controls by id, as
// the keyboard would, without knowing its class.
#pragma once

#include "platform/Files.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "quorvel/CQuorvelApp.h"
#include "quorvel/fields/FieldsDeliverable.h"
#include "testsupport/quorvel/FieldsTestDialog.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include <functional>
#include <string>

// The texts the library's dialogs show: the fields' and the library's own.
inline bool LoadLibraryTexts() {
    vx::Strings().Clear();
    QuorvelStrings().Clear();
    return LoadFieldStrings(QuorvelFields()) &&
           QuorvelStrings().LoadFile(vx::JoinPath(vx::ResourceDir(), "quorvel/strings.txt"));
}

// The host's main window the dialogs open over, shown and made the
// application's top window.
inline wxFrame* ShowHostFrame() {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Velmora");
    frame->Show();
    wxTheApp->SetTopWindow(frame);
    return frame;
}
// Closes it again and lets the destruction run.
inline void CloseHostFrame(wxFrame* frame) {
    frame->Destroy();
    Settle();
}

// Runs the dialog modally; the steps run inside its loop.
inline int RunModal(wxDialog& dialog, std::function<void()> steps) {
    dialog.CallAfter([&dialog, steps] {
        EXPECT_TRUE(PumpUntil([&] { return dialog.IsShown(); }));
        steps();
        if (dialog.IsModal()) dialog.EndModal(wxID_CANCEL);
    });
    return dialog.ShowModal();
}

// A button pressed as the keyboard would: focus on it, then its command.
inline void Press(wxWindow* dialog, int id) {
    wxWindow* button = dialog->FindWindow(id);
    ASSERT_NE(button, nullptr) << id;
    ASSERT_TRUE(button->IsEnabled()) << id;
    FocusOn(button);
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
    Settle();
}

inline wxTextCtrl* Edit(wxWindow* dialog, int id) { return dynamic_cast<wxTextCtrl*>(dialog->FindWindow(id)); }

inline void SetText(wxWindow* dialog, int id, const std::string& text) {
    wxTextCtrl* edit = Edit(dialog, id);
    ASSERT_NE(edit, nullptr) << id;
    edit->SetValue(vx::ToWx(text));
    edit->MarkDirty();
}

inline std::string Text(wxWindow* dialog, int id) {
    wxTextCtrl* edit = Edit(dialog, id);
    return edit ? vx::FromWx(edit->GetValue()) : "?";
}

// Runs step on the first modal dialog with that title once it is shown
// (from a timer, since the dialog's own loop must run meanwhile).
class WhenTitled : public wxTimer {
public:
    WhenTitled(const std::string& title, std::function<void(wxDialog&)> step)
        : title_(vx::ToWx(title)), step_(std::move(step)) {
        Start(10);
    }
    ~WhenTitled() override { Stop(); }
    void Notify() override {
        if (done) return;
        for (wxWindow* w : wxTopLevelWindows)
            if (auto* d = dynamic_cast<wxDialog*>(w); d && d->IsModal() && d->IsShown() && d->GetTitle() == title_) {
                done = true;
                Stop();
                step_(*d);
                return;
            }
    }
    bool done = false;

private:
    wxString title_;
    std::function<void(wxDialog&)> step_;
};
