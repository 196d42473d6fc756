#include "values/RecordText.h"

std::string QuoteForRecord(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '"') c = '\'';
    return out;
}
