#include "quorvel/RecentProjects.h"

#include "platform/NumText.h"
#include "platform/Profile.h"

namespace {

constexpr int kMaxRecent = 16;

} // namespace

std::vector<RecentProject> ReadRecentProjects(const std::string& currentDir) {
    std::vector<RecentProject> out;
    for (int i = 1; i <= kMaxRecent; ++i) {
        const std::string path = vx::Profile().GetPath("Recent File List", vx::Format("File%d", i), "");
        if (!path.empty()) out.push_back({path, RecentDisplayName(path, currentDir)});
    }
    return out;
}

std::string RecentDisplayName(const std::string& path, const std::string& currentDir, size_t maxLength) {
    std::string name = path;
    std::string dir = currentDir;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    if (!dir.empty() && name.size() > dir.size() && name.compare(0, dir.size(), dir) == 0)
        name = name.substr(dir.size());
    if (name.size() <= maxLength) return name;
    const size_t slash = name.find_last_of('/');
    const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
    if (file.size() + 4 > maxLength) return file.substr(0, maxLength);
    // Root (or first folder), "...", then as many trailing folders as fit.
    const size_t firstEnd = name.find('/', name[0] == '/' ? 1 : 0);
    std::string head = firstEnd == std::string::npos ? "" : name.substr(0, firstEnd + 1);
    std::string tail = "/" + file;
    size_t cut = slash;
    while (cut != std::string::npos && cut > 0) {
        const size_t prev = name.find_last_of('/', cut - 1);
        if (prev == std::string::npos || prev < head.size()) break;
        const std::string longer = name.substr(prev, slash - prev) + "/" + file;
        if (head.size() + 3 + longer.size() > maxLength) break;
        tail = longer;
        cut = prev;
    }
    if (head.size() + 3 + tail.size() > maxLength) head.clear();
    return head + "..." + tail;
}
