// The library's application object and its module state: its own string
// table, its view of the host's profile, the sweep-district library and the
// records that the dialogs edit. A plain object: the host owns the one
// window application of the process.
#pragma once

#include "platform/StringTable.h"
#include "quorvel/CKehrBezirk.h"
#include "values/CAnwender.h"
#include "values/CProjekt.h"

#include <memory>
#include <string>

class CQuorvelApp {
public:
    CQuorvelApp();
    ~CQuorvelApp() { Shutdown(); }
    CQuorvelApp(const CQuorvelApp&) = delete;
    CQuorvelApp& operator=(const CQuorvelApp&) = delete;

    // Binds the profile to the host's (a registry key: the host's store under
    // that company key; none: the INI file named by profileName), loads the
    // strings and the language file, opens the database and loads the
    // sweep-district library.
    void Init(const std::string& profileName, const std::string& helpPath, const std::string& registryKey);
    // Stops and frees the sweep-district library, drops the records and
    // closes the database.
    void Shutdown();

    CProjekt& Projekt();
    CAnwender& Anwender();
    bool HasAnwender() const { return anwender_ != nullptr; }
    CKehrBezirk& KehrBezirk() { return kehr_; }
    const std::string& HelpPath() const { return helpPath_; }
    const std::string& RegistryKey() const { return registryKey_; }
    const std::string& ProfileName() const { return profileName_; }

private:
    void BindProfile();
    void LoadStrings();

    std::string profileName_, helpPath_, registryKey_;
    std::unique_ptr<CProjekt> projekt_;
    std::unique_ptr<CAnwender> anwender_;
    CKehrBezirk kehr_;
};

CQuorvelApp& TheQuorvelApp();
// The library's own string table, apart from the host's.
vx::StringTable& QuorvelStrings();
inline std::string QuorvelString(unsigned id) { return QuorvelStrings().Get(id); }

// String ids of the library.
enum : unsigned {
    IDS_QV_DB_OPEN_ERROR = 3,
    IDS_QV_UPDATE_FAILED = 4,
    IDS_QV_LAST_RECORD = 7,
    IDS_QV_FIRST_RECORD = 8,
    IDS_QV_REMARK_WRITE_FAILED = 11,
    IDS_QV_ADDRESS_TOO_LONG = 21,
    IDS_QV_TIP_CANCEL = 10429,
    IDS_QV_TIP_HELP = 10430,
};
