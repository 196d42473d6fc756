// Relations: a table walked in the order of its selected tag or of a sort
// expression, returning only the records that satisfy a query expression.
// Comparisons of a tag's key expression with constants are answered from
// the tags as bitmaps of record numbers, so that excluded records are never read.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dbase/query/Bitmap.h"
#include "dbase/file/EngineFile.h"
#include "dbase/expr/Expr.h"
#include "dbase/index/Sort.h"

namespace vx {

struct EngineContext;
struct TableHandle;
struct Relation;
class QueryTag;

struct RelationNode {
    EngineContext* ctx = nullptr;
    TableHandle* table = nullptr;
    QueryTag* tag = nullptr; // the walking tag, taken at each relateTop
    int relationType = 0;   // exact match; matters only for slaves
    int errorAction = 0;    // blank record; matters only for slaves
    bool visited = false;
    std::unique_ptr<Bitmap> bitmap;
    std::vector<RelationNode*> slaves; // no operation creates one
    Relation* relation = nullptr;
};

// One top-level operand of the query's ".AND." (or the whole query).
struct QueryConjunct {
    int step = 0;           // the last step of its subtree
    int tables = 0;         // tables it reads
    bool answered = false;  // the bitmap answers it exactly
};

enum class RelateSort { none, sorting, sorted };

struct Relation {
    RelationNode master;
    std::string queryText; // empty: none
    std::string sortText;
    std::unique_ptr<CompiledExpr> query;
    std::vector<QueryConjunct> conjuncts;
    bool initialised = false;
    bool notOptimisable = false;
    bool topDone = false;

    RelateSort sortState = RelateSort::none;
    SortContext sort;
    bool sortOpen = false;
    int sortEntrySize = 4; // 4 bytes per table the sort reads
    std::unique_ptr<CompiledExpr> sortExpr;
    long sortCount = 0;
    long sortPos = 0;   // the entry the master stands on (1-based)
    long delivered = 0; // entries taken from the sort so far
    bool sortEof = false;

    bool skipBackward = false;
    EngineFile backFile; // entries delivered so far, for backward skips
    bool backFileOpen = false;
};

RelationNode* relateInit(TableHandle* table);
// Frees the relation with its bitmaps, sort and files.
int relateFree(RelationNode* node);
// A copy of the text (null or empty clears it); the relation is reset. 0 or -1:
// a query that does not parse or is not logical is reported here.
int relateQuerySet(RelationNode* node, const char* text);
int relateSortSet(RelationNode* node, const char* text);
int relateTop(RelationNode* node);
int relateBottom(RelationNode* node);
int relateSkip(RelationNode* node, long n);
int relateEof(RelationNode* node);
int relateChanged(RelationNode* node);
int relateSkipEnable(RelationNode* node, bool flag);
// Frees the bitmaps of the relation; the number of bitmaps freed.
int relateFreeBitmaps(RelationNode* node);

} // namespace vx
