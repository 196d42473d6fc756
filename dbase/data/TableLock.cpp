// Record, append and file locks of data files, and the memo lock.
#include "dbase/data/Table.h"
#include "dbase/data/TableInternal.h"
#include "dbase/data/TableIndex.h"

#include <algorithm>

namespace vx {
namespace {

bool LockedByEveryone(const TableFile* f) { return f->accessMode != 0 || f->data.readOnly; }

bool OwnsRecord(const TableFile* f, long owner, long recNo) {
    for (const auto& l : f->recordLocks)
        if (l.owner == owner && l.recNo == recNo) return true;
    return false;
}

// A conflict inside the context: waiting for ever would never end.
int LocalConflict(TableHandle* t, int location) {
    if (t->ctx->lockAttempts == -1)
        return engineError(t->ctx, e4lock, location, EngineText(IDS_ENDLOSSPERRE_KONFLIKT), t->alias.c_str());
    return r4locked;
}

int ReleaseRecords(TableHandle* t) {
    TableFile* f = t->file;
    int result = 0;
    for (auto it = f->recordLocks.begin(); it != f->recordLocks.end();) {
        if (it->owner != t->serial) {
            ++it;
            continue;
        }
        int rc = LockedByEveryone(f) ? 0 : fileUnlock(&f->data, lockOffsetRecord(it->recNo), 1);
        if (rc < 0 && result == 0) result = rc;
        it = f->recordLocks.erase(it);
    }
    return result;
}

int ReleaseRecord(TableHandle* t, long recNo) {
    TableFile* f = t->file;
    for (auto it = f->recordLocks.begin(); it != f->recordLocks.end(); ++it) {
        if (it->owner == t->serial && it->recNo == recNo) {
            f->recordLocks.erase(it);
            return LockedByEveryone(f) ? 0 : fileUnlock(&f->data, lockOffsetRecord(recNo), 1);
        }
    }
    return 0;
}

int ReleaseAppend(TableHandle* t) {
    TableFile* f = t->file;
    if (f->appendLockOwner != t->serial) return 0;
    int rc = 0;
    if (f->accessMode == 1 || f->appendedSinceHeader) rc = tableWriteHeader(f);
    int urc = LockedByEveryone(f) ? 0 : fileUnlock(&f->data, kLockAppend, 1);
    f->appendLockOwner = 0;
    if (!LockedByEveryone(f)) f->numRecs = -1;
    return rc < 0 ? rc : urc;
}

int ReleaseFile(TableHandle* t) {
    TableFile* f = t->file;
    if (f->fileLockOwner != t->serial) return 0;
    int rc = 0;
    if (f->accessMode == 1 || f->appendedSinceHeader) rc = tableWriteHeader(f);
    int urc = LockedByEveryone(f) ? 0 : fileUnlock(&f->data, kLockFileStart, kLockFileLen);
    f->fileLockOwner = 0;
    if (!LockedByEveryone(f)) f->numRecs = -1;
    return rc < 0 ? rc : urc;
}

int ReleaseMemo(TableHandle* t) {
    TableFile* f = t->file;
    if (!f->hasMemoFile || f->memo.lockOwner != t->serial) return 0;
    f->memo.lockOwner = 0;
    if (f->memo.file.accessMode != 0 || f->memo.file.readOnly) return 0;
    return fileUnlock(&f->memo.file, kMemoLockStart, kMemoLockLen);
}

int ReleaseData(TableHandle* t) {
    int a = ReleaseFile(t);
    int b = ReleaseAppend(t);
    int c = ReleaseRecords(t);
    return a < 0 ? a : b < 0 ? b : c;
}

int ReleaseAll(TableHandle* t) {
    int a = ReleaseData(t);
    int b = ReleaseMemo(t);
    int c = t->ctx->tableIndex->unlockAll(t);
    return a < 0 ? a : b < 0 ? b : c;
}

// The index files all or none, each tried once per round, so that two users
// never each hold a part and wait for the rest.
int LockIndexes(TableHandle* t) {
    EngineContext* ctx = t->ctx;
    int attempts = ctx->lockAttempts;
    for (int round = 1;; ++round) {
        bool took = false;
        ctx->lockAttempts = 1;
        int rc = ctx->tableIndex->lockAll(t, &took);
        ctx->lockAttempts = attempts;
        if (rc == 0) return 0;
        if (rc < 0 || (attempts >= 0 && round >= std::max(attempts, 1))) return rc;
        enginePump(ctx->lockDelay);
    }
}

int LockMemo(TableHandle* t) {
    TableFile* f = t->file;
    if (!f->hasMemoFile || f->memo.lockOwner != 0) return 0;
    int rc = fileLockWait(&f->memo.file, kMemoLockStart, kMemoLockLen);
    if (rc == 0) f->memo.lockOwner = t->serial;
    return rc;
}

} // namespace

int tableUnlockAuto(TableHandle* t) {
    EngineContext* ctx = t->ctx;
    if (ctx->unlockAuto == 1) {
        // Nothing may be lost when its lock goes.
        for (TableHandle* other : ctx->tables) {
            int rc = other->recordChanged && other->recNo > 0 ? tableUpdateRecord(other, false) : 0;
            if (rc != 0) return rc;
        }
        for (TableHandle* other : ctx->tables) ReleaseAll(other);
    } else if (ctx->unlockAuto == 2) {
        ReleaseRecords(t);
        ReleaseAppend(t);
    }
    return 0;
}

int tableReleaseLocks(TableHandle* t) { return ReleaseAll(t); }

int tableLock(TableHandle* t, long recNo) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableLock);
    EngineContext* ctx = t->ctx;
    if (engineInError(ctx)) return e4codeBase;
    if (recNo <= 0) return engineError(ctx, e4parm, L4tableLock, t->alias.c_str());
    TableFile* f = t->file;
    if (LockedByEveryone(f) || f->fileLockOwner == t->serial || OwnsRecord(f, t->serial, recNo)) return 0;
    int rc = tableUnlockAuto(t);
    if (rc != 0) return rc;
    if (f->fileLockOwner != 0) return LocalConflict(t, L4tableLock);
    for (const auto& l : f->recordLocks)
        if (l.recNo == recNo) return LocalConflict(t, L4tableLock);
    // The gate is held for one try at the record only: a user who waits
    // holds no byte that another needs to go on.
    int attempts = ctx->lockAttempts;
    for (int round = 1;; ++round) {
        ctx->lockAttempts = 1;
        rc = fileLock(&f->data, kLockGate, 1);
        if (rc == 0) {
            rc = fileLock(&f->data, lockOffsetRecord(recNo), 1);
            int urc = fileUnlock(&f->data, kLockGate, 1);
            if (rc == 0 && urc < 0) {
                fileUnlock(&f->data, lockOffsetRecord(recNo), 1);
                rc = urc;
            }
        }
        ctx->lockAttempts = attempts;
        if (rc != r4locked || (attempts >= 0 && round >= std::max(attempts, 1))) break;
        enginePump(ctx->lockDelay);
    }
    if (rc != 0) return rc;
    // A pack that died moving records leaves none of them to be written.
    if ((rc = PackMarkWait(f, L4tableLock)) < 0) {
        fileUnlock(&f->data, lockOffsetRecord(recNo), 1);
        return rc;
    }
    auto pos = std::find_if(f->recordLocks.begin(), f->recordLocks.end(),
                            [&](const RecordLock& l) { return l.recNo > recNo; });
    f->recordLocks.insert(pos, RecordLock{t->serial, recNo});
    return 0;
}

int tableLockAppend(TableHandle* t) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableLockAppend);
    EngineContext* ctx = t->ctx;
    if (engineInError(ctx)) return e4codeBase;
    TableFile* f = t->file;
    if (LockedByEveryone(f) || f->fileLockOwner == t->serial || f->appendLockOwner == t->serial) return 0;
    int rc = tableUnlockAuto(t);
    if (rc != 0) return rc;
    if (f->fileLockOwner != 0 || f->appendLockOwner != 0) return LocalConflict(t, L4tableLockAppend);
    rc = fileLock(&f->data, kLockAppend, 1);
    if (rc != 0) return rc;
    f->appendLockOwner = t->serial;
    // Others may have appended before we got the lock; from now on the count is ours.
    rc = tableReadCount(f);
    if (rc < 0) {
        fileUnlock(&f->data, kLockAppend, 1);
        f->appendLockOwner = 0;
        f->numRecs = -1;
    }
    return rc;
}

int tableLockFile(TableHandle* t) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableLockFile);
    EngineContext* ctx = t->ctx;
    if (engineInError(ctx)) return e4codeBase;
    TableFile* f = t->file;
    if (LockedByEveryone(f) || f->fileLockOwner == t->serial) return 0;
    int rc = tableUnlockAuto(t);
    if (rc != 0) return rc;
    if (f->fileLockOwner != 0 || (f->appendLockOwner != 0 && f->appendLockOwner != t->serial))
        return LocalConflict(t, L4tableLockFile);
    for (const auto& l : f->recordLocks)
        if (l.owner != t->serial) return LocalConflict(t, L4tableLockFile);
    // The file range covers our own bytes; the handle cannot hold both.
    ReleaseRecords(t);
    if (f->appendLockOwner == t->serial) {
        fileUnlock(&f->data, kLockAppend, 1);
        f->appendLockOwner = 0;
    }
    rc = fileLock(&f->data, kLockFileStart, kLockFileLen);
    if (rc != 0) return rc;
    f->fileLockOwner = t->serial;
    rc = tableReadCount(f);
    if (rc < 0) {
        fileUnlock(&f->data, kLockFileStart, kLockFileLen);
        f->fileLockOwner = 0;
        f->numRecs = -1;
    }
    return rc;
}

int tableLockAll(TableHandle* t) {
    int rc = tableLockFile(t);
    if (rc != 0) return rc;
    rc = LockMemo(t);
    if (rc == 0) rc = LockIndexes(t);
    if (rc != 0 && t->ctx->unlockAuto) ReleaseAll(t);
    return rc;
}

int tableLockTest(TableHandle* t, long recNo) {
    if (!t) return 0;
    TableFile* f = t->file;
    if (LockedByEveryone(f) || f->fileLockOwner == t->serial) return 1;
    return OwnsRecord(f, t->serial, recNo) ? 1 : 0;
}

int tableUnlockRecord(TableHandle* t, long recNo) {
    if (!t) return e4parmNull;
    return t->ctx->unlockAuto ? ReleaseRecord(t, recNo) : 0;
}

int tableUnlockRecords(TableHandle* t) {
    if (!t) return e4parmNull;
    return t->ctx->unlockAuto ? ReleaseRecords(t) : 0;
}

int tableUnlockAppend(TableHandle* t) {
    if (!t) return e4parmNull;
    return t->ctx->unlockAuto ? ReleaseAppend(t) : 0;
}

int tableUnlockFile(TableHandle* t) {
    if (!t) return e4parmNull;
    return t->ctx->unlockAuto ? ReleaseFile(t) : 0;
}

int tableUnlockData(TableHandle* t) {
    if (!t) return e4parmNull;
    return t->ctx->unlockAuto ? ReleaseData(t) : 0;
}

int tableUnlock(TableHandle* t) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableUnlock);
    EngineContext* ctx = t->ctx;
    if (ctx->tranState == 120) return engineError(ctx, e4trans, L4tableUnlock, t->alias.c_str());
    // A refused write keeps its locks: the record is still to be mended.
    int rc = tableUpdateRecord(t, false);
    if (rc != 0) return rc;
    return ctx->unlockAuto ? ReleaseAll(t) : 0;
}

int engineUnlock(EngineContext* ctx) {
    if (!ctx) return e4parmNull;
    int result = 0;
    for (TableHandle* t : ctx->tables) {
        int rc = tableUnlock(t);
        if (rc != 0 && result == 0) result = rc;
    }
    return result;
}

int engineLockClear(EngineContext* ctx) {
    if (!ctx) return engineError(nullptr, e4parmNull, L4engineLockClear);
    return 0;
}

} // namespace vx
