#include "dbase/index/KeyWrite.h"

#include "dbase/index/IndexLock.h"
#include "dbase/util/Bytes.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "dbase/util/Collate.h"
#include "dbase/file/EngineContext.h"
#include "dbase/data/Field.h"
#include "dbase/data/TransactionLog.h"
#include "dbase/index/TagFile.h"
#include "dbase/data/Table.h"

namespace vx {
namespace {

constexpr size_t kSavedMax = 16;

// Positions are lost after a change of the tree; the changed blocks stay
// cached until the index is flushed.
int Settle(TagFile* tag) {
    TagReleasePath(tag);
    int result = 0;
    while (tag->saved.size() > kSavedMax) {
        IndexBlock* b = tag->saved.front();
        tag->saved.erase(tag->saved.begin());
        int rc = BlockFlush(b);
        if (rc < 0 && result == 0) result = rc;
        BlockFree(b);
    }
    return result;
}

int MarkChanged(TagFile* tag) {
    int rc = IndexMarkChanging(tag->index);
    if (rc < 0) return rc;
    tag->index->headerChanged = true;
    tag->changed = true;
    return 0;
}

// The index files whose lock this table does not hold yet.
std::vector<IndexFileState*> NotHeld(TableHandle* t) {
    std::vector<IndexFileState*> out;
    for (IndexFile* i : t->indexes)
        if (i->state->lockOwner != t->serial) out.push_back(i->state);
    return out;
}

// Locks taken for one record write stay until tableKeysDone.
void KeepForWrite(const std::vector<IndexFileState*>& taken) {
    for (IndexFileState* s : taken) s->releaseAfterWrite = true;
}

// After the keys of one write: the locks it took stay for the record when
// all went well, else they go at once and the first failure is the one told.
int EndKeyWrite(TableHandle* t, bool took, const std::vector<IndexFileState*>& taken, int result) {
    if (!took) return result;
    if (result == 0) {
        KeepForWrite(taken);
        return 0;
    }
    EngineContext* ctx = t->ctx;
    int saved = ctx->errorCode;
    ctx->errorCode = 0;
    IndexUnlockAll(t);
    ctx->errorCode = saved;
    return result;
}

// Inserts {key, number} at the current entry of path level `level`,
// splitting full blocks upwards.
int InsertAt(TagFile* tag, size_t level, const unsigned char* key, uint32_t number) {
    IndexBlock* b = tag->path[level];
    if (b->numKeys() < tag->keysMax) return BlockInsert(b, key, number);
    IndexBlock* nb = nullptr;
    int rc = BlockSplit(tag, b, &nb);
    if (rc < 0) return rc;
    // The largest key of the new block goes up (in a branch it is the key of
    // its last pointer, no longer counted).
    std::string up(reinterpret_cast<const char*>(nb->key(nb->numKeys() - (BlockIsLeaf(nb) ? 1 : 0))),
                   size_t(tag->keyLen));
    IndexBlock* target = nb->curPos >= 0 ? nb : b;
    rc = BlockInsert(target, key, number);
    nb->curPos = 0;
    tag->saved.push_back(nb);
    if (rc < 0) return rc;
    if (level == 0) {
        long root = indexFileExtend(tag->index);
        if (root < 0) return int(root);
        IndexBlock* r = BlockAlloc(tag, root);
        if (!r) return engineError(tag->ctx, e4memory, L4tagAdd);
        r->setNumKeys(1);
        r->setNumber(0, uint32_t(nb->fileBlock));
        std::memcpy(r->entry(0) + 4, up.data(), up.size());
        r->setNumber(1, uint32_t(b->fileBlock));
        r->changed = true;
        tag->saved.push_back(r);
        tag->root = root;
        tag->rootChanged = true;
        return 0;
    }
    b->curPos = 0;
    return InsertAt(tag, level - 1, reinterpret_cast<const unsigned char*>(up.data()),
                    uint32_t(nb->fileBlock));
}

// The largest key below level changed: the first ancestor that holds a key
// for this subtree takes it.
void UpdateAncestors(TagFile* tag, size_t level, const unsigned char* key) {
    for (size_t l = level; l-- > 0;) {
        IndexBlock* p = tag->path[l];
        if (p->curPos < p->numKeys()) {
            std::memcpy(p->entry(p->curPos) + 4, key, size_t(tag->keyLen));
            p->changed = true;
            return;
        }
    }
}

int WriteRootNow(TagFile* tag) {
    unsigned char r[4];
    Put32(r, uint32_t(tag->root));
    int rc = fileWrite(&tag->index->file, tag->headerPos, r, 4);
    if (rc == 0) tag->rootChanged = false;
    return rc;
}

int FreePathBlock(TagFile* tag, size_t level) {
    IndexBlock* b = tag->path[level];
    tag->path.erase(tag->path.begin() + long(level));
    long number = b->fileBlock;
    BlockFree(b);
    return IndexFreeBlock(tag->index, number);
}

int RemoveAt(TagFile* tag, size_t level) {
    IndexBlock* b = tag->path[level];
    int n = b->numKeys(), pos = b->curPos;
    if (BlockIsLeaf(b)) {
        if (n > 1) {
            bool wasLast = pos == n - 1;
            BlockRemove(b);
            if (wasLast) UpdateAncestors(tag, level, b->key(n - 2));
            b->curPos = std::min(pos, n - 2);
            return 0;
        }
    } else if (n > 0) {
        if (pos < n) {
            BlockRemove(b);
        } else {
            std::string last(reinterpret_cast<const char*>(b->key(n - 1)), size_t(tag->keyLen));
            b->setNumKeys(n - 1);
            b->changed = true;
            UpdateAncestors(tag, level, reinterpret_cast<const unsigned char*>(last.data()));
        }
        if (b->numKeys() > 0) return 0;
        // A branch with a single pointer gives way to its child.
        uint32_t child = b->number(0);
        if (level == 0) {
            int rc = FreePathBlock(tag, level);
            if (rc < 0) return rc;
            tag->root = long(child);
            return WriteRootNow(tag);
        }
        IndexBlock* p = tag->path[level - 1];
        p->setNumber(p->curPos, child);
        p->changed = true;
        return FreePathBlock(tag, level);
    }
    // The block held only this entry.
    if (level == 0) {
        std::fill(b->data.begin(), b->data.end(), 0);
        b->changed = true;
        b->curPos = 0;
        if (tag->hasFilter) {
            tag->filterFlag = tag->filterFlagRead = 0;
            int rc = fileWrite(&tag->index->file, tag->headerPos + 246, &tag->filterFlag, 1);
            if (rc < 0) return rc;
        }
        return 0;
    }
    int rc = FreePathBlock(tag, level);
    if (rc < 0) return rc;
    return RemoveAt(tag, level - 1);
}

struct TagKeys {
    TagHandle* tag = nullptr;
    std::string oldKey, newKey;
    int oldPass = 0, newPass = 0;
    bool postponed = false;
};

// Unique tags that stop on a duplicate keep a rewritten record's old key
// until the transaction ends.
bool Postpones(const TagHandle* th) {
    return th->tagFile->unique && (th->uniqueCode == r4unique || th->uniqueCode == e4unique);
}

bool DropPending(TagHandle* th, long recNo, const std::string& key) {
    auto& list = th->pending;
    for (auto it = list.begin(); it != list.end(); ++it)
        if (it->recNo == recNo && it->key == key) {
            list.erase(it);
            return true;
        }
    return false;
}

// A new key in a unique tag replaces a postponed entry with an equal key.
int TakePendingKey(TagHandle* th, const std::string& key) {
    auto& list = th->pending;
    for (auto it = list.begin(); it != list.end(); ++it)
        if (it->key == key) {
            int rc = tagRemove(th->tagFile, it->key.data(), it->recNo);
            th->taken = *it;
            list.erase(it);
            return rc == r4entry ? 0 : rc;
        }
    return 0;
}

// Keys and filter results of the record buffer and of the stored record.
int Evaluate(TableHandle* t, TagKeys& k) {
    TagFile* tf = k.tag->tagFile;
    int rc = TagExprKey(tf, t, k.newKey);
    if (rc < 0) return rc;
    if ((k.newPass = TagFilterTrue(tf, t)) < 0) return k.newPass;
    std::swap(t->record, t->oldRecord);
    rc = TagExprKey(tf, t, k.oldKey);
    if (rc >= 0 && (k.oldPass = TagFilterTrue(tf, t)) < 0) rc = k.oldPass;
    std::swap(t->record, t->oldRecord);
    return rc < 0 ? rc : 0;
}

// Same filter result and the same key bytes: keys that only collate equal
// still differ in the file.
bool Unchanged(const TagKeys& k) { return k.oldPass == k.newPass && k.oldKey == k.newKey; }

std::vector<TagHandle*> TableTags(TableHandle* t) {
    std::vector<TagHandle*> out;
    for (IndexFile* i : t->indexes)
        for (auto& th : i->tags) out.push_back(th.get());
    return out;
}

int ReadStored(TableHandle* t, long recNo) {
    TableFile* f = t->file;
    int64_t pos = int64_t(f->headerLen) + int64_t(recNo - 1) * f->recLen;
    int rc = fileReadAll(&f->data, pos, t->oldRecord.data(), f->recLen);
    if (rc < 0) return rc;
    t->oldRecord[f->recLen] = 0;
    return 0;
}

// The listed entry that a new key took over goes back into tag and list.
int GiveBackTaken(TagHandle* th) {
    if (th->taken.recNo == 0) return 0;
    int rc = tagAdd(th->tagFile, th->taken.key.data(), th->taken.recNo, 0);
    th->pending.push_back(std::move(th->taken));
    th->taken = {0, {}};
    return rc;
}

// Undoes the changes of the tags before `upto` (and of `upto` itself as far
// as its flags say), in reverse order.
void UndoWrite(std::vector<TagKeys>& keys, size_t upto, long recNo) {
    for (size_t i = upto + 1; i-- > 0;) {
        TagKeys& k = keys[i];
        TagFile* tf = k.tag->tagFile;
        if (k.tag->newAdded) tagRemove(tf, k.newKey.data(), recNo);
        GiveBackTaken(k.tag);
        if (k.tag->oldRemoved) {
            if (k.postponed) DropPending(k.tag, recNo, k.oldKey);
            else tagAdd(tf, k.oldKey.data(), recNo, 0);
        }
        k.tag->newAdded = k.tag->oldRemoved = false;
    }
}

} // namespace

int tableWriteData(TableHandle* t, long recNo) {
    TableFile* f = t->file;
    f->readAhead.count = 0;
    int64_t pos = int64_t(f->headerLen) + int64_t(recNo - 1) * f->recLen;
    return fileWrite(&f->data, pos, t->record.data(), f->recLen);
}

int tableWrite(TableHandle* t, long recNo, bool unlock) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableUpdateRecord);
    EngineContext* ctx = t->ctx;
    if (engineInError(ctx)) return e4codeBase;
    if (recNo == -1) recNo = t->recNo;
    if (recNo <= 0) return engineError(ctx, e4parm, L4tableUpdateRecord, t->alias.c_str());
    TableFile* f = t->file;
    if (f->data.readOnly)
        return engineError(ctx, e4write, L4tableUpdateRecord, EngineText(IDS_SCHREIBVERSUCH_NURLESE), t->alias.c_str());
    int rc = tableLock(t, recNo);
    if (rc != 0) return rc;
    bool counting = f->appendLockOwner == t->serial || f->fileLockOwner == t->serial;
    long count = tableRecCount(t);
    if (count < 0) return int(count);
    if (recNo > count + (counting ? 1 : 0))
        return engineError(ctx, e4write, L4tableUpdateRecord, t->alias.c_str());
    if (ctx->tranLog && recNo == t->recNo && (rc = ctx->tranLog->RecordWriting(t)) < 0) return rc;
    bool memoHeld = false;
    if ((rc = tableMemoHold(t, false, &memoHeld)) != 0) return rc;
    if ((rc = tableWriteKeys(t, recNo)) != 0) {
        tableMemoHoldEnd(t, memoHeld);
        return rc;
    }
    std::vector<MemoRun> freeLater;
    int memo = tableMemoWrite(t, &freeLater);
    if (memo < 0) rc = memo;
    if (rc == 0) rc = tableWriteData(t, recNo);
    if (rc < 0) tableUnwriteKeys(t, recNo);
    int drc = tableKeysDone(t);
    if (rc == 0) rc = drc;
    if (rc == 0) rc = memoFileRelease(&f->memo, freeLater);
    tableMemoHoldEnd(t, memoHeld);
    if (rc < 0) return rc;
    if (recNo == t->recNo) {
        t->recordChanged = false;
        std::memcpy(t->oldRecord.data(), t->record.data(), t->record.size());
    }
    if (unlock && ctx->tranState != 120 && f->fileLockOwner != t->serial && ctx->unlockAuto) {
        rc = tableUnlockRecord(t, recNo);
        if (rc == 120) rc = 0;
        if (rc < 0) return rc;
    }
    return memo > 0 ? memo : 0;
}

int tagAdd(TagFile* tag, const void* key, long recNo, int uniqueCode) {
    int rc = TagSeek(tag, key, tag->keyLen);
    if (rc < 0) return rc;
    if (uniqueCode != 0 && rc == 0) {
        Settle(tag);
        if (uniqueCode == e4unique)
            return engineError(tag->ctx, e4unique, L4tagAdd, tag->name.c_str(), tag->index->name.c_str());
        return uniqueCode == r4unique ? r4unique : r4uniqueContinue;
    }
    if ((rc = MarkChanged(tag)) < 0) {
        Settle(tag);
        return rc;
    }
    if (tag->hasFilter && tag->filterFlag == 0) tag->filterFlag = 1;
    const auto* k = static_cast<const unsigned char*>(key);
    rc = InsertAt(tag, tag->path.size() - 1, k, uint32_t(recNo));
    int src = Settle(tag);
    return rc < 0 ? rc : src;
}

int tagRemove(TagFile* tag, const void* key, long recNo) {
    int rc = TagGo(tag, key, recNo);
    if (rc < 0) return rc;
    if (rc != 0) {
        Settle(tag);
        return r4entry;
    }
    if ((rc = MarkChanged(tag)) < 0) {
        Settle(tag);
        return rc;
    }
    rc = RemoveAt(tag, tag->path.size() - 1);
    int src = Settle(tag);
    return rc < 0 ? rc : src;
}

namespace {

// The current record's key when it passes the tag's filter: 1 with the key,
// else what the filter or the key expression gave (0: filtered out).
int PassingKey(TagHandle* th, std::string& key) {
    TableHandle* t = th->index->table;
    int pass = TagFilterTrue(th->tagFile, t);
    if (pass <= 0) return pass;
    int rc = TagExprKey(th->tagFile, t, key);
    return rc < 0 ? rc : 1;
}

} // namespace

int tagAddCalc(TagHandle* th, long recNo) {
    std::string key;
    int rc = PassingKey(th, key);
    return rc <= 0 ? rc : tagAdd(th->tagFile, key.data(), recNo, th->uniqueCode);
}

int tagRemoveCalc(TagHandle* th, long recNo) {
    std::string key;
    int rc = PassingKey(th, key);
    return rc <= 0 ? rc : tagRemove(th->tagFile, key.data(), recNo);
}

int tableWriteKeys(TableHandle* t, long recNo) {
    if (t->indexes.empty()) return 0;
    int rc = ReadStored(t, recNo);
    if (rc < 0) return rc;
    size_t len = t->file->recLen;
    if (std::memcmp(t->record.data(), t->oldRecord.data(), len) == 0) return 0;
    std::vector<TagKeys> keys;
    for (TagHandle* th : TableTags(t)) {
        TagKeys k;
        k.tag = th;
        if ((rc = Evaluate(t, k)) < 0) return rc;
        th->newAdded = th->oldRemoved = false;
        th->taken = {0, {}};
        keys.push_back(std::move(k));
    }
    bool locked = false, took = false;
    std::vector<IndexFileState*> taken;
    EngineContext* ctx = t->ctx;
    int result = 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        TagKeys& k = keys[i];
        if (Unchanged(k)) continue;
        if (!locked) {
            taken = NotHeld(t);
            if ((rc = IndexLockAll(t, &took)) != 0) return rc;
            locked = true;
        }
        TagFile* tf = k.tag->tagFile;
        bool postpones = Postpones(k.tag);
        if (k.oldPass && postpones && ctx->tranState == 120) {
            k.tag->pending.push_back({recNo, k.oldKey});
            k.tag->oldRemoved = k.postponed = true;
        } else if (k.oldPass) {
            rc = tagRemove(tf, k.oldKey.data(), recNo);
            if (rc == 0) k.tag->oldRemoved = true;
            else if (rc == r4entry) rc = 0;
        }
        // Undoing a write whose old key never left the tag.
        if (rc == 0 && postpones && ctx->tranState == 130 && DropPending(k.tag, recNo, k.newKey)) continue;
        if (rc == 0 && k.newPass && tf->unique) rc = TakePendingKey(k.tag, k.newKey);
        if (rc == 0 && k.newPass) {
            rc = tagAdd(tf, k.newKey.data(), recNo, k.tag->uniqueCode);
            if (rc == 0) k.tag->newAdded = true;
            else if (rc == r4uniqueContinue) rc = 0;
        }
        if (rc != 0) {
            int saved = ctx->errorCode;
            ctx->errorCode = 0;
            UndoWrite(keys, i, recNo);
            ctx->errorCode = saved;
            result = rc;
            break;
        }
    }
    return EndKeyWrite(t, took, taken, result);
}

int tableKeysDone(TableHandle* t) {
    int result = 0;
    for (IndexFile* i : t->indexes) {
        IndexFileState* s = i->state;
        if (!s->releaseAfterWrite) continue;
        s->releaseAfterWrite = false;
        // Unlocking writes the keys and then clears the changing mark.
        int saved = t->ctx->errorCode;
        t->ctx->errorCode = 0;
        int rc = IndexUnlock(s, t);
        t->ctx->errorCode = saved;
        if (rc < 0 && result == 0) result = rc;
    }
    return result;
}

int tableUnwriteKeys(TableHandle* t, long recNo) {
    if (t->indexes.empty()) return 0;
    bool took = false;
    if (IndexLockAll(t, &took) != 0) return -1;
    int result = 0;
    for (TagHandle* th : TableTags(t)) {
        TagKeys k;
        k.tag = th;
        if (Evaluate(t, k) < 0) {
            result = -1;
            break;
        }
        if (Unchanged(k)) continue;
        TagFile* tf = th->tagFile;
        if (k.oldPass && t->ctx->tranState == 120 && Postpones(th)) {
            if (!DropPending(th, recNo, k.oldKey)) result = -1;
        } else if (k.oldPass && tagAdd(tf, k.oldKey.data(), recNo, 0) != 0) {
            result = -1;
        }
        if (k.newPass && tagRemove(tf, k.newKey.data(), recNo) < 0) result = -1;
        if (GiveBackTaken(th) != 0) result = -1;
        if (result < 0) break;
    }
    if (took) IndexUnlockAll(t);
    return result;
}

int tableAppendKeys(TableHandle* t, long recNo) {
    if (t->indexes.empty()) return 0;
    bool took = false;
    std::vector<IndexFileState*> taken = NotHeld(t);
    int rc = IndexLockAll(t, &took);
    if (rc != 0) return rc;
    EngineContext* ctx = t->ctx;
    auto tags = TableTags(t);
    int result = 0;
    for (size_t i = 0; i < tags.size(); ++i) {
        rc = tagAddCalc(tags[i], recNo);
        if (rc == r4uniqueContinue) rc = 0;
        if (rc != 0) {
            int saved = ctx->errorCode;
            ctx->errorCode = 0;
            for (size_t j = i; j-- > 0;) tagRemoveCalc(tags[j], recNo);
            ctx->errorCode = saved;
            result = rc;
            break;
        }
    }
    return EndKeyWrite(t, took, taken, result);
}

int tablePendingRemove(TableHandle* t) {
    bool any = false;
    for (TagHandle* th : TableTags(t)) any = any || !th->pending.empty();
    if (!any) return 0;
    bool took = false;
    int rc = IndexLockAll(t, &took);
    if (rc != 0) return rc;
    int result = 0;
    for (TagHandle* th : TableTags(t)) {
        for (const auto& p : th->pending) {
            rc = tagRemove(th->tagFile, p.key.data(), p.recNo);
            if (rc < 0 && result == 0) result = rc;
        }
        th->pending.clear();
    }
    if (took && (rc = IndexUnlockAll(t)) < 0 && result == 0) result = rc;
    return result;
}

int tableAppendKeysUndo(TableHandle* t, long recNo) {
    if (t->indexes.empty()) return 0;
    bool took = false;
    EngineContext* ctx = t->ctx;
    int saved = ctx->errorCode;
    ctx->errorCode = 0;
    int rc = IndexLockAll(t, &took);
    if (rc == 0) {
        for (TagHandle* th : TableTags(t)) tagRemoveCalc(th, recNo);
        if (took) IndexUnlockAll(t);
    }
    ctx->errorCode = saved;
    return rc;
}

} // namespace vx
