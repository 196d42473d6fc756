// Reads tagged-text records one tag at a time: a name and attributes with
// optional quoted values, "<NAME A="x" B=y>" or "</NAME>".
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CTagReader {
public:
    // Parses the tag at the next "<" at or after pos; false when none follows.
    bool ParseNext(std::string_view text, size_t& pos);
    // Parses one tag at pos (after blanks); pos moves past what was read.
    bool ParseTag(std::string_view text, size_t& pos);

    // Upper-cased.
    std::string GetName() const;
    bool IsEndTag() const { return closing_; }
    size_t TagPosition() const { return tagPos_; }
    // The first attribute of that name, any case; value untouched when absent.
    bool GetAttribute(std::string_view name, std::string& value) const;
    double GetAttributeDouble(std::string_view name, double def) const;

private:
    std::string name_;
    bool closing_ = false;
    size_t tagPos_ = 0;
    std::vector<std::pair<std::string, std::string>> attributes_;
};
