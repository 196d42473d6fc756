#include "dbase/MemoFile.h"

#include "dbase/EngineContext.h"
#include "dbase/FileName.h"

#include <algorithm>
#include <cstring>

namespace vx {
namespace {

uint32_t Get32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t Get16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
void Put32(unsigned char* p, uint32_t v) {
    p[0] = v & 0xFF, p[1] = (v >> 8) & 0xFF, p[2] = (v >> 16) & 0xFF, p[3] = v >> 24;
}
void Put16(unsigned char* p, uint16_t v) { p[0] = v & 0xFF, p[1] = v >> 8; }

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

// Returns the run (block, count) to the chain in block order, merged with a
// free run that follows it directly.
int FreeRun(MemoFile* m, long block, long count, long fileBlocks) {
    long head = 0;
    int rc = ReadHead(m, &head);
    if (rc < 0) return rc;
    long prev = -1, prevCount = 0, cur = head;
    for (long steps = 0; cur < fileBlocks && cur < block; ++steps) {
        long next = 0, n = 0;
        if (steps > fileBlocks || cur <= prev || (rc = ReadEntry(m, cur, &next, &n)) < 0)
            return rc < 0 ? rc : Corrupt(m, "memo free chain");
        prev = cur;
        prevCount = n;
        cur = next;
    }
    if (cur == block || (prev >= 0 && prev + prevCount > block) || (cur < fileBlocks && block + count > cur))
        return Corrupt(m, "memo free chain");
    long next = cur, total = count;
    if (cur < fileBlocks && block + count == cur) {
        long n2 = 0, c2 = 0;
        if ((rc = ReadEntry(m, cur, &n2, &c2)) < 0) return rc;
        next = n2;
        total = count + c2;
    }
    if ((rc = WriteEntry(m, block, next, total)) < 0) return rc;
    return Link(m, prev, prevCount, block);
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
    long head = 0;
    if ((rc = ReadHead(m, &head)) < 0) return rc;
    long prev = -1, prevCount = 0, cur = head, at = -1;
    for (long steps = 0; at < 0; ++steps) {
        if (steps > fileBlocks + 1 || cur <= prev) return Corrupt(m, "memo free chain");
        if (cur >= fileBlocks) {
            at = fileBlocks;
            // "Free space at the end" starts behind the contents, before they
            // are written: a chain position past the end is free space still,
            // a run's header where the chain ends would break the chain.
            if ((rc = Link(m, prev, prevCount, at + need)) < 0) return rc;
            if ((rc = WriteRun(m, at, data, len)) < 0) return rc;
            fileBlocks = at + need;
            break;
        }
        long next = 0, count = 0;
        if ((rc = ReadEntry(m, cur, &next, &count)) < 0) return rc;
        if (count < 1 || cur + count > fileBlocks) return Corrupt(m, "memo free chain");
        if (count >= need) {
            at = cur + count - need;
            // A run used up exactly leaves the chain.
            rc = count == need ? Link(m, prev, prevCount, next) : WriteEntry(m, cur, next, count - need);
            if (rc < 0) return rc;
            if ((rc = WriteRun(m, at, data, len)) < 0) return rc;
            break;
        }
        prev = cur;
        prevCount = count;
        cur = next;
    }
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
            engineError(ctx, rc, L4memoFileCreate, "'EngineContext.memSizeBlock' hat ungültigen Wert");
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
    if (n < 0) return int(n);
    int bs = Get16(h + 20);
    // dBASE III memo files always use 512-byte blocks.
    if (dbase3) bs = 512;
    if (n < 24 || bs < 8)
        return engineError(ctx, e4memoCorrupt, L4memoFileOpen, memo->file.name.c_str(), "Blockgröße");
    memo->blockSize = bs;
    return 0;
}

int memoFileClose(MemoFile* memo) {
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
        return engineError(ctx, e4memoCorrupt, L4memoFileRead, memo->file.name.c_str(), "Block hinter Dateiende");
    unsigned char h[8];
    int rc = fileReadAll(&memo->file, pos, h, 8);
    if (rc < 0) return rc;
    if (Get16(h) == 0xFFFF) {
        uint32_t total = Get32(h + 4);
        uint16_t offset = Get16(h + 2);
        // The length comes from the file: it must stay inside the file.
        if (total < 8 || offset < 8 || int64_t(pos) + offset + (int64_t(total) - 8) > fileSize)
            return engineError(ctx, e4memoCorrupt, L4memoFileRead, memo->file.name.c_str(), "ungültige Memolänge");
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
        return engineError(f->ctx, e4write, L4memoFileWrite, "Schreibversuch in NurLese-Datei", f->name.c_str());
    // Two processes must never walk the chain and append at once.
    bool lockHere = memo->lockOwner == 0 && f->accessMode == 0;
    if (lockHere) {
        int rc = fileLockWait(f, kMemoLockStart, kMemoLockLen);
        if (rc != 0) return rc;
    }
    int rc = WriteLocked(memo, block, data, len, freeLater);
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
    int rc = 0;
    long fileBlocks = FileBlocks(memo);
    if (fileBlocks < 0) rc = int(fileBlocks);
    for (const MemoRun& r : runs) {
        if (rc < 0) break;
        rc = FreeRun(memo, r.block, r.count, fileBlocks);
    }
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
        if (cur <= prev || long(runs.size()) > fileBlocks) return Corrupt(memo, "memo free chain");
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
