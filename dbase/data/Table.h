// dBASE data files (".DBF"): opening, creating and closing tables, the record
// buffer, moving through records, appending, deleting, packing, and the
// record, append and file locks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbase/file/EngineContext.h"
#include "dbase/file/EngineFile.h"
#include "dbase/data/MemoFile.h"

namespace vx {

struct TableHandle;
struct TagHandle;
struct MemoEntry;
struct IndexFile;
struct IndexFileState;

// One field of a table, in descriptor order.
struct Field {
    char name[11] = {};
    uint16_t len = 0;
    int16_t dec = 0;
    int16_t type = 0;
    uint16_t offset = 0;
    TableHandle* table = nullptr;
    MemoEntry* memo = nullptr;
};

// The contents of one memo field of the current record.
struct MemoEntry {
    std::vector<char> contents; // terminated
    uint32_t len = 0;
    bool loaded = false;
    bool changed = false;
    Field* field = nullptr;
};

// A field description for tableCreate; a list ends with a null name.
struct FieldInfo {
    const char* name = nullptr;
    int16_t type = 0;
    uint16_t len = 0;
    int16_t dec = 0;
    int16_t nulls = 0;
};

// A tag description for tableCreate; a list ends with a null name.
struct TagInfo {
    const char* name = nullptr;
    const char* expression = nullptr;
    const char* filter = nullptr;
    int16_t unique = 0;
    uint16_t descending = 0;
};

struct RecordLock {
    long owner;
    long recNo;
};

// Lock offsets in a data file.
constexpr int64_t kLockGate = 0xEFFFFFFE;
constexpr int64_t kLockAppend = 0xEFFFFFFF;
constexpr int64_t kLockFileStart = 0x40000000;
constexpr int64_t kLockFileLen = 0xB0000000;
inline int64_t lockOffsetRecord(long recNo) { return kLockGate - recNo; }

// One open data file, shared by all tables of the context that open it.
struct TableFile {
    EngineContext* ctx = nullptr;
    std::string fullName;
    int userCount = 0;
    unsigned char version = 0;
    unsigned char date[3] = {};
    long numRecs = -1; // -1: unknown, read from the header when needed
    uint16_t headerLen = 0;
    uint16_t recLen = 0;
    unsigned char headerFlags = 0;
    // Of the text, from the language-driver byte: 437 or 1252.
    int codePage = 437;
    std::vector<unsigned char> descriptors;
    int numFields = 0;
    int numMemoFields = 0;
    EngineFile data;
    MemoFile memo;
    bool hasMemoFile = false;
    int accessMode = 0;
    long fileLockOwner = 0;
    long appendLockOwner = 0;
    std::vector<RecordLock> recordLocks; // ascending by record number
    bool appendedSinceHeader = false;
    // Records past the header's count were looked for since the open: after
    // that only a shared writer dying inside its append can leave one, which
    // it never acknowledged.
    bool countChecked = false;
    // The open index files of this data file, shared by its tables.
    std::vector<IndexFileState*> indexFiles;
    // Records read ahead during a sequential scan of a file no one else
    // can write.
    struct ReadAhead {
        std::vector<char> data;
        long first = 0;
        long count = 0;
        long lastRead = 0;
    } readAhead;
};

struct TableHandle {
    EngineContext* ctx = nullptr;
    std::string alias;
    TableFile* file = nullptr;
    std::vector<char> record;    // record length + 1
    std::vector<char> oldRecord; // what key maintenance compares against
    std::vector<Field> fields;
    std::vector<MemoEntry> memos;
    long recNo = -1;
    bool bof = false;
    bool eof = false;
    bool recordChanged = false;
    TagHandle* selectedTag = nullptr;
    std::vector<IndexFile*> indexes; // in opening order
    // The production index that did not open because it is damaged: the
    // table works without it until tableReindex rebuilds it.
    bool indexDamaged = false;
    long seenCount = 0;
    long serial = 0;
    bool logChanges = false;
};

// Lookups in the context's lists.
TableFile* engineDataFile(EngineContext* ctx, const std::string& fullName);
TableHandle* engineTable(EngineContext* ctx, const std::string& alias);
TableHandle* engineTableOfFile(EngineContext* ctx, const TableFile* file);

TableHandle* tableOpen(EngineContext* ctx, const std::string& name);
// fields ends with a null name; tags may be null.
TableHandle* tableCreate(EngineContext* ctx, const std::string& name, const FieldInfo* fields,
                         const TagInfo* tags = nullptr);
int tableClose(TableHandle* t);

char* tableRecord(TableHandle* t);
long tableRecNo(TableHandle* t);
long tableRecCount(TableHandle* t);
int tableNumFields(TableHandle* t);
const char* tableAlias(TableHandle* t);
int tableBof(TableHandle* t);
int tableEof(TableHandle* t);
int tableDeleted(TableHandle* t);
int tableChanged(TableHandle* t, int flag);
int tableDelete(TableHandle* t);
int tableBlank(TableHandle* t);

int tableGo(TableHandle* t, long n);
int tableTop(TableHandle* t);
int tableBottom(TableHandle* t);
int tableGoBof(TableHandle* t);
int tableGoEof(TableHandle* t);
int tableSkip(TableHandle* t, long n);

int tableAppendStart(TableHandle* t, bool useMemoEntries);
int tableAppend(TableHandle* t);
int tableAppendBlank(TableHandle* t);

int tablePack(TableHandle* t);

int tableUpdate(TableHandle* t);
int tableUpdateRecord(TableHandle* t, bool unlock);
int tableFlushData(TableHandle* t);
int tableFlush(TableHandle* t);

// Locks (0, 50 locked elsewhere, or an error).
int tableLock(TableHandle* t, long recNo);
int tableLockAppend(TableHandle* t);
int tableLockFile(TableHandle* t);
int tableLockAll(TableHandle* t);
int tableLockTest(TableHandle* t, long recNo);
int tableUnlockRecord(TableHandle* t, long recNo);
int tableUnlockRecords(TableHandle* t);
int tableUnlockAppend(TableHandle* t);
int tableUnlockFile(TableHandle* t);
int tableUnlockData(TableHandle* t);
int tableUnlock(TableHandle* t);
int engineUnlock(EngineContext* ctx);
// Empties the context's list of remembered locks. Locks are kept with each
// data file, never with the context, so there is nothing to forget: held
// locks stay held.
int engineLockClear(EngineContext* ctx);

// Writes version, date and record count into the header.
int tableWriteHeader(TableFile* f);
// Reads the record count from the header.
int tableReadCount(TableFile* f);

// Internal to the engine: the lock-enforce check of modifying operations.
int tableLockEnforce(TableHandle* t, int location);
// Releases locks before a new one as the unlock-auto mode says; a changed
// record of another table that cannot be written stops it with that code.
int tableUnlockAuto(TableHandle* t);
// Releases every lock of the table, whatever the unlock-auto mode says.
int tableReleaseLocks(TableHandle* t);

} // namespace vx
