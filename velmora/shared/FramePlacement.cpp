#include "velmora/shared/FramePlacement.h"

#include "platform/NumText.h"
#include "platform/Profile.h"

namespace {
constexpr const char* kSection = "Window size";

int IntAt(std::string_view text, size_t pos) {
    return pos < text.size() ? int(vx::ParseLong(text.substr(pos))) : 0;
}
} // namespace

std::string FormatPlacementRect(int left, int top, int right, int bottom) {
    return vx::Format("%04d %04d %04d %04d", left, top, right, bottom);
}

void ParsePlacementRect(std::string_view text, int& left, int& top, int& right, int& bottom) {
    left = IntAt(text, 0);
    top = IntAt(text, 5);
    right = IntAt(text, 10);
    bottom = IntAt(text, 15);
}

FramePlacement LoadFramePlacement(const vx::AppProfile& profile) {
    FramePlacement p;
    const std::string rect = profile.GetString(kSection, "Rect", "");
    if (!rect.empty()) {
        ParsePlacementRect(rect, p.left, p.top, p.right, p.bottom);
        p.hasRect = true;
    }
    p.minimized = profile.GetInt(kSection, "icon", 0) != 0;
    p.maximized = profile.GetInt(kSection, "max", 0) != 0;
    p.toolbar = profile.GetInt(kSection, "tool", 1) != 0;
    p.statusBar = profile.GetInt(kSection, "status", 1) != 0;
    return p;
}

void SaveFramePlacement(vx::AppProfile& profile, const FramePlacement& p) {
    profile.WriteString(kSection, "Rect", FormatPlacementRect(p.left, p.top, p.right, p.bottom));
    profile.WriteInt(kSection, "icon", p.minimized ? 1 : 0);
    profile.WriteInt(kSection, "max", p.maximized ? 1 : 0);
    profile.WriteInt(kSection, "tool", p.toolbar ? 1 : 0);
    profile.WriteInt(kSection, "status", p.statusBar ? 1 : 0);
}
