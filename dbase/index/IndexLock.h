// The lock of an index file, and the bytes through which users tell each
// other which version counters they last saw.
#pragma once

namespace vx {

struct IndexFileState;
struct TableHandle;
struct TagFile;

// Takes the lock for the table and reads again what others changed; 50 when
// another table of this context holds it.
int IndexLock(IndexFileState* state, TableHandle* t);
// Writes what the holder changed, then lets go of the lock; nothing when the
// table (if given) does not hold it.
int IndexUnlock(IndexFileState* state, TableHandle* t);
// Lets go of the lock without writing: for a file already flushed.
int IndexReleaseLock(IndexFileState* state);
bool IndexIsLocked(const IndexFileState* state);
// Locks every index file of the table's data file that this table does not
// hold yet; *took says whether any was taken. On failure nothing stays taken.
int IndexLockAll(TableHandle* t, bool* took);
int IndexUnlockAll(TableHandle* t);

// A writer's new counters must not be the ones another user keeps its blocks
// for: the tag's counter steps on past them.
void IndexStepPastSeen(IndexFileState* state, TagFile* tag);
// Moves this user's shared lock in kIndexSeenLocks to the sum of the counters
// it now keeps blocks for; without it they are read again at the next lock.
void IndexSeenHold(IndexFileState* state);

} // namespace vx
