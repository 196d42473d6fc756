// Every question the programs ask, in the real message boxes: Escape and
// the close box give the answer that changes nothing, and a question before
// replacing a file has that answer as its default, so Enter keeps it too.
#include "testsupport/velmora/DocumentFrameTestEnv.h"

#include "platform/wx/WxMessageService.h"
#include "velmora/shared/CDlgQuerschnitte.h"
#include "velmora/shared/CWrzKatalog.h"

#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/generic/msgdlgg.h>
#include <wx/timer.h>

#include <filesystem>
#include <functional>

namespace {

enum class Answer { Escape, CloseBox, Enter };

const char* Name(Answer a) { return a == Answer::Escape ? "Escape" : a == Answer::CloseBox ? "close box" : "Enter"; }

// Answers each message box, once shown, as the user would without choosing
// a button. A box left open is ended by force, so a fault fails the test
// instead of hanging i
class BoxAnswerer : public wxTimer {
public:
    explicit BoxAnswerer(Answer answer) : answer_(answer) { Start(10); }
    ~BoxAnswerer() override { Stop(); }

    std::vector<wxString> texts;
    int leftOpen = 0;

    void Notify() override {
        for (wxWindow* w : wxTopLevelWindows) {
            auto* box = dynamic_cast<wxGenericMessageDialog*>(w);
            if (!box || !box->IsModal() || !box->IsShown()) continue;
            texts.push_back(box->GetMessage());
            Give(*box);
            if (box->IsModal()) {
                ++leftOpen;
                box->EndModal(wxID_CANCEL);
            }
            return;
        }
    }

private:
    void Give(wxDialog& box) {
        if (answer_ == Answer::Escape) {
            wxKeyEvent key(wxEVT_CHAR_HOOK);
            key.m_keyCode = WXK_ESCAPE;
            key.SetEventObject(&box);
            box.GetEventHandler()->ProcessEvent(key);
        } else if (answer_ == Answer::CloseBox) {
            box.Close();
        } else if (wxWindow* button = box.GetDefaultItem()) {
            wxCommandEvent click(wxEVT_BUTTON, button->GetId());
            click.SetEventObject(button);
            button->GetEventHandler()->ProcessEvent(click);
        }
    }

    Answer answer_;
};

class QuestionTest : public DocumentFrameTestBase {
protected:
    void SetUp() override {
        SetUpDocument();
        vx::SetMessageService(&boxes_);
        dir_ = TempPath("questions");
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        vx::SetMessageService(&messages_.service);
        CVelmoraDoc::SetSavePathChooser(nullptr);
        std::filesystem::remove_all(dir_);
        DocumentFrameTestBase::TearDown();
    }
    void Command(int id) {
        wxCommandEvent event(wxEVT_MENU, id);
        frame_->GetEventHandler()->ProcessEvent(event);
    }
    std::string File(const std::string& name) {
        std::string bytes;
        vx::ReadWholeFile(vx::JoinPath(dir_, name), bytes);
        return bytes;
    }

    vx::WxMessageService boxes_;
    std::string dir_;
};

struct Question {
    const char* what;
    bool beforeReplacing;
    // Sets up, asks once and says whether everything stayed as it was.
    std::function<bool()> askAndCheck;
};

TEST_F(QuestionTest, EscapeTheCloseBoxAndAReplacingQuestionsDefaultChangeNothing) {
    const std::string other = "andere.kfx";
    const std::string table = "INNENTAB.INI";
    const std::string tableText = "[INNENTAB]\r\nR1=0.08\r\nR2=0.10\r\n";
    const std::string wrz =
        "Tennfeld \xD6" "fen;Kaminofen 8;10;0;8.0;10.26;78.0;8.0;0.00780;280.0;12.0;0.0;0.15;0;5.0;20.0;25.0;0.06;120.0;10.0\r\n";
    const Question questions[] = {
        {"another file's name under \"Speichern unter\"", true,
         [&] {
             vx::WriteFileAtomic(vx::JoinPath(dir_, other), "andere Berechnung");
             Calculate();
             CVelmoraDoc::SetSavePathChooser(
                 [&](const std::string&, const std::string&) { return vx::JoinPath(dir_, other); });
             Command(ID_FILE_SAVE_AS);
             return File(other) == "andere Berechnung" && doc_->GetFilename() != vx::ToWx(vx::JoinPath(dir_, other));
         }},
        {"the changed calculation at \"Neu\"", false,
         [&] {
             doc_->Modify(true);
             Command(ID_NEW_CALCULATION);
             return doc_->IsModified() && doc_->heatGenerator.typeDesignation.text == "Oleomat 29-2";
         }},
        {"the changed cross-section table", false,
         [&] {
             const std::string path = vx::JoinPath(dir_, table);
             vx::WriteFileAtomic(path, tableText);
             CDlgQuerschnitte dialog(frame_, path);
             dialog.CallAfter([&dialog] {
                 auto* list = dynamic_cast<wxListBox*>(dialog.FindWindow(CDlgQuerschnitte::IDC_LIST));
                 list->SetSelection(0);
                 for (int id : {int(CDlgQuerschnitte::IDC_DELETE), int(wxID_OK)}) {
                     wxCommandEvent click(wxEVT_BUTTON, id);
                     click.SetEventObject(dialog.FindWindow(id));
                     dialog.FindWindow(id)->GetEventHandler()->ProcessEvent(click);
                 }
                 if (dialog.IsModal()) dialog.EndModal(wxID_CANCEL);
             });
             dialog.ShowModal();
             return File(table) == tableText;
         }},
        {"a heat generator that can run open", false,
         [&] {
             vx::WriteFileAtomic(vx::JoinPath(dir_, "velmora.wrz"), wrz);
             CWrzKatalog catalogue(dir_);
             WrzEntry entry;
             int64_t at = 0;
             return catalogue.LoadEntry(entry, at) == CWrzKatalog::kLoaded && entry.openOperation == 0 &&
                    entry.output == 8.0;
         }},
    };
    for (const Question& q : questions) {
        for (Answer a : {Answer::Escape, Answer::CloseBox, Answer::Enter}) {
            if (a == Answer::Enter && !q.beforeReplacing) continue;
            doc_->Modify(false);
            BoxAnswerer answerer(a);
            EXPECT_TRUE(q.askAndCheck()) << q.what << ", " << Name(a);
            EXPECT_EQ(answerer.texts.size(), 1u) << q.what << ", " << Name(a) << ": "
                                                 << (answerer.texts.empty() ? wxString() : answerer.texts.front());
            EXPECT_EQ(answerer.leftOpen, 0) << q.what << ", " << Name(a);
        }
    }
}

} // namespace
