// The library's temporary folder: one per user, readable only by its owner,
// so that no other user can plant or read the converted tables.
#pragma once

#include <string>

// "" when no safe folder can be made.
std::string QuorvelTempDir();
