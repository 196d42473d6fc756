// For tests: points the process profile at a file of the test's own for the
// lifetime of a scope.
#pragma once

#include "platform/Files.h"
#include "platform/Profile.h"

#include <string>
#include <unistd.h>

class ScopedTestProfile {
public:
    explicit ScopedTestProfile(const std::string& text) {
        path_ = vx::JoinPath(vx::TempDir(), "vxtest-" + std::to_string(::getpid()) + "-" +
                                                std::to_string(counter_++) + ".ini");
        vx::WriteFileAtomic(path_, text);
        vx::Profile().UseFile(path_);
    }
    ~ScopedTestProfile() {
        vx::Profile().UseFile("");
        vx::RemoveFile(path_);
    }

private:
    std::string path_;
    static inline int counter_ = 0;
};
