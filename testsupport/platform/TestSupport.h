// For tests only: where a test leaves pictures and files for a person to look at.
#pragma once

#include "platform/Files.h"

#include <chrono>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace vx {

// The artefact directory that ctest names (created), or "" outside ctest.
inline std::string ArtefactDir() {
    const char* dir = std::getenv("VX_ARTEFACT_DIR");
    if (!dir || !*dir) return "";
    MakeDirs(dir);
    return dir;
}

// Waits until another process has put the file at path in place (written
// under another name, then renamed) and reads it; false only when it never
// comes. The limit is a safety net for a process that died, far above what a
// loaded machine takes.
inline bool WaitForFile(const std::string& path, std::string& contents) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!ReadWholeFile(path, contents)) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// A file of size bytes that holds the given head and otherwise only a hole,
// so that a file of gigabytes takes no room on the disk.
inline bool MakeSparseFile(const std::string& path, int64_t size, const std::string& head = "") {
    const int fd = ::open(ToFsName(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool made =
        ::write(fd, head.data(), head.size()) == ssize_t(head.size()) && ::ftruncate(fd, size) == 0;
    return ::close(fd) == 0 && made;
}

// Switches LC_NUMERIC to a locale with a decimal comma, as GTK does, for the
// life of the object.
class GermanNumeric {
public:
    GermanNumeric() {
        old_ = std::setlocale(LC_NUMERIC, nullptr);
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"})
            if (std::setlocale(LC_NUMERIC, name)) {
                active_ = true;
                break;
            }
    }
    ~GermanNumeric() { std::setlocale(LC_NUMERIC, old_.c_str()); }
    GermanNumeric(const GermanNumeric&) = delete;
    GermanNumeric& operator=(const GermanNumeric&) = delete;
    bool active() const { return active_; }

private:
    std::string old_;
    bool active_ = false;
};

} // namespace vx
