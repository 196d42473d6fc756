// The main frame's placement as kept in section "Window size" of the profile.
#pragma once

#include <string>
#include <string_view>

namespace vx {
class AppProfile;
}

struct FramePlacement {
    // The normal (restored) rectangle; right and bottom lie just outside it.
    int left = 0, top = 0, right = 0, bottom = 0;
    bool hasRect = false;  // false: the window system's default rectangle
    bool minimized = false;
    bool maximized = false;  // when minimized: restores to maximized
    bool toolbar = true;
    bool statusBar = true;
};

// "%04d %04d %04d %04d".
std::string FormatPlacementRect(int left, int top, int right, int bottom);
// The integers at character positions 0, 5, 10 and 15 of what is there.
void ParsePlacementRect(std::string_view text, int& left, int& top, int& right, int& bottom);

FramePlacement LoadFramePlacement(const vx::AppProfile& profile);
void SaveFramePlacement(vx::AppProfile& profile, const FramePlacement& placement);
