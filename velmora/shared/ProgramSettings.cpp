#include "velmora/shared/ProgramSettings.h"

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/report/ReportJob.h"
#include "values/CAnwender.h"
#include "values/Directories.h"
#include "velmora/shared/QuorvelLibrary.h"
#include "velmora/shared/DialogRules.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {
constexpr const char* kRecentSection = "Recent File List";

ProgramDescription& ProgramSlot() {
    static ProgramDescription program;
    return program;
}
} // namespace

const ProgramDescription& Program() { return ProgramSlot(); }

void UseProgram(const ProgramDescription& program) { ProgramSlot() = program; }

CAnwender& TheUser() {
    static CAnwender user;
    return user;
}

void SelectSettingsStore(const CCmdLineInfo& cmdLine) {
    const bool cdStart = cmdLine.registryMode == 0;
    SetCdStartMode(cdStart);
    vx::Profile().Select(cdStart ? vx::ProfileStore::IniBesideProgram : vx::ProfileStore::Registry,
                         Program().name, Program().companyKey);
    vx::ReportOversizedSettings(vx::Profile().File());
}

// Where an installed program's sample data lie, seen from the program's folder.
#ifndef VX_INSTALLED_SAMPLE_DATA
#define VX_INSTALLED_SAMPLE_DATA "../../share/velmora/data"
#endif

void SetUpInstalledData() {
    namespace fs = std::filesystem;
    if (IsCdStartMode() || !vx::Profile().GetString("Datenbank", "Pfad").empty()) return;
    std::error_code ec;
    const fs::path sample = fs::path(vx::ToFsName(vx::ProgramDir())) / VX_INSTALLED_SAMPLE_DATA;
    if (!fs::is_directory(sample, ec)) return;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    fs::path base = xdg && *xdg == '/' ? fs::path(xdg) : fs::path(home && *home ? home : "/tmp") / ".local/share";
    const fs::path target = base / vx::ToFsName(Program().companyKey) / "Daten";
    if (!fs::is_directory(target, ec)) {
        // Copied whole under another name first: a start that fails halfway
        // leaves no half data folder, and two first starts at once one folder.
        fs::create_directories(target.parent_path(), ec);
        fs::path temp = target;
        temp += ".neu" + std::to_string(::getpid());
        fs::remove_all(temp, ec);
        // The programs write their tables there, whatever the installed modes:
        // folders are made anew, files get the owner's write.
        const auto writable = fs::perms::owner_read | fs::perms::owner_write;
        fs::create_directory(temp, ec);
        for (auto it = fs::recursive_directory_iterator(sample, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            const fs::path to = temp / it->path().lexically_relative(sample);
            if (it->is_directory(ec)) {
                fs::create_directory(to, ec);
            } else if (fs::copy_file(it->path(), to, ec)) {
                fs::permissions(to, writable, fs::perm_options::add, ec);
            }
        }
        if (!ec) fs::rename(temp, target, ec);
        fs::remove_all(temp, ec);
        if (!fs::is_directory(target, ec)) return;
    }
    const std::string dir = vx::FromFsName(target.string());
    vx::Profile().WritePath("Datenbank", "Pfad", dir);
    // The user file would otherwise go into whatever folder the program was started in.
    if (vx::Profile().GetString("Global", "AnwenderDAT").empty())
        vx::Profile().WritePath("Global", "AnwenderDAT", vx::JoinPath(dir, "anwender.dat"));
}

namespace {

bool SameFolder(const std::string& path, const std::string& folder) {
    std::error_code ec;
    const std::string dir = vx::DirName(path);
    return !dir.empty() && std::filesystem::equivalent(vx::ToFsName(dir), vx::ToFsName(folder), ec);
}

bool CopyIfReadable(const std::string& from, const std::string& to) {
    std::string bytes;
    return vx::ReadWholeFile(from, bytes) && vx::WriteFileAtomic(to, bytes);
}

} // namespace

std::string UserLayoutFile(const std::string& name) { return UserLayoutFile(name, GetDataDir(), GetProgramDir()); }

std::string UserLayoutFile(const std::string& name, const std::string& dataDir, const std::string& programDir) {
    const std::string own = vx::JoinPath(dataDir, name);
    if (vx::FileExists(own) || SameFolder(own, programDir)) return own;
    const std::string installed = vx::JoinPath(programDir, name);
    if (!vx::FileExists(installed)) return own;
    if (!CopyIfReadable(installed, own)) return installed;
    const std::string printer = vx::report::PrinterFileName(installed);
    if (vx::FileExists(printer)) CopyIfReadable(printer, vx::report::PrinterFileName(own));
    return own;
}

void TakeOverLayoutPaths() { TakeOverLayoutPaths(GetDataDir(), GetProgramDir()); }

void TakeOverLayoutPaths(const std::string& dataDir, const std::string& programDir) {
    vx::AppProfile& profile = vx::Profile();
    for (const std::string& key : profile.Snapshot().Keys("LuL")) {
        // "Formular<n>" name the forms' layouts, "FormWdb" the order form's.
        const bool form = key.size() > 8 && vx::EqualNoCase(key.substr(0, 8), "Formular") &&
                          key.find_first_not_of("0123456789", 8) == std::string::npos;
        if (!form && !vx::EqualNoCase(key, "FormWdb")) continue;
        const std::string path = vx::NormalizeSlashes(profile.GetPath("LuL", key));
        if (!SameFolder(path, programDir)) continue;
        const std::string own = UserLayoutFile(vx::BaseName(path), dataDir, programDir);
        if (!SameFolder(own, programDir)) profile.WritePath("LuL", key, own);
    }
}

void LoadProgramStrings() {
    const std::string dir = vx::ResourceDir();
    for (const std::string& part : Program().stringFiles)
        vx::Strings().LoadFile(vx::JoinPath(vx::JoinPath(dir, part), "strings.txt"));
    const std::string language = vx::Profile().GetPath("Global", "Sprache", "");
    if (!language.empty()) vx::Strings().LoadFile(language);
}

void WriteVersion() { vx::Profile().WriteString("Global", "Version", Program().version); }

bool BindQuorvel(QuorvelLibrary& quorvel) {
    if (!quorvel.Load(QuorvelLibraryPath())) return false;
    // In the user's store the library finds the profile by program name and
    // company key; beside the program by the INI file's full path.
    const bool cdStart = vx::Profile().Store() == vx::ProfileStore::IniBesideProgram;
    const std::string profileName = cdStart ? vx::Profile().Path() : Program().name;
    const std::string helpPath = vx::JoinPath(GetProgramDir(), Program().helpFile);
    quorvel.InitQuorvel(profileName, helpPath, cdStart ? "" : Program().companyKey);
    return true;
}

bool RunUserData(QuorvelLibrary& quorvel, CAnwender& user) {
    auto answer = quorvel.GetAnwenderDaten(user.WriteRecord(), Program().userDialogLayout);
    if (!answer) return false;
    user.ReadRecord(*answer);
    return true;
}

void ShareFormLayout(const std::string& printLayout) {
    if (printLayout.empty() || !vx::Profile().GetString("LuL", "Formular0", "").empty()) return;
    vx::Profile().WritePath("LuL", "Formular0", printLayout);
}

bool CheckFirstStart(QuorvelLibrary& quorvel, CAnwender& user) {
    user.Load();
    const int first = vx::Profile().GetInt("Global", "1stemal", 0);
    if (first != 0) vx::Profile().WriteInt("Global", "1stemal", 0);
    if (first == 0 && !user.name1.empty()) return false;
    RunUserData(quorvel, user);
    return true;
}

std::string OpenDialogDirectory() {
    std::string dir = vx::Profile().GetPath("Global", "DatPfad", "");
    if (!dir.empty()) return vx::NormalizeSlashes(dir);
    std::error_code ec;
    return vx::FromFsName(std::filesystem::current_path(ec).string());
}

std::string DocumentPath(const std::string& name) {
    std::string path = vx::NormalizeSlashes(name);
    if (path.find('/') == std::string::npos) path = vx::JoinPath(OpenDialogDirectory(), path);
    return path;
}

std::string LastProjectPath() {
    const std::string last = vx::Profile().GetPath("Global", "LstPrj", "");
    if (last.empty()) {
        vx::ShowMessage(vx::LoadString(IDS_KEIN_LETZTES_PROJEKT),
                        vx::MB_OK | vx::MB_ICONINFORMATION);
        return {};
    }
    const std::string path = DocumentPath(last);
    if (!vx::FileExists(path)) {
        vx::ShowMessage(vx::Format(vx::LoadString(IDS_LETZTES_PROJEKT_FEHLT), vx::PathForDisplay(path).c_str()),
                        vx::MB_OK | vx::MB_ICONEXCLAMATION);
        return {};
    }
    return path;
}

std::string FileDialogFilter(std::string_view mfcFilter) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= mfcFilter.size()) {
        size_t bar = mfcFilter.find('|', start);
        std::string_view part = mfcFilter.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start);
        while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
        if (part.empty()) break;  // "||" ends the list
        parts.emplace_back(part);
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    if (parts.size() % 2) parts.pop_back();
    std::string out;
    for (const std::string& p : parts) out += (out.empty() ? "" : "|") + p;
    return out;
}

std::vector<std::string> LoadRecentFiles() {
    std::vector<std::string> files;
    for (int i = 1; i <= Program().recentFileCount; ++i) {
        std::string f = vx::Profile().GetPath(kRecentSection, vx::Format("File%d", i), "");
        if (!f.empty()) files.push_back(f);
    }
    return files;
}

void SaveRecentFiles(const std::vector<std::string>& files) {
    for (int i = 1; i <= Program().recentFileCount; ++i) {
        const std::string key = vx::Format("File%d", i);
        if (size_t(i) <= files.size())
            vx::Profile().WritePath(kRecentSection, key, files[i - 1]);
        else if (vx::Profile().GetString(kRecentSection, key, "") != "")
            vx::Profile().WriteString(kRecentSection, key, "");
    }
}

std::string AboutVersionLine(std::string_view version, std::string_view buildDate) {
    auto cut = [&](size_t pos, size_t n) { return pos < buildDate.size() ? buildDate.substr(pos, n) : ""; };
    const std::string_view day = cut(4, 2);
    const std::string_view month = cut(0, 3);
    const std::string_view year = buildDate.size() >= 4 ? buildDate.substr(buildDate.size() - 4) : buildDate;
    return "( V. " + std::string(version) + "  vom " + std::string(day) + ". " + std::string(month) + " " +
           std::string(year) + " )";
}

std::string AboutVersionLine() { return AboutVersionLine(Program().version, Program().buildDate); }

std::string AboutDatabaseLine(std::string_view defaultStand) {
    return "( Datenbank: " + vx::Profile().GetString("Datenbank", "Stand_W", std::string(defaultStand)) + " )";
}

std::string HandOverRecord(const std::string& filePath) {
    // A quote in a folder name would end the value early; the receiver reads
    // the record as XML.
    std::string path;
    for (char c : filePath) {
        switch (c) {
        case '&':
            path += "&amp;";
            break;
        case '"':
            path += "&quot;";
            break;
        case '<':
            path += "&lt;";
            break;
        case '>':
            path += "&gt;";
            break;
        default:
            path += c;
        }
    }
    // In UTF-8, as a program's argument: the path's bytes go in unchanged.
    return vx::Format("<AURELIA FORMAT=2 ERZEUGER=\"%s\"><BERECHNUNG DATEI=\"%s\"></AURELIA>",
                      vx::Cp1252ToUtf8(Program().handOverCreator).c_str(), path.c_str());
}
