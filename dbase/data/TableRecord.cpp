// Moving through the records of a data file: the record buffer, reading,
// going and skipping, appending, writing changed records and flushing.
#include "dbase/data/Table.h"
#include "dbase/data/TableIndex.h"
#include "dbase/data/TableInternal.h"

#include "dbase/data/Field.h"
#include "dbase/data/TransactionLog.h"
#include "dbase/util/Convert.h"

#include <algorithm>
#include <cstring>

namespace vx {

void BlankRecord(TableHandle* t) {
    std::memset(t->record.data(), ' ', t->file->recLen);
    t->record[t->file->recLen] = 0;
}

void MemoReset(TableHandle* t) {
    for (auto& m : t->memos) {
        m.loaded = false;
        m.changed = false;
        m.len = 0;
    }
}

void DropReadAhead(TableFile* f) { f->readAhead.count = 0; }

int CheckTable(TableHandle* t) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableGo);
    if (engineInError(t->ctx)) return e4codeBase;
    return 0;
}

namespace {

constexpr size_t kReadAheadBytes = 32768;

// Reads an unlocked record. Where no one else can write the file (opened
// exclusively, or with others allowed to read only) a sequential scan reads
// many records in one transfer; in shared use another user may change any
// record we have not locked, so every read goes to the file.
int64_t ReadUnlocked(TableFile* f, long n, char* out) {
    int64_t pos = int64_t(f->headerLen) + int64_t(n - 1) * f->recLen;
    if (f->accessMode == 0) return fileRead(&f->data, pos, out, f->recLen);
    auto& ra = f->readAhead;
    if (ra.count > 0 && n >= ra.first && n < ra.first + ra.count) {
        std::memcpy(out, ra.data.data() + size_t(n - ra.first) * f->recLen, f->recLen);
        ra.lastRead = n;
        return f->recLen;
    }
    long want = std::min<long>(long(kReadAheadBytes / f->recLen), std::max(f->numRecs - n + 1, 1L));
    bool sequential = n == ra.lastRead + 1 && want > 1;
    ra.lastRead = n;
    if (!sequential) return fileRead(&f->data, pos, out, f->recLen);
    ra.data.resize(size_t(want) * f->recLen);
    int64_t got = fileRead(&f->data, pos, ra.data.data(), ra.data.size());
    if (got < f->recLen) {
        ra.count = 0;
        return got < 0 ? got : fileRead(&f->data, pos, out, f->recLen);
    }
    ra.first = n;
    ra.count = long(got / f->recLen);
    std::memcpy(out, ra.data.data(), f->recLen);
    return f->recLen;
}

int WriteRecordAt(TableHandle* t, long recNo, bool withEof) {
    TableFile* f = t->file;
    DropReadAhead(f);
    int64_t pos = int64_t(f->headerLen) + int64_t(recNo - 1) * f->recLen;
    // Only an append writes the end-of-file byte: behind any other record it
    // would overwrite the next record's deletion flag.
    t->record[f->recLen] = withEof ? 0x1A : 0;
    int rc = fileWrite(&f->data, pos, t->record.data(), size_t(f->recLen) + (withEof ? 1 : 0));
    t->record[f->recLen] = 0;
    return rc;
}

// A failed append takes back what it wrote: the count, and whatever part of
// the record reached the file, which an open would otherwise take into the count.
void UnwriteAppend(TableHandle* t, long newRec) {
    EngineContext* ctx = t->ctx;
    TableFile* f = t->file;
    int saved = ctx->errorCode;
    ctx->errorCode = 0;
    int64_t end = int64_t(f->headerLen) + int64_t(newRec - 1) * f->recLen;
    bool counted = f->numRecs >= newRec;
    f->numRecs = newRec - 1;
    if (counted && f->accessMode != 1) tableWriteHeader(f);
    if (fileLenSet(&f->data, end) == 0) {
        const char eof = 0x1A;
        fileWrite(&f->data, end, &eof, 1);
    }
    DropReadAhead(f);
    ctx->errorCode = saved;
}

long KnownCount(TableHandle* t) {
    TableFile* f = t->file;
    if (f->numRecs < 0) tableReadCount(f);
    return std::max(f->numRecs, 0L);
}

bool CountIsOurs(TableHandle* t) {
    TableFile* f = t->file;
    return f->accessMode != 0 || f->data.readOnly || f->appendLockOwner == t->serial ||
           f->fileLockOwner == t->serial;
}

int GoOutOfRange(TableHandle* t, long n) {
    BlankRecord(t);
    t->recNo = -1;
    if (t->ctx->errGo) {
        std::string num = std::to_string(n);
        return engineError(t->ctx, e4read, L4tableGo, t->alias.c_str(), num.c_str());
    }
    return r4entry;
}

int GoNoRange(TableHandle* t, long n) {
    int saved = t->ctx->errGo;
    t->ctx->errGo = 0;
    int rc = tableGo(t, n);
    t->ctx->errGo = saved;
    return rc;
}

} // namespace

char* tableRecord(TableHandle* t) { return t ? t->record.data() : nullptr; }
long tableRecNo(TableHandle* t) { return t ? t->recNo : -1; }

long tableRecCount(TableHandle* t) {
    if (CheckTable(t) < 0) return -1;
    TableFile* f = t->file;
    if (f->numRecs < 0 && tableReadCount(f) < 0) return -1;
    t->seenCount = f->numRecs;
    return f->numRecs;
}

int tableNumFields(TableHandle* t) { return t ? int(t->fields.size()) : -1; }
const char* tableAlias(TableHandle* t) { return t ? t->alias.c_str() : ""; }
int tableBof(TableHandle* t) { return t && t->bof ? 1 : 0; }
int tableEof(TableHandle* t) { return t && t->eof ? 1 : 0; }
int tableDeleted(TableHandle* t) { return t && t->record[0] != ' ' ? 1 : 0; }

int tableLockEnforce(TableHandle* t, int location) {
    if (t->ctx->lockEnforce && t->recNo > 0 && !tableLockTest(t, t->recNo))
        return engineError(t->ctx, e4lock, location, t->alias.c_str());
    return 0;
}

int tableChanged(TableHandle* t, int flag) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableChanged);
    int old = t->recordChanged ? 1 : 0;
    if (flag > 0) {
        if (engineInError(t->ctx)) return e4codeBase;
        int rc = tableLockEnforce(t, L4tableChanged);
        if (rc < 0) return rc;
        t->recordChanged = true;
    } else if (flag == 0) {
        t->recordChanged = false;
    }
    return old;
}

int tableDelete(TableHandle* t) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if ((rc = tableLockEnforce(t, L4tableDelete)) < 0) return rc;
    t->record[0] = '*';
    t->recordChanged = true;
    return 0;
}

int tableBlank(TableHandle* t) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if ((rc = tableLockEnforce(t, L4tableBlank)) < 0) return rc;
    BlankRecord(t);
    t->recordChanged = true;
    return 0;
}

int tableGo(TableHandle* t, long n) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    TableFile* f = t->file;
    long count = KnownCount(t);
    // Another process may have appended since the count was read.
    if (n > count && !CountIsOurs(t) && tableReadCount(f) == 0) count = f->numRecs;
    // The count could not be read (a pack that died, reported already).
    if (engineInError(t->ctx)) return t->ctx->errorCode;
    if (n < 1 || n > count) return GoOutOfRange(t, n);
    bool locked = tableLockTest(t, n) == 1;
    if (!locked) {
        if ((rc = tableUnlockAuto(t)) != 0) return rc;
        if (t->ctx->readLock) {
            rc = tableLock(t, n);
            if (rc != 0) return rc;
            locked = true;
        }
    }
    // In shared use another user's pack may have died moving records: they
    // are not the table.
    if ((!locked || f->data.readOnly) && f->accessMode == 0 && (rc = PackMarkWait(f, L4tableGo)) < 0) return rc;
    int64_t got = 0;
    if (locked && f->accessMode == 0 && !f->data.readOnly) {
        // A record we locked is read from the file itself.
        int64_t pos = int64_t(f->headerLen) + int64_t(n - 1) * f->recLen;
        got = fileRead(&f->data, pos, t->record.data(), f->recLen);
    } else {
        got = ReadUnlocked(f, n, t->record.data());
    }
    if (got < 0) return int(got);
    if (got < f->recLen) return GoOutOfRange(t, n);
    t->record[f->recLen] = 0;
    t->recNo = n;
    t->bof = t->eof = false;
    t->recordChanged = false;
    MemoReset(t);
    if (locked) std::memcpy(t->oldRecord.data(), t->record.data(), t->record.size());
    return 0;
}

int tableGoEof(TableHandle* t) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    long count = KnownCount(t);
    t->recNo = count + 1;
    t->eof = true;
    t->bof = count == 0;
    BlankRecord(t);
    MemoReset(t);
    return r4eof;
}

int tableTop(TableHandle* t) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    if (t->selectedTag) return t->ctx->tableIndex->top(t, false);
    if (!CountIsOurs(t)) tableReadCount(t->file);
    if (KnownCount(t) == 0) {
        tableGoEof(t);
        t->bof = true;
        return r4eof;
    }
    return GoNoRange(t, 1);
}

int tableBottom(TableHandle* t) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    if (t->selectedTag) return t->ctx->tableIndex->top(t, true);
    if (!CountIsOurs(t)) tableReadCount(t->file);
    long count = KnownCount(t);
    if (count == 0) {
        tableGoEof(t);
        t->bof = true;
        return r4eof;
    }
    return GoNoRange(t, count);
}

int tableGoBof(TableHandle* t) {
    int rc = tableTop(t);
    if (rc < 0) return rc;
    t->bof = true;
    return r4bof;
}

int tableSkip(TableHandle* t, long n) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if (t->recNo <= 0) {
        if (t->ctx->errSkip)
            return engineError(t->ctx, e4info, L4tableSkip, EngineText(IDS_SKIP_OHNE_SATZNUMMER));
        return e4info;
    }
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    if (t->selectedTag) return t->ctx->tableIndex->skip(t, n);
    long count = KnownCount(t);
    // Another process may have appended: the count is read again only when
    // the target lies beyond the one known.
    if ((count == 0 || t->recNo + n > count) && !CountIsOurs(t) && tableReadCount(t->file) == 0)
        count = t->file->numRecs;
    if (count == 0) {
        tableGoEof(t);
        if (n < 0) {
            t->bof = true;
            return r4bof;
        }
        return r4eof;
    }
    long target = t->recNo + n;
    if (target > count) return tableGoEof(t);
    if (target <= 0) {
        rc = GoNoRange(t, 1);
        if (rc != 0) return rc;
        t->bof = true;
        return r4bof;
    }
    rc = GoNoRange(t, target);
    if (rc != r4entry) return rc;
    return tableGoEof(t);
}

int tableAppendStart(TableHandle* t, bool useMemoEntries) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    bool copyMemos = useMemoEntries && !t->memos.empty() && t->recNo > 0 && !t->eof && !t->bof;
    if (copyMemos) {
        bool hadLock = tableLockTest(t, t->recNo) == 1;
        if (!hadLock && (rc = tableLock(t, t->recNo)) != 0) return rc;
        for (auto& m : t->memos) {
            if ((rc = fieldMemoLoad(m.field)) < 0) return rc;
            // The contents go into the new record as new memos.
            m.changed = true;
        }
        if (!hadLock && t->file->fileLockOwner != t->serial && t->ctx->unlockAuto) tableUnlockRecord(t, t->recNo);
    } else {
        for (auto& m : t->memos) {
            m.len = 0;
            m.loaded = true;
            m.changed = false;
            if (m.contents.empty()) m.contents.resize(1);
            m.contents[0] = 0;
        }
    }
    for (auto& m : t->memos) std::memset(t->record.data() + m.field->offset, ' ', m.field->len);
    t->recNo = 0;
    return 0;
}

int tableAppend(TableHandle* t) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    EngineContext* ctx = t->ctx;
    TableFile* f = t->file;
    if (f->data.readOnly)
        return engineError(ctx, e4write, L4tableAppend, EngineText(IDS_SCHREIBVERSUCH_NURLESE), t->alias.c_str());
    bool tookAppend = false;
    long newRec = 0;
    bool lockedRecord = false;
    if (f->fileLockOwner != t->serial && f->accessMode == 0) {
        if (f->appendLockOwner != t->serial) {
            if ((rc = tableUnlockAuto(t)) != 0) return rc;
            rc = tableLockAppend(t);
            if (rc != 0) return rc;
            tookAppend = true;
        }
        if (!f->countChecked && (rc = AdoptStranded(f)) < 0) {
            if (tookAppend) tableUnlockAppend(t);
            return rc;
        }
        newRec = f->numRecs + 1;
        if (tableLockTest(t, newRec) != 1) {
            int savedAuto = ctx->unlockAuto;
            ctx->unlockAuto = 0;
            rc = tableLock(t, newRec);
            ctx->unlockAuto = savedAuto;
            if (rc != 0) {
                if (tookAppend) tableUnlockAppend(t);
                return rc;
            }
            lockedRecord = true;
        }
    } else {
        if (f->accessMode == 0 && !f->countChecked && (rc = AdoptStranded(f)) < 0) return rc;
        newRec = KnownCount(t) + 1;
    }
    if (ctx->tranLog) rc = ctx->tranLog->AppendStarting(t, newRec);
    bool memoHeld = false;
    if (rc == 0) rc = tableMemoHold(t, true, &memoHeld);
    // A refused key (20) stops the append like an error, but is returned as it is.
    int keyStatus = rc == 0 ? ctx->tableIndex->appendKeys(t, newRec) : 0;
    if (keyStatus != 0) rc = keyStatus < 0 ? keyStatus : e4append;
    bool keysAdded = rc == 0 && !t->indexes.empty();
    // Memo fields with contents get their new blocks; the others are blanked.
    for (auto& m : t->memos) {
        if (rc < 0) break;
        char* p = t->record.data() + m.field->offset;
        if (m.len > 0) {
            // Memo fields in a header that names no memo file.
            if (!f->hasMemoFile) {
                rc = engineError(ctx, e4memoCorrupt, L4memoFileWrite, t->alias.c_str());
                break;
            }
            long block = 0;
            rc = memoFileWrite(&f->memo, &block, m.contents.data(), m.len);
            if (rc < 0) break;
            EngineLongToAscii(block, p, m.field->len);
        } else {
            std::memset(p, ' ', m.field->len);
        }
        m.changed = false;
    }
    bool wrote = rc == 0;
    if (rc == 0) rc = WriteRecordAt(t, newRec, true);
    if (rc == 0) {
        f->numRecs = newRec;
        if (f->accessMode != 1) rc = tableWriteHeader(f);
        else f->appendedSinceHeader = true;
    }
    if (rc < 0 && keysAdded) t->ctx->tableIndex->appendKeysUndo(t, newRec);
    int drc = t->ctx->tableIndex->keysDone(t);
    if (rc == 0 && drc < 0) {
        // The keys did not reach the file (its mark has the index rebuilt):
        // the record goes too, so that a retry cannot store it twice.
        rc = drc;
        if (!engineInError(ctx)) ctx->errorCode = drc;
        if (keysAdded) t->ctx->tableIndex->appendKeysUndo(t, newRec);
    }
    if (rc < 0 && wrote) UnwriteAppend(t, newRec);
    tableMemoHoldEnd(t, memoHeld);
    if (ctx->tranLog) rc = ctx->tranLog->AppendDone(t, rc);
    // A transaction keeps every lock until it ends: a rollback must find the
    // appended record still the last one.
    if (ctx->tranState == 120) tookAppend = lockedRecord = false;
    if (rc < 0 && lockedRecord) {
        int savedAuto = ctx->unlockAuto;
        ctx->unlockAuto = 1;
        tableUnlockRecord(t, newRec);
        ctx->unlockAuto = savedAuto;
    }
    if (tookAppend) {
        int savedAuto = ctx->unlockAuto;
        ctx->unlockAuto = 1;
        int urc = tableUnlockAppend(t);
        ctx->unlockAuto = savedAuto;
        // The count stays known: we wrote it ourselves.
        if (rc == 0) f->numRecs = newRec;
        if (rc == 0 && urc < 0) rc = urc;
    }
    if (rc < 0) {
        t->recNo = 0;
        return keyStatus > 0 ? keyStatus : rc;
    }
    t->recNo = newRec;
    t->seenCount = newRec;
    t->bof = t->eof = false;
    t->recordChanged = false;
    std::memcpy(t->oldRecord.data(), t->record.data(), t->record.size());
    return 0;
}

int tableAppendBlank(TableHandle* t) {
    int rc = tableAppendStart(t, false);
    if (rc < 0) return rc;
    if ((rc = tableBlank(t)) < 0) return rc;
    return tableAppend(t);
}

int tableUpdateRecord(TableHandle* t, bool unlock) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    TableFile* f = t->file;
    if (t->recNo > 0 && t->recordChanged) {
        if (f->data.readOnly)
            return engineError(t->ctx, e4write, L4tableUpdateRecord, EngineText(IDS_SCHREIBVERSUCH_NURLESE), t->alias.c_str());
        // The log may have to lock the record first: 50 leaves it unwritten.
        if (t->ctx->tranLog && (rc = t->ctx->tranLog->RecordWriting(t)) != 0) return rc;
        bool memoHeld = false;
        if ((rc = tableMemoHold(t, false, &memoHeld)) != 0) return rc;
        if ((rc = t->ctx->tableIndex->writeKeys(t, t->recNo)) != 0) {
            tableMemoHoldEnd(t, memoHeld);
            return rc;
        }
        std::vector<MemoRun> freeLater;
        if ((rc = tableMemoWrite(t, &freeLater)) >= 0) rc = WriteRecordAt(t, t->recNo, false);
        if (rc < 0) t->ctx->tableIndex->unwriteKeys(t, t->recNo);
        int drc = t->ctx->tableIndex->keysDone(t);
        if (rc == 0) rc = drc;
        if (rc == 0) rc = memoFileRelease(&f->memo, freeLater);
        tableMemoHoldEnd(t, memoHeld);
        if (rc < 0) return rc;
        t->recordChanged = false;
        std::memcpy(t->oldRecord.data(), t->record.data(), t->record.size());
    }
    if (unlock && t->recNo > 0 && t->ctx->unlockAuto) tableUnlockRecord(t, t->recNo);
    return 0;
}

int tableUpdate(TableHandle* t) {
    int rc = tableUpdateRecord(t, false);
    if (rc != 0) return rc;
    TableFile* f = t->file;
    if (f->appendedSinceHeader && (f->appendLockOwner == t->serial || f->accessMode != 0)) rc = tableWriteHeader(f);
    return rc;
}

int tableFlushData(TableHandle* t) {
    int rc = tableUpdate(t);
    if (rc != 0) return rc;
    if ((rc = fileFlush(&t->file->data)) < 0) return rc;
    if (t->file->hasMemoFile) rc = fileFlush(&t->file->memo.file);
    return rc;
}

int tableFlush(TableHandle* t) {
    int rc = tableFlushData(t);
    if (rc != 0) return rc;
    return t->ctx->tableIndex->flush(t);
}

} // namespace vx
