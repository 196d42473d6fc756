#include "dbase/trans/Transaction.h"
#include "dbase/trans/TransactionInternal.h"

#include "dbase/util/Convert.h"
#include "dbase/file/EngineContext.h"
#include "dbase/file/FileName.h"
#include "dbase/index/KeyWrite.h"
#include "dbase/data/Table.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include <sys/stat.h>

namespace vx {
namespace {

void Put32(std::vector<unsigned char>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
void Put16(std::vector<unsigned char>& v, uint16_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void PutBytes(std::vector<unsigned char>& v, const void* p, size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    v.insert(v.end(), b, b + n);
}

// Holds a lock for one short step; other users wait in the system call.
class ShortLock {
public:
    ShortLock(EngineFile* f, int64_t byte) : f_(f), byte_(byte) { ok_ = Set(F_WRLCK); }
    ~ShortLock() {
        if (ok_) Set(F_UNLCK);
    }
    bool ok() const { return ok_; }

private:
    bool Set(short type) {
        struct flock fl;
        std::memset(&fl, 0, sizeof fl);
        fl.l_type = type;
        fl.l_whence = SEEK_SET;
        fl.l_start = byte_;
        fl.l_len = 1;
        for (;;) {
            if (fileSystemCalls().Lock(f_->fd, F_OFD_SETLKW, &fl) == 0) return true;
            if (errno != EINTR) return false;
        }
    }
    EngineFile* f_;
    int64_t byte_;
    bool ok_ = false;
};

// The memo contents at the block number written in a record's field.
int ReadMemoOf(TableHandle* t, const char* record, const Field& fld, std::vector<char>& out, uint32_t* len) {
    long block = convertToLong(record + fld.offset, fld.len);
    *len = 0;
    out.assign(1, 0);
    if (block <= 0 || !t->file->hasMemoFile) return 0;
    return memoFileRead(&t->file->memo, block, out, len);
}

void BlankTable(TableHandle* t) {
    std::memset(t->record.data(), ' ', t->file->recLen);
    t->record[t->file->recLen] = 0;
    t->recNo = -1;
    t->recordChanged = false;
    for (auto& m : t->memos) {
        m.loaded = false;
        m.changed = false;
        m.len = 0;
    }
}

} // namespace

int TryLock(EngineFile* f, int64_t start, int64_t len) {
    EngineContext* ctx = f->ctx;
    int saved = ctx->lockAttempts;
    ctx->lockAttempts = 1;
    int rc = fileLock(f, start, len);
    ctx->lockAttempts = saved;
    return rc;
}

void logHeaderEncode(const LogEntryHeader& h, unsigned char out[kLogHeaderLen]) {
    std::vector<unsigned char> v;
    Put32(v, uint32_t(h.tranId));
    Put32(v, uint32_t(h.client));
    Put32(v, uint32_t(h.owner[0]));
    Put32(v, uint32_t(h.owner[1]));
    Put16(v, uint16_t(h.type));
    Put16(v, 0);
    Put32(v, uint32_t(h.dataLen));
    Put32(v, uint32_t(h.time));
    std::memcpy(out, v.data(), kLogHeaderLen);
}

LogEntryHeader logHeaderDecode(const unsigned char in[kLogHeaderLen]) {
    LogEntryHeader h;
    h.tranId = int32_t(Get32(in));
    h.client = int32_t(Get32(in + 4));
    h.owner[0] = int32_t(Get32(in + 8));
    h.owner[1] = int32_t(Get32(in + 12));
    h.type = int16_t(Get16(in + 16));
    h.dataLen = int32_t(Get32(in + 20));
    h.time = int32_t(Get32(in + 24));
    return h;
}

TransactionState::~TransactionState() {
    if (file_.isOpen) fileClose(&file_);
}

int TransactionState::Fail(int code, const char* what) {
    int location = ctx_->tranState == kTranRollingBack ? L4engineTranRollback : L4engineTranStart;
    return engineError(ctx_, code, location, what);
}

int TransactionState::Append(int16_t type, TableHandle* t, const std::vector<unsigned char>& data, bool flush) {
    LogEntryHeader h;
    h.tranId = int32_t(tranId_);
    h.client = slot_;
    h.owner[0] = t ? int32_t(t->serial) : 0;
    h.owner[1] = type == kLogClean ? 1 : 0;
    h.type = type;
    h.dataLen = int32_t(data.size());
    h.time = int32_t(std::time(nullptr));
    std::vector<unsigned char> entry;
    entry.reserve(data.size() + 32);
    Put32(entry, uint32_t(data.size() + 32));
    entry.insert(entry.end(), data.begin(), data.end());
    unsigned char head[kLogHeaderLen];
    logHeaderEncode(h, head);
    PutBytes(entry, head, kLogHeaderLen);
    int rc = 0;
    {
        // One write of the whole entry at the end, under the write gate.
        ShortLock gate(&file_, kLogWriteGate);
        int64_t end = gate.ok() ? fileLen(&file_) : -1;
        rc = end < 0 ? -1 : fileWrite(&file_, end, entry.data(), entry.size());
    }
    if (rc == 0 && flush) rc = fileFlush(&file_);
    if (rc != 0) {
        ctx_->errorCode = 0;
        return engineError(ctx_, e4tranAppend, L4engineLogOpen, file_.name.c_str());
    }
    return 0;
}

int TransactionState::Join() {
    for (int i = 0; i < kLogSlots && slot_ == 0; ++i) {
        int rc = TryLock(&file_, kLogSlotFirst + i, 1);
        if (rc < 0) return rc;
        if (rc == 0) slot_ = i + 1;
    }
    if (slot_ == 0)
        return engineError(ctx_, e4max, L4engineLogOpen, EngineText(IDS_BENUTZERZAHL_UEBERSCHRITTEN));
    tranId_ = LastIdOfSlot();
    std::vector<unsigned char> data;
    Put16(data, 0);
    Put16(data, uint16_t(user_.size()));
    PutBytes(data, user_.data(), user_.size());
    return Append(kLogJoin, nullptr, data);
}

int TransactionState::Open(const std::string& logName, const std::string& userName) {
    if (file_.isOpen) return r4logOpen;
    char name[1024];
    std::string given = logName.empty() ? std::string("TRANS.LOG") : logName;
    if (given.size() >= sizeof name)
        return engineError(ctx_, e4name, L4engineLogOpen, EngineText(IDS_DATEINAME_ZU_LANG), given.c_str());
    std::strcpy(name, given.c_str());
    utilNameExt(name, sizeof name, "log", false);
    int savedAccess = ctx_->accessMode, savedReadOnly = ctx_->readOnly, savedErrOpen = ctx_->errOpen,
        savedError = ctx_->errorCode;
    ctx_->accessMode = 0;
    ctx_->readOnly = 0;
    ctx_->errOpen = 0;
    int rc = fileOpen(&file_, ctx_, name);
    ctx_->accessMode = savedAccess;
    ctx_->readOnly = savedReadOnly;
    ctx_->errOpen = savedErrOpen;
    if (rc == r4noOpen) {
        // No log: the tables are used without one.
        ctx_->errorCode = savedError;
        return r4noOpen;
    }
    if (rc < 0) return rc;
    user_ = userName.empty() ? std::string("PUBLIC") : userName.substr(0, 10);
    busy_ = true;
    rc = fileLockWait(&file_, kLogCheckGate, 1);
    if (rc == 0) {
        rc = CheckConsistency();
        if (rc >= 0) rc = Join();
        fileUnlock(&file_, kLogCheckGate, 1);
    }
    busy_ = false;
    if (rc < 0) {
        slot_ = 0;
        fileClose(&file_);
        return rc;
    }
    ctx_->tranState = kTranOpen;
    return 0;
}

int TransactionState::Close() {
    if (!file_.isOpen) return 0;
    int result = 0;
    // Joins and leaves one at a time, so that a joining user never sees the
    // slot range held by one who is leaving.
    if (fileLockWait(&file_, kLogCheckGate, 1) == 0) {
        if (slot_ != 0) {
            result = Append(kLogLeave, nullptr, {});
            fileUnlock(&file_, kLogSlotFirst + slot_ - 1, 1);
            slot_ = 0;
        }
        // The last one out rolls back what dead users left and marks the log
        // clean; while others stay, only the dead users' transactions go.
        busy_ = true;
        bool alone = TryLock(&file_, kLogSlotFirst, kLogSlots) == 0;
        int rc = RecoverDead(alone);
        if (result == 0) result = rc;
        if (alone) fileUnlock(&file_, kLogSlotFirst, kLogSlots);
        busy_ = false;
        fileUnlock(&file_, kLogCheckGate, 1);
    }
    fileClose(&file_);
    ctx_->tranState = kTranClosed;
    finishing_ = false;
    return result;
}

int TransactionState::OpenIfPresent(EngineContext*) {
    if (file_.isOpen || busy_) return 0;
    int rc = Open("", "");
    return rc < 0 ? rc : 0;
}

int TransactionState::TableOpened(TableHandle* t) {
    if (busy_ || (ctx_->tranState != kTranOpen && ctx_->tranState != kTranActive)) return 0;
    t->logChanges = true;
    TableFile* f = t->file;
    std::vector<unsigned char> data;
    Put16(data, uint16_t(f->fullName.size()));
    PutBytes(data, f->fullName.data(), f->fullName.size());
    Put32(data, f->recLen);
    Put16(data, uint16_t(f->numFields));
    Put32(data, uint32_t(std::max(f->numRecs, 0L)));
    struct stat st;
    uint32_t mtime = ::fstat(f->data.fd, &st) == 0 ? uint32_t(st.st_mtime) : 0;
    Put32(data, mtime);
    // The first three header bytes: version, year and month.
    data.push_back(f->version);
    PutBytes(data, f->date, 2);
    return Append(f->data.isTemp ? kLogOpenTemp : kLogOpenTable, t, data);
}

int TransactionState::TableClosing(TableHandle* t, bool* defer) {
    *defer = false;
    if (!t->logChanges) return 0;
    if (ctx_->tranState == kTranActive) {
        if (std::find(deferred_.begin(), deferred_.end(), t) == deferred_.end()) deferred_.push_back(t);
        *defer = true;
        return 0;
    }
    deferred_.erase(std::remove(deferred_.begin(), deferred_.end(), t), deferred_.end());
    if (ctx_->tranState != kTranOpen || !file_.isOpen) return 0;
    return Append(kLogCloseTable, t, {});
}

int TransactionState::AppendStarting(TableHandle* t, long recNo) {
    if (busy_ || !t->logChanges) return 0;
    if (ctx_->tranState == kTranOpen) {
        int rc = Start();
        if (rc < 0) return rc;
        implicit_ = true;
    }
    if (ctx_->tranState != kTranActive) return 0;
    std::vector<unsigned char> data;
    Put32(data, uint32_t(recNo));
    PutBytes(data, t->record.data(), t->file->recLen);
    for (const auto& m : t->memos) {
        Put32(data, m.len);
        if (m.len > 0) PutBytes(data, m.contents.data(), m.len);
    }
    return Append(kLogAppend, t, data);
}

int TransactionState::AppendDone(TableHandle* t, int result) {
    if (ctx_->tranState == kTranActive && t->logChanges && result < 0) {
        int saved = ctx_->errorCode;
        ctx_->errorCode = 0;
        Append(kLogAppendFailed, t, {});
        ctx_->errorCode = saved;
    }
    if (implicit_) {
        implicit_ = false;
        int saved = ctx_->errorCode;
        ctx_->errorCode = 0;
        // A failed append changed nothing to undo; its transaction ends as
        // rolled back without touching the other tables.
        int rc = result < 0 ? Append(kLogRolledBack, nullptr, {}) : Commit(false);
        if (saved < 0) ctx_->errorCode = saved;
        // Whatever failed, the implicit transaction is over: a full disk must
        // not leave every later lock release switched off.
        if (ctx_->tranState == kTranActive) {
            ctx_->tranState = kTranOpen;
            ctx_->unlockAuto = savedUnlockAuto_;
            CloseDeferred();
        }
        if (result >= 0 && rc < 0) result = rc;
    }
    return result;
}

int TransactionState::RecordWriting(TableHandle* t) {
    if (busy_ || ctx_->tranState != kTranActive || !t->logChanges) return 0;
    // A rollback writes the record back only under the lock it expects.
    int rc = tableLock(t, t->recNo);
    if (rc != 0) return rc;
    TableFile* f = t->file;
    std::vector<char> old(f->recLen);
    int64_t pos = int64_t(f->headerLen) + int64_t(t->recNo - 1) * f->recLen;
    if ((rc = fileReadAll(&f->data, pos, old.data(), old.size())) < 0) return rc;
    std::vector<unsigned char> data;
    Put32(data, uint32_t(t->recNo));
    PutBytes(data, old.data(), old.size());
    PutBytes(data, t->record.data(), f->recLen);
    std::vector<char> contents;
    for (const auto& m : t->memos) {
        uint32_t len = 0;
        if ((rc = ReadMemoOf(t, old.data(), *m.field, contents, &len)) < 0) return rc;
        Put32(data, len);
        PutBytes(data, contents.data(), len);
        if (m.changed) {
            Put32(data, m.len);
            if (m.len > 0) PutBytes(data, m.contents.data(), m.len);
        } else {
            Put32(data, len);
            PutBytes(data, contents.data(), len);
        }
    }
    return Append(kLogWrite, t, data);
}

int TransactionState::PackStarting(TableHandle* t) {
    if (busy_ || !t->logChanges) return 0;
    if (ctx_->tranState == kTranActive)
        return engineError(ctx_, e4trans, L4tablePack, EngineText(IDS_PACKEN_TRANSAKTIONSKONFLIKT));
    TableFile* f = t->file;
    if (f->fileLockOwner != t->serial && f->accessMode == 0)
        return engineError(ctx_, e4trans, L4tablePack,
                           EngineText(IDS_TRANSAKTIONSKONFLIKT_BENUTZER));
    if (ctx_->tranState != kTranOpen) return 0;
    return Append(kLogPack, t, {});
}

void TransactionState::ShuttingDown(EngineContext*) {
    if (ctx_->tranState == kTranActive) {
        int saved = ctx_->errorCode;
        ctx_->errorCode = 0;
        Rollback();
        if (saved < 0) ctx_->errorCode = saved;
    }
}

int TransactionState::Start() {
    if (!file_.isOpen) {
        if (!ctx_->logOpen) return Fail(e4tranFail, EngineText(IDS_TRANSAKTION_OHNE_LOG));
        int rc = Open("", "");
        if (rc < 0) return rc;
        if (!file_.isOpen) return Fail(e4tranFail, EngineText(IDS_TRANSAKTIONEN_AUS));
    }
    if (ctx_->tranState != kTranOpen) return Fail(e4tranFail, EngineText(IDS_TRANSAKTIONEN_AUS));
    if (finishing_) return Fail(e4tranFail, EngineText(IDS_TRANSAKTIONSDATEI_WIEDERHERSTELLEN));
    long previous = tranId_;
    tranId_ = previous > 0 ? previous + kLogSlots : slot_;
    int rc = Append(kLogStart, nullptr, {});
    if (rc < 0) {
        tranId_ = previous;
        return rc;
    }
    ctx_->tranState = kTranActive;
    savedUnlockAuto_ = ctx_->unlockAuto;
    ctx_->unlockAuto = 0;
    return 0;
}

int TransactionState::Commit(bool unlock) {
    if (!file_.isOpen) return engineError(ctx_, e4parm, L4engineTranCommit, EngineText(IDS_TRANSAKTIONEN_AUS));
    if (ctx_->tranState != kTranActive) return 0;
    if (finishing_) return engineError(ctx_, e4tranFail, L4engineTranCommit, EngineText(IDS_TRANSAKTIONSDATEI_WIEDERHERSTELLEN));
    int rc = 0;
    const std::vector<TableHandle*> all = Tables();
    for (TableHandle* t : all)
        if (t->file->appendLockOwner == t->serial && (rc = tableWriteHeader(t->file)) < 0) return rc;
    for (TableHandle* t : all)
        if ((rc = tableFlush(t)) != 0) return rc;
    finishing_ = true;
    if ((rc = Append(kLogCommit, nullptr, {})) < 0) return rc;
    int removed = 0;
    for (TableHandle* t : all)
        if ((removed = tablePendingRemove(t)) < 0) break;
    ctx_->tranState = kTranOpen;
    ctx_->unlockAuto = savedUnlockAuto_;
    for (TableHandle* t : all)
        if (t->file->appendLockOwner == t->serial && (rc = tableWriteHeader(t->file)) < 0) break;
    if (rc == 0 && unlock && ctx_->unlockAuto == 1) rc = engineUnlock(ctx_);
    finishing_ = false;
    CloseDeferred();
    return rc < 0 ? rc : removed < 0 ? removed : rc;
}

int TransactionState::Rollback() {
    if (!file_.isOpen) return engineError(ctx_, e4tranFail, L4engineTranRollback, EngineText(IDS_TRANSAKTIONEN_AUS));
    if (ctx_->tranState != kTranActive)
        return engineError(ctx_, e4tranFail, L4engineTranRollback, EngineText(IDS_KEIN_ROLLBACK));
    if (finishing_) return engineError(ctx_, e4tranFail, L4engineTranRollback, EngineText(IDS_TRANSAKTIONSDATEI_WIEDERHERSTELLEN));
    finishing_ = true;
    ctx_->tranState = kTranRollingBack;
    int result = 0;
    int64_t pos = fileLen(&file_);
    if (pos < 0) result = int(pos);
    std::vector<unsigned char> data;
    while (result == 0) {
        unsigned char head[kLogHeaderLen];
        if (pos < 32) {
            result = engineError(ctx_, e4rollback, L4engineTranRollback, EngineText(IDS_TRANSAKTIONSDATEI_KORRUPT));
            break;
        }
        if ((result = fileReadAll(&file_, pos - kLogHeaderLen, head, kLogHeaderLen)) < 0) break;
        LogEntryHeader h = logHeaderDecode(head);
        int64_t start = pos - 32 - int64_t(h.dataLen);
        unsigned char lenField[4];
        if (h.dataLen < 0 || start < 0 || fileReadAll(&file_, start, lenField, 4) < 0 ||
            Get32(lenField) != uint32_t(h.dataLen) + 32) {
            ctx_->errorCode = 0;
            result = engineError(ctx_, e4rollback, L4engineTranRollback, EngineText(IDS_TRANSAKTIONSDATEI_KORRUPT));
            break;
        }
        pos = start;
        if (h.tranId != tranId_) continue;
        if (h.type == kLogStart) break;
        if (h.type == kLogOpenTable || h.type == kLogOpenTemp || h.type == kLogCloseTable || h.type == kLogAppendFailed)
            continue;
        if (h.type != kLogWrite && h.type != kLogAppend) {
            result = engineError(ctx_, e4rollback, L4engineTranRollback, EngineText(IDS_TRANSAKTIONSDATEI_KORRUPT));
            break;
        }
        data.assign(size_t(h.dataLen), 0);
        if ((result = fileReadAll(&file_, start + 4, data.data(), data.size())) < 0) break;
        TableHandle* t = nullptr;
        for (TableHandle* c : Tables())
            if (c->serial == h.owner[0]) t = c;
        if (!t) {
            result = engineError(ctx_, e4lock, L4engineTranRollback, EngineText(IDS_SATZSPERRE_FEHLT));
            break;
        }
        result = UndoEntry(h, data.data(), t, false);
    }
    for (TableHandle* t : Tables())
        for (IndexFile* i : t->indexes)
            for (auto& th : i->tags) th->pending.clear();
    // The end of the rollback is logged even after a failure.
    int savedError = ctx_->errorCode;
    ctx_->errorCode = 0;
    int rc = Append(kLogRolledBack, nullptr, {});
    if (savedError < 0) ctx_->errorCode = savedError;
    if (result == 0) result = rc;
    ctx_->tranState = kTranOpen;
    ctx_->unlockAuto = savedUnlockAuto_;
    if (result == 0) finishing_ = false;
    // Nothing changed in memory may be written after the rollback.
    for (TableHandle* t : Tables()) BlankTable(t);
    CloseDeferred();
    for (TableHandle* t : ctx_->tables) {
        rc = tableReleaseLocks(t);
        if (result == 0 && rc < 0) result = rc;
    }
    return result;
}

void TransactionState::CloseDeferred() {
    std::vector<TableHandle*> closing;
    closing.swap(deferred_);
    for (TableHandle* t : closing) tableClose(t);
}

std::vector<TableHandle*> TransactionState::Tables() const {
    std::vector<TableHandle*> all = ctx_->tables;
    all.insert(all.end(), deferred_.begin(), deferred_.end());
    return all;
}

int engineLogOpen(EngineContext* ctx, const char* logName, const char* userName) {
    if (!ctx || !ctx->tranBlock) return engineError(ctx, e4parmNull, L4engineLogOpen);
    if (engineInError(ctx)) return e4codeBase;
    return ctx->tranBlock->Open(logName ? logName : "", userName ? userName : "");
}

int engineLogClose(EngineContext* ctx) {
    if (!ctx || !ctx->tranBlock) return e4parmNull;
    return ctx->tranBlock->Close();
}

int engineTranStart(EngineContext* ctx) {
    if (!ctx || !ctx->tranBlock) return engineError(ctx, e4parmNull, L4engineTranStart);
    if (engineInError(ctx)) return e4codeBase;
    return ctx->tranBlock->Start();
}

int engineTranCommit(EngineContext* ctx, bool unlock) {
    if (!ctx || !ctx->tranBlock) return engineError(ctx, e4parmNull, L4engineTranCommit);
    if (engineInError(ctx)) return e4codeBase;
    return ctx->tranBlock->Commit(unlock);
}

int engineTranRollback(EngineContext* ctx) {
    if (!ctx || !ctx->tranBlock) return engineError(ctx, e4parmNull, L4engineTranRollback);
    if (engineInError(ctx)) return e4codeBase;
    return ctx->tranBlock->Rollback();
}

} // namespace vx
