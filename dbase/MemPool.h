// Memory pools: fixed-size units handed out from chunks. Pools of the same
// unit size are shared between owners unless marked never to share.
#pragma once

#include <cstddef>
#include <vector>

namespace vx {

struct EngineContext;

struct MemPool {
    size_t unitSize = 0;
    int firstCount = 0;
    int growCount = 0;
    int userCount = 0; // -1: never shared
    std::vector<char*> chunks;
    std::vector<void*> freeUnits;
    int handedOut = 0;
};

// The pool system runs while at least one context is initialised.
void memSystemStart();
void memSystemStop();
int memSystemUsers();

MemPool* memCreateDefault(EngineContext* ctx, int firstCount, size_t unitSize, int growCount,
                          bool neverShare);
// A zeroed unit; nullptr (and -920 in the context without a message) when memory is exhausted.
void* memAllocDefault(EngineContext* ctx, MemPool* pool);
void memFreeDefault(MemPool* pool, void* unit);
// One user fewer; the last frees every chunk.
void memRelease(MemPool* pool);

// Test hook: fail the next n chunk allocations.
void memFailNextChunks(int n);

} // namespace vx
