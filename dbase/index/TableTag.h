// The table's side of its tags (the tag functions themselves are declared
// in Table.h with the other table operations).
#pragma once

#include <functional>

#include "dbase/index/IndexFile.h"
#include "dbase/index/KeyWrite.h"

namespace vx {

struct TableHandle;

// Top (bottom) in the selected tag's order.
int tableTagTop(TableHandle* t, bool bottom);
int tableTagSkip(TableHandle* t, long n);
// Closes every index file of the table.
int tableIndexClose(TableHandle* t);
int tableIndexFlush(TableHandle* t);

// Runs a move in the tag so that it sees the tag as one user left it, even
// while others change the index file; returns what the move returned, 50
// when the index stayed locked, or an error.
int tableTagSteady(TableHandle* t, TagHandle* th, const std::function<int()>& move);
// Skips n entries from where the tag stands, as tableTagSteady moves;
// returns the count moved and puts the status into *rc.
long tableTagStep(TableHandle* t, TagHandle* th, long n, int* rc);

} // namespace vx
