// The query optimiser: comparisons between a tag's key expression and
// constants become key ranges, which are read from the tags into bitmaps of
// record numbers and combined as the query's ".AND." and ".OR." say.
#pragma once

#include <memory>
#include <vector>

#include "dbase/query/Bitmap.h"

namespace vx {

struct CompiledExpr;
struct QueryConjunct;
class QueryTag;

// Builds the bitmap of the records that can satisfy the query (null when no
// part of it can be answered from tags) and marks the conjuncts that the
// bitmap answers exactly. count: the table's record count. Returns 0,
// e4memory when memory ran short (nothing is kept; the caller scans), or an
// error of a tag.
int queryOptimise(CompiledExpr& query, std::vector<QueryConjunct>& conjuncts,
                  const std::vector<QueryTag*>& tags, long count, std::unique_ptr<Bitmap>& out);

// The conjuncts of a query: the operands of its top-level ".AND." (nested
// ones flattened), or the whole query; ordered so that each next one reads
// the fewest tables not read before.
std::vector<QueryConjunct> queryConjuncts(const CompiledExpr& query);

} // namespace vx
