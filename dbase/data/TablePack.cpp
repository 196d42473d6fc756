// Packing a data file: the records not marked deleted move together through
// a side file, so that a pack cut short is finished or undone at the next open.
#include "dbase/data/Table.h"
#include "dbase/data/TableIndex.h"
#include "dbase/data/TableInternal.h"

#include "dbase/data/TransactionLog.h"
#include "platform/Files.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

namespace vx {
namespace {

// A pack first copies the records that move into a side file beside the
// table ("PCK"): a header that says it is being written, the records, then
// the header that describes them and the table as the pack found it. Only
// when both reached the disk does the table's header get the pack's mark and
// number; then the records move in place. While the mark stands no one else
// takes the table's records for the table: the next writable open finishes
// the pack from its side file, when that file checks and belongs to this
// pack and this table, and refuses the table otherwise. A side file without
// the mark in the table changed nothing and goes.
constexpr char kPackMagic[8] = {'P', 'A', 'C', 'K', 'D', 'B', 'F', 0x1A};
constexpr int kPackHeadLen = 48;
constexpr int kPackSumPos = 20;
constexpr int kPackMarkLen = 6; // the mark byte, a zero, the pack's number

struct PackHead {
    uint32_t first = 0; // the position of the first record that moves
    uint32_t moved = 0; // records in the side file
    uint16_t headerLen = 0, recLen = 0;
    uint64_t sum = 0;
    // The table as the pack found it, and the number its mark carries.
    uint32_t count = 0;
    uint64_t length = 0;
    uint32_t number = 0;
    bool complete = false;
};

// A cheap sum over the moved records and the header, so that a side file
// whose records did not all reach the disk, or was changed, is not taken.
uint64_t PackSum(uint64_t h, const char* p, size_t n) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        h = ((h << 7 | h >> 57) ^ w) * 0x100000001B3ull;
    }
    for (; i < n; ++i) h = ((h << 7 | h >> 57) ^ static_cast<unsigned char>(p[i])) * 0x100000001B3ull;
    return h;
}

// The header image; its sum covers the records' sum and every other byte.
void PackHeadImage(const PackHead& head, unsigned char* out) {
    std::memset(out, 0, kPackHeadLen);
    std::memcpy(out, kPackMagic, 8);
    Put32(out + 8, head.first);
    Put32(out + 12, head.moved);
    Put16(out + 16, head.headerLen);
    Put16(out + 18, head.recLen);
    Put32(out + 28, head.count);
    Put32(out + 32, uint32_t(head.length));
    Put32(out + 36, uint32_t(head.length >> 32));
    Put32(out + 40, head.number);
    out[44] = head.complete ? 1 : 0;
    uint64_t sum = PackSum(head.sum, reinterpret_cast<const char*>(out), kPackHeadLen);
    Put32(out + kPackSumPos, uint32_t(sum));
    Put32(out + kPackSumPos + 4, uint32_t(sum >> 32));
}

std::string SideName(const std::string& fullName, const char* ext) {
    std::string side = fullName;
    size_t dot = side.find_last_of("./");
    if (dot != std::string::npos && side[dot] == '.') side.erase(dot);
    return side + "." + ext;
}

std::string PackSideName(const std::string& fullName) { return SideName(fullName, "PCK"); }

// A number for the mark that no earlier pack of this table is likely to have used.
uint32_t PackNumber() {
    uint64_t now = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    uint32_t n = uint32_t(now ^ now >> 32) ^ uint32_t(::getpid()) << 16;
    return n != 0 ? n : 1;
}

int WriteMark(TableFile* f, uint32_t number) {
    unsigned char mark[kPackMarkLen] = {};
    if (number != 0) {
        mark[0] = kPackMark;
        Put32(mark + 2, number);
    }
    int rc = fileWrite(&f->data, kPackMarkPos, mark, sizeof mark);
    // The mark reaches the disk before the first move, and the moves before
    // the mark goes.
    return rc == 0 ? fileFlush(&f->data) : rc;
}

// Writes the side file's records over the table from their position on,
// counts them and cuts the file behind them. Done twice, it writes the same.
int PackApply(TableFile* f, EngineFile* side, const PackHead& head, char* buf, size_t size) {
    const int64_t bytes = int64_t(head.moved) * head.recLen;
    const int64_t to = int64_t(head.headerLen) + int64_t(head.first - 1) * head.recLen;
    int rc = 0;
    for (int64_t done = 0; done < bytes && rc == 0; done += int64_t(size)) {
        size_t n = size_t(std::min<int64_t>(int64_t(size), bytes - done));
        if ((rc = fileReadAll(side, kPackHeadLen + done, buf, n)) == 0) rc = fileWrite(&f->data, to + done, buf, n);
    }
    const char eof = 0x1A;
    if (rc == 0) rc = fileWrite(&f->data, to + bytes, &eof, 1);
    unsigned char count[4];
    Put32(count, head.first - 1 + head.moved);
    if (rc == 0) rc = fileWrite(&f->data, 4, count, 4);
    if (rc == 0) rc = fileLenSet(&f->data, to + bytes + 1);
    return rc;
}

// What a side file holds: -1 none of ours (no mark), 0 one that does not
// check, 1 one whose header and records check (head filled); or an error.
int PackHeadRead(EngineFile* side, PackHead* head, size_t size) {
    unsigned char h[kPackHeadLen];
    int64_t len = fileLen(side);
    if (len < 0) return int(len);
    int64_t got = fileRead(side, 0, h, size_t(std::min<int64_t>(len, kPackHeadLen)));
    if (got < 0) return int(got);
    // A pack killed before its first bytes were written leaves part of the mark.
    if (std::memcmp(h, kPackMagic, size_t(std::min<int64_t>(got, 8))) != 0) return -1;
    if (len < kPackHeadLen) return 0;
    head->first = Get32(h + 8);
    head->moved = Get32(h + 12);
    head->headerLen = Get16(h + 16);
    head->recLen = Get16(h + 18);
    head->count = Get32(h + 28);
    head->length = Get32(h + 32) | uint64_t(Get32(h + 36)) << 32;
    head->number = Get32(h + 40);
    head->complete = h[44] == 1;
    if (!head->complete || head->first == 0 || head->recLen == 0 ||
        len != kPackHeadLen + int64_t(head->moved) * head->recLen)
        return 0;
    // The sum runs record by record, as the pack made it.
    uint64_t sum = 0;
    size_t per = std::max<size_t>(size / head->recLen, 1) * head->recLen;
    std::vector<char> chunk(std::max(per, size));
    for (int64_t done = 0; done < len - kPackHeadLen; done += int64_t(per)) {
        size_t n = size_t(std::min<int64_t>(int64_t(per), len - kPackHeadLen - done));
        if (int rc = fileReadAll(side, kPackHeadLen + done, chunk.data(), n); rc < 0) return rc;
        for (size_t at = 0; at < n; at += head->recLen) sum = PackSum(sum, chunk.data() + at, head->recLen);
    }
    head->sum = sum;
    unsigned char again[kPackHeadLen];
    PackHeadImage(*head, again);
    return std::memcmp(again, h, kPackHeadLen) == 0 ? 1 : 0;
}

// Whether the table is the one the side file was made for: the number of
// the mark, the layout, and the count and length as the pack found them or
// as its moves leave them (a replay cut short stops between the two).
bool PackFits(const PackHead& head, const unsigned char* tableHead, int64_t length) {
    if (Get32(tableHead + kPackMarkPos + 2) != head.number || Get16(tableHead + 8) != head.headerLen ||
        Get16(tableHead + 10) != head.recLen)
        return false;
    const uint32_t after = head.first - 1 + head.moved;
    if (head.first - 1 + uint64_t(head.moved) > head.count) return false;
    const int64_t cut = int64_t(head.headerLen) + int64_t(after) * head.recLen + 1;
    uint32_t count = Get32(tableHead + 4);
    return (count == head.count || count == after) && (uint64_t(length) == head.length || length == cut);
}

// The replay changes record numbers under the production index: its mark
// has the open that follows rebuild it.
int MarkIndexChanging(EngineContext* ctx, TableFile* f, const unsigned char* tableHead) {
    if (!(tableHead[28] & 1)) return 0;
    const std::string path = fileResolveName(SideName(f->fullName, "MDX"));
    if (!FileExists(path)) return 0;
    EngineFile index;
    int savedOpen = ctx->errOpen;
    ctx->errOpen = 1;
    int rc = fileOpen(&index, ctx, path);
    ctx->errOpen = savedOpen;
    if (rc != 0) return rc < 0 ? rc : e4open;
    const unsigned char mark = 1;
    rc = fileWrite(&index, kIndexChangingByte, &mark, 1);
    if (rc == 0) rc = fileFlush(&index);
    int crc = fileClose(&index);
    return rc < 0 ? rc : crc;
}

// The pack's side file while the pack runs: one that is left behind by a
// failure before the table was marked goes with the object.
struct PackSide {
    PackSide(EngineContext* c, std::string p) : ctx(c), path(std::move(p)) {}
    ~PackSide() {
        if (!file.isOpen) return;
        int saved = ctx->errorCode;
        fileClose(&file);
        if (!complete) RemoveFile(file.name);
        ctx->errorCode = saved;
    }
    int Create() {
        int mode = ctx->accessMode, safety = ctx->safety, temp = ctx->createTemp, report = ctx->errCreate;
        ctx->accessMode = 1;
        ctx->safety = 0;
        ctx->createTemp = 0;
        ctx->errCreate = 1;
        int rc = fileCreate(&file, ctx, path);
        ctx->accessMode = mode, ctx->safety = safety, ctx->createTemp = temp, ctx->errCreate = report;
        return rc;
    }
    // After the records moved: the side file has done its work.
    int Remove() {
        complete = true;
        int rc = fileClose(&file);
        if (rc == 0 && !RemoveFile(file.name)) rc = engineError(ctx, e4remove, L4tablePack, file.name.c_str());
        return rc;
    }
    EngineContext* ctx;
    std::string path;
    EngineFile file;
    bool complete = false;
};

// Reported once per context: a file named like the side file that is none.
void NoteForeign(EngineContext* ctx, const std::string& path) {
    auto& seen = ctx->foreignSideFiles;
    if (std::find(seen.begin(), seen.end(), path) != seen.end()) return;
    seen.push_back(path);
    int saved = ctx->errorCode;
    engineError(ctx, e4data, L4tableOpen, EngineText(IDS_KEINE_PACKDATEI), path.c_str());
    ctx->errorCode = saved;
}

int Refuse(EngineContext* ctx, TableFile* f, const char* why) {
    return engineError(ctx, e4packUnfinished, L4tableOpen, why, f->data.name.c_str());
}

// Under the file lock: finishes, drops or keeps the side file; 0 when the
// table is whole afterwards.
int PackRecoverLocked(EngineContext* ctx, TableFile* f, const std::string& path) {
    unsigned char tableHead[32];
    int rc = fileReadAll(&f->data, 0, tableHead, sizeof tableHead);
    if (rc < 0) return rc;
    const bool marked = tableHead[kPackMarkPos] == kPackMark;
    if (!FileExists(path)) return marked ? Refuse(ctx, f, EngineText(IDS_PACKDATEI_FEHLT)) : 0;
    EngineFile side;
    int savedOpen = ctx->errOpen;
    ctx->errOpen = 1;
    rc = fileOpen(&side, ctx, path);
    ctx->errOpen = savedOpen;
    if (rc != 0) return rc < 0 ? rc : e4open;
    size_t size = size_t(std::max(ctx->packBufferSize, 1024));
    std::vector<char> buf(size);
    PackHead head;
    int kind = PackHeadRead(&side, &head, size);
    bool drop = false;
    if (kind < -1) {
        rc = kind;
    } else if (kind == -1) {
        NoteForeign(ctx, path);
        if (marked) rc = Refuse(ctx, f, EngineText(IDS_PACKDATEI_FEHLT));
    } else if (!marked) {
        // Made by a pack that never marked the table, or one that finished.
        engineLogEntry(ctx, e4data, L4tablePack, EngineText(IDS_PACKDATEI_VERWORFEN), path.c_str());
        drop = true;
    } else if (kind == 0) {
        rc = Refuse(ctx, f, EngineText(IDS_PACKDATEI_BESCHAEDIGT));
    } else {
        int64_t length = fileLen(&f->data);
        if (length < 0) rc = int(length);
        else if (!PackFits(head, tableHead, length)) rc = Refuse(ctx, f, EngineText(IDS_PACKDATEI_FREMD));
        if (rc == 0) rc = MarkIndexChanging(ctx, f, tableHead);
        if (rc == 0) rc = PackApply(f, &side, head, buf.data(), size);
        if (rc == 0) rc = fileFlush(&f->data);
        if (rc == 0) rc = WriteMark(f, 0);
        if (rc == 0) {
            engineLogEntry(ctx, e4data, L4tablePack, EngineText(IDS_PACKEN_ABGESCHLOSSEN), f->data.name.c_str());
            drop = true;
        }
    }
    int crc = fileClose(&side);
    if (rc == 0) rc = crc;
    if (rc == 0 && drop && !RemoveFile(path)) rc = engineError(ctx, e4remove, L4tableOpen, path.c_str());
    return rc;
}

} // namespace

int PackMarkWait(TableFile* f, int location) {
    EngineContext* ctx = f->ctx;
    const int attempts = ctx->lockAttempts;
    for (int tries = 1;; ++tries) {
        unsigned char mark = 0;
        int rc = fileReadAll(&f->data, kPackMarkPos, &mark, 1);
        if (rc < 0) return rc;
        if (mark != kPackMark) return 0;
        // A pack at work holds the whole file, the append byte with it.
        bool atWork = f->fileLockOwner == 0 && f->appendLockOwner == 0 && f->accessMode == 0 &&
                      fileLockedElsewhere(&f->data, kLockAppend, 1);
        if (!atWork || (attempts >= 0 && tries >= std::max(attempts, 1)))
            return engineError(ctx, e4packUnfinished, location, EngineText(IDS_PACKEN_BEIM_OEFFNEN), f->data.name.c_str());
        enginePump(ctx->lockDelay);
    }
}

// At open: a pack that died is finished from its side file, or the table is
// refused. A pack at work holds the file lock; the open waits for it as for
// any other file lock, and without it never goes on with a marked table.
int PackRecover(EngineContext* ctx, TableFile* f) {
    if (f->data.readOnly) return 0;
    const std::string path = fileResolveName(PackSideName(f->fullName));
    unsigned char mark = 0;
    int rc = fileReadAll(&f->data, kPackMarkPos, &mark, 1);
    if (rc < 0) return rc;
    if (mark != kPackMark && !FileExists(path)) return 0;
    const bool shared = f->data.accessMode == 0;
    if (shared) {
        rc = fileLock(&f->data, kLockFileStart, kLockFileLen);
        if (rc < 0) return rc;
        // Not to be had: a pack at work, or a side file left for a later
        // open. The table's own mark decides whether it can be used.
        if (rc != 0) return PackMarkWait(f, L4tableOpen);
    }
    rc = PackRecoverLocked(ctx, f, path);
    if (shared) {
        int urc = fileUnlock(&f->data, kLockFileStart, kLockFileLen);
        if (rc == 0) rc = urc;
    }
    return rc;
}

int tablePack(TableHandle* t) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    EngineContext* ctx = t->ctx;
    TableFile* f = t->file;
    if (f->data.readOnly)
        return engineError(ctx, e4write, L4tablePack, EngineText(IDS_SCHREIBVERSUCH_NURLESE), t->alias.c_str());
    if ((rc = tableLockAll(t)) != 0) return rc;
    if (ctx->tranState == 120)
        return engineError(ctx, e4trans, L4tablePack, EngineText(IDS_PACKEN_TRANSAKTIONSKONFLIKT));
    if ((rc = tableUpdate(t)) != 0) return rc;
    if (ctx->tranLog && (rc = ctx->tranLog->PackStarting(t)) < 0) return rc;
    if ((rc = tableReadCount(f)) < 0) return rc;
    DropReadAhead(f);
    // Both buffers shrink until memory can be had, as long as a record fits.
    size_t size = size_t(std::max(ctx->packBufferSize, 0));
    std::vector<char> rbuf, wbuf, rec;
    for (;;) {
        try {
            rbuf.resize(size);
            wbuf.resize(size);
            rec.resize(f->recLen);
            break;
        } catch (const std::bad_alloc&) {
            rbuf = {};
            wbuf = {};
            if (size <= size_t(f->recLen) + 2048) return engineError(ctx, e4memory, L4tablePack);
            size -= 2048;
        }
    }
    // The tags are marked as being changed before a record moves: a pack
    // cut short leaves them for the next open to rebuild.
    if ((rc = ctx->tableIndex->markChanging(t)) < 0) return rc;
    PackSide side(ctx, PackSideName(f->fullName));
    FileSeqRead r;
    FileSeqWrite w;
    fileSeqReadInit(&r, &f->data, f->headerLen, rbuf.data(), size);
    PackHead head;
    head.headerLen = f->headerLen;
    head.recLen = f->recLen;
    head.count = uint32_t(f->numRecs);
    const int64_t length = fileLen(&f->data);
    if (length < 0) return int(length);
    head.length = uint64_t(length);
    long kept = 0;
    for (long i = 0; i < f->numRecs; ++i) {
        if ((rc = fileSeqReadAll(&r, rec.data(), rec.size())) < 0) return rc;
        if (rec[0] != ' ') {
            // The records before the first deleted one stay where they are.
            if (head.first == 0) {
                head.first = uint32_t(kept + 1);
                if ((rc = side.Create()) < 0) return rc;
                // Marked as ours at once, and as not yet complete.
                unsigned char image[kPackHeadLen];
                PackHeadImage(head, image);
                if ((rc = fileWrite(&side.file, 0, image, kPackHeadLen)) < 0) return rc;
                fileSeqWriteInit(&w, &side.file, kPackHeadLen, wbuf.data(), size);
            }
            continue;
        }
        ++kept;
        if (head.first == 0) continue;
        head.sum = PackSum(head.sum, rec.data(), rec.size());
        ++head.moved;
        if ((rc = fileSeqWrite(&w, rec.data(), rec.size())) < 0) return rc;
    }
    if (head.first != 0) {
        // The records on the disk before the header that vouches for them,
        // the header before the mark, the mark before the first move.
        head.number = PackNumber();
        head.complete = true;
        unsigned char image[kPackHeadLen];
        PackHeadImage(head, image);
        if ((rc = fileSeqWriteFlush(&w)) < 0 || (rc = fileFlush(&side.file)) < 0) return rc;
        if ((rc = fileWrite(&side.file, 0, image, kPackHeadLen)) < 0 || (rc = fileFlush(&side.file)) < 0) return rc;
        side.complete = true;
        // From here on the pack is finished, by us or by the next open.
        if ((rc = WriteMark(f, head.number)) < 0) return rc;
        if ((rc = PackApply(f, &side.file, head, rbuf.data(), size)) < 0) return rc;
        if ((rc = fileFlush(&f->data)) < 0 || (rc = WriteMark(f, 0)) < 0) return rc;
        if ((rc = side.Remove()) < 0) return rc;
    } else {
        // Nothing moves; only what lies behind the last record goes.
        const char eof = 0x1A;
        int64_t end = int64_t(kept) * f->recLen + f->headerLen;
        if ((rc = fileWrite(&f->data, end, &eof, 1)) < 0) return rc;
        if ((rc = fileLenSet(&f->data, end + 1)) < 0) return rc;
    }
    f->numRecs = kept;
    t->recNo = -1;
    BlankRecord(t);
    MemoReset(t);
    t->recordChanged = false;
    t->bof = t->eof = kept == 0;
    if ((rc = ctx->tableIndex->reindex(t)) < 0) return rc;
    return tableWriteHeader(f);
}

} // namespace vx
