// For the tests: a stand-in "xdg-open" first on PATH that writes down what
// it was asked to open. PATH and its folder are put back when it goes.
#pragma once

#include "platform/Files.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

class XdgOpenStandIn {
public:
    // prefix names the folder, which the process id makes unique.
    explicit XdgOpenStandIn(const std::string& prefix)
        : dir_(vx::JoinPath(vx::TempDir(), prefix + std::to_string(::getpid()))),
          out_(vx::JoinPath(dir_, "opened.txt")), script_(vx::JoinPath(dir_, "xdg-open")) {
        vx::MakeDirs(dir_);
        vx::WriteFileAtomic(script_, "#!/bin/sh\nprintf '%s' \"$1\" > \"" + out_ +
                                         ".tmp\" && mv \"" + out_ + ".tmp\" \"" + out_ + "\"\n");
        ::chmod(script_.c_str(), 0755);
        oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        ::setenv("PATH", (dir_ + ":" + oldPath_).c_str(), 1);
    }
    ~XdgOpenStandIn() {
        ::setenv("PATH", oldPath_.c_str(), 1);
        vx::RemoveFile(out_);
        vx::RemoveFile(script_);
        ::rmdir(dir_.c_str());
    }
    XdgOpenStandIn(const XdgOpenStandIn&) = delete;
    XdgOpenStandIn& operator=(const XdgOpenStandIn&) = delete;

    // The address it was handed, once the started process has written it.
    std::string Opened() const {
        std::string opened;
        for (int i = 0; i < 500 && !vx::ReadWholeFile(out_, opened); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return opened;
    }

private:
    std::string dir_, out_, script_, oldPath_;
};
