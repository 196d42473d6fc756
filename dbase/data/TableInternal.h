// Shared by the parts of the data-file operations (Table.cpp, TableRecord.cpp,
// TablePack.cpp) and by no one else.
#pragma once

#include "dbase/data/Table.h"

#include <cstdint>

namespace vx {

inline uint32_t Get32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
inline uint16_t Get16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
inline void Put32(unsigned char* p, uint32_t v) {
    p[0] = v & 0xFF, p[1] = (v >> 8) & 0xFF, p[2] = (v >> 16) & 0xFF, p[3] = v >> 24;
}
inline void Put16(unsigned char* p, uint16_t v) { p[0] = v & 0xFF, p[1] = v >> 8; }

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
