// The string table of a deliverable: texts by numeric id, read from a UTF-8
// text file under resources/ and kept in code page 1252. A language file
// named in the profile overrides single entries.
//
// File form: one entry a line, "<id> <text>"; "#" starts a comment line;
// in the text "\n", "\r", "\t" and "\\" are escapes.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace vx {

class StringTable {
public:
    // Adds (or overrides) the entries of a file; false when it cannot be read.
    bool LoadFile(const std::string& path);
    void LoadText(std::string_view utf8Text);
    void Set(unsigned id, std::string text) { texts_[id] = std::move(text); }
    bool Has(unsigned id) const { return texts_.count(id) != 0; }
    // "" for an unknown id, as LoadString leaves the buffer empty.
    std::string Get(unsigned id) const;
    // The stored text itself, nullptr for an unknown id; valid until the
    // table changes.
    const std::string* Find(unsigned id) const;
    size_t Size() const { return texts_.size(); }
    // Calls fn(id, text) for every entry, in ascending id order.
    template <typename Fn>
    void ForEach(Fn&& fn) const {
        for (const auto& [id, text] : texts_) fn(id, text);
    }
    void Clear() { texts_.clear(); }

private:
    std::map<unsigned, std::string> texts_;
};

// The process's string table.
StringTable& Strings();
inline std::string LoadString(unsigned id) { return Strings().Get(id); }

// The directory holding resources/<deliverable>: beside the program, else the
// source tree the program was built from.
std::string ResourceDir();

// The table of resources/<part>/<file>, for a part that reads its own texts
// on first use; empty when the file cannot be read.
StringTable PartTable(const char* part, const char* file = "strings.txt");

} // namespace vx
