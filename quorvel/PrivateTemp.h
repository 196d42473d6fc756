// The library's temporary folder: one per user, readable only by its owner,
// so that no other user can plant or read the converted tables.
#pragma once

#include <string>

// "" when no safe folder can be made.
std::string QuorvelTempDir();
// A folder of this process's own inside it, so that two starts of the same
// user never share a temporary table; "" when it cannot be made.
std::string QuorvelProcessTempDir();
// Removes the folder of QuorvelProcessTempDir with the files directly in it.
void RemoveQuorvelProcessTempDir();
