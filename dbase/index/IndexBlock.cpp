// The blocks of a tag: reading with the consistency check against the block
// above, and insertion, removal and splitting of entries within a block.
#include "dbase/index/TagFile.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "dbase/file/EngineContext.h"
#include "dbase/data/Table.h"

namespace vx {

unsigned char* IndexBlock::entry(int i) { return data.data() + 8 + size_t(i) * size_t(tag->groupLen); }
const unsigned char* IndexBlock::entry(int i) const {
    return data.data() + 8 + size_t(i) * size_t(tag->groupLen);
}
uint32_t IndexBlock::number(int i) const {
    const unsigned char* p = entry(i);
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
void IndexBlock::setNumber(int i, uint32_t v) {
    unsigned char* p = entry(i);
    p[0] = v & 0xFF, p[1] = (v >> 8) & 0xFF, p[2] = (v >> 16) & 0xFF, p[3] = uint8_t(v >> 24);
}
bool IndexBlock::entryFits(int i) const {
    return i >= 0 && 8 + size_t(i) * size_t(tag->groupLen) + 4 <= data.size();
}

bool BlockIsLeaf(const IndexBlock* b) { return b->number(b->numKeys()) == 0; }

IndexBlock* BlockAlloc(TagFile* tag, long number) {
    auto* b = new (std::nothrow) IndexBlock;
    if (!b) return nullptr;
    try {
        b->data.assign(size_t(tag->index->blockSize()), 0);
    } catch (const std::bad_alloc&) {
        delete b;
        return nullptr;
    }
    b->tag = tag;
    b->fileBlock = number;
    return b;
}

void BlockFree(IndexBlock* b) { delete b; }

int BlockFlush(IndexBlock* b) {
    if (!b->changed || b->fileBlock <= 0) return 0;
    int rc = fileWrite(&b->tag->index->file, int64_t(b->fileBlock) * 512, b->data.data(), b->data.size());
    if (rc == 0) b->changed = false;
    return rc;
}

namespace {

// A block that does not fit the tree: another process changed the file, or,
// while this process holds the lock, the file is damaged.
int Inconsistent(IndexFileState* state, TagFile* tag) {
    if (state->lockOwner != 0 || state->data->accessMode != 0) return engineError(state->ctx, e4index, L4TagDown, tag->name.c_str(), state->name.c_str());
    return 2;
}

} // namespace

int indexReadBlock(IndexFileState* state, long block, const IndexBlock* parent, IndexBlock* buf) {
    TagFile* tag = buf->tag;
    buf->fileBlock = -1;
    buf->changed = false;
    buf->curPos = 0;
    if (!IndexBlockUsable(state, block)) return Inconsistent(state, tag);
    ++state->blockReads;
    int64_t got = fileRead(&state->file, int64_t(block) * 512, buf->data.data(), buf->data.size());
    if (got < 0) return int(got);
    if (size_t(got) < buf->data.size()) return Inconsistent(state, tag);
    int n = buf->numKeys();
    // The structure is checked whatever the setting: a wrong count would
    // read past the block.
    if (n > tag->keysMax) return Inconsistent(state, tag);
    bool leaf = BlockIsLeaf(buf);
    if (!leaf) {
        for (int i = 0; i <= n; ++i)
            if (buf->number(i) == 0) return Inconsistent(state, tag);
    }
    int rc = indexCheckBlock(state, parent, buf);
    if (rc != 0) return rc;
    buf->fileBlock = block;
    return 0;
}

int indexCheckBlock(IndexFileState* state, const IndexBlock* parent, const IndexBlock* buf) {
    TagFile* tag = buf->tag;
    int n = buf->numKeys();
    bool leaf = BlockIsLeaf(buf);
    if (state->ctx->blockCheck && parent) {
        if (n == 0) return Inconsistent(state, tag);
        int k = parent->curPos, pn = parent->numKeys();
        size_t len = size_t(tag->keyLen);
        if (leaf) {
            const unsigned char* last = buf->key(n - 1);
            if (k < pn) {
                if (tag->Compare(last, parent->key(k), len) != 0) return Inconsistent(state, tag);
            } else if (pn > 0 && tag->Compare(last, parent->key(pn - 1), len) < 0) {
                return Inconsistent(state, tag);
            }
        } else {
            const unsigned char* first = buf->key(0);
            if (k < pn && tag->Compare(first, parent->key(k), len) > 0) return Inconsistent(state, tag);
            if (k > 0 && tag->Compare(first, parent->key(k - 1), len) < 0) return Inconsistent(state, tag);
        }
    }
    return 0;
}

int BlockSeek(IndexBlock* b, const void* key, int len) {
    TagFile* tag = b->tag;
    size_t n = size_t(std::min(len, tag->keyLen));
    int lo = 0, hi = b->numKeys();
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (tag->Compare(b->key(mid), key, n) < 0) lo = mid + 1;
        else hi = mid;
    }
    b->curPos = lo;
    if (lo < b->numKeys() && tag->Compare(b->key(lo), key, n) == 0) return 0;
    return r4after;
}

int BlockSkip(IndexBlock* b, int n) {
    int last = BlockIsLeaf(b) ? b->numKeys() - 1 : b->numKeys();
    int moved = n > 0 ? std::min(n, last - b->curPos) : std::max(n, -b->curPos);
    if (n > 0 && moved < 0) moved = 0;
    b->curPos += moved;
    return moved;
}

int BlockInsert(IndexBlock* b, const void* key, uint32_t number) {
    TagFile* tag = b->tag;
    int n = b->numKeys(), pos = b->curPos;
    // The entry after the last may not leave the block.
    if (n >= tag->keysMax || pos < 0 || pos > n || !b->entryFits(n + 1))
        return engineError(tag->ctx, e4index, L4BlockInsert, tag->name.c_str(), tag->index->name.c_str());
    size_t g = size_t(tag->groupLen);
    std::memmove(b->entry(pos + 1), b->entry(pos), size_t(n - pos) * g + 4);
    unsigned char* e = b->entry(pos);
    std::memset(e, 0, g);
    b->setNumber(pos, number);
    std::memcpy(e + 4, key, size_t(tag->keyLen));
    b->setNumKeys(n + 1);
    b->changed = true;
    return 0;
}

void BlockRemove(IndexBlock* b) {
    int n = b->numKeys(), pos = b->curPos;
    if (n == 0) return;
    size_t g = size_t(b->tag->groupLen);
    bool leaf = BlockIsLeaf(b);
    if (pos < n) std::memmove(b->entry(pos), b->entry(pos + 1), size_t(n - pos - 1) * g + 4);
    b->setNumKeys(n - 1);
    if (leaf) std::memset(b->entry(n - 1) + 4, 0, g - 4);
    b->changed = true;
}

int BlockSplit(TagFile* tag, IndexBlock* b, IndexBlock** out) {
    *out = nullptr;
    long number = indexFileExtend(tag->index);
    if (number < 0) return int(number);
    IndexBlock* nb = BlockAlloc(tag, number);
    if (!nb) return engineError(tag->ctx, e4memory, L4BlockSplit);
    int n = b->numKeys(), m = (n + 1) / 2;
    size_t g = size_t(tag->groupLen);
    bool leaf = BlockIsLeaf(b);
    std::memcpy(nb->entry(0), b->entry(0), size_t(m) * g);
    if (leaf) {
        nb->setNumKeys(m);
        nb->setNumber(m, 0);
    } else {
        // The last entry keeps only its pointer; its key goes up.
        nb->setNumKeys(m - 1);
    }
    std::memmove(b->entry(0), b->entry(m), size_t(n - m) * g + 4);
    b->setNumKeys(n - m);
    size_t used = 8 + size_t(n - m) * g + 4;
    std::memset(b->data.data() + used, 0, b->data.size() - used);
    nb->changed = b->changed = true;
    if (b->curPos < m) {
        nb->curPos = b->curPos;
        b->curPos = -1;
    } else {
        b->curPos -= m;
        nb->curPos = -1;
    }
    *out = nb;
    return 0;
}

} // namespace vx
