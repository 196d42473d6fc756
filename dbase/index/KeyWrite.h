// Keeping every tag in line with the records: keys added and removed when a
// record is written or appended, and all tags of an index file rebuilt from
// the data file.
#pragma once

#include "dbase/index/IndexFile.h"

namespace vx {

// Writes the record buffer as record recNo (-1: the current record) with
// its keys: 0, a positive status or an error.
int tableWrite(TableHandle* t, long recNo, bool unlock);
// The record buffer into the data file at recNo, without keys.
int tableWriteData(TableHandle* t, long recNo);

// 0, 20 or 25 (a duplicate in a unique tag), or an error.
int tagAdd(TagFile* tag, const void* key, long recNo, int uniqueCode);
// 0, 5 when the tag holds no such entry, or an error.
int tagRemove(TagFile* tag, const void* key, long recNo);
// The key of the table's current record, when it passes the filter.
int tagAddCalc(TagHandle* tag, long recNo);
int tagRemoveCalc(TagHandle* tag, long recNo);

// Every tag of the table brought in line with the record buffer, against
// the record as stored; undone in all tags on a duplicate or an error.
int tableWriteKeys(TableHandle* t, long recNo);
// After the record whose keys tableWriteKeys or tableAppendKeys changed is
// written (or undone): writes the keys, clears the changing marks and
// releases the index locks taken for that write.
int tableKeysDone(TableHandle* t);
// Undoes tableWriteKeys after the data write failed; -1 on any failure.
int tableUnwriteKeys(TableHandle* t, long recNo);
// The keys of a new record; on a duplicate or an error none stays added.
int tableAppendKeys(TableHandle* t, long recNo);
// Removes the keys of a new record whose data write failed.
int tableAppendKeysUndo(TableHandle* t, long recNo);

// Carries out the key removals postponed during a transaction.
int tablePendingRemove(TableHandle* t);

// Rebuilds every tag of the index file: 0, 20, 50 or an error.
int indexReindex(IndexFile* index);

} // namespace vx
