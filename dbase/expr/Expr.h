// xBase expressions of index keys, tag filters and queries: parsed once
// against a table into a postfix step list, then evaluated for the table's
// current record as often as needed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// One field as the evaluator sees it.
struct ExprFieldInfo {
    char type = 'C';  // C, N, F, D, L, M, ...
    int length = 0;
    int decimals = 0;
    int offset = 0;  // position in the record buffer (the deletion mark is byte 0)
};

// What an expression reads of a table: its fields and current record.
// The table engine implements it over an open table handle; tests use their
// own records.
class ExprTable {
public:
    virtual ~ExprTable() = default;
    // 0-based field index, or a negative code (the lookup reports its own error).
    virtual int exprFieldIndex(std::string_view name) = 0;
    virtual ExprFieldInfo exprFieldInfo(int index) = 0;
    // The current record buffer: deletion mark at byte 0.
    virtual const char* exprRecord() = 0;
    // The memo contents of field index for the current record.
    virtual std::string_view exprMemo(int index) = 0;
    virtual long exprRecordCount() = 0;
    virtual long exprRecordNumber() = 0;
    // Another open table of the same context by its (upper-case) alias, or null.
    virtual ExprTable* exprTableByAlias(std::string_view alias) = 0;
    // The context is in error state: evaluation refuses to run.
    virtual bool exprInError() { return false; }
};

// Settings taken from the engine context at parse time.
struct ExprSettings {
    std::string datePicture = "DD.MM.YY";
    int memoLength = 1024;
    // Of the table's text: UPPER and comparisons follow it.
    int codePage = 437;
};

// Error codes of the expression part (named apart from the context's own list).
inline constexpr int kExprCommaExpected = -400;
inline constexpr int kExprIncomplete = -410;
inline constexpr int kExprAliasUnknown = -420;
inline constexpr int kExprIifLength = -422;
inline constexpr int kExprNotConstant = -425;
inline constexpr int kExprParamCount = -430;
inline constexpr int kExprOverflow = -440;
inline constexpr int kExprRightMissing = -450;
inline constexpr int kExprWrongType = -460;
inline constexpr int kExprUnknownFunction = -470;
inline constexpr int kExprUnknownOperator = -480;
inline constexpr int kExprUnknownValue = -490;
inline constexpr int kExprUnterminated = -500;
inline constexpr int kExprBadIndexExpr = -510;
inline constexpr int kExprMemory = -920;
inline constexpr int kExprNotLogical = -950;
inline constexpr int kExprInError = -1410;

struct ExprStep;

// A parsed and sized expression. Results of an evaluation stay valid until
// the next evaluation of the same expression.
struct CompiledExpr {
    std::vector<ExprStep> steps;
    std::string text;
    char type = 'C';      // result type: C N n D d L
    int length = 0;       // result length
    bool trimming = false;  // a trimming function stands in it
    ExprTable* table = nullptr;
    // The table view the expression owns when it was parsed against an open table.
    std::unique_ptr<ExprTable> source;
    bool indexExpr = false;
    int codePage = 437;
    std::string result;   // the last result's bytes
    std::string key;      // the last key (exprKey)

    CompiledExpr();
    ~CompiledExpr();
    CompiledExpr(const CompiledExpr&) = delete;
    CompiledExpr& operator=(const CompiledExpr&) = delete;
};

// Parses text against table (indexExpr: fields of other tables are refused
// with -510) and sizes it. 0 and out set, or a negative code and out empty.
int exprParse(ExprTable& table, std::string_view text, bool indexExpr,
              std::unique_ptr<CompiledExpr>& out, const ExprSettings& settings = {});
// The type and length pass over the parsed steps (part of exprParse).
int exprMassage(CompiledExpr& expr);

// The result: its length, and its bytes through out (a double for n and d,
// an int for L). Negative: the context is in error state.
int exprVary(CompiledExpr& expr, const char** out);
// The result in key form: C as it is (trimmed zeros made blanks), dates as a
// day number double (blank: 1.0E300), numbers as 12-byte BCD. Returns the length.
int exprKey(CompiledExpr& expr, const char** out);
int exprKeyLen(const CompiledExpr& expr);
double exprDouble(CompiledExpr& expr);
// 1 or 0 for a logical result; -950 for any other type.
int exprTrue(CompiledExpr& expr);
// Evaluates only the subtree that ends at step; its length.
int exprExecute(CompiledExpr& expr, int step, const char** out);

} // namespace vx
