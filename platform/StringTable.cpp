#include "platform/StringTable.h"

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/PlatformText.h"

namespace vx {

bool StringTable::LoadFile(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) return false;
    LoadText(text);
    return true;
}

void StringTable::LoadText(std::string_view utf8Text) {
    size_t pos = 0;
    while (pos < utf8Text.size()) {
        size_t end = utf8Text.find('\n', pos);
        std::string_view line = utf8Text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? utf8Text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        size_t i = 0;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size() || line[i] == '#') continue;
        size_t used = 0;
        int64_t id = ParseLong(line.substr(i), &used);
        if (used == 0 || id < 0) continue;
        i += used;
        if (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        std::string text;
        for (; i < line.size(); ++i) {
            char c = line[i];
            if (c == '\\' && i + 1 < line.size()) {
                char n = line[++i];
                text += n == 'n' ? '\n' : n == 'r' ? '\r' : n == 't' ? '\t' : n;
            } else {
                text += c;
            }
        }
        texts_[unsigned(id)] = Utf8ToCp1252(text);
    }
}

std::string StringTable::Get(unsigned id) const {
    auto it = texts_.find(id);
    return it == texts_.end() ? std::string() : it->second;
}

const std::string* StringTable::Find(unsigned id) const {
    auto it = texts_.find(id);
    return it == texts_.end() ? nullptr : &it->second;
}

StringTable& Strings() {
    static StringTable table;
    return table;
}

StringTable PartTable(const char* part, const char* file) {
    StringTable t;
    t.LoadFile(JoinPath(JoinPath(ResourceDir(), part), file));
    return t;
}

std::string PlatformText(unsigned id) {
    static const StringTable table = PartTable("platform");
    return table.Get(id);
}

std::string ResourceDir() {
    std::string beside = JoinPath(ProgramDir(), "resources");
    if (DirExists(beside)) return beside;
#ifdef VX_SOURCE_RESOURCES
    // A literal, and so code page 1252 like every one.
    return PathFromText(VX_SOURCE_RESOURCES);
#else
    return beside;
#endif
}

} // namespace vx
