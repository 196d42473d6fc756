// For widget tests: the mouse wheel turned as a user turns it, through the X
// server's test extension, so that the toolkit and the widgets see the very
// events a real wheel gives.
#pragma once

#include <wx/event.h>
#include <wx/eventfilter.h>
#include <wx/gdicmn.h>
#include <wx/uiaction.h>

#include <dlfcn.h>

namespace vx::testing {

// Counts the wheel events the application sees.
class WheelCounter : public wxEventFilter {
public:
    WheelCounter() { wxEvtHandler::AddFilter(this); }
    ~WheelCounter() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override {
        if (event.GetEventType() == wxEVT_MOUSEWHEEL) ++count;
        return Event_Skip;
    }
    int count = 0;
};

// Moves the pointer to a point of the screen and turns the wheel by clicks
// notches (positive: down, towards the end of a list). False when the
// server has no test extension.
inline bool TurnWheel(const wxPoint& screenPoint, int clicks) {
    using OpenDisplay = void* (*)(const char*);
    using CloseDisplay = int (*)(void*);
    using Flush = int (*)(void*);
    using FakeButton = int (*)(void*, unsigned, int, unsigned long);
    static void* xtst = ::dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!xtst) return false;
    const auto fake = reinterpret_cast<FakeButton>(::dlsym(xtst, "XTestFakeButtonEvent"));
    const auto open = reinterpret_cast<OpenDisplay>(::dlsym(RTLD_DEFAULT, "XOpenDisplay"));
    const auto close = reinterpret_cast<CloseDisplay>(::dlsym(RTLD_DEFAULT, "XCloseDisplay"));
    const auto flush = reinterpret_cast<Flush>(::dlsym(RTLD_DEFAULT, "XFlush"));
    if (!fake || !open || !close || !flush) return false;
    wxUIActionSimulator().MouseMove(screenPoint);
    void* display = open(nullptr);
    if (!display) return false;
    // Buttons 4 and 5 are the wheel's notches up and down.
    const unsigned button = clicks > 0 ? 5 : 4;
    for (int i = 0; i < (clicks > 0 ? clicks : -clicks); ++i) {
        fake(display, button, 1, 0);
        fake(display, button, 0, 0);
    }
    flush(display);
    close(display);
    return true;
}

} // namespace vx::testing
