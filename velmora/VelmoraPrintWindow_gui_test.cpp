#include "velmora/VelmoraPrintWindow.h"
#include "velmora/CVelmoraPrint.h"
#include "velmora/shared/PrintDisplay.h"

#include "testsupport/model/ModelTestEnv.h"
#include "platform/MessageService.h"
#include "testsupport/velmora/PrintTestSource.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/menu.h>
#include <wx/print.h>

namespace {

void Pump() {
    for (int i = 0; i < 20; ++i) {
        wxTheApp->ProcessPendingEvents();
        wxTheApp->Yield(true);
    }
}

std::vector<wxPreviewFrame*> PreviewFrames() {
    std::vector<wxPreviewFrame*> frames;
    for (wxWindow* w : wxTopLevelWindows)
        if (auto* f = dynamic_cast<wxPreviewFrame*>(w); f && !wxTheApp->IsScheduledForDestruction(w))
            frames.push_back(f);
    return frames;
}

class PrintWindowTest : public ModelTest, public SampleCalculation {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        UseShippedLayout();
    }
};

TEST_F(PrintWindowTest, PreviewOpensAndCloses) {
    vx::ScopedScriptedMessages messages;
    auto print = MakeDisplayPrint<CVelmoraPrint>(nullptr);
    ASSERT_EQ(print->PrintCalculation(kPrintPreview, source), 0);
    Pump();
    auto frames = PreviewFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0]->IsShown());
    EXPECT_TRUE(frames[0]->GetTitle().Contains("Velmora.LST"));
    frames[0]->Close(true);
    Pump();
    EXPECT_TRUE(PreviewFrames().empty());
    EXPECT_TRUE(messages.service.shown.empty());
}

TEST_F(PrintWindowTest, DesignerShowsThePreviewOnceWithItsNote) {
    vx::Profile().WriteString("LuL", "Designer", "1");
    vx::ScopedScriptedMessages messages;
    auto print = MakeDisplayPrint<CVelmoraPrint>(nullptr);
    ASSERT_EQ(print->PrintCalculation(kPrintPrinter, source), 0);
    Pump();
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_NE(messages.service.shown[0].text.find("Vorschau"), std::string::npos);
    auto frames = PreviewFrames();
    ASSERT_EQ(frames.size(), 1u);
    frames[0]->Close(true);
    Pump();
    EXPECT_TRUE(PreviewFrames().empty());
}

TEST(MailMenu, ItemGoesWithOneOfTwoSeparators) {
    auto* bar = new wxMenuBar;
    auto* file = new wxMenu;
    file->Append(1, "Drucken...");
    file->AppendSeparator();
    file->Append(27612, "Email versenden...");
    file->AppendSeparator();
    file->Append(2, "Beenden");
    auto* edit = new wxMenu;
    edit->Append(3, "Projektdaten...");
    edit->Append(4, "Email versenden...");
    edit->Append(5, "Bemerkungen...");
    bar->Append(file, "Datei");
    bar->Append(edit, "Bearbeiten");

    EXPECT_TRUE(RemoveMenuItemWithSeparator(bar, 27612));
    ASSERT_EQ(file->GetMenuItemCount(), 3u);
    EXPECT_EQ(file->FindItemByPosition(0)->GetId(), 1);
    EXPECT_TRUE(file->FindItemByPosition(1)->IsSeparator());
    EXPECT_EQ(file->FindItemByPosition(2)->GetId(), 2);

    EXPECT_TRUE(RemoveMenuItemWithSeparator(bar, 4));
    ASSERT_EQ(edit->GetMenuItemCount(), 2u);
    EXPECT_EQ(edit->FindItemByPosition(1)->GetId(), 5);
    EXPECT_FALSE(RemoveMenuItemWithSeparator(bar, 27612));
    EXPECT_FALSE(RemoveMenuItemWithSeparator(nullptr, 1));
    delete bar;
}

} // namespace
