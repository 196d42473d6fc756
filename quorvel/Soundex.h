// The phonetic code stored with every address (field NAME1_SOUN). Not the
// usual Soundex: the codes in existing tables must keep matching, so its
// rules stay exactly as they are.
#pragma once

#include <string>
#include <string_view>

// Four characters, or "" for an empty name.
std::string SoundexCode(std::string_view name);
