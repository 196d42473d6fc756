#include "values/Directories.h"

#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/Profile.h"

#include <filesystem>
#include <system_error>

namespace {

bool g_CdStart = false;

std::string WithoutTrailingSeparator(std::string dir) {
    // Keep a lone "/" (the root) as it is.
    while (dir.size() > 1 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    return dir;
}

std::string CurrentDir() {
    std::error_code ec;
    auto dir = std::filesystem::current_path(ec);
    return ec ? std::string() : vx::FromFsName(dir.string());
}

} // namespace

std::string GetProgramDir() {
    static const std::string dir = [] {
        std::string d = vx::ProgramDir();
        if (d.empty()) d = CurrentDir();
        return WithoutTrailingSeparator(d);
    }();
    return dir;
}

void SetCdStartMode(bool on) { g_CdStart = on; }
bool IsCdStartMode() { return g_CdStart; }

std::string GetDataDir(const char* name) {
    if (g_CdStart) return GetProgramDir();
    static const std::string fallback =
        WithoutTrailingSeparator(vx::Profile().GetPath("Datenbank", "Pfad", CurrentDir()));
    std::string key = name ? vx::Format("Pfad_%s", name) : std::string("Pfad");
    return WithoutTrailingSeparator(vx::Profile().GetPath("Datenbank", key, fallback));
}
