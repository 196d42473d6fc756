// Expressions over an open table of the engine: fields are read through the
// field layer, settings come from the table's context, and parse errors are
// reported through the context with the expression text.
#pragma once

#include <memory>
#include <string_view>

#include "dbase/expr/Expr.h"

namespace vx {

struct EngineContext;
struct TableHandle;

// indexExpr: a key or filter expression of a tag (fields of other tables refused).
int exprParse(TableHandle* table, std::string_view text, bool indexExpr,
              std::unique_ptr<CompiledExpr>& out);

// Moves an expression to another handle of the same data file (a tag's key
// expression serves every table that opens the index): its fields are taken
// by number from that handle's record. -930 for a handle of another file.
int exprContext(CompiledExpr& expr, TableHandle* table);

// Frees the context's named calculations. This system creates none, so the
// list is always empty.
void exprCalcReset(EngineContext* ctx);

} // namespace vx
