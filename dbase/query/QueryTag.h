// A tag as relations and the query optimiser use it: its key expression and
// key form, and positioning by key. The relation reaches the tags of a table
// only through this seam, so that the optimiser can be tested over tags kept
// in memory as well as over index files.
#pragma once

#include <cstddef>
#include <vector>

namespace vx {

struct CompiledExpr;
struct TableHandle;

class QueryTag {
public:
    virtual ~QueryTag() = default;
    virtual CompiledExpr* keyExpr() = 0;
    // "C", "D" or "N", and the key length in bytes.
    virtual char keyType() = 0;
    virtual int keyLen() = 0;
    virtual bool hasFilter() = 0;
    virtual int uniqueCode() = 0;
    virtual bool descending() = 0;
    // The ascending compare of two keys over n bytes.
    virtual int compare(const void* a, const void* b, size_t n) = 0;

    // 0 or an error.
    virtual int top() = 0;
    virtual int bottom() = 0;
    // To the first key >= key over len bytes: 0 when it matches, 2 when not
    // (standing on the next greater key or at the end), or an error.
    virtual int seek(const char* key, int len) = 0;
    // Moves n keys; the number moved (fewer at either end), or an error.
    virtual long skip(long n) = 0;
    // The current entry: record number (0 at the end) and key (null at the end).
    virtual long recNo() = 0;
    virtual const char* key() = 0;
    // The position as a fraction from 0 to 1.
    virtual double position() = 0;
};

// The tags of a table, asked again at each relateTop.
class QueryTagSource {
public:
    virtual ~QueryTagSource() = default;
    virtual std::vector<QueryTag*> tags(TableHandle* table) = 0;
    // The table's selected tag (the order of the walk), or null for record order.
    virtual QueryTag* selected(TableHandle* table) = 0;
};

QueryTagSource& queryTagSource();
// Installs a source (not owned); null goes back to the tables' own tags.
void setQueryTagSource(QueryTagSource* source);

} // namespace vx
