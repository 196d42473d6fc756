// Per-case arrays of the modules, addressed by the process-wide case index.
#pragma once

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

