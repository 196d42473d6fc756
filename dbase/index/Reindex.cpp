// Rebuilding every tag of an index file from the data file: the records' keys
// sorted, then written into the file block by block from the leaves up.
#include "dbase/index/KeyWrite.h"

#include "dbase/index/IndexLock.h"
#include "dbase/util/Bytes.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "dbase/util/Collate.h"
#include "dbase/file/EngineContext.h"
#include "dbase/index/TagFile.h"
#include "dbase/index/Sort.h"
#include "dbase/data/Table.h"

namespace vx {
namespace {

struct Builder {
    IndexFileState* state;
    FileSeqWrite w;
    long next = 0;
    long lastWritten = 0;
    int units = 0;

    int Write(IndexBlock* b) {
        int rc = fileSeqWrite(&w, b->data.data(), b->data.size());
        if (rc < 0) return rc;
        lastWritten = next;
        next += units;
        std::fill(b->data.begin(), b->data.end(), 0);
        return 0;
    }
};

struct Levels {
    TagFile* tag;
    Builder* out;
    std::vector<std::unique_ptr<IndexBlock, void (*)(IndexBlock*)>> blocks;

    IndexBlock* At(size_t l) {
        while (blocks.size() <= l) {
            IndexBlock* b = BlockAlloc(tag, 0);
            if (!b) return nullptr;
            blocks.emplace_back(b, BlockFree);
        }
        return blocks[l].get();
    }
    // Enters a written block with its largest key one level up.
    int Enter(size_t l, long block, const std::string& maxKey) {
        IndexBlock* b = At(l);
        if (!b) return engineError(tag->ctx, e4memory, L4indexReindex);
        int n = b->numKeys();
        b->setNumber(n, uint32_t(block));
        if (n < tag->keysMax) {
            std::memcpy(b->entry(n) + 4, maxKey.data(), size_t(tag->keyLen));
            b->setNumKeys(n + 1);
            return 0;
        }
        int rc = out->Write(b);
        if (rc < 0) return rc;
        return Enter(l + 1, out->lastWritten, maxKey);
    }
};

// The sort takes a plain compare function; a descending tag's order is the
// reverse of its key compare.
thread_local KeyCompare t_reversedBase = nullptr;
int ReversedCompare(const void* a, const void* b, size_t n) { return -t_reversedBase(a, b, n); }

struct SortGuard {
    SortContext* sort;
    ~SortGuard() { sortFree(sort); }
};

int BuildTag(TableHandle* t, TagHandle* th, Builder& out, std::vector<char>& readBuf) {
    TagFile* tag = th->tagFile;
    TableFile* f = t->file;
    EngineContext* ctx = t->ctx;
    tag->version = uint8_t(tag->version + 1);
    SortContext sort;
    SortGuard guard{&sort};
    int rc = sortInitFree(&sort, ctx, tag->keyLen, 0, nullptr);
    if (rc < 0) return rc;
    if (tag->descending) {
        t_reversedBase = tag->compare;
        sort.compare = ReversedCompare;
    } else {
        sort.compare = tag->compare;
    }
    FileSeqRead r;
    fileSeqReadInit(&r, &f->data, f->headerLen, readBuf.data(), readBuf.size());
    long count = std::max(f->numRecs, 0L);
    std::string key;
    for (long i = 1; i <= count; ++i) {
        rc = fileSeqReadAll(&r, t->record.data(), f->recLen);
        if (rc < 0) return rc;
        t->recNo = i;
        int pass = TagFilterTrue(tag, t);
        if (pass < 0) return pass;
        if (!pass) continue;
        tag->filterFlag = 1;
        if ((rc = TagExprKey(tag, t, key)) < 0) return rc;
        // Equal keys come back in the order they went in: record order.
        if ((rc = sortPut(&sort, i, key.data(), nullptr)) < 0) return rc;
    }
    if ((rc = sortGetInitFree(&sort, nullptr)) < 0) return rc;
    Levels levels{tag, &out, {}};
    IndexBlock* leaf = levels.At(0);
    if (!leaf) return engineError(ctx, e4memory, L4indexReindex);
    std::string previous;
    bool havePrevious = false;
    for (;;) {
        long recNo = 0;
        const char* sortedKey = nullptr;
        const char* extra = nullptr;
        rc = sortGet(&sort, &recNo, &sortedKey, &extra);
        if (rc < 0) return rc;
        if (rc == 1) break;
        if (tag->unique && havePrevious &&
            tag->Compare(previous.data(), sortedKey, size_t(tag->keyLen)) == 0) {
            if (th->uniqueCode == e4unique)
                return engineError(ctx, e4unique, L4indexReindex, tag->name.c_str(), tag->index->name.c_str());
            if (th->uniqueCode == r4unique) return r4unique;
            continue;
        }
        // A full leaf is written only when another key arrives, so that no
        // leaf is ever left empty.
        if (leaf->numKeys() == tag->keysMax) {
            std::string maxKey(reinterpret_cast<const char*>(leaf->key(tag->keysMax - 1)), size_t(tag->keyLen));
            int rc = out.Write(leaf);
            if (rc < 0) return rc;
            if ((rc = levels.Enter(1, out.lastWritten, maxKey)) < 0) return rc;
        }
        int n = leaf->numKeys();
        leaf->setNumber(n, uint32_t(recNo));
        std::memcpy(leaf->entry(n) + 4, sortedKey, size_t(tag->keyLen));
        leaf->setNumKeys(n + 1);
        previous.assign(sortedKey, size_t(tag->keyLen));
        havePrevious = true;
    }
    rc = out.Write(leaf);
    if (rc < 0) return rc;
    for (size_t l = 1; l < levels.blocks.size(); ++l) {
        IndexBlock* b = levels.blocks[l].get();
        int n = b->numKeys();
        if (n == 0) continue;
        b->setNumber(n, uint32_t(out.lastWritten));
        if ((rc = out.Write(b)) < 0) return rc;
    }
    tag->root = out.lastWritten;
    tag->rootChanged = false;
    return 0;
}

void TagHeaderImage(const TagFile* tag, std::vector<unsigned char>& h) {
    std::fill(h.begin(), h.end(), 0);
    Put32(h.data(), uint32_t(tag->root));
    h[8] = tag->typeCode;
    h[9] = uint8_t(tag->keyType);
    Put16(h.data() + 12, uint16_t(tag->keyLen));
    Put16(h.data() + 14, uint16_t(tag->keysMax));
    Put16(h.data() + 18, uint16_t(tag->groupLen));
    h[20] = tag->version;
    if (tag->unique) Put16(h.data() + 22, 0x4000);
    std::memcpy(h.data() + 24, tag->exprText.data(), std::min<size_t>(tag->exprText.size(), kTagExprMax));
    if (tag->hasFilter) {
        h[245] = 1;
        h[246] = tag->filterFlag;
        if (h.size() > 762) {
            size_t room = std::min<size_t>(kTagExprMax, h.size() - 762 - 1);
            std::memcpy(h.data() + 762, tag->filterText.data(), std::min(tag->filterText.size(), room));
        }
    }
}

// The tag table entries with the name tree.
void TagTableImage(const IndexFileState* state, unsigned char* table) {
    std::memset(table, 0, kTagTableEntries * kTagEntryLen);
    int units = state->blockUnits();
    auto padded = [&](size_t i) {
        std::string s = state->tags[i]->name;
        s.resize(11, '\0');
        return s;
    };
    for (size_t i = 0; i < state->tags.size(); ++i) {
        unsigned char* e = table + i * kTagEntryLen;
        const TagFile* tag = state->tags[i].get();
        Put32(e, uint32_t(int(i) * units + 4));
        std::memcpy(e + 4, tag->name.data(), std::min<size_t>(tag->name.size(), kTagNameMax));
        e[15] = 0x10;
        e[19] = 2;
        e[20] = uint8_t(tag->keyType);
        if (i == 0) continue;
        std::string name = padded(i);
        size_t node = 0;
        for (;;) {
            unsigned char* ne = table + node * kTagEntryLen;
            bool after = collateCompare(name.data(), padded(node).data(), 11) >= 0;
            unsigned char& link = ne[after ? 17 : 16];
            if (link == 0) {
                link = uint8_t(i + 1);
                e[18] = uint8_t(node + 1);
                break;
            }
            node = size_t(link - 1);
        }
    }
}

} // namespace

int indexReindex(IndexFile* index) {
    if (!index) return engineError(nullptr, e4parmNull, L4indexReindex);
    TableHandle* t = index->table;
    IndexFileState* state = index->state;
    EngineContext* ctx = t->ctx;
    if (engineInError(ctx)) return e4codeBase;
    TableFile* f = t->file;
    int rc = tableLockFile(t);
    if (rc != 0) return rc;
    if ((rc = IndexLock(state, t)) != 0) return rc;
    // A rebuild cut short leaves the mark, so that the next open rebuilds again.
    state->damaged = false;
    if ((rc = IndexMarkChanging(state)) < 0) return rc;
    for (auto& th : index->tags) th->pending.clear();
    // The count is ours under the file lock (a pack has not written it yet).
    if (f->numRecs < 0 && (rc = tableReadCount(f)) < 0) return rc;
    int bs = state->blockSize();
    int units = state->blockUnits();
    int position = 0;
    for (auto& tag : state->tags) {
        TagDiscardBlocks(tag.get());
        // The tag headers go where the new tag table says, whatever the
        // old one said.
        tag->headerPos = int64_t(position++ * units + 4) * 512;
        char type = tag->expr->type;
        if (type == 'd') type = 'D';
        if (type == 'n') type = 'N';
        int keyLen = exprKeyLen(*tag->expr);
        if (keyLen <= 0 || !TagChooseFunctions(tag.get(), type))
            return engineError(ctx, e4index, L4indexReindex, tag->name.c_str(), state->name.c_str());
        tag->keyLen = keyLen;
        tag->groupLen = (keyLen + 7) / 4 * 4;
        tag->keysMax = (bs - 12) / tag->groupLen;
        if (tag->keysMax < 3) return engineError(ctx, e4tagInfo, L4indexReindex, tag->name.c_str(), state->name.c_str());
        tag->filterFlag = 0;
    }
    int count = int(state->tags.size());
    size_t bufSize = size_t(std::max(ctx->fileBufferSize, 1024));
    std::vector<char> readBuf, writeBuf;
    try {
        readBuf.resize(bufSize);
        writeBuf.resize(std::max(bufSize, size_t(bs)));
    } catch (const std::bad_alloc&) {
        return engineError(ctx, e4memory, L4indexReindex);
    }
    Builder out{state, {}, 0, 0, units};
    out.next = count > 0 ? (count - 1) * units + 4 + units : 4;
    fileSeqWriteInit(&out.w, &state->file, int64_t(out.next) * 512, writeBuf.data(), writeBuf.size());
    int result = 0;
    for (size_t i = 0; i < index->tags.size() && result == 0; ++i)
        result = BuildTag(t, index->tags[i].get(), out, readBuf);
    if (result == 0) result = fileSeqWriteFlush(&out.w);
    if (result == 0 && !state->tags.empty()) IndexStepPastSeen(state, state->tags.back().get());
    if (result == 0) {
        unsigned char* h = state->header;
        engineHeaderDate(h + 1);
        state->setUnitsInFile(uint32_t(out.lastWritten > 0 ? out.lastWritten + units : out.next));
        state->setFreeList(0);
        std::vector<unsigned char> head(2048, 0);
        std::memcpy(head.data(), h, kIndexHeaderLen);
        head[529] = 1;
        TagTableImage(state, head.data() + kTagTablePos);
        std::vector<unsigned char> th(size_t(bs), 0);
        for (auto& tag : state->tags) {
            if (result != 0) break;
            TagHeaderImage(tag.get(), th);
            result = fileWrite(&state->file, tag->headerPos, th.data(), th.size());
            tag->filterFlagRead = tag->filterFlag;
            tag->changed = false;
        }
        // The file header clears the mark; the old blocks behind the new
        // ones are cut only then, so that a header that is still the old one
        // never counts blocks past the end of the file.
        head[kIndexChangingByte] = 0;
        if (result == 0) result = fileWrite(&state->file, 0, head.data(), head.size());
        if (result == 0) {
            h[kIndexChangingByte] = 0;
            state->changing = false;
        }
        if (result == 0) result = fileLenSet(&state->file, int64_t(state->unitsInFile()) * 512);
        state->headerChanged = false;
    }
    if (result == 0 && state->header[24] == 1) {
        for (auto& tag : state->tags) {
            std::string text = tag->exprText;
            while (!text.empty() && text.back() == ' ') text.pop_back();
            for (size_t fi = 0; fi < t->fields.size(); ++fi) {
                if (strcasecmp(text.c_str(), t->fields[fi].name) != 0) continue;
                size_t at = fi * 32 + 31;
                if (at < f->descriptors.size()) f->descriptors[at] = 1;
                unsigned char one = 1;
                result = fileWrite(&f->data, int64_t(fi + 1) * 32 + 31, &one, 1);
            }
        }
    }
    t->recNo = -1;
    std::memset(t->record.data(), ' ', f->recLen);
    int saved = ctx->errorCode;
    ctx->errorCode = 0;
    int urc = IndexUnlock(state, t);
    ctx->errorCode = saved;
    if (result == 0 && urc < 0) result = urc;
    return result;
}

} // namespace vx
