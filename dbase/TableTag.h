// The table's side of its tags (the tag functions themselves are declared
// in Table.h with the other table operations).
#pragma once

#include "dbase/IndexFile.h"
#include "dbase/KeyWrite.h"

namespace vx {

struct TableHandle;

// Top (bottom) in the selected tag's order.
int tableTagTop(TableHandle* t, bool bottom);
int tableTagSkip(TableHandle* t, long n);
// Closes every index file of the table.
int tableIndexClose(TableHandle* t);
int tableIndexFlush(TableHandle* t);

} // namespace vx
