// A scratch directory below /tmp for one benchmark run: made at once and
// removed, with everything in it, when the object goes.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

class ScratchDir {
public:
    explicit ScratchDir(const char* prefix) {
        std::string name = std::string("/tmp/") + prefix + "XXXXXX";
        if (::mkdtemp(name.data())) dir_ = name;
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // "" when the directory could not be made.
    const std::string& path() const { return dir_; }

private:
    std::string dir_;
};
