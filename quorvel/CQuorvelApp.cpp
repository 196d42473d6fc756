#include "quorvel/CQuorvelApp.h"

#include "platform/Files.h"
#include "platform/Profile.h"
#include "quorvel/CDatenbank.h"
#include "values/Directories.h"

// The database is built first, so that it outlives the application object.
CQuorvelApp::CQuorvelApp() { TheDatenbank(); }

void CQuorvelApp::Init(const std::string& profileName, const std::string& helpPath, const std::string& registryKey) {
    profileName_ = profileName;
    helpPath_ = helpPath;
    registryKey_ = registryKey;
    BindProfile();
    LoadStrings();
    TheDatenbank().Oeffnen();
    kehr_.Load(vx::JoinPath(GetDataDir(), "kehr.ini"));
}

void CQuorvelApp::BindProfile() {
    if (!registryKey_.empty()) {
        vx::Profile().Select(vx::ProfileStore::Registry, profileName_, registryKey_);
        return;
    }
    // Without a key the host names its INI file, by path or by name.
    const std::string name = vx::NormalizeSlashes(profileName_);
    // The records the library writes name the host by its INI file's name.
    std::string program = vx::BaseName(name);
    if (program.size() > 4 && vx::EqualNoCase(program.substr(program.size() - 4), ".ini")) program.resize(program.size() - 4);
    if (name.find('/') != std::string::npos) {
        vx::Profile().UseFile(name, program);
        return;
    }
    vx::Profile().Select(vx::ProfileStore::IniBesideProgram, program);
}

void CQuorvelApp::LoadStrings() {
    QuorvelStrings().Clear();
    QuorvelStrings().LoadFile(vx::JoinPath(vx::JoinPath(vx::ResourceDir(), "quorvel"), "strings.txt"));
    const std::string language = vx::Profile().GetPath("Global", "SpracheVxt", "");
    if (!language.empty()) QuorvelStrings().LoadFile(vx::NormalizeSlashes(language));
}

void CQuorvelApp::Shutdown() {
    kehr_.Unload();
    projekt_.reset();
    anwender_.reset();
    TheDatenbank().Schliessen();
}

CProjekt& CQuorvelApp::Projekt() {
    if (!projekt_) projekt_ = std::make_unique<CProjekt>();
    return *projekt_;
}

CAnwender& CQuorvelApp::Anwender() {
    if (!anwender_) anwender_ = std::make_unique<CAnwender>();
    return *anwender_;
}

CQuorvelApp& TheQuorvelApp() {
    static CQuorvelApp app;
    return app;
}
