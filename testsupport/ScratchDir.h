// A fresh folder under the temporary directory for one test or benchmark,
// removed with everything in it when the object goes.
#pragma once

#include "platform/Files.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace vx {

class ScratchDir {
public:
    explicit ScratchDir(const std::string& prefix = "vxtest") {
        std::string name = ToFsName(JoinPath(TempDir(), prefix + "XXXXXX"));
        if (::mkdtemp(name.data())) path_ = FromFsName(name);
    }
    // Only the process that made the folder removes it: a forked child that
    // ends must not take it from its parent.
    ~ScratchDir() {
        std::error_code ignored;
        if (!path_.empty() && ::getpid() == owner_) std::filesystem::remove_all(ToFsName(path_), ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // "" when the folder could not be made.
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return JoinPath(path_, name); }

private:
    std::string path_;
    pid_t owner_ = ::getpid();
};

} // namespace vx
