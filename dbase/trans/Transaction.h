// The transaction log "TRANS.LOG": user slots, log entries, and start,
// commit and rollback of transactions across all tables of a context.
//
// The log is used only when it already exists; the engine never creates it.
// Entries are appended as length, data and a closing header, so that the
// file is read from its end backwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbase/file/EngineFile.h"
#include "dbase/data/TransactionLog.h"

namespace vx {

struct EngineContext;
struct TableHandle;

// Log states kept in EngineContext::tranState.
enum : int {
    kTranClosed = 0,
    kTranOpen = 110,
    kTranActive = 120,
    kTranRollingBack = 130,
    kTranSuspended = -2,
};

// Entry types.
enum : int16_t {
    kLogOpenTable = 1,
    kLogOpenTemp = 2,
    kLogCloseTable = 3,
    kLogStart = 4,
    kLogCommit = 6,
    kLogRolledBack = 7,
    kLogWrite = 8,
    kLogAppend = 9,
    kLogAppendFailed = 10,
    kLogPack = 12,
    kLogJoin = 15,
    kLogClean = 16,
    kLogBackup = 17,
    kLogLeave = 18,
};

constexpr int kLogHeaderLen = 28;
// One lock byte per user slot, and the gate of the consistency check.
constexpr int64_t kLogSlotFirst = 1000001001;
constexpr int kLogSlots = 1000;
constexpr int64_t kLogCheckGate = 1000002001;
// Held only while one entry is appended, so that users do not write over
// each other's entries at the end of the shared file.
constexpr int64_t kLogWriteGate = 1000002002;

// The closing header of an entry.
struct LogEntryHeader {
    int32_t tranId = 0;
    int32_t client = 0;
    int32_t owner[2] = {0, 0};
    int16_t type = 0;
    int32_t dataLen = 0;
    int32_t time = 0;
};
void logHeaderEncode(const LogEntryHeader& h, unsigned char out[kLogHeaderLen]);
LogEntryHeader logHeaderDecode(const unsigned char in[kLogHeaderLen]);

// The context's log block; engineInit installs it as the context's log.
class TransactionState : public TransactionLog {
public:
    explicit TransactionState(EngineContext* ctx) : ctx_(ctx) {}
    ~TransactionState() override;

    int OpenIfPresent(EngineContext*) override;
    int TableOpened(TableHandle* t) override;
    int TableClosing(TableHandle* t, bool* defer) override;
    int AppendStarting(TableHandle* t, long recNo) override;
    int AppendDone(TableHandle* t, int result) override;
    int RecordWriting(TableHandle* t) override;
    int PackStarting(TableHandle* t) override;
    void ShuttingDown(EngineContext*) override;

    int Open(const std::string& logName, const std::string& userName);
    int Close();
    int Start();
    int Commit(bool unlock);
    int Rollback();

    bool IsOpen() const { return file_.isOpen; }
    int Slot() const { return slot_; }

private:
    struct Entry {
        int64_t start; // of the length field
        LogEntryHeader header;
    };
    int Append(int16_t type, TableHandle* t, const std::vector<unsigned char>& data, bool flush = true);
    int CheckConsistency();
    // alone: no other user is in the log; every unfinished transaction is
    // rolled back and the log marked clean. Otherwise only those whose user
    // is dead (its slot free, or taken again since the start).
    int Recover(const std::vector<Entry>& entries, int64_t validEnd, bool alone);
    int RecoverDead(bool alone);
    bool SlotIsFree(int slot);
    int ReadForward(std::vector<Entry>& out, int64_t* validEnd);
    int Join();
    long LastIdOfSlot();
    int UndoEntry(const LogEntryHeader& h, const unsigned char* data, TableHandle* t, bool recovering);
    void CloseDeferred();
    // The open tables and those whose close waits for the end of the transaction.
    std::vector<TableHandle*> Tables() const;
    int Fail(int code, const char* what);

    EngineContext* ctx_;
    EngineFile file_;
    int slot_ = 0; // 1..1000 once joined
    std::string user_;
    long tranId_ = 0;
    int savedUnlockAuto_ = 1;
    bool finishing_ = false;
    bool implicit_ = false;
    bool busy_ = false; // opening or recovering: tables opened meanwhile are not logged
    bool othersActive_ = false; // recovering while live users work with the tables
    std::vector<TableHandle*> deferred_;
    std::vector<unsigned char> all_; // the whole log while it is recovered
};

// Opens the log with the given names ("" for "TRANS.LOG" and "PUBLIC").
// 170 when a log is already open, 70 quietly when the log does not exist.
int engineLogOpen(EngineContext* ctx, const char* logName, const char* userName);
// Leaves the log: the last user marks it clean.
int engineLogClose(EngineContext* ctx);
int engineTranStart(EngineContext* ctx);
// Ends the active transaction; with unlock and unlock-auto mode 1 every lock goes.
int engineTranCommit(EngineContext* ctx, bool unlock);
int engineTranRollback(EngineContext* ctx);

} // namespace vx
