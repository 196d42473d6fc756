// The project and address library Quorvel, loaded at run time by name. Both
// programs reach it only through its plain C exports; each export is looked up
// at the moment of use, and a missing library or export skips the call.
#pragma once

#include "platform/System.h"

#include <optional>
#include <string>

// The exports as the library defines them. Text is code page 1252; a returned
// text belongs to the library and stays valid until the next call of the same
// export; null means the user cancelled.
extern "C" {
typedef void (*QuorvelInitFn)(const char* profileName, const char* helpPath, const char* registryKey);
typedef const char* (*QuorvelRecordFn)(const char* record, int layoutFlags);
typedef const char* (*QuorvelTextFn)(const char* text);
// Icons are the caller's resource ids; 0 hides the choice that belongs to it.
typedef int (*QuorvelStartChoiceFn)(const char* title, const char* text, const char* choice1,
                                    const char* choice2, const char* openChoice, int icon1,
                                    int icon2, int icon3);
typedef int (*QuorvelDialogFn)();
}

class QuorvelLibrary {
public:
    // Loads the library; an empty path loads nothing. False when nothing is loaded.
    bool Load(const std::string& path);
    void Unload() { lib_.Close(); }
    bool IsLoaded() const { return lib_.IsOpen(); }
    bool HasExport(const char* name) const { return lib_.Symbol(name) != nullptr; }

    // False when the call was skipped.
    bool InitQuorvel(const std::string& profileName, const std::string& helpPath,
                     const std::string& registryKey);
    // The library's answer; nullopt when the user cancelled or the call was skipped.
    std::optional<std::string> GetAnwenderDaten(const std::string& record, int layoutFlags);
    std::optional<std::string> GetProjektDaten(const std::string& record);
    std::optional<std::string> GetBemerkung(const std::string& text);
    std::optional<int> NeuLadenAlt(const std::string& title, const std::string& text,
                                   const std::string& choice1, const std::string& choice2,
                                   const std::string& openChoice, int icon1, int icon2, int icon3);
    std::optional<int> BearbOrte() { return CallDialog("BearbOrte"); }
    std::optional<int> WdbBestell() { return CallDialog("WdbBestell"); }
    std::optional<int> Formular() { return CallDialog("Formular"); }

private:
    std::optional<int> CallDialog(const char* name);
    static std::optional<std::string> Answer(const char* text);

    vx::SharedLibrary lib_;
};

// The process's Quorvel.
QuorvelLibrary& Quorvel();

// Profile "Quorvel"/"DLL", by default the program directory plus "/libquorvel.so".
std::string QuorvelLibraryPath();
