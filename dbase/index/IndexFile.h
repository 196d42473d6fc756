// Multi-tag index files (".MDX"): the shared state of an open index file, its
// tags, the index lock, and the handles through which a table uses them.
// Tag navigation and block operations are in TagFile.h and IndexBlock.h; key
// maintenance and rebuilds in KeyWrite.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbase/file/EngineFile.h"
#include "dbase/expr/Expr.h"
#include "dbase/data/TableIndex.h"

namespace vx {

struct EngineContext;
struct TableHandle;
struct TableFile;
struct TagInfo;
struct IndexFileState;
struct TagFile;

constexpr int kIndexHeaderLen = 48;
constexpr int64_t kTagTablePos = 544;
constexpr int kTagTableEntries = 47;
constexpr int kTagEntryLen = 32;
constexpr int kTagNameMax = 10;
constexpr int kTagExprMax = 220;
constexpr int64_t kIndexLockPos = 0xEFFFFFFE;
// 256 lock bytes below the index lock: each user that keeps blocks of the
// file across its index locks holds a shared lock on the byte of the sum of
// the version counters it last saw (see IndexLock), sum s at byte 255 - s:
// a writer's higher sum lies below its old one, which then goes in the same
// unlock as the index lock.
constexpr int64_t kIndexSeenLocks = 0xEFFFFE00;
constexpr int kMaxTreeDepth = 32;

// One block buffer of a tag: the block image exactly as on disk.
struct IndexBlock {
    TagFile* tag = nullptr;
    long fileBlock = 0; // in 512-byte units
    bool changed = false;
    int curPos = 0;
    std::vector<unsigned char> data;

    int numKeys() const { return data[0] | data[1] << 8; }
    void setNumKeys(int n) { data[0] = uint8_t(n & 0xFF), data[1] = uint8_t(n >> 8); }
    unsigned char* entry(int i);
    const unsigned char* entry(int i) const;
    uint32_t number(int i) const;
    void setNumber(int i, uint32_t v);
    const unsigned char* key(int i) const { return entry(i) + 4; }
    // Whether entry i lies wholly inside the block.
    bool entryFits(int i) const;
};

using KeyCompare = int (*)(const void*, const void*, size_t);

struct TagFile {
    IndexFileState* index = nullptr;
    EngineContext* ctx = nullptr;
    std::string name;
    std::string exprText, filterText;
    std::unique_ptr<CompiledExpr> expr, filter;
    KeyCompare compare = nullptr;
    bool descending = false;
    char keyType = 'C';
    int keyLen = 0;
    int groupLen = 0;
    int keysMax = 0;
    unsigned char typeCode = 0x10;
    bool unique = false;
    unsigned char version = 0;
    bool hasFilter = false;
    unsigned char filterFlagRead = 0, filterFlag = 0;
    int64_t headerPos = 0;
    long root = -1; // -1 until read from the tag header
    bool rootChanged = false;
    bool changed = false;
    std::vector<IndexBlock*> path;  // root first, current last
    std::vector<IndexBlock*> saved; // kept for reuse
    // Moves from leaf to leaf that kept the key, in one direction (dir) of
    // one table handle's walk (walker): in a sound tag fewer than its blocks.
    long walker = 0, crossWalker = 0;
    int crossDir = 0;
    long equalCrossings = 0;

    ~TagFile();
    // The tag's order over n bytes (descending tags negated).
    int Compare(const void* a, const void* b, size_t n) const {
        int c = compare(a, b, n);
        return descending ? -c : c;
    }
    IndexBlock* current() const { return path.empty() ? nullptr : path.back(); }
};

struct IndexFileState {
    EngineContext* ctx = nullptr;
    TableFile* data = nullptr;
    EngineFile file;
    std::string name;
    unsigned char header[kIndexHeaderLen] = {};
    bool headerChanged = false;
    std::vector<std::unique_ptr<TagFile>> tags;
    int openCount = 0;
    long lockOwner = 0; // serial of the table holding the index lock
    int seenLock = -1;  // the sum whose byte of kIndexSeenLocks this user holds, -1 none
    int seenDrop = -1;  // a sum whose byte goes with the index lock, -1 none
    bool changing = false;          // we set the changing mark on disk
    bool releaseAfterWrite = false; // the lock was taken for one record write
    bool damaged = false;           // a writer died while changing the keys
    // While a tag is walked without the lock: a change met on the way ends
    // the walk at once (changeSeen) instead of waiting for the writer.
    bool optimistic = false, changeSeen = false;
    // Opened only to be rebuilt: block numbers are not checked at open.
    bool rebuilding = false;
    long blockReads = 0;
    int blockSize() const { return header[22] | header[23] << 8; }
    int blockUnits() const { return header[20] | header[21] << 8; }
    uint32_t unitsInFile() const;
    void setUnitsInFile(uint32_t v);
    uint32_t freeList() const;
    void setFreeList(uint32_t v);
};

struct IndexFile;

struct TagHandle {
    IndexFile* index = nullptr;
    TagFile* tagFile = nullptr;
    int16_t uniqueCode = 0;
    // Set during one write, for its undo.
    bool oldRemoved = false, newAdded = false;
    // Old keys whose removal waits for the end of the transaction, so that
    // a rollback finds them still in a unique tag.
    struct Pending {
        long recNo;
        std::string key;
    };
    std::vector<Pending> pending;
    // Set during one write: the listed entry its new key took over (record
    // 0: none), given back when the write is undone.
    Pending taken{0, {}};
    // The walk through the tag: where the last skip ended (record, key,
    // direction) and how many skips in a row have stayed on that key.
    long walkRecNo = 0;
    int walkDir = 0;
    long walkRun = 0;
    std::string walkKey;
};

struct IndexFile {
    EngineContext* ctx = nullptr;
    TableHandle* table = nullptr;
    IndexFileState* state = nullptr;
    bool openForUpdate = false;
    std::vector<std::unique_ptr<TagHandle>> tags;
    std::string name;
};

// nullptr name: the production index (the data file's name with "MDX").
IndexFile* indexCreate(TableHandle* t, const char* name, const TagInfo* tags);
IndexFile* indexOpen(TableHandle* t, const char* name);
// Opens a damaged index file for its rebuild only: the tag definitions are
// read, the blocks and their numbers are not trusted.
IndexFile* indexOpenForRebuild(TableHandle* t, const char* name);
int indexClose(IndexFile* index);
int indexFlush(IndexFileState* state);
// With clearMark false the changing mark stays set: an exclusive writer
// clears it at a flush or the close, not after every record.
int indexFileFlush(IndexFileState* state, bool clearMark = true);
int indexFileUpdateHeader(IndexFileState* state);
// 1 when another process changed the file since it was last read, else 0;
// with assumeChanged the blocks are read again in any case.
int indexFileVersionCheck(IndexFileState* state, bool assumeChanged = false);
int indexVersionCheck(IndexFile* index, bool reposition, bool assumeChanged = false);
// A block number for a new block, or a negative error.
long indexFileExtend(IndexFileState* state);
// Whether a block number may hold an index block: inside the file and clear
// of the file header, the tag table and every tag header.
bool IndexBlockUsable(const IndexFileState* state, long block);
int IndexFreeBlock(IndexFileState* state, long block);
IndexFileState* engineIndex(EngineContext* ctx, TableFile* file, const std::string& name);

// Sets the changing mark on disk before the first key change.
int IndexMarkChanging(IndexFileState* state);

int tagUnique(TagHandle* tag);

// Reads and parses one tag header; used by open and the fuzz tests.
int TagHeaderRead(IndexFileState* state, TagFile* tag, const unsigned char* entry, TableHandle* t);
// The compare and key conversions of a key type; false for an unknown type.
bool TagChooseFunctions(TagFile* tag, char type);
// The search key of a text in the tag's own key form; its length.
int TagKeyFromText(TagFile* tag, const char* text, int len, std::string& out);
// The tag's key of the table's current record, and whether it passes the filter.
int TagExprKey(TagFile* tag, TableHandle* t, std::string& out);
int TagFilterTrue(TagFile* tag, TableHandle* t);

} // namespace vx
