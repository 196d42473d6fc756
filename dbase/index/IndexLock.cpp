#include "dbase/index/IndexLock.h"

#include "dbase/index/IndexFile.h"

#include "dbase/file/EngineContext.h"
#include "dbase/data/Table.h"

#include <algorithm>
#include <vector>

namespace vx {
namespace {

int SeenSum(const IndexFileState* state) {
    int sum = 0;
    for (const auto& tag : state->tags) sum += tag->version;
    return sum & 0xFF;
}

int64_t SeenPos(int sum) { return kIndexSeenLocks + 255 - sum; }

void SeenUnlock(IndexFileState* state, int sum) {
    struct flock fl = {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = SeenPos(sum);
    fl.l_len = 1;
    fileSystemCalls().Lock(state->file.fd, F_OFD_SETLK, &fl);
}

// Whether another user keeps blocks seen at that sum of the counters.
bool SeenElsewhere(const IndexFileState* state, int sum) {
    if (state->data->accessMode != 0) return false;
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = SeenPos(sum);
    fl.l_len = 1;
    if (fileSystemCalls().Lock(state->file.fd, F_OFD_GETLK, &fl) != 0) return false;
    return fl.l_type != F_UNLCK;
}

} // namespace

// Lets go of the index lock, and of a byte of kIndexSeenLocks left to go
// with it when no byte still held lies between them.
int IndexReleaseLock(IndexFileState* state) {
    state->lockOwner = 0;
    int drop = state->seenDrop;
    state->seenDrop = -1;
    if (drop >= 0 && (state->seenLock < 0 || SeenPos(state->seenLock) < SeenPos(drop)))
        return fileUnlockFrom(&state->file, kIndexLockPos, 1, SeenPos(drop));
    if (drop >= 0 && drop != state->seenLock) SeenUnlock(state, drop);
    return fileUnlock(&state->file, kIndexLockPos, 1);
}

void IndexStepPastSeen(IndexFileState* state, TagFile* tag) {
    for (int i = 0; i < 255 && SeenElsewhere(state, SeenSum(state)); ++i) tag->version = uint8_t(tag->version + 1);
}

void IndexSeenHold(IndexFileState* state) {
    int sum = SeenSum(state);
    if (state->seenLock == sum || state->data->accessMode != 0) return;
    struct flock fl = {};
    fl.l_type = F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = SeenPos(sum);
    fl.l_len = 1;
    bool held = fileSystemCalls().Lock(state->file.fd, F_OFD_SETLK, &fl) == 0;
    if (state->seenDrop == sum) state->seenDrop = -1;
    int old = state->seenLock;
    state->seenLock = held ? sum : -1;
    if (old < 0) return;
    // Under the index lock the old byte goes with it, if it lies above.
    if (held && state->lockOwner != 0 && state->seenDrop < 0 && SeenPos(old) > SeenPos(sum)) state->seenDrop = old;
    else SeenUnlock(state, old);
}

bool IndexIsLocked(const IndexFileState* state) { return state->lockOwner != 0; }

int IndexLock(IndexFileState* state, TableHandle* t) {
    if (state->lockOwner == t->serial) return 0;
    if (state->lockOwner != 0) return r4locked;
    int rc = fileLock(&state->file, kIndexLockPos, 1);
    if (rc != 0) return rc;
    fileRefresh(&state->file);
    // Another process may have changed the file without changing its
    // length: the counters are compared on every lock. They are one byte
    // each and may have come round to the values seen; blocks are kept only
    // while other writers were told to step past those values.
    bool shared = state->data->accessMode == 0;
    bool unguarded = shared && state->seenLock != SeenSum(state);
    IndexFile* own = nullptr;
    for (IndexFile* i : t->indexes)
        if (i->state == state) own = i;
    rc = own ? indexVersionCheck(own, true, unguarded) : indexFileVersionCheck(state, unguarded);
    if (rc < 0) {
        fileUnlock(&state->file, kIndexLockPos, 1);
        return -1;
    }
    state->lockOwner = t->serial;
    if (shared) IndexSeenHold(state);
    // Every writer holds the lock while the mark is set: a mark found now
    // was left by one that died.
    if (state->header[kIndexChangingByte] != 0 && !state->changing) state->damaged = true;
    return 0;
}

int IndexUnlock(IndexFileState* state, TableHandle* t) {
    if (state->lockOwner == 0 || (t && state->lockOwner != t->serial)) return 0;
    int rc = indexFileFlush(state, state->data->accessMode == 0);
    int urc = IndexReleaseLock(state);
    return rc < 0 ? rc : urc;
}

int IndexLockAll(TableHandle* t, bool* took) {
    *took = false;
    EngineContext* ctx = t->ctx;
    for (IndexFile* i : t->indexes)
        if (i->state->lockOwner != 0 && i->state->lockOwner != t->serial) return r4locked;
    // Each file is tried once a round and a refusal gives back those taken:
    // nobody holds one index file while waiting for another.
    int attempts = ctx->lockAttempts;
    for (int round = 1;; ++round) {
        std::vector<IndexFileState*> taken;
        int rc = 0;
        ctx->lockAttempts = 1;
        for (IndexFile* i : t->indexes) {
            IndexFileState* s = i->state;
            if (s->lockOwner == t->serial) continue;
            if ((rc = IndexLock(s, t)) != 0) break;
            taken.push_back(s);
        }
        ctx->lockAttempts = attempts;
        if (rc == 0) {
            *took = !taken.empty();
            return 0;
        }
        for (IndexFileState* done : taken) IndexUnlock(done, t);
        if (rc != r4locked || (attempts >= 0 && round >= std::max(attempts, 1))) return rc;
        enginePump(ctx->lockDelay);
    }
}

int IndexUnlockAll(TableHandle* t) {
    int result = 0;
    for (IndexFile* i : t->indexes) {
        int rc = IndexUnlock(i->state, t);
        if (rc < 0 && result == 0) result = rc;
    }
    return result;
}

} // namespace vx
