#include "velmora/shared/CrossSectionTableFile.h"

#include "model/CrossSectionTables.h"
#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/Profile.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr const char* kSection = "INNENTAB";
// A value is read up to 79 characters.
constexpr size_t kValueLength = 79;

std::string Trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) --b;
    return s.substr(a, b - a);
}

// The number of a key "<prefix><digits>", 0 when the key is not one.
int KeyNumber(const std::string& key, char prefix) {
    if (key.size() < 2 || std::toupper(static_cast<unsigned char>(key[0])) != prefix) return 0;
    for (size_t i = 1; i < key.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(key[i]))) return 0;
    return int(vx::ParseLong(std::string_view(key).substr(1)));
}

std::vector<std::string> SplitLines(const std::string& text, std::string& eol) {
    std::vector<std::string> lines;
    eol = text.find("\r\n") != std::string::npos || text.empty() ? "\r\n" : "\n";
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

bool IsSectionLine(const std::string& line, std::string* name) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    const size_t close = t.find(']');
    if (close == std::string::npos) return false;
    if (name) *name = Trim(t.substr(1, close - 1));
    return true;
}

} // namespace

char CrossSectionKeyPrefix(int shape) { return shape == 0 ? 'R' : 'Q'; }

CrossSectionTableText ReadCrossSectionTable(const std::string& path, int shape) {
    CrossSectionTableText table;
    std::string text;
    if (!vx::FileExists(path) || !vx::ReadWholeFile(path, text)) return table;
    for (const CrossSectionLine& line : CrossSectionLines(text, CrossSectionKeyPrefix(shape))) {
        if (!line.valid) {
            table.badLines.push_back(line.line);
            continue;
        }
        std::string value = line.value;
        if (value.size() > kValueLength) value.resize(kValueLength);
        table.entries.push_back(value);
    }
    table.count = int(table.entries.size()) + 1;
    return table;
}

bool WriteCrossSectionTable(const std::string& path, int shape, const std::vector<std::string>& entries) {
    std::string old;
    if (vx::FileExists(path) && !vx::ReadWholeFile(path, old)) return false;
    std::string eol;
    const std::vector<std::string> lines = SplitLines(old, eol);
    const char prefix = CrossSectionKeyPrefix(shape);

    // The values the editor showed are replaced; every other line of the
    // shape keeps its value after them, so nothing unseen is lost.
    std::vector<bool> shown(lines.size() + 1, false);
    for (const CrossSectionLine& line : CrossSectionLines(old, prefix))
        if (line.valid) shown[size_t(line.line)] = true;
    std::vector<std::string> kept;

    // Lines before the section, the section's own lines, and what follows it.
    std::vector<std::string> before, section, after;
    int where = 0;  // 0 before, 1 inside, 2 after
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        std::string name;
        if (IsSectionLine(line, &name)) {
            if (where == 0 && vx::EqualNoCase(name, kSection)) {
                where = 1;
                continue;
            }
            if (where == 1) where = 2;
        }
        (where == 0 ? before : where == 1 ? section : after).push_back(line);
        const std::string t = Trim(line);
        const size_t eq = t.find('=');
        if (where == 1 && !shown[i + 1] && eq != std::string::npos && KeyNumber(Trim(t.substr(0, eq)), prefix) > 0)
            kept.push_back(t.substr(eq + 1));
    }
    std::vector<std::string> mine;
    for (size_t i = 0; i < entries.size(); ++i) mine.push_back(vx::Format("%c%d=", prefix, int(i + 1)) + entries[i]);
    for (size_t i = 0; i < kept.size(); ++i)
        mine.push_back(vx::Format("%c%d=", prefix, int(entries.size() + i + 1)) + kept[i]);

    std::vector<std::string> body;
    bool placed = false;
    for (const std::string& line : section) {
        const std::string t = Trim(line);
        if (t.empty()) continue;
        const size_t eq = t.find('=');
        const int number = eq == std::string::npos ? 0 : KeyNumber(Trim(t.substr(0, eq)), prefix);
        if (number > 0) {
            if (!placed) body.insert(body.end(), mine.begin(), mine.end());
            placed = true;
            continue;
        }
        body.push_back(line);
    }
    if (!placed) body.insert(body.end(), mine.begin(), mine.end());

    // The section comes first: the calculation's reader takes the first
    // line for its header. Other lines keep their order after it.
    std::string text = "[INNENTAB]" + eol;
    for (const std::string& line : body) text += line + eol;
    std::vector<std::string> rest;
    for (const std::string& line : before)
        if (!Trim(line).empty()) rest.push_back(line);
    rest.insert(rest.end(), after.begin(), after.end());
    if (!rest.empty()) {
        text += eol;
        for (const std::string& line : rest) text += line + eol;
    }
    return vx::WriteFileAtomic(path, text);
}

std::vector<double> CrossSectionSizes(const CrossSectionTableText& table) {
    std::vector<double> sizes;
    for (std::string text : table.entries) {
        std::replace(text.begin(), text.end(), ',', '.');
        sizes.push_back(vx::ParseDouble(text));
    }
    return sizes;
}

std::string CrossSectionFileText(double metres) {
    std::string text = vx::Format("%.4f", metres);
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}
