// A table's tags: selecting one, moving through the records in its order
// and finding records by key.
#include "dbase/index/TableTag.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "dbase/index/IndexLock.h"
#include "dbase/data/TableIndex.h"
#include "dbase/util/Convert.h"
#include "dbase/index/TagFile.h"
#include "dbase/data/Table.h"

namespace vx {
namespace {

int GoQuiet(TableHandle* t, long n) {
    int saved = t->ctx->errGo;
    t->ctx->errGo = 0;
    int rc = tableGo(t, n);
    t->ctx->errGo = saved;
    return rc;
}

bool ReadUnlocked(TableHandle* t, long recNo) {
    TableFile* f = t->file;
    return f->accessMode == 0 && !f->data.readOnly && f->fileLockOwner != t->serial &&
           tableLockTest(t, recNo) != 1;
}

// Goes to the record of the tag's current entry. A record another user has
// changed since its key was read no longer belongs here: the tag moves on
// in the direction of travel.
int GoTagRecord(TableHandle* t, TagHandle* th, int direction) {
    TagFile* tag = th->tagFile;
    std::string key;
    // A damaged tag can hold a walk on one entry or send it round in circles:
    // more entries passed over than the file has records means damage.
    long passed = 0;
    for (;;) {
        if (TagIsEof(tag)) return tableGoEof(t);
        long recNo = TagRecNo(tag);
        if (recNo <= 0) return tableGoEof(t);
        long count = tableRecCount(t);
        // Another user may have appended since the count was read.
        TableFile* f = t->file;
        bool ours = f->accessMode != 0 || f->data.readOnly || f->appendLockOwner == t->serial ||
                    f->fileLockOwner == t->serial;
        if (recNo > count && !ours && tableReadCount(f) == 0) count = f->numRecs;
        bool skip = recNo > count;
        if (!skip) {
            int rc = GoQuiet(t, recNo);
            if (rc != 0) return rc;
            if (ReadUnlocked(t, recNo)) {
                if ((rc = TagExprKey(tag, t, key)) < 0) return rc;
                const unsigned char* k = TagKeyData(tag);
                skip = !k || std::memcmp(k, key.data(), size_t(tag->keyLen)) != 0;
            }
        }
        if (!skip) return 0;
        if (!TagKeyData(tag)) return tableGoEof(t);
        if (++passed > 2 * std::max(count, t->file->numRecs) + 64) return TagDamaged(tag);
        std::string was(reinterpret_cast<const char*>(TagKeyData(tag)), size_t(tag->keyLen));
        int rc = 0;
        long moved = tableTagStep(t, th, direction, &rc);
        if (rc != 0) return rc;
        if (moved != direction) return direction > 0 ? tableGoEof(t) : r4bof;
        const unsigned char* now = TagKeyData(tag);
        if (now && TagRecNo(tag) == recNo && std::memcmp(now, was.data(), was.size()) == 0) return TagDamaged(tag);
        if (now && tag->Compare(now, was.data(), was.size()) * direction < 0) return TagDamaged(tag);
    }
}

// After a skip in direction dir that went on from `from`'s record: a sound
// tag holds one key for at most as many entries as there are records, so a
// walk that keeps coming back to one key goes in circles.
int WalkedOn(TableHandle* t, TagHandle* th, int dir, long from) {
    TagFile* tag = th->tagFile;
    const unsigned char* k = TagKeyData(tag);
    const size_t len = size_t(tag->keyLen);
    bool same = k && th->walkDir == dir && th->walkRecNo == from && th->walkKey.size() == len &&
                std::memcmp(k, th->walkKey.data(), len) == 0;
    th->walkRecNo = k ? t->recNo : 0;
    if (!same) {
        th->walkDir = dir;
        th->walkRun = 0;
        if (k) th->walkKey.assign(reinterpret_cast<const char*>(k), len);
        return 0;
    }
    if (++th->walkRun > 2 * std::max(tableRecCount(t), t->file->numRecs) + 64) return TagDamaged(tag);
    return 0;
}

// Puts the tag on the table's current record, or where its key would be
// when its entry is gone; *at (if given) gets the record's key.
int Align(TableHandle* t, TagHandle* th, std::string* at = nullptr) {
    TagFile* tag = th->tagFile;
    if (TagRecNo(tag) == t->recNo && !TagIsEof(tag)) {
        const unsigned char* k = TagKeyData(tag);
        if (at && k) at->assign(reinterpret_cast<const char*>(k), size_t(tag->keyLen));
        return 0;
    }
    std::string key;
    int rc = TagExprKey(tag, t, key);
    if (rc < 0) return rc;
    rc = TagGo(tag, key.data(), t->recNo);
    if (at) *at = key;
    return rc < 0 ? rc : 0;
}

int SearchKey(TagFile* tag, const char* text, int len, std::string& key, int* keyLen) {
    if (!text) text = "";
    if (len <= 0) len = int(std::strlen(text));
    TagKeyFromText(tag, text, len, key);
    *keyLen = tag->keyType == 'C' ? std::min(len, tag->keyLen) : tag->keyLen;
    return 0;
}

int Seek(TableHandle* t, TagHandle* th, const std::string& key, int keyLen) {
    TagFile* tag = th->tagFile;
    int rc = tableTagSteady(t, th, [&] { return TagSeek(tag, key.data(), keyLen); });
    if (rc < 0 || rc == r4locked) return rc;
    rc = GoTagRecord(t, th, 1);
    if (rc != 0) return rc;
    const unsigned char* k = TagKeyData(tag);
    return k && tag->Compare(k, key.data(), size_t(keyLen)) == 0 ? 0 : r4after;
}

} // namespace

// The blocks a move reads count only when no one held the index lock before
// and after it and the file's counters stayed the same; otherwise the move
// starts again from where it began (move must put the tag there itself). A
// file that keeps changing is walked under its lock at last.
int tableTagSteady(TableHandle* t, TagHandle* th, const std::function<int()>& move) {
    constexpr int kSteadyRounds = 16;
    IndexFileState* s = th->index->state;
    th->tagFile->walker = t->serial;
    if (IndexIsLocked(s) || s->data->accessMode != 0) return move();
    for (int round = 0; round < kSteadyRounds; ++round) {
        if (round > 0) std::this_thread::yield();
        if (fileLockedElsewhere(&s->file, kIndexLockPos, 1)) continue;
        int rc = indexFileVersionCheck(s);
        if (rc < 0) return rc;
        s->optimistic = true;
        s->changeSeen = false;
        long reads = s->blockReads;
        rc = move();
        s->optimistic = false;
        if (!s->changeSeen && rc < 0) return rc;
        // Only blocks that were current a moment ago: nothing to confirm.
        if (!s->changeSeen && s->blockReads == reads) return rc;
        if (!fileLockedElsewhere(&s->file, kIndexLockPos, 1)) {
            int vc = indexFileVersionCheck(s);
            if (vc < 0) return vc;
            if (vc == 0 && !s->changeSeen) return rc;
            // A block that did not fit although no one wrote: damage,
            // which the usual refresh confirms or finds passing.
            if (vc == 0) {
                for (auto& tag : s->tags) TagDiscardBlocks(tag.get());
                return move();
            }
        }
        for (auto& tag : s->tags) TagDiscardBlocks(tag.get());
    }
    int rc = IndexLock(s, t);
    if (rc != 0) return rc < 0 ? rc : r4locked;
    rc = move();
    int urc = IndexUnlock(s, t);
    return rc < 0 ? rc : urc < 0 ? urc : rc;
}

long tableTagStep(TableHandle* t, TagHandle* th, long n, int* rc) {
    TagFile* tag = th->tagFile;
    std::string key;
    long recNo = 0;
    bool atEnd = false;
    if (const unsigned char* k = TagKeyData(tag)) {
        key.assign(reinterpret_cast<const char*>(k), size_t(tag->keyLen));
        recNo = TagRecNo(tag);
    } else {
        atEnd = tag->current() != nullptr;
    }
    long moved = 0;
    *rc = tableTagSteady(t, th, [&]() -> int {
        moved = 0;
        long rest = n;
        if (recNo > 0 && (TagRecNo(tag) != recNo || TagIsEof(tag))) {
            int go = TagGo(tag, key.data(), recNo);
            if (go < 0) return go;
            // The entry is gone: going forward, we already stand on the next.
            if (go != 0 && n > 0) {
                if (TagIsEof(tag)) return 0;
                moved = 1;
                rest = n - 1;
            }
        } else if (atEnd && (!tag->current() || !TagIsEof(tag))) {
            if (int go = TagEof(tag); go < 0) return go;
        }
        if (rest != 0) moved += TagSkip(tag, rest);
        return engineInError(t->ctx) ? t->ctx->errorCode : 0;
    });
    return moved;
}

TagHandle* tableTag(TableHandle* t, const char* name) {
    if (!t || engineInError(t->ctx)) return nullptr;
    char want[kTagNameMax + 1] = {};
    if (name) std::strncpy(want, name, kTagNameMax);
    convertUpper(want);
    for (size_t n = std::strlen(want); n > 0 && want[n - 1] == ' '; --n) want[n - 1] = 0;
    for (IndexFile* i : t->indexes)
        for (auto& th : i->tags)
            if (th->tagFile->name == want) return th.get();
    if (t->ctx->errTagName) engineError(t->ctx, e4tagName, L4tableField, name ? name : "", t->alias.c_str());
    return nullptr;
}

TagHandle* tableTagDefault(TableHandle* t) {
    if (!t) return nullptr;
    if (t->selectedTag) return t->selectedTag;
    for (IndexFile* i : t->indexes)
        if (!i->tags.empty()) return i->tags.front().get();
    return nullptr;
}

TagHandle* tableTagNext(TableHandle* t, TagHandle* tag) {
    if (!t) return nullptr;
    bool take = tag == nullptr;
    for (IndexFile* i : t->indexes)
        for (auto& th : i->tags) {
            if (take) return th.get();
            if (th.get() == tag) take = true;
        }
    return nullptr;
}

TagHandle* tableTagPrev(TableHandle* t, TagHandle* tag) {
    if (!t) return nullptr;
    TagHandle* before = nullptr;
    for (IndexFile* i : t->indexes)
        for (auto& th : i->tags) {
            if (th.get() == tag) return before;
            before = th.get();
        }
    return tag ? nullptr : before;
}

void tableTagSelect(TableHandle* t, TagHandle* tag) {
    if (t) t->selectedTag = tag;
}

TagHandle* tableTagSelected(TableHandle* t) { return t ? t->selectedTag : nullptr; }

int tableTagTop(TableHandle* t, bool bottom) {
    TagHandle* th = t->selectedTag;
    TagFile* tag = th->tagFile;
    int rc = tableTagSteady(t, th, [&] { return bottom ? TagBottom(tag) : TagTop(tag); });
    if (rc != 0) return rc;
    if (TagIsEof(tag)) {
        tableGoEof(t);
        t->bof = true;
        return r4eof;
    }
    rc = GoTagRecord(t, th, bottom ? -1 : 1);
    if (rc == r4bof) {
        tableGoEof(t);
        t->bof = true;
        return r4eof;
    }
    return rc;
}

int tableTagSkip(TableHandle* t, long n) {
    TagHandle* th = t->selectedTag;
    TagFile* tag = th->tagFile;
    if (t->eof && n >= 0) return r4eof;
    const long asked = n, start = t->eof ? 0 : t->recNo;
    long moved = 0;
    bool empty = false;
    std::string from;
    int rc = tableTagSteady(t, th, [&]() -> int {
        n = asked;
        moved = 0;
        empty = false;
        from.clear();
        if (t->eof) {
            int rc = TagBottom(tag);
            if (rc < 0) return rc;
            if ((empty = TagIsEof(tag))) return 0;
            from.assign(reinterpret_cast<const char*>(TagKeyData(tag)), size_t(tag->keyLen));
            ++n;
        } else if (int rc = Align(t, th, &from); rc < 0) {
            return rc;
        }
        if (n != 0) moved = TagSkip(tag, n);
        if (engineInError(t->ctx)) return t->ctx->errorCode;
        // Keys out of their order can only be damage: a walk on would come
        // round to the same records again. The record's key counts, not
        // the entry the tag was put on when the record's entry was not
        // found (a damaged leaf may hide it).
        const unsigned char* k = TagKeyData(tag);
        if (k && !from.empty() && moved != 0 && tag->Compare(k, from.data(), from.size()) * n < 0)
            return TagDamaged(tag);
        return 0;
    });
    if (rc != 0) return rc;
    if (empty) return tableGoEof(t);
    if (n != 0) {
        if (moved != n) {
            if (n > 0) return tableGoEof(t);
            rc = GoTagRecord(t, th, 1);
            if (rc < 0) return rc;
            t->bof = true;
            return r4bof;
        }
    }
    rc = GoTagRecord(t, th, n < 0 ? -1 : 1);
    if (rc == r4bof) {
        if ((rc = tableTagSteady(t, th, [&] { return TagTop(tag); })) != 0) return rc;
        rc = GoTagRecord(t, th, 1);
        if (rc < 0) return rc;
        t->bof = true;
        return r4bof;
    }
    if (rc == 0 && n != 0) rc = WalkedOn(t, th, n < 0 ? -1 : 1, start);
    return rc;
}

int tableSeekN(TableHandle* t, const char* text, int len) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableGo);
    if (engineInError(t->ctx)) return e4codeBase;
    TagHandle* th = tableTagDefault(t);
    if (!th) return r4noTag;
    int rc;
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    std::string key;
    int keyLen = 0;
    SearchKey(th->tagFile, text, len, key, &keyLen);
    return Seek(t, th, key, keyLen);
}

int tableSeek(TableHandle* t, const char* text) { return tableSeekN(t, text, text ? int(std::strlen(text)) : 0); }

int tableSeekNextN(TableHandle* t, const char* text, int len) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableGo);
    if (engineInError(t->ctx)) return e4codeBase;
    TagHandle* th = tableTagDefault(t);
    if (!th) return r4noTag;
    TagFile* tag = th->tagFile;
    int rc;
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    std::string key, current;
    int keyLen = 0;
    SearchKey(tag, text, len, key, &keyLen);
    if (t->recNo <= 0 || t->eof) return Seek(t, th, key, keyLen);
    if ((rc = TagExprKey(tag, t, current)) < 0) return rc;
    if (tag->Compare(current.data(), key.data(), size_t(keyLen)) != 0) return Seek(t, th, key, keyLen);
    long moved = 0;
    rc = tableTagSteady(t, th, [&]() -> int {
        if (int rc = Align(t, th); rc < 0) return rc;
        moved = TagSkip(tag, 1);
        return engineInError(t->ctx) ? t->ctx->errorCode : 0;
    });
    if (rc != 0) return rc;
    if (moved != 1 || TagIsEof(tag)) return r4entry;
    const unsigned char* k = TagKeyData(tag);
    if (!k || tag->Compare(k, key.data(), size_t(keyLen)) != 0) {
        rc = GoTagRecord(t, th, 1);
        return rc < 0 ? rc : r4entry;
    }
    rc = GoTagRecord(t, th, 1);
    if (rc != 0) return rc;
    k = TagKeyData(tag);
    return k && tag->Compare(k, key.data(), size_t(keyLen)) == 0 ? 0 : r4entry;
}

int tableSeekNext(TableHandle* t, const char* text) {
    return tableSeekNextN(t, text, text ? int(std::strlen(text)) : 0);
}

int tableIndexClose(TableHandle* t) {
    int result = 0;
    while (!t->indexes.empty()) {
        int rc = indexClose(t->indexes.back());
        if (rc < 0) {
            // Inside a transaction nothing closes; the handle stays listed.
            if (result == 0) result = rc;
            break;
        }
    }
    return result;
}

int tableReindex(TableHandle* t) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableGo);
    if (engineInError(t->ctx)) return e4codeBase;
    // An unwritten edit is kept, not written first: the index that refused
    // it is the one to be rebuilt. The rebuild reads the file's records.
    struct KeptEdit {
        TableHandle* t;
        bool kept;
        long recNo;
        decltype(t->record) record, oldRecord;
        ~KeptEdit() {
            if (!kept) return;
            t->recNo = recNo;
            t->record = record;
            t->oldRecord = oldRecord;
            t->recordChanged = true;
        }
    } edit{t, t->recordChanged, t->recNo, {}, {}};
    if (edit.kept) {
        edit.record = t->record;
        edit.oldRecord = t->oldRecord;
        t->recordChanged = false;
    }
    int rc = 0;
    IndexFile* rebuilt = nullptr;
    if (t->indexDamaged) {
        // The damaged production index is read for its tag definitions and
        // written anew.
        IndexFile* index = indexOpenForRebuild(t, nullptr);
        if (!index) return engineInError(t->ctx) ? t->ctx->errorCode : e4index;
        if ((rc = indexReindex(index)) != 0) {
            int saved = t->ctx->errorCode;
            t->ctx->errorCode = 0;
            indexClose(index);
            t->ctx->errorCode = saved;
            return rc;
        }
        index->state->rebuilding = false;
        t->indexDamaged = false;
        rebuilt = index;
    }
    for (IndexFile* i : t->indexes) {
        if (i == rebuilt) continue;
        rc = indexReindex(i);
        if (rc != 0) return rc;
    }
    return 0;
}

int tableFreeBlocks(TableHandle* t) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableGo);
    if (engineInError(t->ctx)) return e4codeBase;
    int result = 0;
    for (IndexFile* i : t->indexes)
        for (auto& th : i->tags) {
            int rc = TagReleaseBlocks(th->tagFile);
            if (rc < 0 && result == 0) result = rc;
        }
    return result;
}

int tableIndexFlush(TableHandle* t) {
    int result = 0;
    for (IndexFile* i : t->indexes) {
        int rc = indexFlush(i->state);
        if (rc < 0 && result == 0) result = rc;
    }
    return result;
}

int TagRef::init(TableHandle* table, const char* name) {
    tag_ = nullptr;
    if (!table) return e4parmNull;
    if (name && *name) tag_ = tableTag(table, name);
    else tag_ = tableTagSelected(table) ? tableTagSelected(table) : tableTagDefault(table);
    return tag_ ? 0 : r4noTag;
}

static bool OpenProduction(TableHandle* t) { return indexOpen(t, nullptr) != nullptr; }

static bool CreateProduction(TableHandle* t, const TagInfo* tags) { return indexCreate(t, nullptr, tags) != nullptr; }

static void MarkTemporary(TableHandle* t) {
    for (IndexFile* i : t->indexes) i->state->file.isTemp = true;
}

static const TagInfo* TakeUniqueCodes(TableHandle* t, const TagInfo* tags) {
    for (const TagInfo* ti = tags; ti->name; ++ti) {
        TagHandle* th = tableTag(t, ti->name);
        if (!th) return ti;
        th->uniqueCode = ti->unique;
    }
    return nullptr;
}

static int MarkChanging(TableHandle* t) {
    int rc = 0;
    for (IndexFile* index : t->indexes)
        if (!index->state->damaged && (rc = IndexMarkChanging(index->state)) < 0) return rc;
    return 0;
}

const TableIndex* tableIndexCalls() {
    static const TableIndex calls{
        .openProduction = OpenProduction,
        .createProduction = CreateProduction,
        .markTemporary = MarkTemporary,
        .takeUniqueCodes = TakeUniqueCodes,
        .close = tableIndexClose,
        .flush = tableIndexFlush,
        .top = tableTagTop,
        .skip = tableTagSkip,
        .appendKeys = tableAppendKeys,
        .appendKeysUndo = tableAppendKeysUndo,
        .writeKeys = tableWriteKeys,
        .unwriteKeys = tableUnwriteKeys,
        .keysDone = tableKeysDone,
        .lockAll = IndexLockAll,
        .unlockAll = IndexUnlockAll,
        .markChanging = MarkChanging,
        .reindex = tableReindex,
    };
    return &calls;
}

} // namespace vx
