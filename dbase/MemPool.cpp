#include "dbase/MemPool.h"

#include "dbase/EngineContext.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace vx {
namespace {

std::mutex g_poolMutex;
std::vector<std::unique_ptr<MemPool>> g_pools;
int g_contexts = 0;
int g_failChunks = 0;

bool AddChunk(MemPool* pool) {
    if (g_failChunks > 0) {
        --g_failChunks;
        return false;
    }
    int count = pool->chunks.empty() ? pool->firstCount : pool->growCount;
    if (count <= 0) count = 1;
    char* chunk = static_cast<char*>(std::calloc(1, count * pool->unitSize + 8));
    if (!chunk) return false;
    pool->chunks.push_back(chunk);
    for (int i = count - 1; i >= 0; --i) pool->freeUnits.push_back(chunk + 8 + i * pool->unitSize);
    return true;
}

void FreeChunks(MemPool* pool) {
    for (char* c : pool->chunks) std::free(c);
    pool->chunks.clear();
    pool->freeUnits.clear();
    pool->handedOut = 0;
}

} // namespace

void memSystemStart() {
    std::lock_guard<std::mutex> g(g_poolMutex);
    ++g_contexts;
}

void memSystemStop() {
    std::lock_guard<std::mutex> g(g_poolMutex);
    if (g_contexts > 0) --g_contexts;
    if (g_contexts == 0) {
        for (auto& p : g_pools) FreeChunks(p.get());
        g_pools.clear();
    }
}

int memSystemUsers() {
    std::lock_guard<std::mutex> g(g_poolMutex);
    return g_contexts;
}

void memFailNextChunks(int n) {
    std::lock_guard<std::mutex> g(g_poolMutex);
    g_failChunks = n;
}

MemPool* memCreateDefault(EngineContext*, int firstCount, size_t unitSize, int growCount,
                          bool neverShare) {
    std::lock_guard<std::mutex> g(g_poolMutex);
    unitSize = std::max<size_t>(unitSize, 8);
    unitSize = (unitSize + 7) & ~size_t(7);
    if (!neverShare) {
        for (auto& p : g_pools) {
            if (p->unitSize == unitSize && p->userCount > 0) {
                p->firstCount = std::max(p->firstCount, firstCount);
                p->growCount = std::max(p->growCount, growCount);
                ++p->userCount;
                return p.get();
            }
        }
    }
    auto pool = std::make_unique<MemPool>();
    pool->unitSize = unitSize;
    pool->firstCount = firstCount;
    pool->growCount = growCount;
    pool->userCount = neverShare ? -1 : 1;
    g_pools.push_back(std::move(pool));
    return g_pools.back().get();
}

void* memAllocDefault(EngineContext* ctx, MemPool* pool) {
    if (!pool) return nullptr;
    std::lock_guard<std::mutex> g(g_poolMutex);
    if (pool->freeUnits.empty() && !AddChunk(pool)) {
        if (ctx) ctx->errorCode = e4memory;
        return nullptr;
    }
    void* unit = pool->freeUnits.back();
    pool->freeUnits.pop_back();
    std::memset(unit, 0, pool->unitSize);
    ++pool->handedOut;
    return unit;
}

void memFreeDefault(MemPool* pool, void* unit) {
    if (!pool || !unit) return;
    std::lock_guard<std::mutex> g(g_poolMutex);
    pool->freeUnits.push_back(unit);
    --pool->handedOut;
}

void memRelease(MemPool* pool) {
    if (!pool) return;
    std::lock_guard<std::mutex> g(g_poolMutex);
    if (pool->userCount > 1) {
        --pool->userCount;
        return;
    }
    FreeChunks(pool);
    auto it = std::find_if(g_pools.begin(), g_pools.end(), [&](auto& p) { return p.get() == pool; });
    if (it != g_pools.end()) g_pools.erase(it);
}

} // namespace vx
