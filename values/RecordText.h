// Text as it may stand in an attribute value of a tagged record.
#pragma once

#include <string>
#include <string_view>

// The text with every double quote made an apostrophe, for an attribute value.
std::string QuoteForRecord(std::string_view text);
