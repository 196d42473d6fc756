// The library's application object and its module state: its own string
// table, its view of the host's profile, the sweep-district library and the
// records that the dialogs edit. A plain object: the host owns the one
// window application of the process.
#pragma once

#include "quorvel/CKehrBezirk.h"
#include "quorvel/QuorvelText.h"
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
