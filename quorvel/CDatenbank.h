// The library's database: one engine context and the three tables, opened
// at start-up after their structure has been brought up to date.
#pragma once

#include "dbase/file/EngineContext.h"
#include "quorvel/QuorvelTables.h"

#include <memory>
#include <string>

class CDatenbank {
public:
    CDatenbank() = default;
    ~CDatenbank() { Schliessen(); }
    CDatenbank(const CDatenbank&) = delete;
    CDatenbank& operator=(const CDatenbank&) = delete;

    // Start-up with the folders of the profile.
    int Oeffnen();
    // Start-up with ADRESSE and BEMERKUN in dbDir and PLZORT in placesDir.
    // 0, or the code of the first table that could not be opened.
    int Oeffnen(const std::string& dbDir, const std::string& placesDir);
    // Closes every table and releases the context.
    void Schliessen();

    // Profile "Global"/"GlobalDBPfad", by default the data directory.
    static std::string DatabaseDir();
    // The data directory for "P".
    static std::string PlacesDir();

    vx::EngineContext& Context() { return ctx_; }
    CAdressTab* Adressen() const { return adressen_.get(); }
    CBemerkTab* Bemerkungen() const { return bemerkungen_.get(); }
    CPlzOrtTab* Orte() const { return orte_.get(); }
    // Set when a table could not be opened; the dialogs then refuse to work.
    bool Fehler() const { return fehler_ != 0; }
    // Another program held a table that needs converting; the application ends.
    bool ConversionRefused() const { return refused_; }

private:
    template <typename T>
    bool OpenTable(std::unique_ptr<T>& table, const std::string& path);

    vx::EngineContext ctx_;
    std::unique_ptr<CPlzOrtTab> orte_;
    std::unique_ptr<CAdressTab> adressen_;
    std::unique_ptr<CBemerkTab> bemerkungen_;
    int fehler_ = 0;
    bool refused_ = false;
};

// The library's one database.
CDatenbank& TheDatenbank();
