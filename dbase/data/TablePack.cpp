// Packing a data file: the records not marked deleted move together through
// a side file, so that a pack cut short is finished or undone at the next open.
#include "dbase/data/Table.h"
#include "dbase/data/TableInternal.h"

#include "dbase/data/TransactionLog.h"
#include "dbase/index/IndexFile.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace vx {
namespace {

// A pack first copies the records that move into a side file beside the
// table ("PCK"), its header last; only then are they moved in place. The
// next open that finds a complete side file finishes the pack from it; one
// that was cut short changed nothing yet and goes. The writes are not
// synced one by one: a killed process loses none of them, and under the
// write-through setting each is on the disk before the next begins.
constexpr char kPackMagic[8] = {'P', 'A', 'C', 'K', 'D', 'B', 'F', 0x1A};
constexpr int kPackHeadLen = 32;

struct PackHead {
    uint32_t first = 0; // the position of the first record that moves
    uint32_t moved = 0; // records in the side file
    uint16_t headerLen = 0, recLen = 0;
    uint64_t sum = 0;
};

// A cheap sum over the moved records, so that a side file whose records did
// not all reach the disk is not taken for complete.
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

void PackHeadImage(const PackHead& head, unsigned char* out) {
    std::memset(out, 0, kPackHeadLen);
    std::memcpy(out, kPackMagic, 8);
    Put32(out + 8, head.first);
    Put32(out + 12, head.moved);
    Put16(out + 16, head.headerLen);
    Put16(out + 18, head.recLen);
    Put32(out + 20, uint32_t(head.sum));
    Put32(out + 24, uint32_t(head.sum >> 32));
}

std::string PackSideName(const std::string& fullName) {
    std::string side = fullName;
    size_t dot = side.find_last_of("./");
    if (dot != std::string::npos && side[dot] == '.') side.erase(dot);
    return side + ".PCK";
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

// 1 with head filled when the side file is complete and belongs to the
// table's layout, 0 when it is not, or an error.
int PackHeadRead(EngineFile* side, const unsigned char* tableHead, PackHead* head, size_t size) {
    unsigned char h[kPackHeadLen];
    int64_t len = fileLen(side);
    if (len < 0) return int(len);
    if (len < kPackHeadLen) return 0;
    if (int rc = fileReadAll(side, 0, h, kPackHeadLen); rc < 0) return rc;
    if (std::memcmp(h, kPackMagic, 8) != 0) return 0;
    head->first = Get32(h + 8);
    head->moved = Get32(h + 12);
    head->headerLen = Get16(h + 16);
    head->recLen = Get16(h + 18);
    head->sum = Get32(h + 20) | uint64_t(Get32(h + 24)) << 32;
    if (head->first == 0 || head->recLen == 0 || head->headerLen != Get16(tableHead + 8) ||
        head->recLen != Get16(tableHead + 10) || len != kPackHeadLen + int64_t(head->moved) * head->recLen)
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
    return sum == head->sum ? 1 : 0;
}

// The pack's side file while the pack runs: one that is left behind by a
// failure before it was complete goes with the object.
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

} // namespace

// At open: a pack that died is finished from its complete side file, and a
// side file it left incomplete goes. A pack at work holds the file lock; the
// open waits for it as for any other file lock.
int PackRecover(EngineContext* ctx, TableFile* f) {
    const std::string path = fileResolveName(PackSideName(f->fullName));
    if (!FileExists(path) || f->data.readOnly) return 0;
    const bool shared = f->data.accessMode == 0;
    if (shared) {
        int rc = fileLock(&f->data, kLockFileStart, kLockFileLen);
        if (rc != 0) return rc < 0 ? rc : 0;
    }
    int rc = 0;
    if (FileExists(path)) {
        EngineFile side;
        int savedOpen = ctx->errOpen;
        ctx->errOpen = 1;
        rc = fileOpen(&side, ctx, path);
        ctx->errOpen = savedOpen;
        unsigned char tableHead[12];
        size_t size = size_t(std::max(ctx->packBufferSize, 1024));
        std::vector<char> buf(size);
        PackHead head;
        int complete = 0;
        if (rc == 0) rc = fileReadAll(&f->data, 0, tableHead, sizeof tableHead);
        if (rc == 0) complete = PackHeadRead(&side, tableHead, &head, size);
        if (complete < 0) rc = complete;
        if (rc == 0 && complete == 1) {
            rc = PackApply(f, &side, head, buf.data(), size);
            if (rc == 0)
                engineLogEntry(ctx, e4data, L4tablePack, "Packen nach Abbruch abgeschlossen", f->data.name.c_str());
        } else if (rc == 0) {
            engineLogEntry(ctx, e4data, L4tablePack, "unvollständige Packdatei verworfen", path.c_str());
        }
        int crc = fileClose(&side);
        if (rc == 0) rc = crc;
        if (rc == 0 && !RemoveFile(path)) rc = engineError(ctx, e4remove, L4tableOpen, path.c_str());
    }
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
        return engineError(ctx, e4write, L4tablePack, "Schreibversuch in NurLese-Datei", t->alias.c_str());
    if ((rc = tableLockAll(t)) != 0) return rc;
    if (ctx->tranState == 120)
        return engineError(ctx, e4trans, L4tablePack, "tablePack wegen Transaktionskonflikt nicht möglich");
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
    for (IndexFile* index : t->indexes)
        if (!index->state->damaged && (rc = IndexMarkChanging(index->state)) < 0) return rc;
    PackSide side(ctx, PackSideName(f->fullName));
    FileSeqRead r;
    FileSeqWrite w;
    fileSeqReadInit(&r, &f->data, f->headerLen, rbuf.data(), size);
    PackHead head;
    head.headerLen = f->headerLen;
    head.recLen = f->recLen;
    long kept = 0;
    for (long i = 0; i < f->numRecs; ++i) {
        if ((rc = fileSeqReadAll(&r, rec.data(), rec.size())) < 0) return rc;
        if (rec[0] != ' ') {
            // The records before the first deleted one stay where they are.
            if (head.first == 0) {
                head.first = uint32_t(kept + 1);
                if ((rc = side.Create()) < 0) return rc;
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
        unsigned char image[kPackHeadLen];
        PackHeadImage(head, image);
        if ((rc = fileSeqWriteFlush(&w)) < 0) return rc;
        if ((rc = fileWrite(&side.file, 0, image, kPackHeadLen)) < 0) return rc;
        side.complete = true;
        // From here on the pack is finished, by us or by the next open.
        if ((rc = PackApply(f, &side.file, head, rbuf.data(), size)) < 0) return rc;
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
    if ((rc = tableReindex(t)) < 0) return rc;
    return tableWriteHeader(f);
}

} // namespace vx
