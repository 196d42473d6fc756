#include "quorvel/PrivateTemp.h"

#include "platform/Files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace {

bool IsOwnPrivateDir(const std::string& fsPath) {
    struct stat st;
    if (::lstat(fsPath.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

} // namespace

std::string QuorvelTempDir() {
    const std::string dir = vx::JoinPath(vx::TempDir(), "quorvel-" + std::to_string(::getuid()));
    const std::string fs = vx::ToFsName(dir);
    if (::mkdir(fs.c_str(), 0700) != 0 && errno != EEXIST) return "";
    return IsOwnPrivateDir(fs) ? dir : "";
}

std::string QuorvelProcessTempDir() {
    const std::string base = QuorvelTempDir();
    if (base.empty()) return "";
    // Within the private folder only this user makes folders; one of a dead
    // process with the same number is taken over.
    const std::string dir = vx::JoinPath(base, std::to_string(::getpid()));
    const std::string fs = vx::ToFsName(dir);
    if (::mkdir(fs.c_str(), 0700) != 0 && errno != EEXIST) return "";
    return IsOwnPrivateDir(fs) ? dir : "";
}

void RemoveQuorvelProcessTempDir() {
    const std::string base = QuorvelTempDir();
    if (base.empty()) return;
    const std::filesystem::path dir = vx::ToFsName(vx::JoinPath(base, std::to_string(::getpid())));
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
        if (entry.is_regular_file(ec)) std::filesystem::remove(entry.path(), ec);
    std::filesystem::remove(dir, ec);
}
