// Positioning in a tag through the path of blocks from the root to a leaf.
#include "dbase/index/TagFile.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>

#include "dbase/file/EngineContext.h"
#include "dbase/data/Table.h"

namespace vx {
namespace {

// A file that keeps changing under us, or a damaged one read without the
// lock, is given up after this many fresh starts.
constexpr int kMaxRefresh = 3;
constexpr size_t kSavedMax = 16;

IndexBlock* TakeBuffer(TagFile* tag, long block, bool* cached) {
    *cached = false;
    auto& s = tag->saved;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i]->fileBlock == block) {
            IndexBlock* b = s[i];
            s.erase(s.begin() + long(i));
            // Our own changes, or a file no one else can have changed.
            *cached = b->changed || tag->index->lockOwner != 0 || tag->index->data->accessMode != 0;
            return b;
        }
    }
    if (s.size() >= kSavedMax) {
        IndexBlock* b = s.front();
        s.erase(s.begin());
        if (BlockFlush(b) < 0) {
            BlockFree(b);
            return nullptr;
        }
        return b;
    }
    return BlockAlloc(tag, block);
}

enum class Way { top, bottom, seek };

// Descends from the root; in the leaf returns 0, or for a seek 0 / 2.
int Descend(TagFile* tag, Way way, const void* key, int len) {
    for (int attempt = 0;; ++attempt) {
        TagReleasePath(tag);
        int rc = 0;
        for (;;) {
            rc = TagDown(tag);
            if (rc != 0) break;
            IndexBlock* b = tag->current();
            bool leaf = BlockIsLeaf(b);
            int n = b->numKeys();
            int found = 0;
            switch (way) {
            case Way::top: b->curPos = 0; break;
            case Way::bottom: b->curPos = leaf ? std::max(n - 1, 0) : n; break;
            case Way::seek: found = BlockSeek(b, key, len); break;
            }
            if (leaf) return found;
        }
        if (rc < 0) return rc;
        if (attempt >= kMaxRefresh) return TagDamaged(tag);
        if ((rc = TagRefresh(tag)) < 0) return rc;
    }
}

// After a move from leaf `left` (last key `key`) to the next one in the
// walk's direction: a branch that leads back into a leaf already passed
// shows as the same leaf again, a key against the order, or more moves
// over one key than the file has blocks. 0, 2 to read again (a writer may
// be under way), or -310.
int Crossed(TagFile* tag, long left, const std::string& key, bool forward) {
    IndexBlock* b = tag->current();
    if (b->numKeys() == 0) return 0;
    IndexFileState* state = tag->index;
    bool alone = state->lockOwner != 0 || state->data->accessMode != 0;
    int c = tag->Compare(b->key(b->curPos), key.data(), size_t(tag->keyLen));
    int dir = forward ? 1 : -1;
    if (b->fileBlock == left || c * dir < 0) return alone ? TagDamaged(tag) : 2;
    if (tag->crossWalker != tag->walker || tag->crossDir != dir || c != 0) {
        tag->crossWalker = tag->walker;
        tag->crossDir = dir;
        tag->equalCrossings = 0;
    }
    if (c != 0) return 0;
    long blocks = long(state->unitsInFile() / uint32_t(std::max(state->blockUnits(), 1)));
    if (++tag->equalCrossings > blocks) return alone ? TagDamaged(tag) : 2;
    return 0;
}

} // namespace

int TagDamaged(TagFile* tag) {
    // Torn by a writer under way, most likely: the walk starts again.
    if (tag->index->optimistic) {
        tag->index->changeSeen = true;
        return e4index;
    }
    return engineError(tag->ctx, e4index, L4TagDown, tag->name.c_str(), tag->index->name.c_str());
}

TagFile::~TagFile() {
    for (IndexBlock* b : path) BlockFree(b);
    for (IndexBlock* b : saved) BlockFree(b);
}

long TagRoot(TagFile* tag) {
    if (tag->root >= 0) return tag->root;
    unsigned char b[4];
    int rc = fileReadAll(&tag->index->file, tag->headerPos, b, 4);
    if (rc < 0) return rc;
    tag->root = long(b[0] | b[1] << 8 | b[2] << 16 | uint32_t(b[3]) << 24);
    return tag->root;
}

void TagReleasePath(TagFile* tag) {
    while (!tag->path.empty()) {
        tag->saved.push_back(tag->path.back());
        tag->path.pop_back();
    }
}

int TagDown(TagFile* tag) {
    IndexBlock* parent = tag->current();
    long child;
    if (!parent) {
        child = TagRoot(tag);
        if (child < 0) return int(child);
    } else {
        if (BlockIsLeaf(parent)) return 1;
        if (!parent->entryFits(parent->curPos)) return TagDamaged(tag);
        child = long(parent->number(parent->curPos));
    }
    IndexFileState* state = tag->index;
    // A cycle or an endless chain of branches.
    bool alone = state->lockOwner != 0 || state->data->accessMode != 0;
    if (tag->path.size() >= size_t(kMaxTreeDepth)) return alone ? TagDamaged(tag) : 2;
    for (IndexBlock* b : tag->path)
        if (b->fileBlock == child) return alone ? TagDamaged(tag) : 2;
    bool cached = false;
    IndexBlock* b = TakeBuffer(tag, child, &cached);
    if (!b) return engineError(tag->ctx, e4memory, L4TagDown);
    int rc = 0;
    if (!cached) {
        rc = BlockFlush(b);
        if (rc == 0) rc = indexReadBlock(state, child, parent, b);
        if (rc != 0) b->fileBlock = -1;
    } else if (!b->changed) {
        // A block kept from an earlier walk may be reached the wrong way.
        rc = indexCheckBlock(state, parent, b);
    }
    if (rc != 0) {
        tag->saved.push_back(b);
        return rc;
    }
    b->curPos = 0;
    tag->path.push_back(b);
    return 0;
}

int TagRefresh(TagFile* tag) {
    IndexFileState* state = tag->index;
    if (state->lockOwner != 0 || state->data->accessMode != 0) return TagDamaged(tag);
    if (state->optimistic) {
        state->changeSeen = true;
        TagDiscardBlocks(tag);
        return e4index;
    }
    // Another process is between its writes: give it until the clock's
    // second changes.
    auto now = std::chrono::system_clock::now().time_since_epoch();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count() % 1000;
    enginePump(int((1000 - ms + 9) / 10));
    fileRefresh(&state->file);
    // The header may have grown meanwhile (blocks past its old end).
    int rc = indexFileVersionCheck(state);
    TagDiscardBlocks(tag);
    return rc < 0 ? rc : 0;
}

void TagDiscardBlocks(TagFile* tag) {
    TagReleasePath(tag);
    for (IndexBlock* b : tag->saved) BlockFree(b);
    tag->saved.clear();
    tag->root = -1;
}

int TagFlush(TagFile* tag) {
    int result = 0;
    for (IndexBlock* b : tag->path) {
        int rc = BlockFlush(b);
        if (rc < 0 && result == 0) result = rc;
    }
    for (IndexBlock* b : tag->saved) {
        int rc = BlockFlush(b);
        if (rc < 0 && result == 0) result = rc;
    }
    if (tag->rootChanged && tag->root > 0) {
        unsigned char r[4];
        uint32_t v = uint32_t(tag->root);
        r[0] = v & 0xFF, r[1] = (v >> 8) & 0xFF, r[2] = (v >> 16) & 0xFF, r[3] = uint8_t(v >> 24);
        int rc = fileWrite(&tag->index->file, tag->headerPos, r, 4);
        if (rc < 0 && result == 0) result = rc;
        if (rc == 0) tag->rootChanged = false;
    }
    return result;
}

int TagReleaseBlocks(TagFile* tag) {
    TagReleasePath(tag);
    int rc = TagFlush(tag);
    for (IndexBlock* b : tag->saved) BlockFree(b);
    tag->saved.clear();
    return rc;
}

int TagTop(TagFile* tag) {
    if (engineInError(tag->ctx)) return e4codeBase;
    tag->equalCrossings = 0;
    int rc = Descend(tag, Way::top, nullptr, 0);
    return rc < 0 ? rc : 0;
}

int TagBottom(TagFile* tag) {
    if (engineInError(tag->ctx)) return e4codeBase;
    tag->equalCrossings = 0;
    int rc = Descend(tag, Way::bottom, nullptr, 0);
    return rc < 0 ? rc : 0;
}

int TagEof(TagFile* tag) {
    int rc = TagBottom(tag);
    if (rc < 0) return rc;
    IndexBlock* b = tag->current();
    b->curPos = b->numKeys();
    return r4eof;
}

int TagSeek(TagFile* tag, const void* key, int len) {
    if (engineInError(tag->ctx)) return e4codeBase;
    tag->equalCrossings = 0;
    return Descend(tag, Way::seek, key, len);
}

long TagRecNo(TagFile* tag) {
    IndexBlock* b = tag->current();
    if (!b || !BlockIsLeaf(b)) return -2;
    if (b->numKeys() == 0) return 0;
    if (b->curPos < 0 || b->curPos > b->numKeys()) return -2;
    return long(b->number(b->curPos));
}

const unsigned char* TagKeyData(TagFile* tag) {
    IndexBlock* b = tag->current();
    if (!b || b->curPos < 0 || b->curPos >= b->numKeys()) return nullptr;
    return b->key(b->curPos);
}

const unsigned char* tagFileKey(TagFile* tag) { return tag ? TagKeyData(tag) : nullptr; }

bool TagIsEof(TagFile* tag) {
    IndexBlock* b = tag->current();
    return !b || b->curPos >= b->numKeys();
}

long TagSkip(TagFile* tag, long n) {
    if (engineInError(tag->ctx)) return -n;
    if (n == 0) return 0;
    if (!tag->current() || !BlockIsLeaf(tag->current())) {
        if (TagTop(tag) < 0) return -n;
    }
    bool forward = n > 0;
    long want = forward ? n : -n;
    long done = 0;
    int refreshes = 0;
    std::string key;
    while (done < want) {
        IndexBlock* leaf = tag->current();
        long rest = std::min(want - done, long(INT_MAX));
        int moved = BlockSkip(leaf, int(forward ? rest : -rest));
        done += forward ? moved : -moved;
        if (done >= want) break;
        long recNo = 0;
        if (leaf->curPos >= 0 && leaf->curPos < leaf->numKeys()) {
            key.assign(reinterpret_cast<const char*>(leaf->key(leaf->curPos)), size_t(tag->keyLen));
            recNo = long(leaf->number(leaf->curPos));
        }
        int level = int(tag->path.size()) - 2;
        for (; level >= 0; --level) {
            IndexBlock* p = tag->path[size_t(level)];
            if (forward ? p->curPos < p->numKeys() : p->curPos > 0) break;
        }
        if (level < 0) {
            int rc = forward ? TagBottom(tag) : TagTop(tag);
            if (rc < 0) return -n;
            break;
        }
        while (int(tag->path.size()) > level + 1) {
            tag->saved.push_back(tag->path.back());
            tag->path.pop_back();
        }
        const long left = leaf->fileBlock;
        tag->path.back()->curPos += forward ? 1 : -1;
        int rc = 0;
        for (;;) {
            rc = TagDown(tag);
            if (rc != 0) break;
            IndexBlock* b = tag->current();
            bool isLeaf = BlockIsLeaf(b);
            b->curPos = forward ? 0 : (isLeaf ? b->numKeys() - 1 : b->numKeys());
            if (isLeaf) break;
        }
        if (rc < 0) return -n;
        if (rc == 0 && recNo != 0 && (rc = Crossed(tag, left, key, forward)) < 0) return -n;
        if (rc == 2) {
            if (++refreshes > kMaxRefresh || recNo == 0) {
                TagDamaged(tag);
                return -n;
            }
            if (TagRefresh(tag) < 0) return -n;
            rc = TagGo(tag, key.data(), recNo);
            if (rc < 0) return -n;
            // The entry we stood on is gone: we already stand one further.
            if (rc != 0 && forward) ++done;
            continue;
        }
        if (tag->current()->numKeys() == 0) {
            TagDamaged(tag);
            return -n;
        }
        ++done;
    }
    return forward ? done : -done;
}

namespace {

int Go(TagFile* tag, const void* key, long recNo) {
    int rc = Descend(tag, Way::seek, key, tag->keyLen);
    if (rc != 0) return rc;
    for (;;) {
        if (TagRecNo(tag) == recNo) return 0;
        long moved = TagSkip(tag, 1);
        if (engineInError(tag->ctx)) return tag->ctx->errorCode;
        if (moved != 1) break;
        const unsigned char* k = TagKeyData(tag);
        if (!k || tag->Compare(k, key, size_t(tag->keyLen)) != 0) break;
    }
    rc = Descend(tag, Way::seek, key, tag->keyLen);
    return rc < 0 ? rc : 1;
}

} // namespace

int TagGo(TagFile* tag, const void* key, long recNo) {
    if (engineInError(tag->ctx)) return e4codeBase;
    // Finding the entry again goes on with the walk that stood there.
    long walker = tag->crossWalker, equal = tag->equalCrossings;
    int dir = tag->crossDir;
    int rc = Go(tag, key, recNo);
    tag->crossWalker = walker, tag->crossDir = dir, tag->equalCrossings = equal;
    return rc;
}

double TagPosition(TagFile* tag) {
    if (engineInError(tag->ctx)) return e4codeBase;
    if (tag->path.empty()) return 0.0;
    double x = 0.5;
    bool allFirst = true, allLast = true;
    for (size_t i = tag->path.size(); i-- > 0;) {
        IndexBlock* b = tag->path[i];
        bool leaf = BlockIsLeaf(b);
        int entries = leaf ? b->numKeys() : b->numKeys() + 1;
        if (entries <= 0) return 0.0;
        if (b->curPos != 0) allFirst = false;
        if (b->curPos != entries - 1) allLast = false;
        x = (x + b->curPos) / entries;
    }
    if (allFirst) return 0.0;
    if (allLast) return 1.0;
    return x;
}

} // namespace vx
