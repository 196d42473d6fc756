// INI files with the rules of the Windows profile functions: section and key
// names compare without regard to case, values are trimmed (and lose one pair
// of enclosing quotes), the first of duplicate sections or keys counts, and a
// missing key gives the caller's default. Every write goes straight to the
// file, atomically; every read sees what another writer left in the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// Settings files (the profile, the user file, kehr.ini and the like) hold a
// few kilobytes; one beyond this limit is no settings file and would cost
// far more memory than its size. It is neither read nor written.
inline constexpr size_t kSettingsFileLimit = size_t(1) << 20;

class IniFile {
public:
    IniFile() = default;
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }
    void SetPath(std::string path);

    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view def = "") const;
    // The leading integer of the value (atol), def when the key is absent.
    int GetInt(std::string_view section, std::string_view key, int def) const;
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    // Keys of a section in file order, and the sections of the file.
    std::vector<std::string> Keys(std::string_view section) const;
    std::vector<std::string> Sections() const;

    // The file is larger than kSettingsFileLimit: it reads as empty, and
    // every write fails and leaves it as it is.
    bool TooLarge() const;

    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInt(std::string_view section, std::string_view key, int value);
    // A value that is a path (platform/Files.h: PathToStored): def, a path,
    // when the key is absent.
    std::string GetPath(std::string_view section, std::string_view key, std::string_view def = "") const;
    bool WritePath(std::string_view section, std::string_view key, std::string_view path);
    bool DeleteKey(std::string_view section, std::string_view key);

    // Parses text as an INI file, for files read once (no file behind it).
    static IniFile FromText(std::string_view text);
    // The file as it is now, for many reads that look at the file once.
    IniFile Snapshot() const;

private:
    struct Line {
        std::string raw;
        enum Kind { Other, Section, Key } kind = Other;
        std::string name;   // section or key, trimmed
        std::string value;  // key lines only, trimmed and unquoted
    };
    void Refresh() const;
    void Parse(std::string_view text) const;
    bool Save() const;
    // Index of the section line (first match) or -1.
    int FindSection(std::string_view section) const;
    int FindKey(int sectionLine, std::string_view key) const;

    std::string path_;
    mutable std::vector<Line> lines_;
    mutable std::string eol_ = "\n";
    mutable bool loaded_ = false;
    mutable bool fromText_ = false;
    mutable bool tooLarge_ = false;
    mutable int64_t stamp_[4] = {-1, -1, -1, -1};
};

// Says once per file and process that a settings file is too large to be
// read or written; true when it is.
bool ReportOversizedSettings(const IniFile& file);

// Compares two code-page-1252 names without regard to case.
bool EqualNoCase(std::string_view a, std::string_view b);

enum class ProfileStore { Registry, IniBesideProgram };

// The application profile: the INI file beside the program ("CDSTART") or,
// in place of the registry, $XDG_CONFIG_HOME/<company>/<program>.ini.
class AppProfile {
public:
    void Select(ProfileStore store, std::string_view programName,
                std::string_view company = "Trevalen Software GmbH");
    // Tests point the profile at a file of their own; a host names its INI
    // file by path, and then the program is the one named by the file.
    void UseFile(std::string path) { ini_.SetPath(std::move(path)); }
    void UseFile(std::string path, std::string programName) {
        UseFile(std::move(path));
        program_ = std::move(programName);
    }
    const std::string& Path() const { return ini_.Path(); }
    ProfileStore Store() const { return store_; }
    const std::string& Company() const { return company_; }
    const std::string& ProgramName() const { return program_; }

    std::string GetString(std::string_view section, std::string_view key, std::string_view def = "") const {
        return ini_.GetString(section, key, def);
    }
    int GetInt(std::string_view section, std::string_view key, int def) const {
        return ini_.GetInt(section, key, def);
    }
    std::string GetPath(std::string_view section, std::string_view key, std::string_view def = "") const {
        return ini_.GetPath(section, key, def);
    }
    bool WritePath(std::string_view section, std::string_view key, std::string_view path) {
        return ini_.WritePath(section, key, path);
    }
    // The profile as it is now: many keys read with one look at the file.
    IniFile Snapshot() const { return ini_.Snapshot(); }
    const IniFile& File() const { return ini_; }
    bool WriteString(std::string_view section, std::string_view key, std::string_view value) {
        return ini_.WriteString(section, key, value);
    }
    bool WriteInt(std::string_view section, std::string_view key, int value) {
        return ini_.WriteInt(section, key, value);
    }

private:
    IniFile ini_;
    ProfileStore store_ = ProfileStore::Registry;
    std::string company_;
    std::string program_;
};

// The process's profile.
AppProfile& Profile();

} // namespace vx
