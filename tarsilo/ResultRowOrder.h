// The order of the result list: each row's key by the column the user
// clicked, compared upper-cased byte by byte. Rows with equal keys keep
// their order, and the hidden "Offset" column makes all keys equal.
#pragma once

#include "tarsilo/CTarsiloDocCore.h"

#include <deque>
#include <string>

// The column the list was last sorted by, for the whole program.
inline int g_ResultSortMode = 0;

// The sort key of a row: the texts padded so that a longer output sorts
// after a shorter one ("9.0" before "10.0").
std::string ResultSortKey(const AssignmentRow& row, int sortMode);
// -1, 0 or 1 as the rows' keys compare.
int CompareResultRows(const AssignmentRow& a, const AssignmentRow& b, int sortMode);
// Sorts the rows stably; every row's item data becomes its index first.
void SortResultRows(std::deque<AssignmentRow>& rows, int sortMode);
