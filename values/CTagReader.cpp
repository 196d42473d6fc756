#include "values/CTagReader.h"

#include "platform/NumText.h"
#include "platform/Profile.h"

#include <array>

namespace {

enum CharClass : unsigned char { End, Blank, Quote, Slash, Open, Equals, Close, Letter, NameChar };

constexpr std::array<CharClass, 256> MakeClasses() {
    std::array<CharClass, 256> t{};
    for (int c = 0; c < 256; ++c) {
        CharClass k = NameChar;
        if (c <= 0x1F) k = End;
        if (c == 0x09 || c == 0x0A || c == 0x0D || c == 0x20) k = Blank;
        if (c == '"') k = Quote;
        if (c == '/') k = Slash;
        if (c == '<') k = Open;
        if (c == '=') k = Equals;
        if (c == '>') k = Close;
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 0x80 && c <= 0x9A)) k = Letter;
        t[c] = k;
    }
    return t;
}

constexpr std::array<CharClass, 256> kClasses = MakeClasses();

// Bytes above 0x7F are negative chars: the table is indexed by the unsigned byte.
// Past the end of the text counts as an end byte.
CharClass ClassAt(std::string_view text, size_t pos) {
    return pos < text.size() ? kClasses[static_cast<unsigned char>(text[pos])] : End;
}

bool IsNameClass(CharClass k) { return k == Letter || k == NameChar; }

void SkipBlanks(std::string_view text, size_t& pos) {
    while (ClassAt(text, pos) == Blank) ++pos;
}

std::string ReadName(std::string_view text, size_t& pos) {
    size_t start = pos;
    while (IsNameClass(ClassAt(text, pos))) ++pos;
    return std::string(text.substr(start, pos - start));
}

} // namespace

bool CTagReader::ParseNext(std::string_view text, size_t& pos) {
    if (pos > text.size()) return false;
    size_t at = text.find('<', pos);
    if (at == std::string_view::npos) return false;
    pos = at;
    return ParseTag(text, pos);
}

bool CTagReader::ParseTag(std::string_view text, size_t& pos) {
    name_.clear();
    closing_ = false;
    tagPos_ = 0;
    attributes_.clear();
    SkipBlanks(text, pos);
    if (ClassAt(text, pos) != Open) return false;
    ++pos;
    SkipBlanks(text, pos);
    tagPos_ = pos;
    if (ClassAt(text, pos) == Slash) {
        closing_ = true;
        ++pos;
        SkipBlanks(text, pos);
    }
    name_ = ReadName(text, pos);
    SkipBlanks(text, pos);
    while (IsNameClass(ClassAt(text, pos))) {
        std::string attrName = ReadName(text, pos);
        std::string value;
        SkipBlanks(text, pos);
        if (ClassAt(text, pos) == Equals) {
            ++pos;
            SkipBlanks(text, pos);
            if (ClassAt(text, pos) == Quote) {
                ++pos;
                size_t start = pos;
                while (ClassAt(text, pos) != Quote && ClassAt(text, pos) != End) ++pos;
                value = std::string(text.substr(start, pos - start));
                if (ClassAt(text, pos) != Quote) return false;  // no closing quote, so no ">" either
                ++pos;
            } else {
                value = ReadName(text, pos);
            }
            SkipBlanks(text, pos);
        }
        attributes_.emplace_back(std::move(attrName), std::move(value));
    }
    if (ClassAt(text, pos) != Close) return false;
    ++pos;
    return true;
}

std::string CTagReader::GetName() const {
    std::string upper = name_;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return upper;
}

bool CTagReader::GetAttribute(std::string_view name, std::string& value) const {
    for (const auto& [n, v] : attributes_)
        if (vx::EqualNoCase(n, name)) {
            value = v;
            return true;
        }
    return false;
}

double CTagReader::GetAttributeDouble(std::string_view name, double def) const {
    std::string text;
    double x = def;
    if (!GetAttribute(name, text) || !vx::ScanDouble(text, x)) return def;
    return x;
}
