#include "dbase/data/MemoFile.h"

#include "dbase/util/Bytes.h"
#include "dbase/file/EngineContext.h"
#include "dbase/file/FileName.h"

#include <algorithm>
#include <cstring>

namespace vx {
namespace {

int Corrupt(MemoFile* m, const char* what) {
    return engineError(m->file.ctx, e4memoCorrupt, L4memoFileWrite, m->file.name.c_str(), what);
}

long FileBlocks(MemoFile* m) {
    int64_t len = fileLen(&m->file);
    if (len < 0) return -1;
    return long((len + m->blockSize - 1) / m->blockSize);
}

int ReadHead(MemoFile* m, long* head) {
    unsigned char b[4];
    int rc = fileReadAll(&m->file, 0, b, 4);
    if (rc < 0) return rc;
    *head = long(Get32(b));
    return 0;
}

int ReadEntry(MemoFile* m, long block, long* next, long* count) {
    unsigned char b[8];
    int rc = fileReadAll(&m->file, int64_t(block) * m->blockSize, b, 8);
    if (rc < 0) return rc;
    *next = long(Get32(b));
    *count = long(Get32(b + 4));
    return 0;
}

int WriteEntry(MemoFile* m, long block, long next, long count) {
    unsigned char b[8];
    Put32(b, uint32_t(next));
    Put32(b + 4, uint32_t(count));
    return fileWrite(&m->file, int64_t(block) * m->blockSize, b, 8);
}

// Points the chain position before a run (the header when prev < 0) at next.
int Link(MemoFile* m, long prev, long prevCount, long next) {
    if (prev < 0) {
        unsigned char b[4];
        Put32(b, uint32_t(next));
        return fileWrite(&m->file, 0, b, 4);
    }
    return WriteEntry(m, prev, next, prevCount);
}

constexpr size_t kChainWindow = 65536;

bool Stamped(const MemoFile* m) { return m->blockSize >= kMemoStampOffset + 4; }

// Reads chain entries through a window of whole blocks, so that a long chain
// costs few reads.
struct ChainReader {
    MemoFile* m;
    std::vector<unsigned char> buf;
    int64_t start = 0;
    int64_t got = 0;
    int Entry(long block, long* next, long* count) {
        int64_t pos = int64_t(block) * m->blockSize;
        if (pos < start || pos + 8 > start + got) {
            buf.resize(kChainWindow);
            start = pos;
            got = fileRead(&m->file, pos, buf.data(), buf.size());
            if (got < 0) return int(got);
            // A short read is reported as the single read reports it.
            if (got < 8) return ReadEntry(m, block, next, count);
        }
        const unsigned char* p = buf.data() + (pos - start);
        *next = long(Get32(p));
        *count = long(Get32(p + 4));
        return 0;
    }
};

// Reads the chain from head. An entry whose run is empty, leaves the file or
// reaches into the run its link names ends what is known: the tail then
// names it, and only a write that needs to go past it fails.
int LoadChain(MemoFile* m, long head, long fileBlocks) {
    MemoChain& c = m->chain;
    c.runs.clear();
    ChainReader r{m, {}};
    long cur = head;
    while (cur >= 1 && cur < fileBlocks) {
        long next = 0, count = 0;
        int rc = r.Entry(cur, &next, &count);
        if (rc < 0) return rc;
        if (count < 1 || cur + count > fileBlocks || (next < fileBlocks && next < cur + count)) break;
        c.runs.push_back({cur, count});
        cur = next;
    }
    c.tail = cur;
    return 0;
}

// Brings the kept chain up to the file under the memo lock: it is read again
// when the head, the change counter or the file length moved.
int SyncChain(MemoFile* m, long* fileBlocks) {
    MemoChain& c = m->chain;
    unsigned char h[kMemoStampOffset + 4] = {};
    int64_t n = fileRead(&m->file, 0, h, Stamped(m) ? sizeof h : 4);
    if (n < 0) return int(n);
    if (n < 4) {
        int rc = ReadHead(m, &c.head);
        return rc < 0 ? rc : Corrupt(m, EngineText(IDS_MEMO_KOPF));
    }
    int64_t len = fileLen(&m->file);
    if (len < 0) return int(len);
    long head = long(Get32(h));
    uint32_t stamp = Get32(h + kMemoStampOffset);
    *fileBlocks = long((len + m->blockSize - 1) / m->blockSize);
    c.raised = false;
    if (c.valid && c.head == head && c.stamp == stamp && c.length == len) return 0;
    c.valid = false;
    int rc = LoadChain(m, head, *fileBlocks);
    if (rc < 0) return rc;
    c.head = head;
    c.stamp = stamp;
    c.length = len;
    c.valid = true;
    return 0;
}

// Raises the change counter before the first change of a locked operation:
// a writer that dies half-way still sends the others back to the file.
int RaiseStamp(MemoFile* m) {
    MemoChain& c = m->chain;
    if (c.raised || !Stamped(m)) return 0;
    unsigned char b[4];
    Put32(b, c.stamp + 1);
    int rc = fileWrite(&m->file, kMemoStampOffset, b, 4);
    if (rc < 0) return rc;
    ++c.stamp;
    c.raised = true;
    return 0;
}

// The end of a locked operation: what was kept stays only when all went well.
int FinishChain(MemoFile* m, int rc) {
    MemoChain& c = m->chain;
    if (rc < 0 || !Stamped(m) || m->dbase3) {
        c.valid = false;
        return rc;
    }
    int64_t len = fileLen(&m->file);
    if (len < 0) c.valid = false;
    c.length = len;
    return rc;
}

long NextOf(const MemoChain& c, size_t i) { return i + 1 < c.runs.size() ? c.runs[i + 1].block : c.tail; }

// Points the link in front of runs[i] (the header's for i = 0) at next.
int LinkBefore(MemoFile* m, size_t i, long next) {
    MemoChain& c = m->chain;
    if (i == 0) {
        int rc = Link(m, -1, 0, next);
        if (rc == 0) c.head = next;
        return rc;
    }
    return Link(m, c.runs[i - 1].block, c.runs[i - 1].count, next);
}

// Returns the run (block, count) to the chain in block order, merged with a
// free run that follows it directly.
int FreeRun(MemoFile* m, long block, long count, long fileBlocks) {
    MemoChain& c = m->chain;
    auto it = std::lower_bound(c.runs.begin(), c.runs.end(), block,
                               [](const MemoRun& r, long b) { return r.block < b; });
    size_t i = size_t(it - c.runs.begin());
    long cur = i < c.runs.size() ? c.runs[i].block : c.tail;
    bool damagedTail = i == c.runs.size() && c.tail < fileBlocks;
    if (block < 1 || count < 1 || block + count > fileBlocks || cur == block ||
        (damagedTail && c.tail <= block + count) ||
        (i > 0 && c.runs[i - 1].block + c.runs[i - 1].count > block) || (cur < fileBlocks && block + count > cur))
        return Corrupt(m, EngineText(IDS_MEMO_FREIKETTE));
    long next = cur, total = count;
    bool merge = cur < fileBlocks && block + count == cur;
    if (merge) {
        next = NextOf(c, i);
        total = count + c.runs[i].count;
    }
    int rc = RaiseStamp(m);
    if (rc < 0 || (rc = WriteEntry(m, block, next, total)) < 0) return rc;
    if ((rc = LinkBefore(m, i, block)) < 0) return rc;
    if (merge) c.runs[i] = {block, total};
    else c.runs.insert(c.runs.begin() + long(i), {block, total});
    return 0;
}

int WriteRun(MemoFile* m, long block, const char* data, uint32_t len) {
    long blocks = long((int64_t(len) + 8 + m->blockSize - 1) / m->blockSize);
    // The rest of the last block is zeroed, so that no old contents show
    // behind the new ones to readers that overshoot the length.
    std::vector<unsigned char> buf(size_t(blocks) * size_t(m->blockSize), 0);
    Put16(buf.data(), 0xFFFF);
    Put16(buf.data() + 2, 8);
    Put32(buf.data() + 4, len + 8);
    if (len) std::memcpy(buf.data() + 8, data, len);
    return fileWrite(&m->file, int64_t(block) * m->blockSize, buf.data(), buf.size());
}

// dBASE III: the text runs from the block up to the first 0x1A.
int ReadDbase3(MemoFile* m, int64_t pos, int64_t fileSize, std::vector<char>& out, uint32_t* len) {
    std::vector<char> text;
    std::vector<char> chunk(size_t(m->blockSize));
    for (int64_t at = pos; at < fileSize;) {
        int64_t n = fileRead(&m->file, at, chunk.data(), chunk.size());
        if (n < 0) return int(n);
        if (n == 0) break;
        auto end = std::find(chunk.begin(), chunk.begin() + n, char(0x1A));
        text.insert(text.end(), chunk.begin(), end);
        if (end != chunk.begin() + n) break;
        at += n;
    }
    out.assign(text.begin(), text.end());
    out.push_back(0);
    *len = uint32_t(text.size());
    return 0;
}

// dBASE III keeps no free chain: contents go to the end of the file, ended by
// two 0x1A, and the header names the next free block.
int WriteDbase3(MemoFile* m, long* blockInOut, const char* data, uint32_t len, long fileBlocks) {
    if (len == 0) {
        *blockInOut = 0;
        return 0;
    }
    long at = std::max(fileBlocks, 1L);
    size_t bytes = size_t(len) + 2;
    long blocks = long((bytes + size_t(m->blockSize) - 1) / size_t(m->blockSize));
    std::vector<char> buf(size_t(blocks) * size_t(m->blockSize), 0);
    std::memcpy(buf.data(), data, len);
    buf[len] = buf[len + 1] = 0x1A;
    int rc = fileWrite(&m->file, int64_t(at) * m->blockSize, buf.data(), buf.size());
    if (rc < 0) return rc;
    *blockInOut = at;
    return Link(m, -1, 0, at + blocks);
}

// Frees the run now, or lists it for later.
int Release(MemoFile* m, long block, long count, long fileBlocks, std::vector<MemoRun>* later) {
    if (!later) return FreeRun(m, block, count, fileBlocks);
    later->push_back({block, count});
    return 0;
}

int WriteLocked(MemoFile* m, long* blockInOut, const char* data, uint32_t len, std::vector<MemoRun>* later) {
    const long bs = m->blockSize;
    long fileBlocks = FileBlocks(m);
    if (fileBlocks < 0) return int(fileBlocks);
    if (m->dbase3) return WriteDbase3(m, blockInOut, data, len, fileBlocks);
    if (int src = SyncChain(m, &fileBlocks); src < 0) return src;
    long need = len ? long((int64_t(len) + 8 + bs - 1) / bs) : 0;
    long old = *blockInOut, have = 0;
    int rc = 0;
    if (old > 0 && old < fileBlocks && !m->dbase3) {
        unsigned char h[8];
        if ((rc = fileReadAll(&m->file, int64_t(old) * bs, h, 8)) < 0) return rc;
        // A run whose header is not ours, or that leaves the file, is left alone.
        if (Get16(h) == 0xFFFF) {
            long c = long((int64_t(Get32(h + 4)) + bs - 1) / bs);
            if (c >= 1 && old + c <= fileBlocks) have = c;
        }
    }
    if (len == 0) {
        *blockInOut = 0;
        return have > 0 ? Release(m, old, have, fileBlocks, later) : 0;
    }
    // Shorter contents written into the old run's tail would show through
    // its old header until the record is written: with the free put off
    // they go to a run of their own.
    if (have == need || (have > need && !later)) {
        long at = old + have - need;
        if ((rc = WriteRun(m, at, data, len)) < 0) return rc;
        *blockInOut = at;
        return have > need ? Release(m, old, have - need, fileBlocks, later) : 0;
    }
    // First fit among the kept runs; none fits: the end of the file.
    MemoChain& c = m->chain;
    size_t i = 0;
    while (i < c.runs.size() && c.runs[i].count < need) ++i;
    if (i == c.runs.size() && c.tail < fileBlocks) return Corrupt(m, EngineText(IDS_MEMO_FREIKETTE));
    if ((rc = RaiseStamp(m)) < 0) return rc;
    long at = 0;
    if (i < c.runs.size()) {
        MemoRun& r = c.runs[i];
        at = r.block + r.count - need;
        // A run used up exactly leaves the chain.
        if (r.count == need) {
            if ((rc = LinkBefore(m, i, NextOf(c, i))) < 0) return rc;
            c.runs.erase(c.runs.begin() + long(i));
        } else {
            if ((rc = WriteEntry(m, r.block, NextOf(c, i), r.count - need)) < 0) return rc;
            r.count -= need;
        }
    } else {
        at = fileBlocks;
        // "Free space at the end" starts behind the contents, before they
        // are written: a chain position past the end is free space still,
        // a run's header where the chain ends would break the chain.
        if ((rc = LinkBefore(m, c.runs.size(), at + need)) < 0) return rc;
        c.tail = at + need;
        fileBlocks = at + need;
    }
    if ((rc = WriteRun(m, at, data, len)) < 0) return rc;
    *blockInOut = at;
    return have > 0 ? Release(m, old, have, fileBlocks, later) : 0;
}

} // namespace

int memoFileCreate(MemoFile* memo, EngineContext* ctx, const std::string& dataName, const std::string& name) {
    if (!memo || !ctx) return engineError(ctx, e4parmNull, L4memoFileCreate);
    int bs = ctx->memSizeBlock;
    if (bs <= 0 || bs % 512 != 0) {
        bs = bs <= 0 ? 512 : (bs + 511) / 512 * 512;
        ctx->memSizeBlock = bs;
    }
    if (bs > 0x7E00) bs = ctx->memSizeBlock = 0x7E00;
    memo->blockSize = bs;
    memo->dbase3 = false;
    memo->lockOwner = 0;
    int rc = name.empty() ? fileTempLow(&memo->file, ctx, ctx->createTemp != 0) : fileCreate(&memo->file, ctx, name);
    if (rc != 0) {
        if (rc < 0 && rc != e4codeBase)
            engineError(ctx, rc, L4memoFileCreate, EngineText(IDS_MEMOBLOCKGROESSE_UNGUELTIG));
        return rc;
    }
    std::vector<unsigned char> header(size_t(bs), 0);
    Put32(header.data(), 1);
    char stem[16] = {};
    utilNamePiece(stem, 9, dataName.c_str(), false, false);
    std::memcpy(header.data() + 8, stem, std::min<size_t>(std::strlen(stem), 8));
    Put16(header.data() + 18, 0x0102);
    Put16(header.data() + 20, uint16_t(bs));
    return fileWrite(&memo->file, 0, header.data(), header.size());
}

int memoFileOpen(MemoFile* memo, EngineContext* ctx, const std::string& name, bool dbase3) {
    memo->lockOwner = 0;
    memo->dbase3 = dbase3;
    int rc = fileOpen(&memo->file, ctx, name);
    if (rc != 0) return rc;
    unsigned char h[24] = {};
    int64_t n = fileRead(&memo->file, 0, h, sizeof h);
    int bs = Get16(h + 20);
    // dBASE III memo files always use 512-byte blocks.
    if (dbase3) bs = 512;
    if (n >= 24 && bs >= 8) {
        memo->blockSize = bs;
        return 0;
    }
    // The caller never counts a refused file as open: it is closed here.
    rc = n < 0 ? int(n) : engineError(ctx, e4memoCorrupt, L4memoFileOpen, memo->file.name.c_str(), EngineText(IDS_BLOCKGROESSE));
    fileClose(&memo->file);
    return rc;
}

int memoFileClose(MemoFile* memo) {
    memo->chain = MemoChain{};
    if (!memo->file.isOpen) return 0;
    return fileClose(&memo->file);
}

int memoFileRead(MemoFile* memo, long block, std::vector<char>& out, uint32_t* len) {
    *len = 0;
    if (out.empty()) out.resize(1);
    out[0] = 0;
    if (block <= 0) return 0;
    EngineContext* ctx = memo->file.ctx;
    int64_t fileSize = fileLen(&memo->file);
    if (fileSize < 0) return int(fileSize);
    int64_t pos = int64_t(block) * memo->blockSize;
    // The table's version decides the layout: a dBASE III text may well
    // begin with the bytes of a block header.
    if (memo->dbase3 && pos < fileSize) return ReadDbase3(memo, pos, fileSize, out, len);
    if (pos + 8 > fileSize)
        return engineError(ctx, e4memoCorrupt, L4memoFileRead, memo->file.name.c_str(), EngineText(IDS_BLOCK_HINTER_DATEIENDE));
    unsigned char h[8];
    int rc = fileReadAll(&memo->file, pos, h, 8);
    if (rc < 0) return rc;
    if (Get16(h) == 0xFFFF) {
        uint32_t total = Get32(h + 4);
        uint16_t offset = Get16(h + 2);
        // The length comes from the file: it must stay inside the file.
        if (total < 8 || offset < 8 || int64_t(pos) + offset + (int64_t(total) - 8) > fileSize)
            return engineError(ctx, e4memoCorrupt, L4memoFileRead, memo->file.name.c_str(), EngineText(IDS_MEMOLAENGE_UNGUELTIG));
        uint32_t n = total - 8;
        out.resize(size_t(n) + 1);
        if (n && (rc = fileReadAll(&memo->file, pos + offset, out.data(), n)) < 0) return rc;
        out[n] = 0;
        *len = n;
        return 0;
    }
    return 0;
}

int memoFileWrite(MemoFile* memo, long* block, const char* data, uint32_t len, std::vector<MemoRun>* freeLater) {
    EngineFile* f = &memo->file;
    if (!f->isOpen) return engineError(f->ctx, e4parm, L4memoFileWrite);
    if (f->readOnly)
        return engineError(f->ctx, e4write, L4memoFileWrite, EngineText(IDS_SCHREIBVERSUCH_NURLESE), f->name.c_str());
    // Two processes must never walk the chain and append at once.
    bool lockHere = memo->lockOwner == 0 && f->accessMode == 0;
    if (lockHere) {
        int rc = fileLockWait(f, kMemoLockStart, kMemoLockLen);
        if (rc != 0) return rc;
    }
    int rc = FinishChain(memo, WriteLocked(memo, block, data, len, freeLater));
    if (lockHere) {
        int urc = fileUnlock(f, kMemoLockStart, kMemoLockLen);
        if (rc == 0) rc = urc;
    }
    return rc;
}

int memoFileRelease(MemoFile* memo, const std::vector<MemoRun>& runs) {
    EngineFile* f = &memo->file;
    if (runs.empty() || !f->isOpen) return 0;
    bool lockHere = memo->lockOwner == 0 && f->accessMode == 0;
    if (lockHere) {
        int rc = fileLockWait(f, kMemoLockStart, kMemoLockLen);
        if (rc != 0) return rc;
    }
    long fileBlocks = 0;
    int rc = memo->dbase3 ? 0 : SyncChain(memo, &fileBlocks);
    for (const MemoRun& r : runs) {
        if (rc < 0 || memo->dbase3) break;
        rc = FreeRun(memo, r.block, r.count, fileBlocks);
    }
    rc = FinishChain(memo, rc);
    if (lockHere) {
        int urc = fileUnlock(f, kMemoLockStart, kMemoLockLen);
        if (rc == 0) rc = urc;
    }
    return rc;
}

int memoFileChainSkip(MemoFile* memo, MemoChainEntry* entry) {
    unsigned char b[8];
    int64_t pos = int64_t(entry->next) * memo->blockSize;
    int64_t n = fileRead(&memo->file, pos, b, 8);
    if (n < 0) return int(n);
    entry->block = entry->next;
    if (n < 8) {
        int64_t size = fileLen(&memo->file);
        if (size >= 0 && pos + n >= size) {
            entry->next = entry->count = -1;
            return 0;
        }
        return fileReadError(&memo->file, pos, 8, "memoFileChainSkip");
    }
    entry->next = long(Get32(b));
    entry->count = long(Get32(b + 4));
    return 0;
}

int memoFileFreeRuns(MemoFile* memo, std::vector<MemoChainEntry>& runs, long* end) {
    runs.clear();
    long fileBlocks = FileBlocks(memo);
    if (fileBlocks < 0) return int(fileBlocks);
    long head = 0;
    int rc = ReadHead(memo, &head);
    if (rc < 0) return rc;
    long prev = -1, cur = head;
    while (cur < fileBlocks) {
        if (cur <= prev || long(runs.size()) > fileBlocks) return Corrupt(memo, EngineText(IDS_MEMO_FREIKETTE));
        MemoChainEntry e;
        e.block = cur;
        if ((rc = ReadEntry(memo, cur, &e.next, &e.count)) < 0) return rc;
        runs.push_back(e);
        prev = cur;
        cur = e.next;
    }
    *end = cur;
    return 0;
}

} // namespace vx
