#include "quorvel/ListLine.h"

std::string FitText(std::string_view text, size_t cut, size_t width) {
    std::string out(text.substr(0, cut));
    if (out.size() < width) out.resize(width, ' ');
    return out;
}

long RecordNumberOfLine(std::string_view line) {
    const size_t last = line.find_last_of(" \t");
    const std::string_view tail = last == std::string_view::npos ? line : line.substr(last + 1);
    if (tail.empty() || tail.size() > 9) return 0;
    long n = 0;
    for (char c : tail) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}
