// Per-case arrays of the modules, addressed by the process-wide case index.
#pragma once

#include <utility>
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

// A module's two case arrays (pressure and temperature) lose their newest
// case. Nothing happens without a case, as far as `first` tells.
template <typename T, typename Count>
void RemoveLastCaseOf(std::vector<T>& first, std::vector<T>& second, Count& caseCount) {
    if (caseCount < 0 || first.empty()) return;
    first.pop_back();
    second.pop_back();
    --caseCount;
}

// Case i of both arrays goes; the newest case takes its place.
template <typename T, typename Count>
void RemoveCaseOf(std::vector<T>& first, std::vector<T>& second, Count& caseCount, int i) {
    if (i < 0 || i > caseCount || size_t(i) >= first.size()) return;
    first[size_t(i)] = std::move(first.back());
    second[size_t(i)] = std::move(second.back());
    first.pop_back();
    second.pop_back();
    --caseCount;
}

