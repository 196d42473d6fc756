// The host's recently used projects as the start dialog lists them.
#pragma once

#include <string>
#include <vector>

struct RecentProject {
    std::string path;     // as the profile holds it
    std::string display;  // shortened for the list
};

// Profile "Recent File List"/"File1" .. "File16", the present entries in order.
std::vector<RecentProject> ReadRecentProjects(const std::string& currentDir);

// The list name of a path: relative to currentDir when inside it, and at most
// maxLength characters, the file name kept and the folders between root and
// file name replaced by "...".
std::string RecentDisplayName(const std::string& path, const std::string& currentDir, size_t maxLength = 30);
