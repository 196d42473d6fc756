// For tests only: where a test leaves pictures and files for a person to look at.
#pragma once

#include "platform/Files.h"

#include <clocale>
#include <cstdlib>
#include <string>

namespace vx {

// The artefact directory that ctest names (created), or "" outside ctest.
inline std::string ArtefactDir() {
    const char* dir = std::getenv("VX_ARTEFACT_DIR");
    if (!dir || !*dir) return "";
    MakeDirs(dir);
    return dir;
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
