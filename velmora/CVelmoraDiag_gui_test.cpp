#include "velmora/CVelmoraDiag.h"

#include "platform/Files.h"
#include "velmora/CWndInfo.h"
#include "velmora/DiagramWindow.h"

#include <cmath>
#include <cstdlib>
#include "testsupport/platform/TestSupport.h"
#include "testsupport/velmora/AxisTestSettings.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/stattext.h>

namespace {

// A band as a calculation from 4 to 30 m gives it.
std::vector<DiagramPoint> SampleBand() {
    return {{4, 22, 16},  {6, 24, 15},  {8, 25, 14},  {10, 26, 14}, {12, 28, 13}, {14, 28, 13}, {16, 30, 12},
            {18, 30, 12}, {20, 32, 12}, {22, 32, 11}, {24, 32, 11}, {26, 34, 11}, {28, 34, 10}, {30, 35, 10}};
}

void Pump() {
    for (int i = 0; i < 5; ++i) {
        wxTheApp->ProcessPendingEvents();
        wxYield();
    }
}

// A form with the placeholder 1001, the diagram over it, as the main program has it.
struct DiagramGui : ::testing::Test {
    wxFrame* frame = nullptr;
    wxPanel* form = nullptr;
    std::vector<int> commands;
    CVelmoraDiag diag;

    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "Velmora", wxPoint(0, 0), wxSize(900, 700));
        form = new wxPanel(frame);
        new wxStaticText(form, 1001, "", wxPoint(20, 30), wxSize(800, 600));
        // The form's range buttons, as the diagram's keys reach them.
        form->Bind(wxEVT_BUTTON, [this](wxCommandEvent& e) {
            commands.push_back(e.GetId());
            diag.StepSizeCeiling(e.GetId() == ID_YRANGE_UP);
        });
        diag.SetX(LinearAxis(4, 30, 2, "Wirksame Schornsteinhöhe [m]"));
        diag.SetY(LinearAxis(10, 50, 5, "Durchmesser [cm]"));
        diag.SetPoints(SampleBand());
        ASSERT_TRUE(diag.CreateOverControl(form, 1001, wxBORDER_NONE));
        frame->Show();
        Pump();
    }
    void TearDown() override {
        frame->Destroy();
        wxTheApp->ProcessIdle();
    }

    DiagramWindow* Window() const { return dynamic_cast<DiagramWindow*>(diag.Window()); }

    bool Mouse(wxEventType type, wxPoint p, bool left, bool right = false) {
        wxMouseEvent e(type);
        e.SetPosition(p);
        e.SetLeftDown(left);
        e.SetRightDown(right);
        e.SetEventObject(Window());
        return Window()->GetEventHandler()->ProcessEvent(e);
    }
    bool Key(int code) {
        wxKeyEvent e(wxEVT_KEY_DOWN);
        e.m_keyCode = code;
        e.SetEventObject(Window());
        return Window()->GetEventHandler()->ProcessEvent(e);
    }
    wxPoint At(double height, double size) const {
        return {diag.XAxis().ValueToPixel(height), diag.YAxis().ValueToPixel(size)};
    }
    wxImage Picture() {
        const wxSize size = Window()->GetClientSize();
        wxBitmap bmp(size.GetWidth(), size.GetHeight(), 24);
        {
            wxMemoryDC dc(bmp);
            Window()->Render(dc);
        }
        return bmp.ConvertToImage();
    }
};

TEST_F(DiagramGui, TakesThePlaceOfThePlaceholder) {
    EXPECT_EQ(form->FindWindow(1001), nullptr);
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Window()->GetName(), "DIAG");
    EXPECT_EQ(Window()->GetRect(), wxRect(20, 30, 800, 600));
    EXPECT_EQ(diag.XAxis().DeviceRect(), (vx::Rect{0, 0, 800, 600}));
    EXPECT_FALSE(diag.CreateOverControl(form, 4711, 0));
}

TEST_F(DiagramGui, MouseDragMovesCrosshairAndTip) {
    const wxPoint p = At(9, 20);
    EXPECT_TRUE(Mouse(wxEVT_LEFT_DOWN, p, true));
    EXPECT_TRUE(Window()->HasCapture());
    Pump();
    EXPECT_EQ(wxWindow::FindFocus(), Window());
    EXPECT_TRUE(diag.HasCrosshair());
    EXPECT_EQ(diag.CrosshairPoint(), (vx::Point{p.x, p.y}));
    EXPECT_NEAR(diag.CursorHeight(), 9, 0.05);
    // The size comes back from the pixel to a tenth, through 0.75 pixels per unit.
    EXPECT_NEAR(diag.CursorSize(), 20, 0.15);
    EXPECT_DOUBLE_EQ(diag.CursorSize() * 10, std::round(diag.CursorSize() * 10));
    CWndInfo* tip = Window()->Tip();
    EXPECT_TRUE(tip->IsShown());
    EXPECT_EQ(tip->Text(), FormatCursorValues(diag.CursorHeight(), diag.CursorSize(), 0));
    // Right of and above the cursor.
    EXPECT_EQ(tip->GetRect().GetLeft(), p.x + 5);
    EXPECT_EQ(tip->GetRect().GetBottom() + 1, p.y - 5);

    const wxPoint q = At(20, 25);
    Mouse(wxEVT_MOTION, q, true);
    EXPECT_EQ(diag.CrosshairPoint(), (vx::Point{q.x, q.y}));
    EXPECT_NEAR(diag.CursorHeight(), 20, 0.05);
    EXPECT_EQ(tip->Text(), FormatCursorValues(diag.CursorHeight(), diag.CursorSize(), 0));

    // Another button or no capture: the crosshair stays.
    Mouse(wxEVT_MOTION, At(22, 20), true, true);
    EXPECT_EQ(diag.CrosshairPoint(), (vx::Point{q.x, q.y}));
    Mouse(wxEVT_LEFT_UP, q, false);
    EXPECT_FALSE(Window()->HasCapture());
    Mouse(wxEVT_MOTION, At(22, 20), true);
    EXPECT_EQ(diag.CrosshairPoint(), (vx::Point{q.x, q.y}));

    // Outside the band the tip goes.
    Mouse(wxEVT_LEFT_DOWN, At(20, 45), true);
    EXPECT_FALSE(tip->IsShown());
    EXPECT_EQ(diag.CursorSize(), 0);
    Mouse(wxEVT_LEFT_UP, At(20, 45), false);
}

TEST_F(DiagramGui, TipFlipsLeftNearTheRightEdge) {
    const wxPoint p = At(29.5, 20);
    Mouse(wxEVT_LEFT_DOWN, p, true);
    Mouse(wxEVT_LEFT_UP, p, false);
    CWndInfo* tip = Window()->Tip();
    ASSERT_TRUE(tip->IsShown());
    EXPECT_EQ(tip->GetRect().GetRight() + 1, p.x - 5);
}

TEST_F(DiagramGui, KeysMoveTheCursorAndAskTheFormForARange) {
    diag.SetCursor(9, 14.96);
    EXPECT_TRUE(Key(WXK_UP));
    EXPECT_DOUBLE_EQ(diag.CursorSize(), 15.1);
    EXPECT_EQ(Window()->Tip()->Text(), "H=9.0 Dh=15.1");
    EXPECT_TRUE(Key(WXK_RIGHT));
    EXPECT_NEAR(diag.CursorHeight(), 9.1, 1e-12);
    EXPECT_TRUE(Key(WXK_DOWN));
    EXPECT_TRUE(Key(WXK_LEFT));
    EXPECT_EQ(Window()->Tip()->Text(), "H=9.0 Dh=15.0");
    EXPECT_FALSE(Key('A'));

    diag.BuildBandPolygon();
    EXPECT_EQ(diag.YAxis().Maximum(), 36);
    Key(WXK_NUMPAD_ADD);
    Pump();
    EXPECT_EQ(commands, (std::vector<int>{1012}));
    EXPECT_EQ(diag.SizeCeiling(), 38);
    for (int i = 0; i < 30; ++i) {
        Key(WXK_NUMPAD_SUBTRACT);
        Pump();
        diag.BuildBandPolygon();
        ASSERT_GT(diag.YAxis().Maximum(), diag.YAxis().Minimum());
    }
    EXPECT_EQ(commands.size(), 31u);
    EXPECT_EQ(diag.YAxis().Maximum(), 12);
}

TEST_F(DiagramGui, CrosshairStaysOnItsPointThroughResizes) {
    diag.SetCursor(10, 13);
    Picture();
    ASSERT_EQ(diag.CrosshairPoint().x, At(10, 13).x);
    const double height = diag.CursorHeight(), size = diag.CursorSize();
    for (wxSize client : {wxSize(500, 350), wxSize(820, 640), wxSize(300, 700)}) {
        Window()->SetClientSize(client);
        Pump();
        Picture();
        EXPECT_EQ(diag.CrosshairPoint().x, At(10, 13).x) << client.x;
        EXPECT_EQ(diag.CrosshairPoint().y, At(10, 13).y) << client.x;
        EXPECT_EQ(diag.CursorHeight(), height);
        EXPECT_EQ(diag.CursorSize(), size);
    }
}

TEST_F(DiagramGui, HidingTheDiagramHidesTheTip) {
    Mouse(wxEVT_LEFT_DOWN, At(9, 20), true);
    Mouse(wxEVT_LEFT_UP, At(9, 20), false);
    ASSERT_TRUE(Window()->Tip()->IsShown());
    diag.Show(false);
    Pump();
    EXPECT_FALSE(diag.IsShown());
    EXPECT_FALSE(Window()->Tip()->IsShown());
}

TEST_F(DiagramGui, CrowdedAxesShowLabelsWithRoomBetween) {
    // A height step of 0,5 m and sizes from 10 to 200 cm in a small window.
    Window()->SetSize(480, 320);
    diag.SetX(LinearAxis(1, 40, 0.5, "Wirksame Schornsteinhöhe [m]"));
    diag.SetY(LinearAxis(10, 200, 5, "Durchmesser [cm]"));
    diag.SetPoints({});
    Pump();
    const wxImage img = Picture();
    const std::string out = vx::ArtefactDir();
    if (!out.empty()) {
        wxImage::AddHandler(new wxPNGHandler);
        img.SaveFile(wxString::FromUTF8(vx::JoinPath(out, "velmora-diagram-crowded.png")), wxBITMAP_TYPE_PNG);
    }
    const auto dark = [&](int x, int y) { return img.GetRed(x, y) < 128; };
    // Below the height axis: the strip of its labels has blank columns between them.
    const int axisY = At(1, 10).y;
    int inked = 0, columns = 0;
    for (int x = At(1, 10).x; x <= At(40, 10).x; ++x, ++columns)
        for (int y = axisY + 7; y < std::min(img.GetHeight(), axisY + 20); ++y)
            if (dark(x, y)) {
                ++inked;
                break;
            }
    EXPECT_GT(inked, 0);
    EXPECT_LT(inked, columns / 2);
    // Left of the size axis: blank rows between its labels.
    const int axisX = At(1, 10).x;
    int inkedRows = 0, rows = 0;
    for (int y = At(1, 200).y; y <= At(1, 10).y; ++y, ++rows)
        for (int x = std::max(0, axisX - 40); x < axisX - 6; ++x)
            if (dark(x, y)) {
                ++inkedRows;
                break;
            }
    EXPECT_GT(inkedRows, 0);
    EXPECT_LT(inkedRows, rows * 3 / 4);
}

TEST_F(DiagramGui, RenderedBandIsYellowOutlinedBlue) {
    diag.SetCursor(9, 20);
    wxImage img = Picture();  // the paint places crosshair and tip
    ASSERT_TRUE(Window()->Tip()->IsShown());
    img = Picture();

    const std::string out = vx::ArtefactDir();
    ASSERT_FALSE(out.empty()) << "ctest names the artefact directory";
    wxImage::AddHandler(new wxPNGHandler);
    EXPECT_TRUE(img.SaveFile(wxString::FromUTF8(vx::JoinPath(out, "velmora-diagram.png")), wxBITMAP_TYPE_PNG));

    auto rgb = [&](wxPoint p) { return std::array<int, 3>{img.GetRed(p.x, p.y), img.GetGreen(p.x, p.y), img.GetBlue(p.x, p.y)}; };
    using C = std::array<int, 3>;
    // Inside the band, between grid lines and away from the crosshair.
    EXPECT_EQ(rgb(At(17, 21)), (C{255, 255, 0}));
    EXPECT_EQ(rgb(At(25, 19)), (C{255, 255, 0}));
    // Above the band: white.
    EXPECT_EQ(rgb(At(17, 33)), (C{255, 255, 255}));
    // The top edge between 10 m (26 cm) and 12 m (28 cm), at 11 m.
    const wxPoint a = At(10, 26), b = At(12, 28);
    const int x = (a.x + b.x) / 2, y = (a.y + b.y) / 2;
    bool blue = false;
    for (int dy = -2; dy <= 2; ++dy) {
        const C c = rgb({x, y + dy});
        if (c[2] >= 200 && c[0] <= 60 && c[1] <= 60) blue = true;
    }
    EXPECT_TRUE(blue) << "no blue outline at " << x << "," << y;
    EXPECT_EQ(rgb({x, y + 6}), (C{255, 255, 0}));
    EXPECT_EQ(rgb({x, y - 6}), (C{255, 255, 255}));
    // The crosshair, three wide, inverts what lies below: black on white,
    // blue on the band, and where its two lines cross the picture is as before.
    const wxPoint cross = At(9, 20);
    const int inBand = At(20, 17).y, aboveBand = At(20, 31).y, farRight = At(25, 20).x;
    for (int dx = -1; dx <= 1; ++dx) {
        EXPECT_EQ(rgb({cross.x + dx, inBand}), (C{0, 0, 255})) << dx;
        EXPECT_EQ(rgb({cross.x + dx, aboveBand}), (C{0, 0, 0})) << dx;
    }
    EXPECT_EQ(rgb({cross.x - 3, inBand}), (C{255, 255, 0}));
    EXPECT_EQ(rgb({farRight, cross.y + 1}), (C{0, 0, 255}));
    EXPECT_EQ(rgb({farRight, cross.y}), (C{255, 255, 255}));  // the grid line at 20 cm
    EXPECT_EQ(rgb({cross.x, cross.y + 1}), (C{255, 255, 0}));
    // The axis line is black.
    EXPECT_EQ(rgb({At(17, 10).x, At(17, 10).y}), (C{0, 0, 0}));
    // The tip is green, right of and above the crosshair.
    const wxRect tip = Window()->Tip()->GetRect();
    EXPECT_EQ(tip.GetLeft(), cross.x + 5);
    int green = 0;
    for (int px = tip.GetLeft(); px <= tip.GetRight(); ++px)
        for (int py = tip.GetTop(); py <= tip.GetBottom(); ++py)
            if (rgb({px, py}) == C{0, 255, 0}) ++green;
    EXPECT_GT(green, tip.GetWidth() * tip.GetHeight() / 2);
    // Labels left of the size axis: something dark there.
    int dark = 0;
    for (int px = 0; px < 120; ++px)
        for (int py = 0; py < 450; ++py)
            if (rgb({px, py})[0] < 100) ++dark;
    EXPECT_GT(dark, 50);
}

TEST(DiagramLifetime, WindowAndObjectEachGoFirst) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Velmora");
    auto* form = new wxPanel(frame);
    new wxStaticText(form, 1001, "", wxPoint(0, 0), wxSize(300, 200));
    new wxStaticText(form, 1002, "", wxPoint(0, 200), wxSize(300, 200));
    {
        CVelmoraDiag first;
        ASSERT_TRUE(first.CreateOverControl(form, 1001, 0));
        EXPECT_NE(first.Window(), nullptr);
    }  // the object goes: its window goes with it
    EXPECT_EQ(form->GetChildren().GetCount(), 1u);

    CVelmoraDiag second;
    ASSERT_TRUE(second.CreateOverControl(form, 1002, 0));
    frame->Destroy();
    wxTheApp->ProcessIdle();
    // The form went: the object lives on without a window.
    EXPECT_EQ(second.Window(), nullptr);
    second.Redraw();
    second.TrackPoint(10, 10, true);
}

} // namespace
