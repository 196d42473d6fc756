// The print and mail commands of the document inside the framework.
#include "testsupport/velmora/DocumentFrameTestEnv.h"

#include "platform/NumText.h"
#include "platform/System.h"
#include "velmora/CVelmoraPrint.h"

#include <wx/utils.h>

namespace {

class PrintCommandTest : public DocumentFrameTestBase {
protected:
    void SetUp() override { SetUpDocument("[LuL]\nFormular0=" + SampleData() + "/Velmora.LST\n"); }
};

} // namespace

TEST_F(PrintCommandTest, MailCommandHandsTheExportToTheMailProgram) {
    // A stub mail program first on the PATH records its arguments.
    const std::string bin = TempPath("bin"), log = TempPath("xdg-email.log");
    vx::MakeDirs(bin);
    vx::RemoveFile(log);
    const std::string stub = vx::JoinPath(bin, "xdg-email");
    ASSERT_TRUE(vx::WriteFileAtomic(stub, "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> '" + log + "'; done\n"));
    ASSERT_EQ(vx::RunProgram("chmod", {"+x", stub}), 0);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (bin + ":" + oldPath).c_str(), 1);
    doc_->project.Text(CProjekt::EmpfEmail) = "kunde@example.org";
    wxCommandEvent calculate(wxEVT_MENU, ID_CALCULATE);
    doc_->ProcessEvent(calculate);
    ASSERT_GE(doc_->points.size(), 2u);

    wxCommandEvent mail(wxEVT_MENU, ID_FILE_SEND_MAIL);
    frame_->GetEventHandler()->ProcessEvent(mail);
    ::setenv("PATH", oldPath.c_str(), 1);
    EXPECT_TRUE(messages_.service.shown.empty());
    ASSERT_EQ(Mailer().SentFiles().size(), 1u);
    const std::string file = vx::JoinPath(Mailer().SentFiles()[0], "unbenannt.PDF");
    std::string args;
    ASSERT_TRUE(vx::ReadWholeFile(log, args));
    EXPECT_EQ(args, "--utf8\n--attach\n" + file + "\n--subject\nunbenannt\nkunde@example.org\n");
    EXPECT_TRUE(vx::FileExists(file));
    Mailer().DeleteSentFiles();
    EXPECT_FALSE(vx::FileExists(file));
    vx::RemoveFile(log);
    vx::RemoveFile(stub);
}

// Without a mail program that answers, the program waits for seconds: it
// shows that it waits until the message comes.
TEST_F(PrintCommandTest, MailCommandWaitsWithTheWaitCursor) {
    struct BusySeen : vx::ScriptedMessageService {
        int Show(const std::string& caption, const std::string& text, unsigned flags) override {
            busy = wxIsBusy();
            return ScriptedMessageService::Show(caption, text, flags);
        }
        bool busy = false;
    } seen;
    const std::string bin = TempPath("bin");
    vx::MakeDirs(bin);
    const std::string stub = vx::JoinPath(bin, "xdg-email");
    ASSERT_TRUE(vx::WriteFileAtomic(stub, "#!/bin/sh\nexit 3\n"));
    ASSERT_EQ(vx::RunProgram("chmod", {"+x", stub}), 0);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (bin + ":" + oldPath).c_str(), 1);
    wxCommandEvent calculate(wxEVT_MENU, ID_CALCULATE);
    doc_->ProcessEvent(calculate);
    vx::SetMessageService(&seen);
    wxCommandEvent mail(wxEVT_MENU, ID_FILE_SEND_MAIL);
    frame_->GetEventHandler()->ProcessEvent(mail);
    vx::SetMessageService(&messages_.service);
    ::setenv("PATH", oldPath.c_str(), 1);
    ASSERT_EQ(seen.shown.size(), 1u);
    EXPECT_TRUE(seen.busy);
    EXPECT_FALSE(wxIsBusy());
    vx::RemoveFile(stub);
}
