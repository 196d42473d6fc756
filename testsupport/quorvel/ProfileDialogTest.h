// For the dialog tests: a scratch folder with the profile pointed at its
// "Velmora.ini", the library's texts loaded and a main window as owner.
#pragma once

#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "quorvel/CQuorvelApp.h"
#include "testsupport/quorvel/DialogDrive.h"
#include "testsupport/quorvel/QuorvelTestEnv.h"

#include <wx/frame.h>

class ProfileDialogTest : public QuorvelTest {
protected:
    void SetUp() override {
        QuorvelTest::SetUp();
        oldProfile_ = vx::Profile().Path();
        vx::Profile().UseFile(Path("Velmora.ini"));
        ASSERT_TRUE(LoadLibraryTexts());
        frame_ = new wxFrame(nullptr, wxID_ANY, "Velmora");
        frame_->Show();
        wxTheApp->SetTopWindow(frame_);
    }
    void TearDown() override {
        frame_->Destroy();
        Settle();
        QuorvelStrings().Clear();
        vx::Strings().Clear();
        vx::Profile().UseFile(oldProfile_);
        QuorvelTest::TearDown();
    }
    void Profile(const std::string& text) { vx::WriteFileAtomic(Path("Velmora.ini"), text); }

    wxFrame* frame_ = nullptr;
    std::string oldProfile_;
};

