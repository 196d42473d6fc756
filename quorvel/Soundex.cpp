#include "quorvel/Soundex.h"

#include "platform/CodePage.h"

namespace {

// The digit of a consonant group, or 0 for a character that is not coded.
char GroupDigit(char c) {
    static constexpr struct {
        const char* letters;
        char digit;
    } kGroups[] = {{"BP", '1'}, {"GKQX", '2'}, {"DT", '3'}, {"L", '4'}, {"MN", '5'},
                   {"R", '6'},  {"CZS", '7'},  {"J", '8'},  {"FV", '9'}};
    for (const auto& g : kGroups)
        for (const char* p = g.letters; *p; ++p)
            if (*p == c) return g.digit;
    return 0;
}

} // namespace

std::string SoundexCode(std::string_view name) {
    if (name.empty()) return "";
    const std::string upper = vx::UpperCp1252(name);
    const size_t n = upper.size();
    std::string code(1, upper[0]);
    std::string previous;
    size_t pos = 1;
    while (code.size() < 4) {
        // A run of one letter is coded once; the last character is never skipped.
        while (previous.size() == 1 && pos < n && upper[pos] == previous[0] && pos != n - 1) ++pos;
        if (pos >= n) {
            code += '0';
            continue;
        }
        const char c = upper[pos];
        if (char digit = GroupDigit(c)) code += digit;
        previous.assign(1, c);
        ++pos;
    }
    return code;
}
