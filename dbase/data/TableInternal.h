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
int PackRecover(EngineContext* ctx, TableFile* f);

} // namespace vx
