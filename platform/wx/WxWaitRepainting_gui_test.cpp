#include "platform/wx/WxWaitRepainting.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/dcclient.h>
#include <wx/panel.h>
#include <wx/utils.h>

#include <chrono>

namespace vx {
namespace {

TEST(WaitRepainting, LeavesEveryOtherEventQueued) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Warten");
    auto* panel = new wxPanel(frame);
    int paints = 0;
    panel->Bind(wxEVT_PAINT, [&](wxPaintEvent&) {
        wxPaintDC dc(panel);
        ++paints;
    });
    frame->Show();
    // The first picture comes when the display gets to it; the limit only
    // ends a test whose window never shows.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (paints == 0 && std::chrono::steady_clock::now() < limit) {
        wxYield();
        wxMilliSleep(10);
    }
    int ran = 0;
    wxTheApp->CallAfter([&] { ++ran; });
    wxCommandEvent* closing = new wxCommandEvent(wxEVT_BUTTON);
    int clicked = 0;
    frame->Bind(wxEVT_BUTTON, [&](wxCommandEvent&) { ++clicked; });
    frame->GetEventHandler()->QueueEvent(closing);
    int before = paints;
    panel->Refresh();
    auto start = std::chrono::steady_clock::now();
    WaitRepainting(10);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    // Nothing but painting happened while it waited.
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(clicked, 0);
    ASSERT_GT(before, 0);
    EXPECT_GT(paints, before);
    // And nothing was thrown away.
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(clicked, 1);
    frame->Destroy();
    wxYield();
}

} // namespace
} // namespace vx
