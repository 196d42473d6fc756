#include "dbase/index/Sort.h"

#include <algorithm>
#include <cstring>

#include "dbase/util/Collate.h"
#include "dbase/file/EngineContext.h"

namespace vx {
namespace {

int g_failAllocations = 0;
int g_failAfter = 0;

// Memory the sort can do without: a failure is no error, the caller falls back.
void* SortAlloc(EngineContext* ctx, size_t size) {
    if (g_failAllocations > 0 && g_failAfter > 0) {
        --g_failAfter;
    } else if (g_failAllocations > 0) {
        --g_failAllocations;
        return nullptr;
    }
    return EngineAllocRetry(ctx, size);
}

long RecOf(const SortContext* s, const char* entry) {
    int32_t r = 0;
    std::memcpy(&r, entry + s->keyLen, sizeof r);
    return r;
}

// Equal keys are ordered by record number, so the order is total.
int Compare(const SortContext* s, const char* a, const char* b) {
    int r = s->compare(a, b, size_t(s->keyLen));
    if (r != 0) return r;
    long ra = RecOf(s, a), rb = RecOf(s, b);
    return ra < rb ? -1 : (ra > rb ? 1 : 0);
}

bool Less(const SortContext* s, const char* a, const char* b) { return Compare(s, a, b) < 0; }

void InsertionSort(const SortContext* s, char** p, long lo, long hi) {
    for (long i = lo + 1; i <= hi; ++i) {
        char* v = p[i];
        long j = i;
        while (j > lo && Less(s, v, p[j - 1])) {
            p[j] = p[j - 1];
            --j;
        }
        p[j] = v;
    }
}

void QuickSort(const SortContext* s, char** p, long n) {
    struct Part {
        long lo, hi;
    };
    std::vector<Part> stack;
    if (n > 1) stack.push_back({0, n - 1});
    while (!stack.empty()) {
        Part part = stack.back();
        stack.pop_back();
        long lo = part.lo, hi = part.hi;
        while (hi - lo + 1 > 8) {
            long mid = lo + (hi - lo) / 2;
            // Median of three into p[lo]: p[mid] <= p[lo] <= p[hi].
            if (Less(s, p[lo], p[mid])) std::swap(p[lo], p[mid]);
            if (Less(s, p[hi], p[lo])) std::swap(p[hi], p[lo]);
            if (Less(s, p[lo], p[mid])) std::swap(p[lo], p[mid]);
            char* v = p[lo];
            long i = lo, j = hi + 1;
            for (;;) {
                do ++i;
                while (i < hi && Less(s, p[i], v));
                do --j;
                while (j > lo && Less(s, v, p[j]));
                if (i >= j) break;
                std::swap(p[i], p[j]);
            }
            std::swap(p[lo], p[j]);
            // The larger side waits; the smaller is finished first.
            if (j - lo < hi - j) {
                stack.push_back({j + 1, hi});
                hi = j - 1;
            } else {
                stack.push_back({lo, j - 1});
                lo = j + 1;
            }
        }
        InsertionSort(s, p, lo, hi);
    }
}

size_t BlockBytes(const SortContext* s) { return size_t(s->ctx->sortBlockSize - 8); }

void FreeEntrySpace(SortContext* s) {
    for (char* b : s->blocks) utilFreeDefault(b);
    s->blocks.clear();
}

// Makes one more sort block of entries usable; false when memory is short.
bool Grow(SortContext* s) {
    char* block = static_cast<char*>(SortAlloc(s->ctx, BlockBytes(s)));
    if (!block) return false;
    s->blocks.push_back(block);
    long add = std::min(s->entriesPerBlock, s->capacity - s->usable);
    for (long i = 0; i < add; ++i) s->pointers[s->usable + i] = block + i * s->entryLen;
    s->usable += add;
    return true;
}

// The unused tail of the pointer array becomes entry space, and the sort stops growing.
void UseTail(SortContext* s) {
    const long ps = long(sizeof(char*));
    long e = (s->capacity * ps - s->collected * ps - ps) / (s->entryLen + ps);
    if (e < 0) e = 0;
    char* space = reinterpret_cast<char*>(s->pointers + s->collected + e);
    for (long i = 0; i < e; ++i) s->pointers[s->collected + i] = space + i * s->entryLen;
    s->capacity = s->collected + e;
    s->usable = s->capacity;
    s->mayGrow = false;
}

int FlushSpool(SortContext* s) {
    QuickSort(s, s->pointers, s->collected);
    if (!s->fileOpen) {
        int rc = fileTempLow(&s->file, s->ctx, true);
        if (rc != 0) return rc < 0 ? rc : engineError(s->ctx, e4create, L4sortPut);
        s->fileOpen = true;
        fileSeqWriteInit(&s->writer, &s->file, 0, s->writeBuffer, size_t(s->ctx->fileBufferSize));
    }
    int64_t start = s->spoolStart.empty() ? 0 : s->spoolStart.back() + s->spoolBytes.back();
    for (long i = 0; i < s->collected; ++i) {
        int rc = fileSeqWrite(&s->writer, s->pointers[i], size_t(s->entryLen));
        if (rc < 0) return rc;
    }
    s->spoolStart.push_back(start);
    s->spoolBytes.push_back(int64_t(s->collected) * s->entryLen);
    s->collected = 0;
    ++s->spoolCount;
    return 0;
}

// Allocates the write buffer, the pointer array and the first entry block,
// without reporting; e4memory when that cannot be had.
int AllocLow(SortContext* s) {
    s->writeBuffer = static_cast<char*>(SortAlloc(s->ctx, size_t(s->ctx->fileBufferSize)));
    if (!s->writeBuffer) return e4memory;
    long capacity = s->ctx->sortBlockSize / 4;
    while (!s->pointers) {
        if (capacity < 512) return e4memory;
        s->pointers = static_cast<char**>(SortAlloc(s->ctx, size_t(capacity) * sizeof(char*)));
        if (!s->pointers) capacity /= 2;
    }
    s->capacity = capacity;
    return 0;
}

void FreeBuffers(SortContext* s) {
    utilFreeDefault(s->writeBuffer);
    s->writeBuffer = nullptr;
    utilFreeDefault(s->pointers);
    s->pointers = nullptr;
}

// Reads the next window of a spool's part of the file; the bytes read.
int64_t Fill(SortContext* s, SortSpool* sp) {
    sp->pos = 0;
    sp->len = 0;
    if (sp->filePos < 0 || sp->filePos >= sp->fileEnd) return 0;
    size_t want = size_t(std::min<int64_t>(int64_t(sp->bufferSize), sp->fileEnd - sp->filePos));
    int64_t got = fileRead(&s->file, sp->filePos, sp->buffer, want);
    if (got < 0) return got;
    if (got % s->entryLen != 0)
        return engineError(s->ctx, e4read, L4sortGet, s->file.name.c_str());
    sp->len = size_t(got);
    sp->filePos += got;
    if (sp->filePos >= sp->fileEnd || got == 0) sp->filePos = -1;
    return got;
}

// Puts a spool among the others by its current entry.
void Place(SortContext* s, SortSpool* sp) {
    const char* entry = sp->buffer + sp->pos;
    auto at = std::lower_bound(s->order.begin(), s->order.end(), entry,
                               [s](const SortSpool* o, const char* e) { return Less(s, o->buffer + o->pos, e); });
    s->order.insert(at, sp);
}

// Divides the entry blocks among the spools as read buffers, without reporting.
int SpoolBuffersLow(SortContext* s) {
    long spools = s->spoolCount;
    for (;;) {
        if (s->blocks.empty() && !Grow(s)) {
            // Even one block cannot be had: smaller blocks serve.
            if (s->entriesPerBlock <= 1) return e4memory;
            s->entriesPerBlock /= 2;
            char* block = static_cast<char*>(SortAlloc(s->ctx, size_t(s->entriesPerBlock * s->entryLen)));
            if (!block) continue;
            s->blocks.push_back(block);
        }
        long nb = long(s->blocks.size());
        long perBlock = (spools + nb - 1) / nb;
        long bufEntries = s->entriesPerBlock / perBlock;
        if (bufEntries > 0) {
            s->spools.assign(size_t(spools), SortSpool{});
            for (long i = 0; i < spools; ++i) {
                SortSpool& sp = s->spools[size_t(i)];
                sp.buffer = s->blocks[size_t(i / perBlock)] + (i % perBlock) * bufEntries * s->entryLen;
                sp.bufferSize = size_t(bufEntries * s->entryLen);
                sp.filePos = s->spoolStart[size_t(i)];
                sp.fileEnd = sp.filePos + s->spoolBytes[size_t(i)];
                sp.number = int(i);
            }
            return 0;
        }
        // Too many spools for the blocks at hand: one more block each time.
        char* block = static_cast<char*>(SortAlloc(s->ctx, BlockBytes(s)));
        if (!block) return e4memory;
        s->blocks.push_back(block);
    }
}

int GetInitLow(SortContext* s, const SortReleaseMemory& releaseMemory) {
    if (s->spoolCount == 0) {
        QuickSort(s, s->pointers, s->collected);
        utilFreeDefault(s->writeBuffer);
        s->writeBuffer = nullptr;
        s->readPos = 0;
        s->delivering = true;
        return 0;
    }
    if (s->collected > 0) {
        int rc = FlushSpool(s);
        if (rc < 0) return rc;
    }
    int rc = fileSeqWriteFlush(&s->writer);
    if (rc < 0) return rc;
    FreeBuffers(s);
    // The entries now live in the file; the blocks become read buffers.
    rc = SpoolBuffersLow(s);
    if (rc == e4memory && engineOptSuspend(s->ctx) > 0) rc = SpoolBuffersLow(s);
    if (rc == e4memory && releaseMemory && releaseMemory() > 0) rc = SpoolBuffersLow(s);
    if (rc == e4memory) {
        sortFree(s);
        return engineError(s->ctx, e4memory, L4sortGetInit);
    }
    s->order.clear();
    for (SortSpool& sp : s->spools) {
        int64_t got = Fill(s, &sp);
        if (got < 0) return int(got);
        if (got > 0) Place(s, &sp);
    }
    s->delivering = true;
    return 0;
}

} // namespace

void sortFailNextAllocations(int n, int after) {
    g_failAllocations = n;
    g_failAfter = after;
}

int sortInit(SortContext* sort, EngineContext* ctx, int keyLen, int extraLen) {
    if (!sort || !ctx) return engineError(ctx, e4parmNull, L4sortInit);
    if (engineInError(ctx)) return e4codeBase;
    *sort = SortContext{};
    sort->ctx = ctx;
    sort->keyLen = keyLen;
    sort->extraLen = extraLen;
    sort->entryLen = keyLen + 4 + extraLen;
    sort->compare = collateCompare;
    sort->entriesPerBlock = long(BlockBytes(sort)) / sort->entryLen;
    if (keyLen < 0 || extraLen < 0 || sort->entriesPerBlock < 1)
        return engineError(ctx, e4parm, L4sortInit);
    sort->initialised = true;
    return 0;
}

int sortInitAlloc(SortContext* sort) {
    if (!sort || !sort->initialised) return e4parmNull;
    if (engineInError(sort->ctx)) return e4codeBase;
    if (AllocLow(sort) < 0) {
        EngineContext* ctx = sort->ctx;
        sortFree(sort);
        return engineError(ctx, e4memory, L4sortInit);
    }
    return 0;
}

int sortInitFree(SortContext* sort, EngineContext* ctx, int keyLen, int extraLen,
                 const SortReleaseMemory& releaseMemory) {
    int rc = sortInit(sort, ctx, keyLen, extraLen);
    if (rc < 0) return rc;
    rc = AllocLow(sort);
    // Memory is asked back from the read and write optimisation first, then
    // from the caller (a relation's bitmaps).
    if (rc == e4memory && engineOptSuspend(ctx) > 0) {
        FreeBuffers(sort);
        rc = AllocLow(sort);
    }
    if (rc == e4memory && releaseMemory && releaseMemory() > 0) {
        FreeBuffers(sort);
        rc = AllocLow(sort);
    }
    if (rc < 0) {
        sortFree(sort);
        return engineError(ctx, e4memory, L4sortInit);
    }
    return 0;
}

int sortPut(SortContext* sort, long recNo, const void* key, const void* extra) {
    if (!sort || !sort->initialised) return e4parmNull;
    EngineContext* ctx = sort->ctx;
    if (engineInError(ctx)) return e4codeBase;
    if (recNo < 0 || !key || sort->delivering) return engineError(ctx, e4parm, L4sortPut);
    if (sort->collected == sort->usable) {
        if (sort->usable < sort->capacity && sort->mayGrow && !Grow(sort)) UseTail(sort);
        if (sort->collected == sort->usable) {
            int rc = FlushSpool(sort);
            if (rc < 0) return rc;
        }
    }
    char* entry = sort->pointers[sort->collected++];
    std::memcpy(entry, key, size_t(sort->keyLen));
    int32_t r = int32_t(recNo);
    std::memcpy(entry + sort->keyLen, &r, sizeof r);
    if (sort->extraLen > 0) {
        if (extra) std::memcpy(entry + sort->keyLen + 4, extra, size_t(sort->extraLen));
        else std::memset(entry + sort->keyLen + 4, 0, size_t(sort->extraLen));
    }
    return 0;
}

int sortGetInit(SortContext* sort) { return sortGetInitFree(sort, nullptr); }

int sortGetInitFree(SortContext* sort, const SortReleaseMemory& releaseMemory) {
    if (!sort || !sort->initialised) return e4parmNull;
    if (engineInError(sort->ctx)) return e4codeBase;
    if (sort->delivering) return 0;
    return GetInitLow(sort, releaseMemory);
}

int sortGet(SortContext* sort, long* recNo, const char** key, const char** extra) {
    if (!sort || !sort->initialised) return e4parmNull;
    EngineContext* ctx = sort->ctx;
    if (engineInError(ctx)) return e4codeBase;
    if (!sort->delivering) {
        int rc = GetInitLow(sort, nullptr);
        if (rc < 0) return rc;
    }
    const char* entry = nullptr;
    if (sort->spoolCount == 0) {
        if (sort->readPos >= sort->collected) {
            sortFree(sort);
            return 1;
        }
        entry = sort->pointers[sort->readPos++];
    } else {
        if (sort->order.empty()) {
            sortFree(sort);
            return 1;
        }
        SortSpool* sp = sort->order.front();
        // The window may be refilled below; the delivered entry is kept apart.
        sort->current.assign(sp->buffer + sp->pos, sp->buffer + sp->pos + sort->entryLen);
        entry = sort->current.data();
        sort->order.erase(sort->order.begin());
        sp->pos += size_t(sort->entryLen);
        if (sp->pos >= sp->len) {
            int64_t got = Fill(sort, sp);
            if (got < 0) return int(got);
            if (got > 0) Place(sort, sp);
        } else {
            Place(sort, sp);
        }
    }
    if (recNo) *recNo = RecOf(sort, entry);
    if (key) *key = entry;
    if (extra) *extra = entry + sort->keyLen + 4;
    return 0;
}

void sortFree(SortContext* sort) {
    if (!sort) return;
    FreeBuffers(sort);
    FreeEntrySpace(sort);
    if (sort->fileOpen) {
        fileClose(&sort->file);
        sort->fileOpen = false;
    }
    sort->spools.clear();
    sort->order.clear();
    sort->spoolStart.clear();
    sort->spoolBytes.clear();
    sort->spoolCount = 0;
    sort->collected = sort->usable = 0;
    sort->delivering = false;
    sort->initialised = false;
}

} // namespace vx
