// Field operations: the bytes of one field in a table's record buffer, read
// and assigned as text, numbers, dates and memo contents.
#pragma once

#include <cstdint>

#include "dbase/data/Table.h"

namespace vx {

char* fieldPtr(Field* f);
// The bytes, after marking the record changed.
char* fieldAssignPtr(Field* f);
TableHandle* fieldData(Field* f);
const char* fieldName(Field* f);
unsigned fieldLen(Field* f);
int fieldDecimals(Field* f);
int fieldNumber(Field* f);
// The type letter; F is reported as N.
int fieldType(Field* f);

// Copies at most the field length and fills the rest with blanks.
int fieldAssign(Field* f, const char* text);
int fieldAssignN(Field* f, const char* bytes, size_t len);
// The bytes as terminated text, in the context's buffer until the next call.
const char* fieldStr(Field* f);
int fieldAssignField(Field* target, Field* source);

long fieldLong(Field* f);
int fieldAssignLong(Field* f, long value);
double fieldDouble(Field* f);
int fieldAssignDouble(Field* f, double value);

// Memo contents of the current record, read on first use.
const char* fieldMemoPtr(Field* f);
uint32_t fieldMemoLen(Field* f);
// The contents, or the text of a field that is not a memo.
const char* fieldMemoStr(Field* f);
int fieldMemoRead(Field* f);
int fieldMemoSetLen(Field* f, uint32_t len);
int fieldMemoAssignN(Field* f, const char* bytes, uint32_t len);

Field* tableField(TableHandle* t, const char* name);
Field* tableFieldJ(TableHandle* t, int j);
int tableFieldNumber(TableHandle* t, const char* name);

// Internal to the engine: loads a memo entry, and writes the changed memo
// entries of the current record before the record is written.
int fieldMemoLoad(Field* f);
// With the read-lock setting: locks the current record and takes the block
// numbers of memos not loaded yet from the record as it is in the file.
int tableValidateMemoIds(TableHandle* t);
// A record write whose memos and keys both change holds the memo lock from
// before the index lock until the record is written, in the order a lock of
// the whole table takes them. *took says whether it was taken here.
int tableMemoHold(TableHandle* t, bool appending, bool* took);
void tableMemoHoldEnd(TableHandle* t, bool took);
// The runs the old contents leave are listed in freeLater, to be released
// once the record is written.
int tableMemoWrite(TableHandle* t, std::vector<MemoRun>* freeLater);

} // namespace vx
