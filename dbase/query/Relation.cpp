#include "dbase/query/Relation.h"

#include <cstring>
#include <new>

#include "dbase/util/Bcd.h"
#include "dbase/util/Collate.h"
#include "dbase/file/EngineContext.h"
#include "dbase/expr/ExprTableHandle.h"
#include "dbase/index/IndexFile.h"
#include "dbase/query/QueryOptimiser.h"
#include "dbase/query/QueryTag.h"
#include "dbase/data/Table.h"

namespace vx {
namespace {

// Records are read without read locks while a relation walks.
class ReadLockOff {
public:
    explicit ReadLockOff(EngineContext* ctx) : ctx_(ctx), saved_(ctx->readLock) { ctx->readLock = 0; }
    ~ReadLockOff() { ctx_->readLock = saved_; }
    ReadLockOff(const ReadLockOff&) = delete;
    ReadLockOff& operator=(const ReadLockOff&) = delete;

private:
    EngineContext* ctx_;
    int saved_;
};

int DateCompare(const void* a, const void* b, size_t) {
    double x = 0, y = 0;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    double diff = x - y;
    if (diff > -1e-13 && diff < 1e-13) return 0;
    return diff < 0 ? -1 : 1;
}

int BcdCompareN(const void* a, const void* b, size_t n) { return bcdCompare(a, b, n); }

Relation* Of(RelationNode* node) { return node ? node->relation : nullptr; }

// Reads the record count again unless this process alone can change it.
void RefreshCount(TableHandle* t) {
    TableFile* f = t->file;
    if (!f) return;
    bool ours = f->accessMode != 0 || f->data.readOnly || f->appendLockOwner == t->serial ||
                f->fileLockOwner == t->serial;
    if (!ours) tableReadCount(f);
}

void DropSorted(Relation* r) {
    if (r->sortOpen) sortFree(&r->sort);
    r->sortOpen = false;
    r->sortExpr.reset();
    if (r->backFileOpen) fileClose(&r->backFile);
    r->backFileOpen = false;
    r->sortState = RelateSort::none;
    r->sortCount = r->sortPos = r->delivered = 0;
    r->sortEof = false;
}

void Reset(Relation* r) {
    r->master.bitmap.reset();
    r->conjuncts.clear();
    DropSorted(r);
    r->initialised = false;
    r->notOptimisable = false;
    r->topDone = false;
}

int ParseQuery(Relation* r, int location) {
    RelationNode& m = r->master;
    int rc = exprParse(m.table, r->queryText, false, r->query);
    if (rc < 0) return -1;
    if (r->query->type != 'L') {
        // Refused here, so that evaluating it never meets a non-logical result.
        engineError(m.ctx, kExprWrongType, location, r->queryText.c_str());
        r->query.reset();
        return -1;
    }
    return 0;
}

bool Passes(Relation* r, long recNo) {
    const Bitmap* map = r->master.bitmap.get();
    return !map || bitmapPasses(map, recNo);
}

// 1 when the current record satisfies the query, 0 when not, or an error.
int QueryTrue(Relation* r) {
    if (!r->query) return 1;
    bool useBitmap = r->master.bitmap && !r->notOptimisable;
    for (const QueryConjunct& c : r->conjuncts) {
        if (c.answered && useBitmap) continue;
        const char* v = nullptr;
        int len = exprExecute(*r->query, c.step, &v);
        if (len < 0) return len;
        int l = 0;
        std::memcpy(&l, v, sizeof l);
        if (!l) return 0;
    }
    return 1;
}

int AtEnd(Relation* r) {
    int rc = tableGoEof(r->master.table);
    return rc < 0 ? rc : r4eof;
}

// To the first (direction +1) or last (-1) record that passes the bitmap.
int FirstPassing(Relation* r, int direction) {
    RelationNode& m = r->master;
    TableHandle* t = m.table;
    long count = tableRecCount(t);
    if (m.tag) {
        int rc = direction > 0 ? m.tag->top() : m.tag->bottom();
        if (rc < 0) return rc;
        for (;;) {
            long rec = m.tag->recNo();
            if (rec < 0) return int(rec);
            if (rec == 0) return AtEnd(r);
            if (rec <= count && Passes(r, rec)) return tableGo(t, rec);
            long moved = m.tag->skip(direction);
            if (engineInError(m.ctx)) return e4codeBase;
            if (moved == 0) return AtEnd(r);
        }
    }
    if (m.bitmap) {
        long rec = bitmapNext(m.bitmap.get(), direction > 0 ? 1 : count, direction);
        if (rec == 0 || rec > count) return AtEnd(r);
        return tableGo(t, rec);
    }
    int rc = direction > 0 ? tableTop(t) : tableBottom(t);
    return rc == r4bof ? r4eof : rc;
}

// One record in the direction, passing over what the bitmap excludes.
int Step(Relation* r, int direction) {
    RelationNode& m = r->master;
    TableHandle* t = m.table;
    long count = tableRecCount(t);
    bool fromEnd = tableEof(t) && direction < 0;
    if (m.tag) {
        if (fromEnd) {
            int rc = m.tag->bottom();
            if (rc < 0) return rc;
        }
        bool moveFirst = !fromEnd;
        for (;;) {
            if (moveFirst) {
                // The count moved carries the direction's sign; an error shows in the context.
                long moved = m.tag->skip(direction);
                if (engineInError(m.ctx)) return e4codeBase;
                if (moved == 0) return direction > 0 ? AtEnd(r) : r4bof;
            }
            moveFirst = true;
            long rec = m.tag->recNo();
            if (rec < 0) return int(rec);
            if (rec == 0) return direction > 0 ? AtEnd(r) : r4bof;
            // Records past the count were appended since; they are not part of the walk.
            if (rec <= count && Passes(r, rec)) return tableGo(t, rec);
        }
    }
    long cur = fromEnd ? count + 1 : tableRecNo(t);
    long next = cur + direction;
    if (m.bitmap) {
        next = next < 1 ? 0 : bitmapNext(m.bitmap.get(), next, direction);
        if (next == 0 || next > count) return direction > 0 ? AtEnd(r) : r4bof;
    } else {
        if (next > count) return AtEnd(r);
        if (next < 1) return r4bof;
    }
    return tableGo(t, next);
}

// Moves n records of the query result (without a sorted result).
int SkipUnsorted(Relation* r, long n) {
    int direction = n > 0 ? 1 : -1;
    long target = n > 0 ? n : -n;
    int rc = 0;
    for (long counted = 0; counted < target;) {
        rc = Step(r, direction);
        if (rc != 0) return rc;
        int q = QueryTrue(r);
        if (q < 0) return q;
        if (q) ++counted;
    }
    return rc;
}

int TopUnsorted(Relation* r) {
    int rc = FirstPassing(r, 1);
    if (rc != 0) return rc;
    int q = QueryTrue(r);
    if (q < 0) return q;
    return q ? 0 : SkipUnsorted(r, 1);
}

// Positions the master on sorted entry k.
int Deliver(Relation* r, long k) {
    TableHandle* t = r->master.table;
    if (k < 1) return r4bof;
    int32_t rec = 0;
    if (k <= r->delivered) {
        if (!r->backFileOpen) return engineError(r->master.ctx, e4info, L4relateSkip);
        int rc = fileReadAll(&r->backFile, int64_t(k - 1) * 4, &rec, sizeof rec);
        if (rc < 0) return rc;
    } else {
        long order = 0;
        const char* extra = nullptr;
        int rc = r->sortOpen ? sortGet(&r->sort, &order, nullptr, &extra) : 1;
        if (rc < 0) return rc;
        if (rc == 1) {
            r->sortOpen = false; // the sort freed itself
            r->sortEof = true;
            r->sortPos = r->delivered + 1;
            return AtEnd(r);
        }
        std::memcpy(&rec, extra, sizeof rec);
        ++r->delivered;
        if (r->backFileOpen) {
            rc = fileWrite(&r->backFile, int64_t(r->delivered - 1) * 4, &rec, sizeof rec);
            if (rc < 0) return rc;
        }
    }
    r->sortPos = k;
    r->sortEof = false;
    if (rec == 0) return AtEnd(r);
    return tableGo(t, rec);
}

int BuildSorted(Relation* r) {
    RelationNode& m = r->master;
    EngineContext* ctx = m.ctx;
    int rc = exprParse(m.table, r->sortText, false, r->sortExpr);
    if (rc < 0) return -1;
    SortCompare compare = collateFor(m.table->file ? m.table->file->codePage : kCodePageOem);
    switch (r->sortExpr->type) {
    case 'D': case 'd': compare = DateCompare; break;
    case 'N': case 'n': compare = BcdCompareN; break;
    default: break;
    }
    auto releaseBitmaps = [&m] { return relateFreeBitmaps(&m); };
    rc = sortInitFree(&r->sort, ctx, exprKeyLen(*r->sortExpr), r->sortEntrySize, releaseBitmaps);
    if (rc < 0) return rc;
    r->sortOpen = true;
    r->sort.compare = compare;
    r->sortState = RelateSort::sorting;
    long i = 0;
    rc = TopUnsorted(r);
    while (rc == 0) {
        const char* key = nullptr;
        int len = exprKey(*r->sortExpr, &key);
        if (len < 0) {
            rc = len;
            break;
        }
        int32_t rec = int32_t(tableRecNo(m.table));
        // The query order breaks ties, so equal keys keep it.
        rc = sortPut(&r->sort, ++i, key, &rec);
        if (rc < 0) break;
        rc = SkipUnsorted(r, 1);
    }
    if (rc != r4eof) {
        DropSorted(r);
        return rc;
    }
    rc = sortGetInitFree(&r->sort, releaseBitmaps);
    if (rc < 0) {
        r->sortOpen = false;
        DropSorted(r);
        return rc;
    }
    r->sortCount = i;
    r->sortState = RelateSort::sorted;
    if (r->skipBackward) {
        rc = fileTempLow(&r->backFile, ctx, true);
        if (rc != 0) {
            DropSorted(r);
            return rc < 0 ? rc : engineError(ctx, e4create, L4relateTop);
        }
        r->backFileOpen = true;
    }
    return 0;
}

int Initialise(Relation* r) {
    RelationNode& m = r->master;
    // The result covers the records and keys that exist now, also those
    // another user wrote since the tags were last read.
    RefreshCount(m.table);
    for (IndexFile* index : m.table->indexes) {
        int rc = indexVersionCheck(index, false);
        if (rc < 0) return rc;
    }
    if (!r->queryText.empty()) {
        if (!r->query && ParseQuery(r, L4relateTop) < 0) return -1;
        r->conjuncts = queryConjuncts(*r->query);
        std::vector<QueryTag*> tags = queryTagSource().tags(m.table);
        int rc = queryOptimise(*r->query, r->conjuncts, tags, tableRecCount(m.table), m.bitmap);
        if (rc == e4memory) {
            // Without memory for bitmaps the query is answered record by record.
            m.bitmap.reset();
            r->notOptimisable = true;
        } else if (rc < 0) {
            return rc;
        }
        if (!m.bitmap) r->notOptimisable = true;
    }
    r->initialised = true;
    if (!r->sortText.empty()) return BuildSorted(r);
    return 0;
}

int CheckNode(RelationNode* node) {
    Relation* r = Of(node);
    if (!r || !node->table) return e4parmNull;
    if (engineInError(node->ctx)) return e4codeBase;
    return 0;
}

} // namespace

RelationNode* relateInit(TableHandle* table) {
    if (!table) return nullptr;
    EngineContext* ctx = table->ctx;
    if (engineInError(ctx)) return nullptr;
    Relation* r = new (std::nothrow) Relation;
    if (!r) {
        engineError(ctx, e4memory, L4relateInit);
        return nullptr;
    }
    r->master.ctx = ctx;
    r->master.table = table;
    r->master.relation = r;
    RefreshCount(table);
    return &r->master;
}

int relateFree(RelationNode* node) {
    Relation* r = Of(node);
    if (!r) return e4parmNull;
    Reset(r);
    delete r;
    return 0;
}

int relateQuerySet(RelationNode* node, const char* text) {
    Relation* r = Of(node);
    if (!r || engineInError(node->ctx)) return -1;
    Reset(r);
    r->query.reset();
    r->queryText = text ? text : "";
    if (r->queryText.empty()) return 0;
    if (ParseQuery(r, L4relateQuerySet) < 0) {
        r->queryText.clear();
        return -1;
    }
    return 0;
}

int relateSortSet(RelationNode* node, const char* text) {
    Relation* r = Of(node);
    if (!r || engineInError(node->ctx)) return -1;
    Reset(r);
    r->sortText = text ? text : "";
    return 0;
}

int relateChanged(RelationNode* node) {
    Relation* r = Of(node);
    if (!r) return e4parmNull;
    Reset(r);
    r->query.reset();
    return 0;
}

int relateSkipEnable(RelationNode* node, bool flag) {
    Relation* r = Of(node);
    if (!r) return e4parmNull;
    if (r->skipBackward != flag) {
        r->skipBackward = flag;
        Reset(r);
    }
    return 0;
}

int relateFreeBitmaps(RelationNode* node) {
    if (!node || !node->bitmap) return 0;
    node->bitmap.reset();
    // What the bitmap answered is evaluated again from now on.
    if (node->relation) node->relation->notOptimisable = true;
    return 1;
}

int relateTop(RelationNode* node) {
    int rc = CheckNode(node);
    if (rc < 0) return rc;
    Relation* r = node->relation;
    ReadLockOff off(node->ctx);
    node->tag = queryTagSource().selected(node->table);
    // A sorted result read forward only is built again to start over.
    if (r->initialised && r->sortState == RelateSort::sorted && !r->backFileOpen && r->delivered > 0) {
        DropSorted(r);
        r->initialised = false;
    }
    if (!r->initialised) {
        rc = Initialise(r);
        // An optimisation that a sort suspended for its memory runs again.
        if (node->ctx->hadOpt) engineOptRestart(node->ctx);
        if (rc < 0) return rc;
    }
    r->topDone = true;
    if (r->sortState == RelateSort::sorted) return Deliver(r, 1);
    return TopUnsorted(r);
}

int relateBottom(RelationNode* node) {
    int rc = CheckNode(node);
    if (rc < 0) return rc;
    Relation* r = node->relation;
    if (!r->skipBackward) {
        r->skipBackward = true;
        Reset(r);
    }
    ReadLockOff off(node->ctx);
    node->tag = queryTagSource().selected(node->table);
    if (!r->initialised) {
        rc = Initialise(r);
        if (rc < 0) return rc;
    }
    r->topDone = true;
    if (r->sortState == RelateSort::sorted) {
        if (r->sortCount == 0) return AtEnd(r);
        // Every entry passes into the file, so that the last can be read back.
        while (r->delivered < r->sortCount) {
            rc = Deliver(r, r->delivered + 1);
            if (rc != 0) return rc;
        }
        return Deliver(r, r->sortCount);
    }
    rc = FirstPassing(r, -1);
    if (rc != 0) return rc;
    int q = QueryTrue(r);
    if (q < 0) return q;
    if (q) return 0;
    rc = SkipUnsorted(r, -1);
    if (rc == r4bof) return AtEnd(r);
    return rc;
}

int relateSkip(RelationNode* node, long n) {
    int rc = CheckNode(node);
    if (rc < 0) return rc;
    Relation* r = node->relation;
    if (!r->topDone || (n < 0 && !r->skipBackward)) return engineError(node->ctx, e4info, L4relateSkip);
    if (n == 0) return 0;
    ReadLockOff off(node->ctx);
    if (r->sortState != RelateSort::sorted) return SkipUnsorted(r, n);
    int direction = n > 0 ? 1 : -1;
    for (long k = 0; k < (n > 0 ? n : -n); ++k) {
        if (direction > 0 && r->sortEof) return r4eof;
        rc = Deliver(r, r->sortPos + direction);
        if (rc != 0) return rc;
    }
    return 0;
}

int relateEof(RelationNode* node) {
    Relation* r = Of(node);
    if (!r) return e4parmNull;
    if (r->sortState == RelateSort::sorted) return r->sortEof ? 1 : 0;
    return tableEof(node->table);
}

} // namespace vx
