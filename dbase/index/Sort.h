// Sorting of fixed-length entries (key, record number, extra bytes) for the
// index rebuild and for sorted relations. Entries are collected in memory in
// sort-block-sized pieces; a full run is sorted and written as a spool to a
// temporary file, and the spools are merged when the entries are read back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "dbase/file/EngineFile.h"

namespace vx {

struct EngineContext;

// Compares two keys over n bytes: negative, 0 or positive.
using SortCompare = int (*)(const void* a, const void* b, size_t n);

// One spool while merging: a window of its part of the temporary file.
struct SortSpool {
    char* buffer = nullptr;
    size_t pos = 0;      // offset of the current entry in the buffer
    size_t len = 0;      // bytes in the buffer
    size_t bufferSize = 0;
    int64_t filePos = -1; // next read position, -1 when the part is used up
    int64_t fileEnd = 0;
    int number = 0;
};

struct SortContext {
    EngineContext* ctx = nullptr;
    int keyLen = 0;
    int extraLen = 0;
    int entryLen = 0; // key, record number (int32), extra
    SortCompare compare = nullptr;

    // The runs in memory: pointers to entries, sorted instead of the entries.
    char** pointers = nullptr;
    long capacity = 0;
    long usable = 0;
    long collected = 0;
    std::vector<char*> blocks; // sort-block-sized pieces of entry space
    long entriesPerBlock = 0;
    bool mayGrow = true;
    // Entry space taken from the unused tail of the pointer array.
    char* tailSpace = nullptr;

    // Spools.
    EngineFile file;
    bool fileOpen = false;
    char* writeBuffer = nullptr;
    FileSeqWrite writer;
    int spoolCount = 0;
    std::vector<int64_t> spoolStart;
    std::vector<int64_t> spoolBytes;

    // Delivering.
    bool delivering = false;
    long readPos = 0;
    std::vector<SortSpool> spools;
    std::vector<SortSpool*> order; // first = smallest current entry
    std::vector<char> current; // the entry last delivered from the spools
    bool initialised = false;
};

int sortInit(SortContext* sort, EngineContext* ctx, int keyLen, int extraLen);
int sortInitAlloc(SortContext* sort);
// Asks a caller for memory on a shortage: more than 0 when it released any.
using SortReleaseMemory = std::function<int()>;

// sortInit and sortInitAlloc; on a memory shortage memory is released and the
// allocation retried (releaseMemory may be empty).
int sortInitFree(SortContext* sort, EngineContext* ctx, int keyLen, int extraLen,
                 const SortReleaseMemory& releaseMemory);
// -930 for a negative record number or no key.
int sortPut(SortContext* sort, long recNo, const void* key, const void* extra);
int sortGetInit(SortContext* sort);
int sortGetInitFree(SortContext* sort, const SortReleaseMemory& releaseMemory);
// 0 with the next entry, 1 when all were delivered (the sort is then freed).
int sortGet(SortContext* sort, long* recNo, const char** key, const char** extra);
// Frees memory, closes and removes the temporary file.
void sortFree(SortContext* sort);

// Test hook: after the next `after` allocations of the sort, n fail as if
// memory were exhausted.
void sortFailNextAllocations(int n, int after = 0);

} // namespace vx
