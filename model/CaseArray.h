// Per-case arrays of the modules: the process-wide case index addresses
// them, and their counts come from calculation files.
#pragma once

#include "platform/Archive.h"

#include <cstdint>
#include <vector>

// The entry of caseIndex: -1 empties the array and gives case 0; an index
// beyond the array grows it to index + 1, so no case is ever addressed
// outside it.
template <typename T>
T& CaseAt(std::vector<T>& cases, int caseIndex) {
    if (caseIndex < 0) {
        cases.clear();
        caseIndex = 0;
    }
    if (size_t(caseIndex) >= cases.size()) cases.resize(size_t(caseIndex) + 1);
    return cases[size_t(caseIndex)];
}

// A case count read from a file, refused (ArchiveEndOfFile) when negative or
// when the rest of the file cannot hold that many cases of at least
// bytesPerCase bytes.
int32_t ReadCaseCount(vx::Archive& ar, size_t bytesPerCase);
