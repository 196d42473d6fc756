#include "dbase/file/FileName.h"

#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace vx {
namespace {

// Start of the last component.
size_t LastComponent(const std::string& path) {
    size_t p = path.find_last_of("/\\");
    return p == std::string::npos ? 0 : p + 1;
}

// ASCII only: file names are code page 1252 and are looked up ignoring ASCII case.
void UpperFileName(std::string& path) {
    for (size_t i = LastComponent(path); i < path.size(); ++i)
        if (path[i] >= 'a' && path[i] <= 'z') path[i] = char(path[i] - 'a' + 'A');
}

int Store(char* target, int size, const std::string& text) {
    if (size <= 0 || text.size() + 1 > size_t(size)) return -930;
    std::memcpy(target, text.c_str(), text.size() + 1);
    return 0;
}

int FixPath(std::string& path) {
    path = NormalizeSlashes(path);
    std::string prefix;
    size_t pos = 0;
    if (path.compare(0, 2, "//") == 0) {
        // The server name stays; ".." cannot climb above it.
        size_t end = path.find('/', 2);
        if (end == std::string::npos) end = path.size();
        prefix = path.substr(0, end);
        pos = end;
    }
    bool absolute = pos < path.size() && path[pos] == '/';
    bool trailing = path.size() > pos && path.back() == '/';
    std::vector<std::string> parts;
    while (pos <= path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(pos, end - pos);
        bool followedBySep = end < path.size();
        if (part == ".") {
            // removed
        } else if (part == ".." && followedBySep) {
            if (parts.empty()) return -1420;
            parts.pop_back();
        } else if (followedBySep && part.size() > 2 && part.compare(part.size() - 2, 2, "..") == 0) {
            return -1420;
        } else if (!part.empty()) {
            parts.push_back(part);
        }
        pos = end + 1;
    }
    std::string out = prefix;
    if (absolute) out += '/';
    for (size_t k = 0; k < parts.size(); ++k) {
        if (k) out += '/';
        out += parts[k];
    }
    if (trailing && !parts.empty()) out += '/';
    path = out;
    return 0;
}

std::string CurrentDir() {
    char buf[PATH_MAX];
    if (!getcwd(buf, sizeof buf)) return "/";
    return FromFsName(buf);
}

} // namespace

int utilNameExt(char* name, int size, const char* extension, bool replace) {
    std::string n(name);
    while (!n.empty() && n.back() == ' ') n.pop_back();
    std::string ext = extension ? extension : "";
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    size_t last = LastComponent(n);
    size_t dot = n.find('.', last);
    if (dot != std::string::npos) {
        // A name that is only dots ("..") has no extension.
        if (n.find_first_not_of('.', last) == std::string::npos) dot = std::string::npos;
        else dot = n.rfind('.');
    }
    if (dot == std::string::npos) {
        if (!ext.empty()) n += "." + ext;
    } else if (replace) {
        n.erase(dot);
        if (!ext.empty()) n += "." + ext;
    }
    UpperFileName(n);
    return Store(name, size, n);
}

int utilNameFix(char* name) {
    std::string path(name);
    int rc = FixPath(path);
    if (rc < 0) return rc;
    // Never longer than the input.
    std::memcpy(name, path.c_str(), path.size() + 1);
    return 0;
}

int utilNameCurrent(char* target, int size, const char* name) {
    std::string n = NormalizeSlashes(name ? name : "");
    std::string full;
    if (n.size() >= 2 && std::isalpha((unsigned char)n[0]) && n[1] == ':') n.erase(0, 2);
    if (n.compare(0, 1, "/") == 0) {
        full = n;
    } else {
        std::string dir = CurrentDir();
        while (n.compare(0, 3, "../") == 0) {
            size_t cut = dir.find_last_of('/');
            dir.erase(cut == std::string::npos || cut == 0 ? 1 : cut);
            n.erase(0, 3);
        }
        full = JoinPath(dir, n);
    }
    int rc = FixPath(full);
    if (rc < 0) return rc;
    UpperFileName(full);
    return Store(target, size, full);
}

void utilNamePiece(char* target, int size, const char* path, bool keepDirectory,
                   bool keepExtension) {
    if (size <= 0) return;
    std::string p = NormalizeSlashes(path ? path : "");
    size_t last = LastComponent(p);
    if (!keepExtension) {
        size_t dot = p.rfind('.');
        if (dot != std::string::npos && dot > last) p.erase(dot);
    }
    if (!keepDirectory) p.erase(0, last);
    UpperFileName(p);
    if (p.size() > size_t(size - 1)) p.resize(size_t(size - 1));
    std::memcpy(target, p.c_str(), p.size() + 1);
}

} // namespace vx
