#include "dbase/query/QueryOptimiser.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <set>
#include <string>

#include "dbase/util/Bcd.h"
#include "dbase/file/EngineContext.h"
#include "dbase/expr/Expr.h"
#include "dbase/expr/ExprStep.h"
#include "dbase/query/QueryTag.h"
#include "dbase/query/Relation.h"

namespace vx {
namespace {

// The last steps of the operands of step i, in order.
std::vector<int> Operands(const CompiledExpr& e, int i) {
    std::vector<int> ends;
    int end = i - 1;
    for (int k = 0; k < e.steps[size_t(i)].operands && end >= 0; ++k) {
        ends.push_back(end);
        end -= e.steps[size_t(end)].subtree;
    }
    std::reverse(ends.begin(), ends.end());
    return ends;
}

bool IsComparison(ExprOp op) {
    return op == ExprOp::Eq || op == ExprOp::Ne || op == ExprOp::Lt || op == ExprOp::Gt ||
           op == ExprOp::Le || op == ExprOp::Ge;
}

bool IsConstant(const CompiledExpr& e, int end) {
    const ExprStep& last = e.steps[size_t(end)];
    for (int i = end - last.subtree + 1; i <= end; ++i) {
        ExprOp op = e.steps[size_t(i)].op;
        bool ok = op == ExprOp::ConstC || op == ExprOp::ConstN || op == ExprOp::ConstTrue ||
                  op == ExprOp::ConstFalse || op == ExprOp::Stod || op == ExprOp::Ctod;
        if (!ok) return false;
    }
    return true;
}

// A numeric field loads as text in a key and as a double in a comparison; the
// date field likewise. Both are the same field.
ExprOp LoadKind(ExprOp op) {
    if (op == ExprOp::FieldNumber) return ExprOp::FieldN;
    if (op == ExprOp::FieldDay) return ExprOp::FieldD;
    return op;
}

bool SameStep(const ExprStep& a, const ExprStep& b) {
    if (LoadKind(a.op) != LoadKind(b.op) || a.operands != b.operands) return false;
    switch (a.op) {
    case ExprOp::FieldC: case ExprOp::FieldN: case ExprOp::FieldNumber: case ExprOp::FieldD:
    case ExprOp::FieldDay: case ExprOp::FieldL: case ExprOp::FieldMemo:
        return a.field == b.field && a.ownTable && b.ownTable && (a.op != b.op || a.len == b.len);
    case ExprOp::ConstC: return a.text == b.text;
    case ExprOp::ConstN: return a.number == b.number;
    default:
        return a.start == b.start && a.count == b.count && a.decimals == b.decimals && a.len == b.len &&
               a.text == b.text;
    }
}

// The subtree ending at end reads, step for step, what the tag's key expression reads.
bool MatchesKey(const CompiledExpr& e, int end, const CompiledExpr& key) {
    int n = e.steps[size_t(end)].subtree;
    if (n != int(key.steps.size())) return false;
    int first = end - n + 1;
    for (int i = 0; i < n; ++i) {
        const ExprStep& s = e.steps[size_t(first + i)];
        if (!SameStep(s, key.steps[size_t(i)])) return false;
        // Only fields of the query's own table can be answered by its tags.
        if (s.field >= 0 && s.table != e.table) return false;
    }
    return true;
}

bool TagUsable(QueryTag* tag) {
    CompiledExpr* key = tag->keyExpr();
    // Date keys sort the blank date last while comparisons put it first; a
    // trimmed key holds blanks where the expression holds zero bytes.
    return key && !tag->hasFilter() && tag->uniqueCode() != r4uniqueContinue &&
           (tag->keyType() == 'C' || tag->keyType() == 'N') && !key->trimming;
}

ExprOp Mirror(ExprOp op) {
    switch (op) {
    case ExprOp::Lt: return ExprOp::Gt;
    case ExprOp::Gt: return ExprOp::Lt;
    case ExprOp::Le: return ExprOp::Ge;
    case ExprOp::Ge: return ExprOp::Le;
    default: return op;
    }
}

// One comparison of the key with a constant in key form.
struct Pred {
    ExprOp op = ExprOp::Eq;
    std::string key;
    int len = 0;          // bytes compared
    bool partial = false; // a character constant shorter than the key
};

struct Node {
    enum Kind { andNode, orNode, leaf } kind = leaf;
    bool exact = true;
    QueryTag* tag = nullptr;
    bool negate = false; // "#" and "<>": the keys that differ
    std::vector<Pred> preds;
    std::vector<Node> children;
};

class Builder {
public:
    Builder(CompiledExpr& e, const std::vector<QueryTag*>& tags) : e_(e) {
        for (QueryTag* t : tags)
            if (TagUsable(t)) tags_.push_back(t);
    }

    std::optional<Node> Build(int i) {
        const ExprStep& st = e_.steps[size_t(i)];
        if (st.op == ExprOp::And || st.op == ExprOp::Or) {
            Node n;
            n.kind = st.op == ExprOp::And ? Node::andNode : Node::orNode;
            for (int op : Operands(e_, i)) {
                std::optional<Node> c = Build(op);
                if (!c) {
                    // Under ".OR." one unanswerable operand spoils the whole;
                    // under ".AND." the others still narrow the result.
                    if (n.kind == Node::orNode) return std::nullopt;
                    n.exact = false;
                    continue;
                }
                n.exact = n.exact && c->exact;
                if (c->kind == n.kind) {
                    for (Node& g : c->children) n.children.push_back(std::move(g));
                } else {
                    n.children.push_back(std::move(*c));
                }
            }
            if (n.children.empty()) return std::nullopt;
            return n;
        }
        if (IsComparison(st.op) && st.operands == 2) return Leaf(i);
        return std::nullopt;
    }

private:
    std::optional<Node> Leaf(int i) {
        std::vector<int> ops = Operands(e_, i);
        if (ops.size() != 2) return std::nullopt;
        ExprOp op = e_.steps[size_t(i)].op;
        int keySide = ops[0], constSide = ops[1];
        if (IsConstant(e_, ops[0]) && !IsConstant(e_, ops[1])) {
            std::swap(keySide, constSide);
            op = Mirror(op);
        } else if (!IsConstant(e_, ops[1])) {
            return std::nullopt;
        }
        for (QueryTag* tag : tags_) {
            if (!MatchesKey(e_, keySide, *tag->keyExpr())) continue;
            char ct = e_.steps[size_t(constSide)].type;
            Pred p;
            p.op = op;
            if (tag->keyType() == 'C') {
                if (ct != 'C') continue;
                const char* v = nullptr;
                int len = exprExecute(e_, constSide, &v);
                if (len < 0) return std::nullopt;
                p.key.assign(v, size_t(len));
                int keyLen = tag->keyLen();
                if (len > keyLen) {
                    // The key equal to the constant's first bytes is the smaller.
                    p.key.resize(size_t(keyLen));
                    if (p.op == ExprOp::Lt) p.op = ExprOp::Le;
                }
                p.len = int(p.key.size());
                p.partial = p.len < keyLen;
            } else {
                if (ct != 'n') continue;
                const char* v = nullptr;
                if (exprExecute(e_, constSide, &v) != int(sizeof(double))) return std::nullopt;
                double d = 0;
                std::memcpy(&d, v, sizeof d);
                p.key.assign(size_t(kBcdLen), '\0');
                BcdFromDouble(d, p.key.data());
                p.len = kBcdLen;
            }
            Node n;
            n.kind = Node::leaf;
            n.tag = tag;
            if (p.op == ExprOp::Ne) {
                p.op = ExprOp::Eq;
                n.negate = true;
            }
            n.preds.push_back(std::move(p));
            return n;
        }
        return std::nullopt;
    }

    CompiledExpr& e_;
    std::vector<QueryTag*> tags_;
};

// Leaves on one tag under one ".AND." become one range.
void MergeLeaves(Node& n) {
    for (Node& c : n.children) MergeLeaves(c);
    if (n.kind != Node::andNode) return;
    std::vector<Node> kept;
    for (Node& c : n.children) {
        if (c.kind == Node::leaf && !c.negate) {
            auto same = std::find_if(kept.begin(), kept.end(), [&](const Node& k) {
                return k.kind == Node::leaf && !k.negate && k.tag == c.tag;
            });
            if (same != kept.end()) {
                for (Pred& p : c.preds) same->preds.push_back(std::move(p));
                continue;
            }
        }
        kept.push_back(std::move(c));
    }
    n.children = std::move(kept);
}

bool Holds(QueryTag* tag, const Pred& p, const char* key) {
    int r = tag->compare(key, p.key.data(), size_t(p.len));
    switch (p.op) {
    case ExprOp::Eq: return r == 0;
    case ExprOp::Lt: return r < 0;
    case ExprOp::Le: return r <= 0;
    // A longer key that begins with the constant is the greater.
    case ExprOp::Gt: return p.partial ? r >= 0 : r > 0;
    default: return r >= 0;
    }
}

bool IsLower(ExprOp op) { return op == ExprOp::Eq || op == ExprOp::Gt || op == ExprOp::Ge; }
bool IsUpper(ExprOp op) { return op == ExprOp::Eq || op == ExprOp::Lt || op == ExprOp::Le; }

// A place in the tag: the key there (none at the end) and its position.
struct Bound {
    bool end = true;
    std::string key;
    double position = 1.0;
};

Bound Here(QueryTag* tag) {
    Bound b;
    const char* k = tag->key();
    if (k && tag->recNo() > 0) {
        b.end = false;
        b.key.assign(k, size_t(tag->keyLen()));
        b.position = tag->position();
    }
    return b;
}

// Steps forward while the key satisfies p; an error is negative.
int SkipWhile(QueryTag* tag, const Pred& p) {
    for (;;) {
        const char* k = tag->key();
        if (!k || tag->recNo() <= 0 || !Holds(tag, p, k)) return 0;
        long moved = tag->skip(1);
        if (moved < 0) return int(moved);
        if (moved == 0) {
            // Past the last key.
            return 1;
        }
    }
}

// The order of the walk: descending tags hold the keys in reverse.
int TagOrder(QueryTag* tag, const char* a, const char* b) {
    int c = tag->compare(a, b, size_t(tag->keyLen()));
    return tag->descending() ? -c : c;
}

// In the order of the walk, the first key of the range that p allows
// (start), or the first key after it. A seek stands on the first key whose
// first bytes are not before the constant; the run of keys equal to it
// there is stepped over when it lies before the wanted place.
int Locate(QueryTag* tag, const Pred& p, bool start, Bound* out) {
    int rc = tag->seek(p.key.data(), p.len);
    if (rc < 0) return rc;
    bool strictGt = p.op == ExprOp::Gt && !p.partial;
    bool stepOver;
    if (!tag->descending()) stepOver = start ? strictGt : p.op != ExprOp::Lt;
    else stepOver = start ? p.op == ExprOp::Lt : !strictGt;
    if (stepOver) {
        Pred equal = p;
        equal.op = ExprOp::Eq;
        rc = SkipWhile(tag, equal);
        if (rc < 0) return rc;
        if (rc == 1) {
            *out = Bound{};
            return 0;
        }
    }
    *out = Here(tag);
    return 0;
}

int MarkWhile(QueryTag* tag, Bitmap* map, const Bound& stop) {
    for (;;) {
        const char* k = tag->key();
        long rec = tag->recNo();
        if (!k || rec <= 0) return 0;
        if (!stop.end && TagOrder(tag, k, stop.key.data()) >= 0) return 0;
        bitmapSet(map, rec);
        long moved = tag->skip(1);
        if (moved < 0) return int(moved);
        if (moved == 0) return 0;
    }
}

int LeafBitmap(const Node& n, EngineContext* ctx, long count, Bitmap* map) {
    QueryTag* tag = n.tag;
    if (bitmapInit(map, ctx, count) < 0) return e4memory;
    size_t keyLen = size_t(tag->keyLen());
    bool desc = tag->descending();
    Bound start, stop;
    bool haveStart = false, haveStop = false;
    for (const Pred& p : n.preds) {
        // Lower bounds open the range of an ascending walk, upper bounds of a descending one.
        if (desc ? IsUpper(p.op) : IsLower(p.op)) {
            Bound b;
            int rc = Locate(tag, p, true, &b);
            if (rc < 0) return rc;
            if (!haveStart || b.end || (!start.end && TagOrder(tag, b.key.data(), start.key.data()) > 0))
                start = b;
            haveStart = true;
        }
        if (desc ? IsLower(p.op) : IsUpper(p.op)) {
            Bound b;
            int rc = Locate(tag, p, false, &b);
            if (rc < 0) return rc;
            if (!haveStop || (!b.end && (stop.end || TagOrder(tag, b.key.data(), stop.key.data()) < 0)))
                stop = b;
            haveStop = true;
        }
    }
    if (!haveStart) {
        int rc = tag->top();
        if (rc < 0) return rc;
        start = Here(tag);
        start.position = 0;
    }
    bool empty = start.end || (!stop.end && TagOrder(tag, start.key.data(), stop.key.data()) >= 0);
    if (!empty) {
        if (stop.position - start.position > 0.5) {
            // More than half of the tag: the records outside are marked instead.
            int rc = tag->top();
            if (rc < 0) return rc;
            rc = MarkWhile(tag, map, start);
            if (rc < 0) return rc;
            if (!stop.end) {
                rc = tag->seek(stop.key.data(), int(keyLen));
                if (rc < 0) return rc;
                rc = MarkWhile(tag, map, Bound{});
                if (rc < 0) return rc;
            }
            map->inverted = true;
        } else {
            int rc = tag->seek(start.key.data(), int(keyLen));
            if (rc < 0) return rc;
            rc = MarkWhile(tag, map, stop);
            if (rc < 0) return rc;
        }
    }
    if (n.negate) bitmapNot(map);
    return 0;
}

int NodeBitmap(const Node& n, EngineContext* ctx, long count, Bitmap* map) {
    if (n.kind == Node::leaf) return LeafBitmap(n, ctx, count, map);
    bool first = true;
    for (const Node& c : n.children) {
        Bitmap part;
        int rc = NodeBitmap(c, ctx, count, first ? map : &part);
        if (rc < 0) return rc;
        if (!first) {
            if (n.kind == Node::andNode) bitmapAnd(map, *map, part);
            else bitmapOr(map, *map, part);
        }
        first = false;
    }
    return 0;
}

// The tables whose fields a subtree reads.
std::set<const ExprTable*> TablesOf(const CompiledExpr& e, int end) {
    std::set<const ExprTable*> out;
    for (int i = end - e.steps[size_t(end)].subtree + 1; i <= end; ++i) {
        const ExprStep& s = e.steps[size_t(i)];
        if (s.field >= 0 && s.table) out.insert(s.table);
    }
    return out;
}

void CollectConjuncts(const CompiledExpr& e, int i, std::vector<int>& out) {
    if (e.steps[size_t(i)].op == ExprOp::And) {
        for (int op : Operands(e, i)) CollectConjuncts(e, op, out);
        return;
    }
    out.push_back(i);
}

} // namespace

std::vector<QueryConjunct> queryConjuncts(const CompiledExpr& query) {
    std::vector<QueryConjunct> result;
    if (query.steps.empty()) return result;
    std::vector<int> steps;
    CollectConjuncts(query, int(query.steps.size()) - 1, steps);
    std::vector<std::set<const ExprTable*>> tables;
    for (int s : steps) tables.push_back(TablesOf(query, s));
    std::vector<bool> taken(steps.size(), false);
    std::set<const ExprTable*> read;
    for (size_t round = 0; round < steps.size(); ++round) {
        size_t best = steps.size();
        size_t bestNew = 0;
        for (size_t k = 0; k < steps.size(); ++k) {
            if (taken[k]) continue;
            size_t fresh = 0;
            for (const ExprTable* t : tables[k]) fresh += read.count(t) ? 0 : 1;
            if (best == steps.size() || fresh < bestNew) {
                best = k;
                bestNew = fresh;
            }
        }
        taken[best] = true;
        read.insert(tables[best].begin(), tables[best].end());
        QueryConjunct c;
        c.step = steps[best];
        c.tables = int(tables[best].size());
        result.push_back(c);
    }
    return result;
}

int queryOptimise(CompiledExpr& query, std::vector<QueryConjunct>& conjuncts,
                  const std::vector<QueryTag*>& tags, long count, std::unique_ptr<Bitmap>& out) {
    out.reset();
    for (QueryConjunct& c : conjuncts) c.answered = false;
    if (tags.empty() || query.steps.empty()) return 0;
    EngineContext* ctx = nullptr;
    try {
        Builder builder(query, tags);
        Node root;
        root.kind = Node::andNode;
        std::vector<bool> answered(conjuncts.size(), false);
        for (size_t k = 0; k < conjuncts.size(); ++k) {
            std::optional<Node> n = builder.Build(conjuncts[k].step);
            if (!n) continue;
            answered[k] = n->exact;
            if (n->kind == Node::andNode) {
                for (Node& g : n->children) root.children.push_back(std::move(g));
            } else {
                root.children.push_back(std::move(*n));
            }
        }
        if (root.children.empty()) return 0;
        MergeLeaves(root);
        auto map = std::make_unique<Bitmap>();
        int rc = NodeBitmap(root, ctx, count, map.get());
        if (rc < 0) return rc;
        for (size_t k = 0; k < conjuncts.size(); ++k) conjuncts[k].answered = answered[k];
        out = std::move(map);
    } catch (const std::bad_alloc&) {
        out.reset();
        return e4memory;
    }
    return 0;
}

} // namespace vx
