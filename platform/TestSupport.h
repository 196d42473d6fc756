// For tests only: where a test leaves pictures and files for a person to look at.
#pragma once

#include "platform/Files.h"

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace vx {

// The artefact directory that ctest names (created), or "" outside ctest.
inline std::string ArtefactDir() {
    const char* dir = std::getenv("VX_ARTEFACT_DIR");
    if (!dir || !*dir) return "";
    MakeDirs(dir);
    return dir;
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
