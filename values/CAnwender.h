// The user's firm record: kept in the user file "anwender.dat" and exchanged
// with the library as the tagged-text record ANWENDERDATEN.
#pragma once

#include "values/CVxtBase.h"

#include <string>
#include <string_view>

class CAnwender : public CVxtBase {
public:
    CAnwender();

    // Reads the user file named by the profile (default: folder and file name).
    void Load();
    // Writes the user file: folder and file name, or profile
    // "Global"/"AnwenderDAT" when set. False when it cannot be written.
    bool Save() const;
    std::string WriteRecord() const;
    // Takes the attributes of the DATEN element; absent ones leave their member.
    void ReadRecord(std::string_view record);

    // The path of the user file before the profile has its say.
    std::string DefaultPath() const;

    void LoadDefault(CWerte&) override {}
    void SaveDefaults() override {}
    void OnUnitChanged(CWerte&) override {}
    int OnValueChanged(CWerte&) override { return 0; }
    void UpdateDependentValues() override {}
    std::string GetName() override { return ""; }
    // Non-zero when a check failed (nothing to check: always 1).
    int CheckInputs(std::string&, std::vector<int>*) override { return 1; }

    std::string fax;
    std::string name1;
    std::string name2;
    std::string plzOrt;
    std::string street;
    std::string telephone;
    std::string version;
    std::string postBox;
    std::string plzOrtPostBox;
    std::string email;
    std::string web;
    std::string mobile;
    std::string folder;
    std::string fileName;
};

// The name written as ERZEUGER into the records: the program's profile name.
std::string RecordCreatorName();
