#include "platform/wx/WxWaitRepainting.h"

#include <wx/evtloop.h>
#include <wx/toplevel.h>
#include <wx/window.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace vx {

void WaitRepainting(int hundredths) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(std::max(hundredths, 0) * 10);
    for (;;) {
        // Update paints what is invalid at once, without going through the
        // event queue.
        for (wxWindow* w : wxTopLevelWindows)
            if (w->IsShown()) w->Update();
        auto now = Clock::now();
        if (now >= end) return;
        std::this_thread::sleep_for(std::min<Clock::duration>(end - now, std::chrono::milliseconds(10)));
    }
}

void RepaintBeforeWork() {
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_UI);
    for (wxWindow* w : wxTopLevelWindows)
        if (w->IsShown()) w->Update();
}

} // namespace vx
