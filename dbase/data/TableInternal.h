// Shared by the parts of the data-file operations (Table.cpp, TableRecord.cpp,
// TablePack.cpp) and by no one else.
#pragma once

#include "dbase/data/Table.h"
#include "dbase/util/Bytes.h"

#include <cstdint>

namespace vx {

// Table.cpp
int AdoptStranded(TableFile* f);

// TableRecord.cpp
void BlankRecord(TableHandle* t);
void MemoReset(TableHandle* t);
void DropReadAhead(TableFile* f);
int CheckTable(TableHandle* t);

// TablePack.cpp
// Header bytes 14 to 19 of a table a pack is moving: the mark, a zero and
// the pack's number. Cleared when the pack is done. The mark is no value
// another program leaves in that byte (dBASE IV: 1 in a transaction).
constexpr int kPackMarkPos = 14;
constexpr unsigned char kPackMark = 'P';
int PackRecover(EngineContext* ctx, TableFile* f);
// 0 once no pack is unfinished; waits while a pack at work holds the file,
// as a lock would; else -260, reported at location.
int PackMarkWait(TableFile* f, int location);

} // namespace vx
