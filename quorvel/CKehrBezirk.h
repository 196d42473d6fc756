// The sweep-district library named in "kehr.ini": an outside library that
// supplies addresses by a search index. Each of its functions is looked up
// at the moment of use and skipped when it is missing.
#pragma once

#include "platform/System.h"

#include <array>
#include <optional>
#include <string>

class CKehrBezirk {
public:
    ~CKehrBezirk() { Unload(); }

    // Reads [Kehrbezirk] KehrSW and KehrSW_DLL from the file, loads the
    // library and calls its StartDAO. A library that does not load sets the
    // mode back to 0.
    void Load(const std::string& kehrIni);
    // Calls StoppDAO and frees the library.
    void Unload();

    // 0 without a sweep-district library; the project dialogs test 1, 2 and 3.
    int Mode() const { return mode_; }
    bool IsLoaded() const { return lib_.IsOpen(); }

    // The nine texts the library fills: recipient name 1 and 2, street,
    // postcode and town; site name 1 and 2, street, postcode and town;
    // project number.
    using Address = std::array<std::string, 9>;
    std::optional<int> SuchIndex();
    std::optional<Address> GetAdresse(const std::string& index1, const std::string& index2,
                                      const std::string& index3);
    // The library's own pick dialog; nullopt when nothing was chosen.
    std::optional<Address> GetAdresseDLG();

private:
    vx::SharedLibrary lib_;
    int mode_ = 0;
};
