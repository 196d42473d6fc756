#include "quorvel/PrivateTemp.h"

#include "platform/Files.h"

#include <sys/stat.h>
#include <unistd.h>

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
