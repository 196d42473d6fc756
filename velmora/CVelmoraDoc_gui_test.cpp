// The document inside the framework: its calculation file through the
// document manager and the frame, and the commands held back while a
// calculation runs.
#include "testsupport/velmora/DocumentFrameTestEnv.h"

#include "platform/wx/WxMessageService.h"
#include "values/CAnwender.h"
#include "velmora/CDlgHinweis.h"
#include "velmora/CVelmoraView.h"
#include "velmora/VelmoraDocPrint.h"
#include "velmora/CWndInfo.h"
#include "velmora/DiagramWindow.h"
#include "velmora/VelmoraText.h"

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/timer.h>

#include <functional>

namespace {

class DocumentFrameTest : public DocumentFrameTestBase {
protected:
    void SetUp() override { SetUpDocument(); }
    void TearDown() override {
        CVelmoraDoc::SetSavePathChooser(nullptr);
        DocumentFrameTestBase::TearDown();
        for (const char* f : {"a.kfx", "b.kfx", "c.kfx", "d.kfx", "broken.kfx"}) vx::RemoveFile(TempPath(f));
    }
    void Command(int id) {
        wxCommandEvent event(wxEVT_MENU, id);
        frame_->GetEventHandler()->ProcessEvent(event);
    }
    bool MenuEnabled(int id) {
        wxMenuBar* bar = frame_->GetMenuBar();
        for (size_t i = 0; i < bar->GetMenuCount(); ++i) bar->GetMenu(i)->UpdateUI(frame_);
        return bar->IsEnabled(id);
    }
    static void Pump() { PumpEvents(); }
    DiagramWindow* Diagram() const { return dynamic_cast<DiagramWindow*>(doc_->diagram.Window()); }
    void Key(int code) {
        wxKeyEvent e(wxEVT_KEY_DOWN);
        e.m_keyCode = code;
        e.SetEventObject(Diagram());
        Diagram()->GetEventHandler()->ProcessEvent(e);
    }
    void Click(double height, double size) {
        wxMouseEvent e(wxEVT_LEFT_DOWN);
        e.SetPosition({doc_->diagram.XAxis().ValueToPixel(height), doc_->diagram.YAxis().ValueToPixel(size)});
        e.SetLeftDown(true);
        e.SetEventObject(Diagram());
        Diagram()->GetEventHandler()->ProcessEvent(e);
        wxMouseEvent up(wxEVT_LEFT_UP);
        up.SetEventObject(Diagram());
        Diagram()->GetEventHandler()->ProcessEvent(up);
    }
    // What the window shows, drawn as its paint draws it.
    void Paint() {
        const wxSize size = Diagram()->GetClientSize();
        wxBitmap bmp(size.GetWidth(), size.GetHeight(), 24);
        wxMemoryDC dc(bmp);
        Diagram()->Render(dc);
    }
};

// Acts on each modal dialog that opens, as the user would, and reports
// whether the action ended it. A dialog the action left open is ended by
// force, so that a fault fails the test instead of hanging it.
class ModalDialogDriver {
public:
    explicit ModalDialogDriver(std::function<void(wxDialog&)> act) : act_(std::move(act)) {
        timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Look(); });
        timer_.Start(10);
    }
    ~ModalDialogDriver() { timer_.Stop(); }

    int met = 0, endedByTheAction = 0;
    std::vector<wxString> messages;
    std::vector<bool> hints;

private:
    void Look() {
        for (wxWindow* w : wxTopLevelWindows) {
            auto* dialog = wxDynamicCast(w, wxDialog);
            if (!dialog || !dialog->IsModal()) continue;
            ++met;
            hints.push_back(dynamic_cast<CDlgHinweis*>(dialog) != nullptr);
            if (auto* box = dynamic_cast<wxMessageDialogBase*>(dialog)) messages.push_back(box->GetMessage());
            act_(*dialog);
            if (dialog->IsModal())
                dialog->EndModal(wxID_CANCEL);
            else
                ++endedByTheAction;
            return;
        }
    }

    std::function<void(wxDialog&)> act_;
    wxTimer timer_;
};

void PressOk(wxDialog& dialog) {
    wxWindow* ok = dialog.FindWindow(wxID_OK);
    ASSERT_NE(ok, nullptr);
    wxCommandEvent click(wxEVT_BUTTON, wxID_OK);
    click.SetEventObject(ok);
    ok->GetEventHandler()->ProcessEvent(click);
}

void PressEscape(wxDialog& dialog) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = WXK_ESCAPE;
    key.SetEventObject(&dialog);
    dialog.GetEventHandler()->ProcessEvent(key);
}

void CloseBox(wxDialog& dialog) {
    wxCloseEvent close(wxEVT_CLOSE_WINDOW, dialog.GetId());
    close.SetEventObject(&dialog);
    close.SetCanVeto(true);
    dialog.GetEventHandler()->ProcessEvent(close);
}

} // namespace

TEST_F(DocumentFrameTest, SavedAndReopenedThroughTheFrame) {
    Calculate();
    EXPECT_TRUE(doc_->IsModified());
    ASSERT_GE(doc_->points.size(), 2u);
    const std::vector<DiagramPoint> band = doc_->points;
    const wxString a = vx::ToWx(TempPath("a.kfx"));
    ASSERT_TRUE(doc_->OnSaveDocument(a));
    EXPECT_FALSE(doc_->IsModified());

    doc_->ResetDocument();
    doc_->Modify(false);
    ASSERT_TRUE(frame_->OpenDocument(a));
    EXPECT_EQ(manager_->GetCurrentDocument(), doc_);
    EXPECT_EQ(doc_->GetTitle(), vx::ToWx(vx::BaseName(TempPath("a.kfx"))));
    EXPECT_EQ(doc_->heatGenerator.typeDesignation.text, "Oleomat 29-2");
    const wxString b = vx::ToWx(TempPath("b.kfx"));
    ASSERT_TRUE(doc_->OnSaveDocument(b));
    std::string bytesA, bytesB;
    ASSERT_TRUE(vx::ReadWholeFile(TempPath("a.kfx"), bytesA));
    ASSERT_TRUE(vx::ReadWholeFile(TempPath("b.kfx"), bytesB));
    EXPECT_TRUE(bytesA == bytesB);

    Calculate();
    ASSERT_EQ(doc_->points.size(), band.size());
    for (size_t i = 0; i < band.size(); ++i) {
        EXPECT_EQ(doc_->points[i].smallest, band[i].smallest);
        EXPECT_EQ(doc_->points[i].largest, band[i].largest);
    }
    EXPECT_TRUE(messages_.service.shown.empty());
}

TEST_F(DocumentFrameTest, BrokenFileLeavesTheOpenDocument) {
    Calculate();
    ASSERT_TRUE(doc_->OnSaveDocument(vx::ToWx(TempPath("a.kfx"))));
    std::string bytes;
    ASSERT_TRUE(vx::ReadWholeFile(TempPath("a.kfx"), bytes));
    vx::WriteFileAtomic(TempPath("broken.kfx"), bytes.substr(0, bytes.size() / 2));
    doc_->remarks.text = "offen";
    doc_->Modify(false);
    EXPECT_FALSE(frame_->OpenDocument(vx::ToWx(TempPath("broken.kfx"))));
    ASSERT_EQ(manager_->GetCurrentDocument(), doc_);
    EXPECT_EQ(doc_->remarks.text, "offen");
    EXPECT_EQ(doc_->GetFilename(), vx::ToWx(TempPath("a.kfx")));
    ASSERT_EQ(messages_.service.shown.size(), 1u);
    EXPECT_NE(messages_.service.shown[0].text.find("besch\xe4" "digt"), std::string::npos);
}

TEST_F(DocumentFrameTest, CommandsAreHeldBackWhileACalculationRuns) {
    int pumped = 0, calculationsSeen = 0;
    bool closeVetoed = false;
    doc_->Bind(wxEVT_MENU, [&](wxCommandEvent& e) { ++calculationsSeen; e.Skip(); }, ID_CALCULATE);
    SetCalculationMessagePump([&] {
        if (pumped++ > 0) return;
        // What a user could do while the band is computed.
        wxCommandEvent again(wxEVT_MENU, ID_CALCULATE);
        frame_->GetEventHandler()->ProcessEvent(again);
        wxCommandEvent handOver(wxEVT_MENU, ID_HAND_OVER);
        frame_->GetEventHandler()->ProcessEvent(handOver);
        wxCloseEvent close(wxEVT_CLOSE_WINDOW, frame_->GetId());
        close.SetEventObject(frame_);
        close.SetCanVeto(true);
        frame_->GetEventHandler()->ProcessEvent(close);
        closeVetoed = close.GetVeto();
    });
    Calculate();
    SetCalculationMessagePump(nullptr);
    EXPECT_GT(pumped, 1);
    EXPECT_EQ(calculationsSeen, 1);
    EXPECT_TRUE(closeVetoed);
    EXPECT_FALSE(doc_->IsBusy());
    EXPECT_GE(doc_->points.size(), 2u);
    // Afterwards the commands reach the document again.
    Calculate();
    EXPECT_EQ(calculationsSeen, 2);
}

TEST_F(DocumentFrameTest, NewDocumentOpensTheLastProjectWhenAsked) {
    Calculate();
    const std::string a = TempPath("a.kfx");
    ASSERT_TRUE(doc_->OnSaveDocument(vx::ToWx(a)));
    doc_->Modify(false);
    vx::Profile().WriteString("Global", "LstPrj", a);
    g_OpenLast = true;
    auto* doc = wxDynamicCast(manager_->CreateNewDocument(), CVelmoraDoc);
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(g_OpenLast);
    EXPECT_EQ(doc->GetFilename(), vx::ToWx(a));
    EXPECT_EQ(doc->heatGenerator.typeDesignation.text, "Oleomat 29-2");
    EXPECT_EQ(doc->keepDiagramRange, 1);
    ASSERT_GE(manager_->GetHistoryFilesCount(), 1u);
    EXPECT_EQ(manager_->GetHistoryFile(0), vx::ToWx(a));

    // Without the flag a new document is a fresh, untitled one.
    doc->Modify(false);
    auto* fresh = wxDynamicCast(manager_->CreateNewDocument(), CVelmoraDoc);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->GetTitle(), "unbenannt");
    EXPECT_TRUE(fresh->heatGenerator.typeDesignation.text.empty());
    doc_ = fresh;
}

// The start choice "open the last project" without a usable one: an empty,
// untitled document with a message, never none; the list of recent files
// gains nothing.
TEST_F(DocumentFrameTest, ReopeningNoLastProjectLeavesOneEmptyDocument) {
    const std::string broken = TempPath("broken.kfx");
    ASSERT_TRUE(vx::WriteFileAtomic(broken, "kaputt"));
    struct Case {
        std::string lastProject;
        const char* messagePart;
    };
    const Case cases[] = {
        {"", "kein zuletzt"},
        {TempPath("gone.kfx"), "nicht gefunden"},
        {broken, "besch\xe4" "digt"},
    };
    for (const Case& c : cases) {
        doc_->Modify(false);
        const size_t historyBefore = manager_->GetHistoryFilesCount();
        messages_.service.shown.clear();
        vx::Profile().WriteString("Global", "LstPrj", c.lastProject);
        g_OpenLast = true;
        auto* doc = wxDynamicCast(manager_->CreateNewDocument(), CVelmoraDoc);
        ASSERT_NE(doc, nullptr) << c.lastProject;
        doc_ = doc;
        EXPECT_FALSE(g_OpenLast);
        EXPECT_EQ(manager_->GetDocumentsVector().size(), 1u);
        EXPECT_EQ(doc->GetTitle(), "unbenannt");
        EXPECT_TRUE(doc->heatGenerator.typeDesignation.text.empty());
        EXPECT_EQ(manager_->GetHistoryFilesCount(), historyBefore);
        ASSERT_EQ(messages_.service.shown.size(), 1u) << c.lastProject;
        EXPECT_NE(messages_.service.shown[0].text.find(c.messagePart), std::string::npos)
            << messages_.service.shown[0].text;
    }
    vx::RemoveFile(broken);
}

TEST_F(DocumentFrameTest, HintShownByTheCalculationAnswersOkAndTheCloseBox) {
    vx::Profile().WriteString("Global", "Hinweis", "0");
    for (auto act : {PressOk, CloseBox}) {
        ModalDialogDriver driver(act);
        Calculate();
        EXPECT_EQ(driver.met, 1);
        EXPECT_EQ(driver.endedByTheAction, 1);
        ASSERT_EQ(driver.hints.size(), 1u);
        EXPECT_TRUE(driver.hints[0]);
        EXPECT_FALSE(doc_->IsBusy());
        EXPECT_EQ(doc_->resultValid, 1);
    }
    // The program goes on: the next command reaches the document.
    vx::Profile().WriteString("Global", "Hinweis", "1");
    doc_->resultValid = 0;
    Command(ID_CALCULATE);
    EXPECT_EQ(doc_->resultValid, 1);
}

TEST_F(DocumentFrameTest, MessageBoxesOfMachEtAnswerEscapeAndTheCloseBox) {
    vx::WxMessageService boxes;
    vx::SetMessageService(&boxes);
    doc_->SetHeightRange(10, 2, 10);
    {
        ModalDialogDriver driver(PressEscape);
        Calculate();
        EXPECT_EQ(driver.met, 1);
        EXPECT_EQ(driver.endedByTheAction, 1);
        ASSERT_EQ(driver.messages.size(), 1u);
        EXPECT_EQ(driver.messages[0], vx::ToWx("Keine passende Querschnitte gefunden."));
    }
    EXPECT_FALSE(doc_->IsBusy());
    EXPECT_EQ(doc_->points.size(), 1u);
    // Without a heat generator the message comes before any computation; its close box answers.
    doc_->ClearHeatGenerator();
    {
        ModalDialogDriver driver(CloseBox);
        Calculate();
        EXPECT_EQ(driver.endedByTheAction, 1);
        ASSERT_EQ(driver.messages.size(), 1u);
        EXPECT_EQ(driver.messages[0], vx::ToWx(vx::LoadString(IDS_KEINE_FEUERSTAETTE)));
    }
    vx::SetMessageService(&messages_.service);
    EXPECT_FALSE(doc_->IsBusy());
}

TEST_F(DocumentFrameTest, SaveCommandsAreOnAndWriteTheCalculation) {
    const wxAcceleratorEntry* accel = frame_->GetMenuBar()->FindItem(ID_FILE_SAVE)->GetAccel();
    ASSERT_NE(accel, nullptr);
    EXPECT_EQ(accel->GetFlags(), wxACCEL_CTRL);
    EXPECT_EQ(accel->GetKeyCode(), 'S');
    delete accel;
    Calculate();
    EXPECT_TRUE(MenuEnabled(ID_FILE_SAVE));
    EXPECT_TRUE(MenuEnabled(ID_FILE_SAVE_AS));

    std::vector<std::pair<std::string, std::string>> asked;
    std::string answer = TempPath("c");
    CVelmoraDoc::SetSavePathChooser([&](const std::string& dir, const std::string& name) {
        asked.push_back({dir, name});
        return answer;
    });
    // An untitled calculation asks for its file, in the calculation directory.
    Command(ID_FILE_SAVE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].second, "unbenannt.kfx");
    EXPECT_EQ(asked[0].first, OpenDialogDirectory());
    EXPECT_TRUE(vx::FileExists(TempPath("c.kfx")));
    EXPECT_FALSE(doc_->IsModified());
    EXPECT_EQ(doc_->GetTitle(), vx::ToWx(vx::BaseName(TempPath("c.kfx"))));
    EXPECT_EQ(manager_->GetHistoryFile(0), vx::ToWx(TempPath("c.kfx")));

    // Saved once, it is written again without a question.
    doc_->remarks.text = "zweiter Stand";
    doc_->Modify(true);
    Command(ID_FILE_SAVE);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_FALSE(doc_->IsModified());
    std::string bytes;
    ASSERT_TRUE(vx::ReadWholeFile(TempPath("c.kfx"), bytes));
    EXPECT_NE(bytes.find("zweiter Stand"), std::string::npos);

    // "Speichern unter..." offers the file's own directory and name.
    answer = TempPath("d.kfx");
    Command(ID_FILE_SAVE_AS);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].first, vx::DirName(TempPath("c.kfx")));
    EXPECT_EQ(asked[1].second, vx::BaseName(TempPath("c.kfx")));
    EXPECT_TRUE(vx::FileExists(TempPath("d.kfx")));
    EXPECT_EQ(doc_->GetFilename(), vx::ToWx(TempPath("d.kfx")));

    // Cancelled, nothing is written and the change stays.
    answer.clear();
    doc_->Modify(true);
    Command(ID_FILE_SAVE_AS);
    EXPECT_TRUE(doc_->IsModified());
    EXPECT_TRUE(messages_.service.shown.empty());
}

TEST_F(DocumentFrameTest, SavingAsksBeforeItReplacesAnotherFile) {
    vx::Profile().WriteString("Global", "DatPfad", vx::TempDir());
    const std::string project = "vxdoc-" + std::to_string(::getpid()) + "-a";
    const std::string first = TempPath("a.kfx");
    ASSERT_TRUE(vx::WriteFileAtomic(first, "erste Berechnung"));
    // The user takes the name offered, as Enter in the dialog does.
    int asked = 0;
    CVelmoraDoc::SetSavePathChooser([&](const std::string& dir, const std::string& name) {
        ++asked;
        return vx::JoinPath(dir, name);
    });
    // A second calculation with the same project number: "Nein" keeps the first.
    doc_->TakeProjectName(project);
    EXPECT_EQ(doc_->GetFilename(), vx::ToWx(first));
    Calculate();
    messages_.service.answers = {vx::IDNO};
    Command(ID_FILE_SAVE);
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(messages_.service.shown.size(), 1u);
    EXPECT_EQ(messages_.service.shown[0].text,
              "Die Datei \x84" + vx::BaseName(first) + "\x93 existiert bereits.\nM\xF6" "chten Sie sie ersetzen?");
    std::string bytes;
    ASSERT_TRUE(vx::ReadWholeFile(first, bytes));
    EXPECT_EQ(bytes, "erste Berechnung");
    EXPECT_TRUE(doc_->IsModified());

    // "Ja" replaces it; from then on it is the document's own file, saved unasked.
    messages_.service.answers = {vx::IDYES};
    Command(ID_FILE_SAVE);
    ASSERT_TRUE(vx::ReadWholeFile(first, bytes));
    EXPECT_NE(bytes, "erste Berechnung");
    EXPECT_FALSE(doc_->IsModified());
    doc_->remarks.text = "zweiter Stand";
    Command(ID_FILE_SAVE);
    EXPECT_EQ(messages_.service.shown.size(), 2u);
    EXPECT_EQ(asked, 2);

    // A document read from a file, renamed by the project number onto another
    // existing file, asks again.
    ASSERT_TRUE(vx::WriteFileAtomic(TempPath("b.kfx"), "andere Berechnung"));
    doc_->TakeProjectName("vxdoc-" + std::to_string(::getpid()) + "-b");
    doc_->remarks.text = "dritter Stand";
    messages_.service.answers = {vx::IDNO};
    Command(ID_FILE_SAVE);
    EXPECT_EQ(messages_.service.shown.size(), 3u);
    ASSERT_TRUE(vx::ReadWholeFile(TempPath("b.kfx"), bytes));
    EXPECT_EQ(bytes, "andere Berechnung");
}

TEST_F(DocumentFrameTest, NewAsksBeforeAChangedCalculationIsThrownAway) {
    Calculate();
    ASSERT_TRUE(doc_->IsModified());
    messages_.service.answers = {vx::IDCANCEL};
    Command(ID_NEW_CALCULATION);
    ASSERT_EQ(messages_.service.shown.size(), 1u);
    EXPECT_EQ(messages_.service.shown[0].text, "\xc4nderungen in unbenannt speichern?");
    EXPECT_TRUE(doc_->IsModified());
    EXPECT_EQ(doc_->heatGenerator.typeDesignation.text, "Oleomat 29-2");

    // "Ja" saves first, then the form is empty and the file forgotten.
    CVelmoraDoc::SetSavePathChooser([](const std::string&, const std::string&) { return TempPath("c.kfx"); });
    messages_.service.answers = {vx::IDYES};
    Command(ID_NEW_CALCULATION);
    EXPECT_EQ(messages_.service.shown.size(), 2u);
    EXPECT_TRUE(vx::FileExists(TempPath("c.kfx")));
    EXPECT_TRUE(doc_->heatGenerator.typeDesignation.text.empty());
    EXPECT_EQ(doc_->GetTitle(), "unbenannt");
    EXPECT_FALSE(doc_->GetDocumentSaved());

    // Unchanged, nothing is asked.
    doc_->Modify(false);
    Command(ID_NEW_CALCULATION);
    EXPECT_EQ(messages_.service.shown.size(), 2u);
}

TEST_F(DocumentFrameTest, CrosshairMovesTheChosenPointIntoDocumentFileAndPrint) {
    frame_->Show();
    Pump();
    Calculate();
    Pump();
    ASSERT_NE(Diagram(), nullptr);
    ASSERT_TRUE(Diagram()->IsShown());
    ASSERT_TRUE(doc_->OnSaveDocument(vx::ToWx(TempPath("a.kfx"))));
    ASSERT_FALSE(doc_->IsModified());

    // The mouse into the band's middle at 12 m, then the arrow keys.
    const DiagramPoint* at12 = nullptr;
    for (const DiagramPoint& p : doc_->points)
        if (p.height == 12) at12 = &p;
    ASSERT_NE(at12, nullptr);
    ASSERT_GT(at12->largest, at12->smallest + 1);
    Click(12, (at12->smallest + at12->largest) / 2);
    ASSERT_NE(doc_->diagram.CursorSize(), 0);
    EXPECT_EQ(doc_->chosenHeight, doc_->diagram.CursorHeight());
    EXPECT_EQ(doc_->chosenSize, doc_->diagram.CursorSize());
    EXPECT_TRUE(doc_->IsModified());
    const double height = doc_->chosenHeight, size = doc_->chosenSize;
    Key(WXK_RIGHT);
    Key(WXK_UP);
    EXPECT_NEAR(doc_->chosenHeight, height + 0.1, 1e-9);
    EXPECT_NEAR(doc_->chosenSize, size + 0.1, 1e-9);

    CAnwender user;
    EXPECT_EQ(PrintSourceOf(*doc_, user, "a.kfx").chosenSize, doc_->diagram.CursorSize());

    Command(ID_FILE_SAVE);
    EXPECT_FALSE(doc_->IsModified());
    doc_->ResetDocument();
    doc_->Modify(false);
    ASSERT_TRUE(frame_->OpenDocument(vx::ToWx(TempPath("a.kfx"))));
    EXPECT_NEAR(doc_->chosenHeight, height + 0.1, 1e-9);
    EXPECT_NEAR(doc_->chosenSize, size + 0.1, 1e-9);
    // The form computes the reopened file and shows the crosshair at its point.
    Pump();
    EXPECT_EQ(doc_->resultValid, 1);
    EXPECT_NEAR(doc_->diagram.CursorHeight(), height + 0.1, 1e-9);
    EXPECT_NEAR(doc_->diagram.CursorSize(), size + 0.1, 1e-9);
}

TEST_F(DocumentFrameTest, RecomputationPutsTheCrosshairBackToTheStartPoint) {
    frame_->Show();
    Pump();
    Calculate();
    Pump();
    ASSERT_NE(Diagram(), nullptr);
    Click(20, doc_->points.back().smallest);
    Paint();
    const vx::Point moved = doc_->diagram.CrosshairPoint();

    Calculate();
    Pump();
    Paint();
    const double outlet = doc_->heatGenerator.outletDiameter.value * 100;
    EXPECT_DOUBLE_EQ(doc_->chosenHeight, 10);
    EXPECT_DOUBLE_EQ(doc_->chosenSize, outlet);
    ASSERT_NE(doc_->diagram.IsInsideBand(10, outlet), 0);
    const vx::Point start{doc_->diagram.XAxis().ValueToPixel(10), doc_->diagram.YAxis().ValueToPixel(outlet)};
    EXPECT_NE(start, moved);
    EXPECT_TRUE(doc_->diagram.HasCrosshair());
    EXPECT_EQ(doc_->diagram.CrosshairPoint(), start);
    ASSERT_NE(Diagram()->Tip(), nullptr);
    EXPECT_TRUE(Diagram()->Tip()->IsShown());
    EXPECT_EQ(Diagram()->Tip()->Text(), FormatCursorValues(10, outlet, 0));
}
