// Opening, creating and closing index files, their header, free-block list
// and version check; the index lock is in IndexLock.cpp.
#include "dbase/index/IndexFile.h"

#include "dbase/index/IndexLock.h"
#include "dbase/util/Bytes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dbase/util/Bcd.h"
#include "dbase/util/Collate.h"
#include "dbase/util/Convert.h"
#include "dbase/util/Date.h"
#include "dbase/expr/ExprTableHandle.h"
#include "dbase/file/FileName.h"
#include "dbase/index/KeyWrite.h"
#include "dbase/index/TagFile.h"
#include "dbase/data/Table.h"

namespace vx {
namespace {

constexpr size_t kIndexNameMax = 250;

int DateKeyCompare(const void* a, const void* b, size_t) {
    double x, y;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    if (std::fabs(x - y) < 1e-13) return 0;
    return x < y ? -1 : 1;
}

int BcdKeyCompare(const void* a, const void* b, size_t n) { return bcdCompare(a, b, n); }

// Blocks 0 to 3 hold the file header and the tag table.
constexpr long kFirstBlock = 4;

// Whether the block's units lie clear of the headers.
bool ClearOfHeaders(const IndexFileState* state, long block) {
    long units = state->blockUnits();
    if (block < kFirstBlock) return false;
    for (const auto& tag : state->tags) {
        int64_t head = tag->headerPos / 512;
        if (block < head + units && head < int64_t(block) + units) return false;
    }
    return true;
}

// The block numbers a damaged file could make us write through: every tag
// header, root and the free-list head must name a block of its own kind.
bool BlocksSound(IndexFileState* state, int64_t length) {
    long units = state->blockUnits();
    int64_t fileUnits = length / 512;
    for (size_t i = 0; i < state->tags.size(); ++i) {
        int64_t head = state->tags[i]->headerPos / 512;
        if (head < kFirstBlock || head + units > fileUnits) return false;
        for (size_t j = 0; j < i; ++j) {
            int64_t other = state->tags[j]->headerPos / 512;
            if (head < other + units && other < head + units) return false;
        }
    }
    uint32_t free = state->freeList();
    if (free != 0 && (free >= state->unitsInFile() || !ClearOfHeaders(state, long(free)) || free + units > fileUnits))
        return false;
    std::vector<long> roots;
    for (const auto& tag : state->tags) {
        unsigned char b[4];
        if (fileRead(&state->file, tag->headerPos, b, 4) != 4) return false;
        roots.push_back(long(Get32(b)));
    }
    // Another user writes a new root's block before the number: the length
    // taken after the numbers were read covers their blocks.
    int64_t now = fileLen(&state->file);
    if (now < 0) return false;
    for (long root : roots)
        if (!ClearOfHeaders(state, root) || root + units > now / 512) return false;
    return true;
}

int NotIndex(EngineContext* ctx, const std::string& name, const char* what = nullptr) {
    return engineError(ctx, e4index, L4indexOpen, name.c_str(), what);
}

// The full, upper-cased name of an index file.
int IndexName(TableHandle* t, const char* name, std::string& out) {
    char buf[1024];
    const std::string& base = name ? std::string(name) : t->file->fullName;
    if (base.size() >= sizeof buf) return e4name;
    std::strcpy(buf, base.c_str());
    // Too long a name is bad input, never the fatal wrong parameter.
    int rc = utilNameExt(buf, sizeof buf, "MDX", name == nullptr);
    if (rc < 0) return rc == e4parm ? e4name : rc;
    char full[1024];
    if ((rc = utilNameCurrent(full, sizeof full, buf)) < 0) return rc == e4parm ? e4name : rc;
    out = full;
    return 0;
}

void DropState(IndexFileState* state) {
    auto& list = state->data->indexFiles;
    list.erase(std::remove(list.begin(), list.end(), state), list.end());
    fileClose(&state->file);
    delete state;
}

IndexFile* MakeHandle(TableHandle* t, IndexFileState* state, const std::string& name) {
    auto* index = new IndexFile;
    index->ctx = t->ctx;
    index->table = t;
    index->state = state;
    index->name = name;
    for (auto& tf : state->tags) {
        auto th = std::make_unique<TagHandle>();
        th->index = index;
        th->tagFile = tf.get();
        th->uniqueCode = int16_t(tf->unique ? t->ctx->errDefaultUnique : 0);
        index->tags.push_back(std::move(th));
    }
    index->openForUpdate = true;
    ++state->openCount;
    t->indexes.push_back(index);
    return index;
}

// An index opened with its changing mark set. The mark may belong to a
// writer at work (it holds the index lock) or to one that died: then the
// tags are rebuilt when no one else holds a lock, else the damage is reported.
int RepairAtOpen(IndexFile* index) {
    TableHandle* t = index->table;
    IndexFileState* state = index->state;
    EngineContext* ctx = t->ctx;
    TableFile* f = t->file;
    if (state->file.readOnly || f->data.readOnly) return engineError(ctx, e4index, L4indexOpen, state->name.c_str(), EngineText(IDS_INDEX_UNVOLLSTAENDIG));
    bool hadFile = f->fileLockOwner == t->serial;
    // Taking the file lock would give up the record locks the table holds.
    bool holdsOthers = f->appendLockOwner == t->serial;
    for (const auto& l : f->recordLocks) holdsOthers = holdsOthers || l.owner == t->serial;
    int attempts = ctx->lockAttempts;
    ctx->lockAttempts = 1;
    int frc = holdsOthers && !hadFile ? r4locked : tableLockFile(t);
    int irc = frc >= 0 ? IndexLock(state, t) : frc;
    ctx->lockAttempts = attempts;
    int rc = 0;
    if (irc < 0) {
        rc = irc;
    } else if (irc == 0 && f->accessMode != 0) {
        state->damaged = true;
    }
    if (rc == 0 && irc == 0 && state->damaged) {
        if (frc == 0) {
            engineLogEntry(ctx, e4index, L4indexOpen, state->name.c_str(), EngineText(IDS_INDEX_NEU_AUFGEBAUT));
            rc = indexReindex(index);
        } else {
            IndexUnlock(state, t);
            rc = engineError(ctx, e4index, L4indexOpen, state->name.c_str(), EngineText(IDS_INDEX_UNVOLLSTAENDIG));
        }
    } else if (irc == 0) {
        rc = IndexUnlock(state, t);
    }
    if (frc == 0 && !hadFile) {
        int urc = tableUnlockFile(t);
        if (rc == 0 && urc < 0) rc = urc;
    }
    return rc;
}

} // namespace

uint32_t IndexFileState::unitsInFile() const { return Get32(header + 32); }
void IndexFileState::setUnitsInFile(uint32_t v) { Put32(header + 32, v); }
uint32_t IndexFileState::freeList() const { return Get32(header + 36); }
void IndexFileState::setFreeList(uint32_t v) { Put32(header + 36, v); }

bool TagChooseFunctions(TagFile* tag, char type) {
    switch (type) {
    case 'C':
        tag->compare = tag->index && tag->index->data ? collateFor(tag->index->data->codePage) : collateCompare;
        break;
    case 'D': tag->compare = DateKeyCompare; break;
    case 'N': tag->compare = BcdKeyCompare; break;
    default: return false;
    }
    tag->keyType = type;
    return true;
}

int TagKeyFromText(TagFile* tag, const char* text, int len, std::string& out) {
    if (!text) text = "";
    if (len <= 0) len = int(std::strlen(text));
    switch (tag->keyType) {
    case 'D': {
        char date[kDateLen];
        std::memset(date, ' ', kDateLen);
        std::memcpy(date, text, size_t(std::min(len, kDateLen)));
        double day = dateToDouble(date);
        out.assign(reinterpret_cast<const char*>(&day), sizeof day);
        return int(sizeof day);
    }
    case 'N':
        out.assign(kBcdLen, '\0');
        convBcdFromA(std::string_view(text, size_t(len)), out.data());
        return kBcdLen;
    default:
        out.assign(text, size_t(std::min(len, tag->keyLen)));
        return int(out.size());
    }
}

int TagExprKey(TagFile* tag, TableHandle* t, std::string& out) {
    int rc = exprContext(*tag->expr, t);
    if (rc < 0) return engineError(t->ctx, rc, L4exprKey, tag->name.c_str());
    const char* p = nullptr;
    int len = exprKey(*tag->expr, &p);
    if (len < 0) return len;
    out.assign(p, size_t(len));
    out.resize(size_t(tag->keyLen), ' ');
    return tag->keyLen;
}

int TagFilterTrue(TagFile* tag, TableHandle* t) {
    if (!tag->filter) return 1;
    int rc = exprContext(*tag->filter, t);
    if (rc < 0) return engineError(t->ctx, rc, L4exprTrue, tag->name.c_str());
    return exprTrue(*tag->filter);
}

int TagHeaderRead(IndexFileState* state, TagFile* tag, const unsigned char* entry, TableHandle* t) {
    EngineContext* ctx = state->ctx;
    tag->index = state;
    tag->ctx = ctx;
    long block = long(Get32(entry));
    if (block <= 0 || (!state->rebuilding && uint32_t(block) >= state->unitsInFile())) return NotIndex(ctx, state->name);
    tag->headerPos = int64_t(block) * 512;
    unsigned char h[24];
    int64_t got = fileRead(&state->file, tag->headerPos, h, sizeof h);
    if (got < 0) return int(got);
    if (got < int64_t(sizeof h)) return NotIndex(ctx, state->name);
    tag->root = -1;
    char name[kTagNameMax + 1] = {};
    std::memcpy(name, entry + 4, kTagNameMax);
    tag->name = name;
    while (!tag->name.empty() && tag->name.back() == ' ') tag->name.pop_back();
    tag->typeCode = h[8];
    tag->keyLen = Get16(h + 12);
    tag->keysMax = Get16(h + 14);
    tag->groupLen = Get16(h + 18);
    tag->version = h[20];
    tag->unique = (h[8] & 0x40) != 0;
    tag->descending = (h[8] & 0x08) != 0;
    int bs = state->blockSize();
    // Sizes that would put entries past the block are a damaged file.
    if (tag->keyLen <= 0 || tag->groupLen < tag->keyLen + 4 || tag->keysMax < 2 ||
        int64_t(tag->keysMax) * tag->groupLen > bs - 12)
        return NotIndex(ctx, state->name, tag->name.c_str());
    // An unknown key type is a foreign or damaged file, not a program fault.
    if (!TagChooseFunctions(tag, char(h[9]))) return NotIndex(ctx, state->name, tag->name.c_str());
    char text[kTagExprMax + 1] = {};
    if ((got = fileRead(&state->file, tag->headerPos + 24, text, kTagExprMax)) < 0) return int(got);
    tag->exprText = text;
    int rc = exprParse(t, tag->exprText, true, tag->expr);
    if (rc < 0) return rc;
    char exprType = tag->expr->type;
    if (exprType == 'L' || exprKeyLen(*tag->expr) != tag->keyLen)
        return NotIndex(ctx, state->name, tag->name.c_str());
    unsigned char rest[518] = {};
    if ((got = fileRead(&state->file, tag->headerPos + 244, rest, sizeof rest)) < 0) return int(got);
    char ftext[kTagExprMax + 1] = {};
    if ((got = fileRead(&state->file, tag->headerPos + 762, ftext, kTagExprMax)) < 0) return int(got);
    tag->hasFilter = false;
    if (rest[1] == 1 && !tag->exprText.empty()) {
        tag->filterText = ftext;
        if ((rc = exprParse(t, tag->filterText, true, tag->filter)) < 0) return rc;
        if (tag->filter->type != 'L') return NotIndex(ctx, state->name, tag->name.c_str());
        tag->hasFilter = true;
        tag->filterFlag = tag->filterFlagRead = rest[2] == 1 ? 1 : 0;
    }
    return 0;
}

IndexFileState* engineIndex(EngineContext*, TableFile* file, const std::string& name) {
    for (IndexFileState* s : file->indexFiles)
        if (strcasecmp(s->name.c_str(), name.c_str()) == 0) return s;
    return nullptr;
}

namespace {

// Whether another user changed the file since its header was read.
bool ChangedMeanwhile(IndexFileState* state) {
    if (state->data->accessMode != 0) return false;
    unsigned char h[kIndexHeaderLen];
    if (fileRead(&state->file, 0, h, sizeof h) != kIndexHeaderLen) return false;
    return std::memcmp(h, state->header, sizeof h) != 0;
}

// For a rebuild: a tag table entry whose header block cannot be its own (in
// the file headers, shared with another entry, past the end) is taken to
// name the place where this engine puts that tag's header.
void RebuildHeaderBlocks(unsigned char* table, int inUse, int units, int64_t length) {
    std::vector<uint32_t> blocks(static_cast<size_t>(inUse));
    for (int i = 0; i < inUse; ++i) blocks[size_t(i)] = Get32(table + i * kTagEntryLen);
    for (int i = 0; i < inUse; ++i) {
        uint32_t b = blocks[size_t(i)];
        bool sound = b >= uint32_t(kFirstBlock) && (int64_t(b) + units) * 512 <= length;
        for (int j = 0; j < inUse && sound; ++j)
            if (j != i && blocks[size_t(j)] < b + uint32_t(units) && b < blocks[size_t(j)] + uint32_t(units)) sound = false;
        if (!sound) Put32(table + i * kTagEntryLen, uint32_t(i * units + kFirstBlock));
    }
}

// Reads the header, the tag table and every tag header, and checks them; 0
// or the (reported) error.
int LoadIndex(IndexFileState* state, TableHandle* t, const std::string& full, bool rebuild) {
    EngineContext* ctx = t->ctx;
    int rc = 0;
    int64_t got = fileRead(&state->file, 0, state->header, kIndexHeaderLen);
    if (got < 0) return int(got);
    const unsigned char* h = state->header;
    int units = Get16(h + 20), bytes = Get16(h + 22), inUse = Get16(h + 28);
    if (got < kIndexHeaderLen || bytes != units * 512 || units <= 0 || units >= 64 || inUse < 0 ||
        inUse >= 48 || state->unitsInFile() == 0)
        return NotIndex(ctx, full);
    // A count of blocks far past the end would have new blocks written there.
    int64_t length = fileLen(&state->file);
    if (length < 0) return int(length);
    if (!rebuild && int64_t(state->unitsInFile()) * 512 > length + 64 * int64_t(bytes)) return NotIndex(ctx, full);
    state->rebuilding = rebuild;
    unsigned char table[kTagTableEntries * kTagEntryLen];
    got = fileRead(&state->file, kTagTablePos, table, sizeof table);
    if (got < 0) return int(got);
    if (got < int64_t(inUse) * kTagEntryLen) return NotIndex(ctx, full);
    if (rebuild) RebuildHeaderBlocks(table, inUse, units, length);
    for (int i = 0; i < inUse; ++i) {
        auto tag = std::make_unique<TagFile>();
        if ((rc = TagHeaderRead(state, tag.get(), table + i * kTagEntryLen, t)) != 0) return rc < 0 ? rc : e4index;
        state->tags.push_back(std::move(tag));
    }
    // A writer's mark: the repair at open rebuilds or reports the file.
    if (!rebuild && state->header[kIndexChangingByte] == 0 && !BlocksSound(state, length))
        return NotIndex(ctx, full, EngineText(IDS_BLOCKNUMMER));
    return 0;
}

// A rebuild killed between its header and the cut of the file leaves blocks
// behind the count in the header; independent readers take them for damage.
// They go when no writer is at work (none holds the index lock, no mark).
int TrimTail(IndexFileState* state) {
    if (state->file.readOnly) return 0;
    int64_t length = fileLen(&state->file);
    if (length < 0) return int(length);
    if (length <= int64_t(state->unitsInFile()) * 512) return 0;
    EngineContext* ctx = state->ctx;
    int attempts = ctx->lockAttempts;
    ctx->lockAttempts = 1;
    int rc = fileLock(&state->file, kIndexLockPos, 1);
    ctx->lockAttempts = attempts;
    if (rc != 0) return rc < 0 ? rc : 0;
    unsigned char h[kIndexHeaderLen];
    rc = fileReadAll(&state->file, 0, h, sizeof h);
    if (rc == 0 && (length = fileLen(&state->file)) < 0) rc = int(length);
    int64_t end = int64_t(Get32(h + 32)) * 512;
    if (rc == 0 && h[kIndexChangingByte] == 0 && end > 0 && length > end) rc = fileLenSet(&state->file, end);
    int urc = fileUnlock(&state->file, kIndexLockPos, 1);
    return rc < 0 ? rc : urc;
}

IndexFile* IndexOpenLow(TableHandle* t, const char* name, bool rebuild) {
    if (!t) {
        engineError(nullptr, e4parmNull, L4indexOpen);
        return nullptr;
    }
    EngineContext* ctx = t->ctx;
    if (engineInError(ctx)) return nullptr;
    std::string full;
    int rc = IndexName(t, name, full);
    if (rc < 0) {
        engineError(ctx, rc, L4indexOpen, name ? name : t->alias.c_str());
        return nullptr;
    }
    if (IndexFileState* s = engineIndex(ctx, t->file, full)) {
        for (IndexFile* i : t->indexes)
            if (i->state == s) {
                engineError(ctx, e4instance, L4indexOpen, full.c_str());
                return nullptr;
            }
        return MakeHandle(t, s, full);
    }
    auto* state = new IndexFileState;
    state->ctx = ctx;
    state->data = t->file;
    state->name = full;
    if (fileOpen(&state->file, ctx, full) != 0) {
        delete state;
        return nullptr;
    }
    t->file->indexFiles.push_back(state);
    auto fail = [&]() -> IndexFile* {
        DropState(state);
        return nullptr;
    };
    // In shared use another user may rewrite the file while it is read: a
    // failed check counts only when the file stood still meanwhile, or once
    // it is read again under the index lock, which every writer holds.
    const bool shared = !rebuild && t->file->accessMode == 0;
    const int entryCode = ctx->errorCode, savedOff = ctx->errOff;
    EngineFile* savedLog = ctx->errorLog;
    if (shared) ctx->errOff = 1, ctx->errorLog = nullptr;
    rc = LoadIndex(state, t, full, rebuild);
    ctx->errOff = savedOff;
    ctx->errorLog = savedLog;
    if (rc != 0 && shared) {
        bool moving = state->header[kIndexChangingByte] != 0 || ChangedMeanwhile(state);
        ctx->errorCode = entryCode;
        state->tags.clear();
        int lrc = moving ? fileLock(&state->file, kIndexLockPos, 1) : 0;
        if (lrc != 0) {
            if (!engineInError(ctx)) ctx->errorCode = lrc;
            return fail();
        }
        rc = LoadIndex(state, t, full, rebuild);
        if (moving) fileUnlock(&state->file, kIndexLockPos, 1);
    }
    if (rc != 0) return fail();
    IndexFile* index = MakeHandle(t, state, full);
    if (!rebuild && state->header[kIndexChangingByte] != 0 && RepairAtOpen(index) != 0) {
        int saved = ctx->errorCode;
        ctx->errorCode = 0;
        indexClose(index);
        ctx->errorCode = saved < 0 ? saved : e4index;
        return nullptr;
    }
    if (!rebuild && !t->file->data.readOnly && TrimTail(state) < 0) {
        int saved = ctx->errorCode;
        ctx->errorCode = 0;
        indexClose(index);
        ctx->errorCode = saved;
        return nullptr;
    }
    return index;
}

} // namespace

IndexFile* indexOpen(TableHandle* t, const char* name) { return IndexOpenLow(t, name, false); }

IndexFile* indexOpenForRebuild(TableHandle* t, const char* name) { return IndexOpenLow(t, name, true); }

bool IndexBlockUsable(const IndexFileState* state, long block) {
    return ClearOfHeaders(state, block) && int64_t(block) + state->blockUnits() <= int64_t(state->unitsInFile());
}

IndexFile* indexCreate(TableHandle* t, const char* name, const TagInfo* tags) {
    if (!t || !tags) {
        engineError(t ? t->ctx : nullptr, e4parmNull, L4indexCreate);
        return nullptr;
    }
    EngineContext* ctx = t->ctx;
    if (engineInError(ctx)) return nullptr;
    if (!name && t->file->accessMode != 1) {
        engineError(ctx, e4create, L4indexCreate, t->alias.c_str());
        return nullptr;
    }
    if (name && std::strlen(name) > kIndexNameMax) {
        engineError(ctx, e4name, L4indexCreate, name);
        return nullptr;
    }
    std::string full;
    int rc = IndexName(t, name, full);
    if (rc < 0) {
        engineError(ctx, rc, L4indexCreate, name ? name : t->alias.c_str());
        return nullptr;
    }
    if (engineIndex(ctx, t->file, full)) {
        engineError(ctx, e4name, L4indexCreate, full.c_str());
        return nullptr;
    }
    // Blocks under 1024 bytes would put the tag headers over one another.
    int size = ctx->indexBlockSize;
    if (size < 1024 || size > 63 * 512) {
        engineError(ctx, e4tagInfo, L4indexCreate, full.c_str(), EngineText(IDS_BLOCKGROESSE));
        return nullptr;
    }
    int count = 0;
    while (tags[count].name) ++count;
    if (count >= 48) {
        engineError(ctx, e4tagInfo, L4indexCreate, full.c_str());
        return nullptr;
    }
    auto* state = new IndexFileState;
    state->ctx = ctx;
    state->data = t->file;
    state->name = full;
    unsigned char* h = state->header;
    h[0] = 2;
    engineHeaderDate(h + 44);
    std::memcpy(h + 1, h + 44, 3);
    char base[33] = {};
    utilNamePiece(base, sizeof base, t->file->fullName.c_str(), false, false);
    std::memcpy(h + 4, base, std::min<size_t>(std::strlen(base), 11));
    int units = size / 512;
    h[20] = uint8_t(units), h[21] = 0;
    h[22] = uint8_t((units * 512) & 0xFF), h[23] = uint8_t((units * 512) >> 8);
    h[24] = name ? 0 : 1;
    h[25] = 48;
    h[26] = kTagEntryLen;
    h[28] = uint8_t(count);
    state->setUnitsInFile(uint32_t(4 + count * units));
    auto refuse = [&](int code, const char* what) -> IndexFile* {
        engineError(ctx, code, L4indexCreate, full.c_str(), what);
        delete state;
        return nullptr;
    };
    for (int i = 0; i < count; ++i) {
        const TagInfo& ti = tags[i];
        auto tag = std::make_unique<TagFile>();
        tag->index = state;
        tag->ctx = ctx;
        char tname[kTagNameMax + 1] = {};
        std::strncpy(tname, ti.name, kTagNameMax);
        convertUpper(tname);
        tag->name = tname;
        while (!tag->name.empty() && tag->name.back() == ' ') tag->name.pop_back();
        tag->typeCode = 0x10;
        if (ti.unique) {
            if (ti.unique != r4unique && ti.unique != r4uniqueContinue && ti.unique != e4unique)
                return refuse(e4tagInfo, ti.name);
            tag->typeCode += 0x40;
            tag->unique = true;
        }
        if (ti.descending) {
            if (ti.descending != 10) return refuse(e4tagInfo, ti.name);
            tag->typeCode += 0x08;
            tag->descending = true;
        }
        if (!ti.expression || !*ti.expression) return refuse(e4tagInfo, ti.name);
        tag->exprText = ti.expression;
        if (tag->exprText.size() > size_t(kTagExprMax)) return refuse(e4tagInfo, ti.name);
        if (exprParse(t, tag->exprText, true, tag->expr) < 0) {
            delete state;
            return nullptr;
        }
        if (tag->expr->type == 'L') return refuse(e4index, ti.name);
        if (ti.filter && *ti.filter) {
            tag->filterText = ti.filter;
            if (tag->filterText.size() > size_t(kTagExprMax)) return refuse(e4tagInfo, ti.name);
            if (exprParse(t, tag->filterText, true, tag->filter) < 0) {
                delete state;
                return nullptr;
            }
            if (tag->filter->type != 'L') return refuse(e4index, ti.name);
            tag->hasFilter = true;
        }
        tag->headerPos = int64_t(i * units + 4) * 512;
        // Fewer than three keys to a block leaves a split nothing to move.
        int keyLen = exprKeyLen(*tag->expr);
        int group = (keyLen + 7) / 4 * 4;
        if (keyLen <= 0 || (size - 12) / group < 3) return refuse(e4tagInfo, ti.name);
        state->tags.push_back(std::move(tag));
    }
    bool held = t->file->fileLockOwner == t->serial;
    if (tableLockFile(t) != 0) {
        if (!engineInError(ctx)) engineError(ctx, e4lock, L4indexCreate, t->alias.c_str());
        delete state;
        return nullptr;
    }
    if (fileCreate(&state->file, ctx, full) != 0) {
        if (!held) tableUnlockFile(t);
        delete state;
        return nullptr;
    }
    t->file->indexFiles.push_back(state);
    IndexFile* index = MakeHandle(t, state, full);
    for (size_t i = 0; i < index->tags.size(); ++i) index->tags[i]->uniqueCode = tags[i].unique;
    rc = indexReindex(index);
    if (rc == 50) rc = engineError(ctx, e4lock, L4indexCreate, full.c_str());
    if (rc == 0 && !name) {
        TableFile* f = t->file;
        f->headerFlags |= 1;
        unsigned char flag = f->headerFlags;
        rc = fileWrite(&f->data, 28, &flag, 1);
    }
    if (!held) {
        int saved = ctx->errorCode;
        ctx->errorCode = 0;
        tableUnlockFile(t);
        ctx->errorCode = saved;
    }
    if (rc != 0) {
        if (rc == r4unique && !engineInError(ctx)) ctx->errorCode = r4unique;
        int saved = ctx->errorCode;
        ctx->errorCode = 0;
        indexClose(index);
        ctx->errorCode = saved;
        return nullptr;
    }
    return index;
}

int indexFileUpdateHeader(IndexFileState* state) {
    int result = 0;
    if (state->headerChanged) {
        result = fileWrite(&state->file, 0, state->header, kIndexHeaderLen);
        if (result == 0) state->headerChanged = false;
    }
    TagFile* last = nullptr;
    for (auto& tag : state->tags)
        if (tag->changed) {
            tag->version = uint8_t(tag->version + 1);
            last = tag.get();
        }
    if (last) IndexStepPastSeen(state, last);
    for (auto& tag : state->tags) {
        if (tag->changed) {
            tag->changed = false;
            int rc = fileWrite(&state->file, tag->headerPos + 20, &tag->version, 1);
            if (rc < 0 && result == 0) result = rc;
        }
        if (tag->hasFilter && tag->filterFlag != tag->filterFlagRead) {
            int rc = fileWrite(&state->file, tag->headerPos + 246, &tag->filterFlag, 1);
            if (rc < 0 && result == 0) result = rc;
            else tag->filterFlagRead = tag->filterFlag;
        }
    }
    if (last && result == 0) IndexSeenHold(state);
    return result;
}

int indexFileFlush(IndexFileState* state, bool clearMark) {
    // The blocks first: the header that clears the changing mark follows them.
    int result = 0;
    for (auto& tag : state->tags) {
        int rc = TagFlush(tag.get());
        if (rc < 0 && result == 0) result = rc;
    }
    bool clearing = result == 0 && state->changing && clearMark;
    if (clearing) {
        state->header[kIndexChangingByte] = 0;
        state->headerChanged = true;
    }
    int rc = indexFileUpdateHeader(state);
    if (rc < 0 && result == 0) result = rc;
    if (clearing && result == 0) state->changing = false;
    return result;
}

int IndexMarkChanging(IndexFileState* state) {
    if (state->damaged)
        return engineError(state->ctx, e4index, L4IndexLock, state->name.c_str(), EngineText(IDS_INDEX_UNVOLLSTAENDIG));
    if (state->changing) return 0;
    unsigned char mark = 1;
    int rc = fileWrite(&state->file, kIndexChangingByte, &mark, 1);
    if (rc < 0) return rc;
    state->header[kIndexChangingByte] = mark;
    state->changing = true;
    return 0;
}

int indexFlush(IndexFileState* state) {
    int rc = indexFileFlush(state);
    int frc = fileFlush(&state->file);
    return rc < 0 ? rc : frc;
}

int indexFileVersionCheck(IndexFileState* state, bool assumeChanged) {
    // Held by us, or by nobody else: nothing can have changed.
    if (state->lockOwner != 0 || state->data->accessMode != 0) return 0;
    // The header and the tags' counters in one read where they lie close
    // together, as the few tags of a table do: this runs at every lock.
    int64_t end = kIndexHeaderLen;
    for (auto& tag : state->tags) end = std::max(end, tag->headerPos + (tag->hasFilter ? 247 : 21));
    unsigned char near[8192];
    const bool together = end <= int64_t(sizeof near);
    int64_t got = fileRead(&state->file, 0, near, size_t(together ? end : kIndexHeaderLen));
    if (got < 0) return int(got);
    // One byte at pos: 1 when read, else 0.
    auto byteAt = [&](int64_t pos, unsigned char* b) -> int64_t {
        if (!together) return fileRead(&state->file, pos, b, 1);
        if (pos >= got) return 0;
        *b = near[pos];
        return 1;
    };
    const unsigned char* h = near;
    bool changed = assumeChanged || got < kIndexHeaderLen || std::memcmp(h, state->header, kIndexHeaderLen) != 0;
    if (got >= kIndexHeaderLen) std::memcpy(state->header, h, kIndexHeaderLen);
    for (auto& tag : state->tags) {
        unsigned char v = 0, f = 0;
        if (byteAt(tag->headerPos + 20, &v) == 1 && v != tag->version) {
            tag->version = v;
            changed = true;
        }
        if (tag->hasFilter && byteAt(tag->headerPos + 246, &f) == 1 && f != tag->filterFlagRead) {
            tag->filterFlag = tag->filterFlagRead = f;
            changed = true;
        }
    }
    if (changed) {
        for (auto& tag : state->tags) TagDiscardBlocks(tag.get());
    }
    return changed ? 1 : 0;
}

int indexVersionCheck(IndexFile* index, bool reposition, bool assumeChanged) {
    IndexFileState* state = index->state;
    TableHandle* t = index->table;
    TagFile* selected = nullptr;
    if (reposition && t->selectedTag && t->selectedTag->index == index) selected = t->selectedTag->tagFile;
    std::string key;
    long recNo = 0;
    bool atEnd = false;
    if (selected) {
        if (const unsigned char* k = TagKeyData(selected)) {
            key.assign(reinterpret_cast<const char*>(k), size_t(selected->keyLen));
            recNo = TagRecNo(selected);
        } else if (selected->current()) {
            atEnd = true;
        }
    }
    int rc = indexFileVersionCheck(state, assumeChanged);
    if (rc <= 0) return rc;
    if (selected && recNo > 0) {
        if ((rc = TagGo(selected, key.data(), recNo)) < 0) return rc;
    } else if (selected && atEnd) {
        if ((rc = TagEof(selected)) < 0) return rc;
    }
    return 1;
}

long indexFileExtend(IndexFileState* state) {
    uint32_t head = state->freeList();
    if (head != 0) {
        // Handed out, a block in the headers would be written over them.
        if (!IndexBlockUsable(state, long(head))) return NotIndex(state->ctx, state->name, EngineText(IDS_FREIBLOCKLISTE));
        unsigned char b[4];
        int64_t got = fileRead(&state->file, int64_t(head) * 512 + 4, b, 4);
        if (got < 0) return got;
        if (got == 4) {
            if (Get32(b) == head) return NotIndex(state->ctx, state->name, EngineText(IDS_FREIBLOCKLISTE));
            state->setFreeList(Get32(b));
            state->headerChanged = true;
            return long(head);
        }
        if (got != 0) return fileReadError(&state->file, int64_t(head) * 512 + 4, 4, "indexFileExtend");
        state->setFreeList(0);
    }
    uint32_t units = state->unitsInFile();
    if (!ClearOfHeaders(state, long(units)) || units > 0x7FFFFFFF - 64)
        return NotIndex(state->ctx, state->name, EngineText(IDS_BLOCKANZAHL));
    state->setUnitsInFile(units + uint32_t(state->blockUnits()));
    state->headerChanged = true;
    return long(units);
}

int IndexFreeBlock(IndexFileState* state, long block) {
    if (!IndexBlockUsable(state, block)) return NotIndex(state->ctx, state->name, EngineText(IDS_FREIBLOCKLISTE));
    unsigned char b[8] = {};
    Put32(b + 4, state->freeList());
    int rc = fileWrite(&state->file, int64_t(block) * 512, b, sizeof b);
    if (rc < 0) return rc;
    state->setFreeList(uint32_t(block));
    state->headerChanged = true;
    return 0;
}

int indexClose(IndexFile* index) {
    if (!index) return engineError(nullptr, e4parmNull, L4indexClose);
    EngineContext* ctx = index->ctx;
    TableHandle* t = index->table;
    if (ctx->tranState == 120) return engineError(ctx, e4trans, L4indexClose, index->name.c_str());
    int result = 0;
    if (index->openForUpdate && t->recordChanged) result = tableUpdateRecord(t, false);
    for (auto& th : index->tags)
        if (t->selectedTag == th.get()) t->selectedTag = nullptr;
    index->tags.clear();
    IndexFileState* state = index->state;
    int rc = IndexUnlock(state, t);
    if (rc < 0 && result == 0) result = rc;
    auto& list = t->indexes;
    list.erase(std::remove(list.begin(), list.end(), index), list.end());
    delete index;
    if (--state->openCount <= 0) {
        rc = indexFileFlush(state);
        if (rc < 0 && result == 0) result = rc;
        if (state->lockOwner != 0) IndexReleaseLock(state);
        for (auto& tag : state->tags) TagDiscardBlocks(tag.get());
        state->tags.clear();
        DropState(state);
    }
    return result;
}

int tagUnique(TagHandle* tag) {
    if (!tag) return engineError(nullptr, e4parmNull, L4tagUnique);
    return tag->tagFile->unique ? tag->uniqueCode : 0;
}

} // namespace vx
