// Reading the log back: undoing entries, recovering the transactions of
// users that died, and the consistency check at open.
#include "dbase/trans/Transaction.h"
#include "dbase/trans/TransactionInternal.h"

#include "dbase/file/EngineContext.h"
#include "dbase/util/Convert.h"
#include "dbase/index/KeyWrite.h"
#include "dbase/data/Table.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <set>

namespace vx {
namespace {

bool IsMemoField(const Field& fld) { return fld.memo != nullptr; }

} // namespace

int TransactionState::ReadForward(std::vector<Entry>& out, int64_t* validEnd) {
    out.clear();
    int64_t len = fileLen(&file_);
    if (len < 0) return int(len);
    all_.assign(size_t(len), 0);
    if (len > 0) {
        int rc = fileReadAll(&file_, 0, all_.data(), all_.size());
        if (rc < 0) return rc;
    }
    int64_t pos = 0;
    // A torn entry at the end (a writer killed while appending) ends the walk.
    while (pos + 32 <= len) {
        int64_t total = Get32(all_.data() + pos);
        if (total < 32 || pos + total > len) break;
        LogEntryHeader h = logHeaderDecode(all_.data() + pos + total - kLogHeaderLen);
        if (h.dataLen != total - 32) break;
        out.push_back({pos, h});
        pos += total;
    }
    *validEnd = pos;
    return 0;
}

int TransactionState::UndoEntry(const LogEntryHeader& h, const unsigned char* data, TableHandle* t, bool recovering) {
    TableFile* f = t->file;
    const char* alias = t->alias.c_str();
    if (h.dataLen < 4) return engineError(ctx_, e4rollback, L4engineTranRollback, EngineText(IDS_TRANSAKTIONSDATEI_KORRUPT), alias);
    long recNo = long(int32_t(Get32(data)));
    if (h.type == kLogWrite) {
        size_t recLen = f->recLen;
        if (size_t(h.dataLen) < 4 + 2 * recLen)
            return engineError(ctx_, e4rollback, L4engineTranRollback, EngineText(IDS_TRANSAKTIONSDATEI_KORRUPT), alias);
        if (!recovering && tableLockTest(t, recNo) != 1)
            return engineError(ctx_, e4lock, L4engineTranRollback, EngineText(IDS_SATZSPERRE_FEHLT), alias);
        if (recovering && othersActive_) {
            // Beside live users: only a record that still holds the dead
            // user's image goes back, under its lock.
            int saved = ctx_->lockAttempts;
            ctx_->lockAttempts = 1;
            int lrc = tableLock(t, recNo);
            ctx_->lockAttempts = saved;
            if (lrc != 0) return lrc < 0 ? lrc : 0;
            std::vector<char> now(recLen);
            int64_t at = int64_t(f->headerLen) + int64_t(recNo - 1) * recLen;
            if ((lrc = fileReadAll(&f->data, at, now.data(), recLen)) < 0) return lrc;
            if (std::memcmp(now.data(), data + 4 + recLen, recLen) != 0) return 0;
        }
        std::vector<char> image(reinterpret_cast<const char*>(data + 4), reinterpret_cast<const char*>(data + 4) + recLen);
        const unsigned char* p = data + 4 + 2 * recLen;
        const unsigned char* end = data + h.dataLen;
        for (const Field& fld : t->fields) {
            if (!IsMemoField(fld)) continue;
            if (end - p < 4) break;
            uint32_t oldLen = Get32(p);
            const unsigned char* oldData = p + 4;
            if (uint64_t(end - oldData) < uint64_t(oldLen) + 4) break;
            uint32_t newLen = Get32(oldData + oldLen);
            const unsigned char* newData = oldData + oldLen + 4;
            if (uint64_t(end - newData) < newLen) break;
            p = newData + newLen;
            if (oldLen == newLen && std::memcmp(oldData, newData, oldLen) == 0) continue;
            // The old run may have been freed and reused by the write being
            // undone: the old contents get a run of their own.
            long block = 0;
            if (oldLen > 0) {
                int rc = memoFileWrite(&f->memo, &block, reinterpret_cast<const char*>(oldData), oldLen);
                if (rc < 0) return rc;
                EngineLongToAscii(block, image.data() + fld.offset, fld.len);
            } else {
                std::memset(image.data() + fld.offset, ' ', fld.len);
            }
        }
        // The tags go back to the old image's keys before the data does.
        std::memcpy(t->record.data(), image.data(), recLen);
        int rc = tableWriteKeys(t, recNo);
        if (rc != 0) return rc < 0 ? rc : engineError(ctx_, e4rollback, L4engineTranRollback, EngineText(IDS_DATENBANK_KORRUPT), alias);
        f->readAhead.count = 0;
        int64_t pos = int64_t(f->headerLen) + int64_t(recNo - 1) * f->recLen;
        rc = fileWrite(&f->data, pos, image.data(), recLen);
        int drc = tableKeysDone(t);
        return rc < 0 ? rc : drc;
    }
    // An append: only the last record can go again (its keys leave the
    // tags once index files are kept).
    long count = f->numRecs;
    bool countIsOurs = f->accessMode != 0 || f->appendLockOwner != 0 || f->fileLockOwner != 0;
    if (recovering && othersActive_) {
        // Nobody appends while the count is cut back.
        int saved = ctx_->lockAttempts;
        ctx_->lockAttempts = 1;
        int lrc = tableLockAppend(t);
        ctx_->lockAttempts = saved;
        if (lrc != 0) return lrc < 0 ? lrc : 0;
    }
    if (count < 0 || !countIsOurs || recovering) {
        int rc = tableReadCount(f);
        if (rc < 0) return rc;
        count = f->numRecs;
    }
    if (recNo == count) {
        --count;
    } else if (recovering && recNo < count) {
        // Others appended behind it since: it stays, marked deleted.
        f->readAhead.count = 0;
        const char mark = '*';
        return fileWrite(&f->data, int64_t(f->headerLen) + int64_t(recNo - 1) * f->recLen, &mark, 1);
    } else if (recNo != count + 1) {
        return engineError(ctx_, e4rollback, L4engineTranRollback, EngineText(IDS_DATENBANK_KORRUPT), alias);
    } else if (!recovering) {
        return 0;
    }
    // The record's keys leave every tag before it goes.
    f->readAhead.count = 0;
    if (!t->indexes.empty() && recNo == count + 1) {
        int64_t at = int64_t(f->headerLen) + int64_t(recNo - 1) * f->recLen;
        int rc = fileReadAll(&f->data, at, t->record.data(), f->recLen);
        if (rc == 0) rc = tableAppendKeysUndo(t, recNo);
        if (rc < 0 && !recovering) return rc;
        // After a crash the record may be torn; the rebuild mends its keys.
        if (rc < 0) ctx_->errorCode = 0;
    }
    // Cut back behind the last record kept; after a crash this also drops a
    // record written only in part.
    int64_t endPos = int64_t(f->headerLen) + int64_t(count) * f->recLen;
    int rc = fileLenSet(&f->data, endPos);
    const char eof = 0x1A;
    if (rc == 0) rc = fileWrite(&f->data, endPos, &eof, 1);
    if (rc < 0) return rc;
    f->numRecs = count;
    return tableWriteHeader(f);
}

int TransactionState::Recover(const std::vector<Entry>& entries, int64_t validEnd, bool alone) {
    // Transactions that started and never ended, by id; and for each entry
    // the table its writer had opened under that owner.
    std::map<int32_t, bool> open;
    std::map<int32_t, size_t> lastStart;
    std::map<int32_t, size_t> lastJoin; // by slot
    std::map<std::pair<int32_t, int32_t>, std::string> names;
    std::vector<std::string> tableOf(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const LogEntryHeader& h = entries[i].header;
        const unsigned char* data = all_.data() + entries[i].start + 4;
        auto key = std::make_pair(h.client, h.owner[0]);
        switch (h.type) {
        case kLogOpenTable:
        case kLogOpenTemp:
            if (h.dataLen >= 2) {
                uint16_t n = Get16(data);
                if (2 + size_t(n) <= size_t(h.dataLen)) names[key] = std::string(reinterpret_cast<const char*>(data + 2), n);
            }
            break;
        case kLogStart:
            open[h.tranId] = true;
            lastStart[h.tranId] = i;
            break;
        case kLogJoin: lastJoin[h.client] = i; break;
        case kLogCommit:
        case kLogRolledBack: open[h.tranId] = false; break;
        case kLogWrite:
        case kLogAppend: {
            auto it = names.find(key);
            if (it != names.end()) tableOf[i] = it->second;
            break;
        }
        default: break;
        }
    }
    int rc = 0;
    // A torn entry at the end is cut off only while nobody else appends.
    if (alone && validEnd < int64_t(all_.size())) rc = fileLenSet(&file_, validEnd);
    if (rc < 0) return rc;
    std::set<int32_t> unfinished;
    for (const auto& [id, isOpen] : open) {
        if (!isOpen) continue;
        if (!alone) {
            // A live user's transaction is never touched: its user is dead
            // when its slot is free or was joined again after the start.
            int slot = int(entries[lastStart[id]].header.client);
            auto join = lastJoin.find(slot);
            bool rejoined = join != lastJoin.end() && join->second > lastStart[id];
            if (slot == slot_ || (!rejoined && !SlotIsFree(slot))) continue;
        }
        unfinished.insert(id);
    }
    if (!alone && unfinished.empty()) {
        all_.clear();
        return 0;
    }
    othersActive_ = !alone;
    std::map<std::string, TableHandle*> tables;
    int savedErrOpen = ctx_->errOpen, savedSingle = ctx_->singleOpen, savedAccess = ctx_->accessMode,
        savedReadOnly = ctx_->readOnly, savedAuto = ctx_->autoOpen;
    ctx_->errOpen = 0;
    ctx_->singleOpen = 0;
    ctx_->accessMode = 0;
    ctx_->readOnly = 0;
    // Beside live users the keys go back with the records, under the index
    // locks; alone the production index is rebuilt afterwards.
    ctx_->autoOpen = alone ? 0 : 1;
    for (size_t i = entries.size(); i-- > 0 && rc >= 0;) {
        const LogEntryHeader& h = entries[i].header;
        if (!unfinished.count(h.tranId) || (h.type != kLogWrite && h.type != kLogAppend)) continue;
        // Only what came after the unfinished start.
        if (i < lastStart[h.tranId]) continue;
        if (tableOf[i].empty()) continue;
        auto it = tables.find(tableOf[i]);
        if (it == tables.end()) {
            TableHandle* t = tableOpen(ctx_, tableOf[i]);
            if (!t) ctx_->errorCode = 0;
            it = tables.emplace(tableOf[i], t).first;
        }
        // A table that is gone has nothing left to undo.
        if (!it->second) continue;
        rc = UndoEntry(h, all_.data() + entries[i].start + 4, it->second, true);
    }
    // The undo went to the records only: the production index of every table
    // rolled back is rebuilt from them.
    for (auto& [name, t] : tables) {
        if (rc < 0 || !alone || !t || !(t->file->headerFlags & 1)) continue;
        IndexFile* index = indexOpen(t, nullptr);
        if (!index) {
            ctx_->errorCode = 0;
            continue;
        }
        rc = indexReindex(index);
        if (rc > 0) rc = engineError(ctx_, e4rollback, L4engineTranRollback, EngineText(IDS_DATENBANK_KORRUPT), name.c_str());
    }
    ctx_->errOpen = savedErrOpen;
    ctx_->singleOpen = savedSingle;
    ctx_->accessMode = savedAccess;
    ctx_->readOnly = savedReadOnly;
    ctx_->autoOpen = savedAuto;
    for (auto& [name, t] : tables)
        if (t) {
            int crc = tableClose(t);
            if (rc == 0 && crc < 0) rc = crc;
        }
    othersActive_ = false;
    all_.clear();
    if (rc < 0) return rc;
    long savedId = tranId_;
    for (int32_t id : unfinished) {
        tranId_ = id;
        if ((rc = Append(kLogRolledBack, nullptr, {})) < 0) break;
    }
    tranId_ = savedId;
    if (rc == 0 && alone) rc = Append(kLogClean, nullptr, {});
    return rc;
}

bool TransactionState::SlotIsFree(int slot) {
    if (slot < 1 || slot > kLogSlots) return false;
    if (TryLock(&file_, kLogSlotFirst + slot - 1, 1) != 0) {
        ctx_->errorCode = 0;
        return false;
    }
    fileUnlock(&file_, kLogSlotFirst + slot - 1, 1);
    return true;
}

int TransactionState::RecoverDead(bool alone) {
    std::vector<Entry> entries;
    int64_t validEnd = 0;
    int rc = ReadForward(entries, &validEnd);
    if (rc < 0) return rc;
    if (entries.empty()) return alone ? engineError(ctx_, e4tranFail, L4engineLogOpen, EngineText(IDS_TRANSAKTIONSDATEI_WIEDERHERSTELLEN), file_.name.c_str()) : 0;
    return Recover(entries, validEnd, alone);
}

int TransactionState::CheckConsistency() {
    int rc = TryLock(&file_, kLogSlotFirst, kLogSlots);
    if (rc == r4locked) {
        // Others are working with the log; users that died among them are
        // rolled back all the same.
        ctx_->errorCode = 0;
        return RecoverDead(false);
    }
    if (rc < 0) return rc;
    fileUnlock(&file_, kLogSlotFirst, kLogSlots);
    int64_t len = fileLen(&file_);
    if (len < 0) return int(len);
    unsigned char first[32];
    if (len < 32 || fileReadAll(&file_, 0, first, 32) < 0 || Get32(first) != 32) {
        ctx_->errorCode = 0;
        return engineError(ctx_, e4read, L4engineLogOpen, file_.name.c_str());
    }
    if (logHeaderDecode(first + 4).type == kLogBackup)
        return engineError(ctx_, e4tranFail, L4engineLogOpen,
                           EngineText(IDS_TRANSAKTIONSDATEI_OHNE_BACKUP));
    unsigned char last[32];
    if ((rc = fileReadAll(&file_, len - 32, last, 32)) < 0) return rc;
    if (Get32(last) == 32 && logHeaderDecode(last + 4).type == kLogClean) return 0;
    // Left by a user that ended without leaving (a crash): its unfinished
    // transactions are rolled back and the log marked clean again.
    return RecoverDead(true);
}

long TransactionState::LastIdOfSlot() {
    int64_t pos = fileLen(&file_);
    while (pos >= 32) {
        unsigned char head[kLogHeaderLen];
        if (fileReadAll(&file_, pos - kLogHeaderLen, head, kLogHeaderLen) < 0) return 0;
        LogEntryHeader h = logHeaderDecode(head);
        if (h.dataLen < 0 || h.dataLen + 32 > pos) return 0;
        if (h.tranId > 0 && h.tranId % kLogSlots == slot_ % kLogSlots) return h.tranId;
        pos -= h.dataLen + 32;
    }
    return 0;
}
} // namespace vx
