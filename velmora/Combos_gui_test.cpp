// The owner-drawn combo boxes: what they draw for a row, and the data sheet
// the type list fills from the row under the mouse.
#include "velmora/CCombVelmora.h"
#include "velmora/CComboWrzTyp.h"
#include "velmora/shared/CDlgWrzInfo.h"

#include "platform/Files.h"
#include "platform/wx/WxText.h"
#include "testsupport/velmora/SampleDataTestEnv.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/stattext.h>

#include <cstdlib>

namespace {

class ProbeSystem : public CCombVelmora {
public:
    using CCombVelmora::OnDrawBackground;
    using CCombVelmora::OnDrawItem;
};

class ProbeType : public CComboWrzTyp {
public:
    using CComboWrzTyp::OnDrawItem;
};

class ComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame_ = new wxFrame(nullptr, wxID_ANY, "combo");
        panel_ = new wxPanel(frame_);
        frame_->Show();
    }
    void TearDown() override {
        frame_->Destroy();
        for (int i = 0; i < 3; ++i) wxTheApp->ProcessIdle();
    }
    // Draws one row into a white picture as the open list would.
    template <typename Draw> wxImage Row(Draw draw, int width = 300, int height = 24) {
        wxBitmap bitmap(width, height);
        {
            wxMemoryDC dc(bitmap);
            dc.SetBackground(*wxWHITE_BRUSH);
            dc.Clear();
            draw(dc, wxRect(0, 0, width, height));
        }
        return bitmap.ConvertToImage();
    }
    static int CountColour(const wxImage& image, unsigned char r, unsigned char g, unsigned char b) {
        int n = 0;
        for (int y = 0; y < image.GetHeight(); ++y)
            for (int x = 0; x < image.GetWidth(); ++x)
                n += image.GetRed(x, y) == r && image.GetGreen(x, y) == g && image.GetBlue(x, y) == b;
        return n;
    }
    // The columns that hold any dark pixel.
    static std::pair<int, int> InkSpan(const wxImage& image) {
        int first = -1, last = -1;
        for (int x = 0; x < image.GetWidth(); ++x)
            for (int y = 0; y < image.GetHeight(); ++y)
                if (image.GetRed(x, y) < 128 && image.GetGreen(x, y) < 128) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }

    wxFrame* frame_ = nullptr;
    wxPanel* panel_ = nullptr;
};

TEST_F(ComboTest, SystemHeadingsOnGreenAndCentred) {
    auto* combo = new ProbeSystem;
    ASSERT_TRUE(combo->Create(panel_, wxID_ANY, "", wxPoint(0, 0), wxSize(300, -1), 0, nullptr, wxCB_READONLY));
    combo->AddItem("@Sanierung");
    combo->AddItem("einschalig m. Edelstahl");
    EXPECT_EQ(combo->GetString(0), "Sanierung");
    EXPECT_EQ(combo->ItemText(0), "@Sanierung");

    const wxImage heading = Row([&](wxDC& dc, const wxRect& r) {
        combo->OnDrawBackground(dc, r, 0, 0);
        combo->OnDrawItem(dc, r, 0, 0);
    });
    EXPECT_GT(CountColour(heading, 0, 255, 0), 300 * 24 / 2);
    const auto [l, rgt] = InkSpan(heading);
    ASSERT_GE(l, 0);
    // Centred: as much room left of the text as right of it, within a few pixels.
    EXPECT_NEAR(l, 300 - 1 - rgt, 4);

    const wxImage plain = Row([&](wxDC& dc, const wxRect& r) {
        combo->OnDrawBackground(dc, r, 1, 0);
        combo->OnDrawItem(dc, r, 1, 0);
    });
    EXPECT_EQ(CountColour(plain, 0, 255, 0), 0);
    EXPECT_LT(InkSpan(plain).first, 10);
}

TEST_F(ComboTest, TypeRowsShowTheirOutputAndFillTheSheet) {
    CWrzKatalog catalogue(SampleData());
    catalogue.SetReportProblems(false);
    const std::vector<WrzManufacturer> makers = catalogue.ReadManufacturers(1);
    ASSERT_FALSE(makers.empty());
    ASSERT_EQ(makers[0].name, "Kesselwerk Almendorf GmbH");

    auto* combo = new ProbeType;
    ASSERT_TRUE(combo->Create(panel_, wxID_ANY, "", wxPoint(10, 10), wxSize(300, -1), 0, nullptr, wxCB_READONLY));
    combo->SetCatalogue(&catalogue);
    combo->FillTypes(catalogue.ReadTypes(makers[0].offset));
    ASSERT_EQ(combo->GetCount(), 5u);
    EXPECT_EQ(combo->OutputText(0), "17,0 kW");
    EXPECT_EQ(combo->OutputText(3), "29,0 - 45,0 kW");
    EXPECT_EQ(combo->OutputText(9), "");

    ASSERT_TRUE(combo->PlaceInfoPopup());
    CDlgWrzInfo* info = combo->InfoPopup();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->GetParent(), panel_);
    EXPECT_EQ(info->GetPosition(), wxPoint(combo->GetRect().GetRight() + 1, 10));

    // A plain row draws the type on the left and the output on the right.
    const wxImage row = Row([&](wxDC& dc, const wxRect& r) { combo->OnDrawItem(dc, r, 3, 0); });
    const auto [left, right] = InkSpan(row);
    EXPECT_LT(left, 10);
    EXPECT_GT(right, 280);
    EXPECT_EQ(info->Texts().full[WrzInfoTexts::Output], "");

    // The row under the mouse fills the sheet.
    Row([&](wxDC& dc, const wxRect& r) { combo->OnDrawItem(dc, r, 3, wxODCB_PAINTING_SELECTED); });
    EXPECT_EQ(info->Texts().full[WrzInfoTexts::Output], "45");
    EXPECT_EQ(info->Texts().part[WrzInfoTexts::Output], "29");
    auto* label = dynamic_cast<wxStaticText*>(info->FindWindow(IDC_WRZINFO_FIRST));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetLabel(), "45");

    // Placing it again empties it.
    combo->PlaceInfoPopup();
    EXPECT_EQ(label->GetLabel(), "");
}

} // namespace
