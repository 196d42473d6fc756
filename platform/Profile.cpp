#include "platform/Profile.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/PlatformText.h"

#include <set>

#include <sys/stat.h>

namespace vx {
namespace {

char FoldCase(char c) {
    unsigned char u = (unsigned char)c;
    if (u >= 'a' && u <= 'z') return char(u - 32);
    // Latin-1 letters of code page 1252, but not the division sign and ß/ÿ.
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return char(u - 32);
    if (u == 0x9A || u == 0x9C || u == 0x9E) return char(u - 16);
    return c;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

} // namespace

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    return true;
}

void IniFile::SetPath(std::string path) {
    path_ = std::move(path);
    loaded_ = false;
    fromText_ = false;
    lines_.clear();
}

IniFile IniFile::FromText(std::string_view text) {
    IniFile f;
    f.Parse(text);
    f.loaded_ = true;
    f.fromText_ = true;
    return f;
}

IniFile IniFile::Snapshot() const {
    Refresh();
    IniFile f;
    f.tooLarge_ = tooLarge_;
    f.lines_ = lines_;
    f.eol_ = eol_;
    f.loaded_ = true;
    f.fromText_ = true;
    return f;
}

void IniFile::Parse(std::string_view text) const {
    lines_.clear();
    eol_ = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    // A UTF-8 byte-order mark would otherwise become part of the first name.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        std::string_view raw = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        Line line;
        line.raw = std::string(raw);
        std::string_view t = Trim(raw);
        if (!t.empty() && t.front() == '[') {
            size_t close = t.find(']');
            line.kind = Line::Section;
            line.name = std::string(Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
        } else if (size_t eq = t.find('='); eq != std::string_view::npos) {
            line.kind = Line::Key;
            line.name = std::string(Trim(t.substr(0, eq)));
            std::string_view v = Trim(t.substr(eq + 1));
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
                v = v.substr(1, v.size() - 2);
            line.value = std::string(v);
        }
        lines_.push_back(std::move(line));
    }
}

void IniFile::Refresh() const {
    if (fromText_) return;
    struct stat st;
    int64_t stamp[4] = {-1, -1, -1, -1};
    if (::stat(ToFsName(path_).c_str(), &st) == 0)
        stamp[0] = int64_t(st.st_ino), stamp[1] = int64_t(st.st_size), stamp[2] = int64_t(st.st_mtim.tv_sec),
        stamp[3] = int64_t(st.st_mtim.tv_nsec);
    if (loaded_ && std::equal(stamp, stamp + 4, stamp_)) return;
    std::string text;
    tooLarge_ = false;
    if (stamp[0] >= 0) {
        const ReadLimited read = ReadFileUpTo(path_, text, kSettingsFileLimit);
        tooLarge_ = read == ReadLimited::TooLarge;
        if (read != ReadLimited::Read) text.clear();
    }
    Parse(text);
    std::copy(stamp, stamp + 4, stamp_);
    loaded_ = true;
}

int IniFile::FindSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Line::Section && EqualNoCase(lines_[i].name, section)) return int(i);
    return -1;
}

int IniFile::FindKey(int sectionLine, std::string_view key) const {
    for (size_t i = size_t(sectionLine) + 1; i < lines_.size(); ++i) {
        if (lines_[i].kind == Line::Section) break;
        if (lines_[i].kind == Line::Key && EqualNoCase(lines_[i].name, key)) return int(i);
    }
    return -1;
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
    Refresh();
    int s = FindSection(section);
    if (s < 0) return std::nullopt;
    int k = FindKey(s, key);
    if (k < 0) return std::nullopt;
    return lines_[size_t(k)].value;
}

std::string IniFile::GetString(std::string_view section, std::string_view key, std::string_view def) const {
    auto v = Find(section, key);
    return v ? *v : std::string(Trim(def));
}

std::string IniFile::GetPath(std::string_view section, std::string_view key, std::string_view def) const {
    auto v = Find(section, key);
    return v ? PathFromStored(*v) : std::string(Trim(def));
}

bool IniFile::WritePath(std::string_view section, std::string_view key, std::string_view path) {
    return WriteString(section, key, PathToStored(path));
}

int IniFile::GetInt(std::string_view section, std::string_view key, int def) const {
    auto v = Find(section, key);
    if (!v) return def;
    int64_t n = ParseLong(*v);
    if (n > INT32_MAX) return INT32_MAX;
    if (n < INT32_MIN) return INT32_MIN;
    return int(n);
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
    Refresh();
    std::vector<std::string> keys;
    int s = FindSection(section);
    if (s < 0) return keys;
    for (size_t i = size_t(s) + 1; i < lines_.size() && lines_[i].kind != Line::Section; ++i)
        if (lines_[i].kind == Line::Key) keys.push_back(lines_[i].name);
    return keys;
}

std::vector<std::string> IniFile::Sections() const {
    Refresh();
    std::vector<std::string> names;
    for (const auto& l : lines_)
        if (l.kind == Line::Section) names.push_back(l.name);
    return names;
}

bool IniFile::Save() const {
    std::string text;
    for (const auto& l : lines_) {
        text += l.raw;
        text += eol_;
    }
    if (fromText_) return true;
    if (!WriteFileAtomic(path_, text)) {
        loaded_ = false;
        return false;
    }
    loaded_ = false;
    Refresh();
    return true;
}

bool IniFile::TooLarge() const {
    Refresh();
    return tooLarge_;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    Refresh();
    if (tooLarge_) return false;
    Line kl;
    kl.kind = Line::Key;
    kl.name = std::string(key);
    kl.value = std::string(Trim(value));
    int s = FindSection(section);
    if (s < 0) {
        if (!lines_.empty() && !Trim(lines_.back().raw).empty()) lines_.push_back(Line{});
        Line sl;
        sl.kind = Line::Section;
        sl.name = std::string(section);
        sl.raw = "[" + sl.name + "]";
        lines_.push_back(sl);
        kl.raw = kl.name + "=" + std::string(value);
        lines_.push_back(kl);
        return Save();
    }
    int k = FindKey(s, key);
    if (k >= 0) {
        kl.name = lines_[size_t(k)].name;
        kl.raw = kl.name + "=" + std::string(value);
        lines_[size_t(k)] = kl;
        return Save();
    }
    // After the section's last non-blank line.
    size_t at = size_t(s) + 1;
    for (size_t i = size_t(s) + 1; i < lines_.size() && lines_[i].kind != Line::Section; ++i)
        if (!Trim(lines_[i].raw).empty()) at = i + 1;
    kl.raw = kl.name + "=" + std::string(value);
    lines_.insert(lines_.begin() + long(at), kl);
    return Save();
}

bool IniFile::WriteInt(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, Format("%d", value));
}

bool IniFile::DeleteKey(std::string_view section, std::string_view key) {
    Refresh();
    if (tooLarge_) return false;
    int s = FindSection(section);
    if (s < 0) return true;
    int k = FindKey(s, key);
    if (k < 0) return true;
    lines_.erase(lines_.begin() + k);
    return Save();
}

bool ReportOversizedSettings(const IniFile& file) {
    if (!file.TooLarge()) return false;
    static std::set<std::string> reported;
    if (reported.insert(file.Path()).second)
        ShowMessage(Format(PlatformText(IDS_EINSTELLUNGSDATEI_ZU_GROSS), PathForDisplay(file.Path()), int(kSettingsFileLimit >> 20)),
                    MB_OK | MB_ICONEXCLAMATION);
    return true;
}

void AppProfile::Select(ProfileStore store, std::string_view programName, std::string_view company) {
    store_ = store;
    program_ = std::string(programName);
    company_ = std::string(company);
    if (store == ProfileStore::IniBesideProgram) {
        ini_.SetPath(JoinPath(ProgramDir(), program_ + ".ini"));
    } else {
        std::string dir = JoinPath(ConfigHomeDir(), company_);
        MakeDirs(dir);
        ini_.SetPath(JoinPath(dir, program_ + ".ini"));
    }
}

AppProfile& Profile() {
    static AppProfile profile;
    return profile;
}

} // namespace vx
