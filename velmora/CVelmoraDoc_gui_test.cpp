// The document inside the framework: its calculation file through the
// document manager and the frame, and the commands held back while a
// calculation runs.
#include "velmora/DocumentFrameTestEnv.h"

namespace {

class DocumentFrameTest : public DocumentFrameTestBase {
protected:
    void SetUp() override { SetUpDocument(); }
    void TearDown() override {
        DocumentFrameTestBase::TearDown();
        for (const char* f : {"a.kfx", "b.kfx", "broken.kfx"}) vx::RemoveFile(TempPath(f));
    }
};

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
