#include "dbase/expr/Expr.h"

#include <cctype>
#include <cmath>
#include <cstring>

#include "dbase/expr/ExprStep.h"
#include "platform/NumText.h"

namespace vx {

// Overloads of one name stand together; the first that fits the operand
// types is taken.
const ExprRow kExprRows[] = {
    {".NOT.", ExprOp::Not, 'L', 1, "L"},
    {".OR.", ExprOp::Or, 'L', -1, "L"},
    {".AND.", ExprOp::And, 'L', -1, "L"},
    {"=", ExprOp::Eq, 'L', 2, "CC"},
    {"=", ExprOp::Eq, 'L', 2, "LL"},
    {"=", ExprOp::Eq, 'L', 2, "nn"},
    {"=", ExprOp::Eq, 'L', 2, "dd"},
    {"<>", ExprOp::Ne, 'L', 2, "CC"},
    {"<>", ExprOp::Ne, 'L', 2, "nn"},
    {"<>", ExprOp::Ne, 'L', 2, "dd"},
    {"<>", ExprOp::Ne, 'L', 2, "LL"},
    {"<", ExprOp::Lt, 'L', 2, "CC"},
    {"<", ExprOp::Lt, 'L', 2, "nn"},
    {"<", ExprOp::Lt, 'L', 2, "dd"},
    {">", ExprOp::Gt, 'L', 2, "CC"},
    {">", ExprOp::Gt, 'L', 2, "nn"},
    {">", ExprOp::Gt, 'L', 2, "dd"},
    {"<=", ExprOp::Le, 'L', 2, "CC"},
    {"<=", ExprOp::Le, 'L', 2, "nn"},
    {"<=", ExprOp::Le, 'L', 2, "dd"},
    {">=", ExprOp::Ge, 'L', 2, "CC"},
    {">=", ExprOp::Ge, 'L', 2, "nn"},
    {">=", ExprOp::Ge, 'L', 2, "dd"},
    {"$", ExprOp::Contains, 'L', 2, "CC"},
    {"+", ExprOp::Add, 'C', 2, "CC"},
    {"+", ExprOp::Add, 'n', 2, "nn"},
    {"+", ExprOp::Add, 'd', 2, "dn"},
    {"+", ExprOp::Add, 'd', 2, "nd"},
    {"-", ExprOp::Sub, 'C', 2, "CC"},
    {"-", ExprOp::Sub, 'n', 2, "nn"},
    {"-", ExprOp::Sub, 'n', 2, "dd"},
    {"-", ExprOp::Sub, 'd', 2, "dn"},
    {"*", ExprOp::Mul, 'n', 2, "nn"},
    {"/", ExprOp::Div, 'n', 2, "nn"},
    {"^", ExprOp::Pow, 'n', 2, "nn"},
    {"CHR", ExprOp::Chr, 'C', 1, "n"},
    {"DEL", ExprOp::Del, 'C', 0, ""},
    {"STR", ExprOp::Str, 'C', 1, "n"},
    {"SUBSTR", ExprOp::Substr, 'C', 1, "C"},
    {"LEFT", ExprOp::Left, 'C', 1, "C"},
    {"RIGHT", ExprOp::Right, 'C', 1, "C"},
    {"TIME", ExprOp::Time, 'C', 0, ""},
    {"UPPER", ExprOp::Upper, 'C', 1, "C"},
    {"DTOS", ExprOp::Dtos, 'C', 1, "D"},
    {"DTOS", ExprOp::Dtos, 'C', 1, "d"},
    {"DTOC", ExprOp::Dtoc, 'C', 1, "D"},
    {"DTOC", ExprOp::Dtoc, 'C', 1, "d"},
    {"TRIM", ExprOp::Trim, 'C', 1, "C"},
    {"LTRIM", ExprOp::Ltrim, 'C', 1, "C"},
    {"ALLTRIM", ExprOp::Alltrim, 'C', 1, "C"},
    {"IIF", ExprOp::Iif, 'C', 3, "LCC"},
    {"IIF", ExprOp::Iif, 'n', 3, "Lnn"},
    {"IIF", ExprOp::Iif, 'd', 3, "Ldd"},
    {"IIF", ExprOp::Iif, 'L', 3, "LLL"},
    {"STOD", ExprOp::Stod, 'd', 1, "C"},
    {"CTOD", ExprOp::Ctod, 'd', 1, "C"},
    {"DATE", ExprOp::Date, 'd', 0, ""},
    {"DAY", ExprOp::Day, 'n', 1, "D"},
    {"DAY", ExprOp::Day, 'n', 1, "d"},
    {"MONTH", ExprOp::Month, 'n', 1, "D"},
    {"MONTH", ExprOp::Month, 'n', 1, "d"},
    {"YEAR", ExprOp::Year, 'n', 1, "D"},
    {"YEAR", ExprOp::Year, 'n', 1, "d"},
    {"DELETED", ExprOp::Deleted, 'L', 0, ""},
    {"RECCOUNT", ExprOp::RecCount, 'n', 0, ""},
    {"RECNO", ExprOp::RecNo, 'n', 0, ""},
    {"VAL", ExprOp::Val, 'n', 1, "C"},
    {"PAGENO", ExprOp::PageNo, 'n', 0, ""},
    {"DESCEND", ExprOp::Descend, 'C', 1, "C"},
    {"DESCEND", ExprOp::Descend, 'C', 1, "N"},
    {"DESCEND", ExprOp::Descend, 'C', 1, "D"},
    {"DESCEND", ExprOp::Descend, 'C', 1, "d"},
    {"DESCEND", ExprOp::Descend, 'C', 1, "L"},
    {"ASCEND", ExprOp::Ascend, 'C', 1, "C"},
    {"ASCEND", ExprOp::Ascend, 'C', 1, "N"},
    {"ASCEND", ExprOp::Ascend, 'C', 1, "D"},
    {"ASCEND", ExprOp::Ascend, 'C', 1, "d"},
    {"ASCEND", ExprOp::Ascend, 'C', 1, "L"},
};
const int kExprRowCount = int(sizeof kExprRows / sizeof kExprRows[0]);

int ExprPriority(ExprOp op) {
    switch (op) {
    case ExprOp::Pow: return 9;
    case ExprOp::Mul: case ExprOp::Div: return 8;
    case ExprOp::Add: case ExprOp::Sub: return 7;
    case ExprOp::Eq: case ExprOp::Ne: case ExprOp::Lt: case ExprOp::Gt: case ExprOp::Le:
    case ExprOp::Ge: case ExprOp::Contains: return 6;
    case ExprOp::Not: return 5;
    case ExprOp::And: return 4;
    case ExprOp::Or: return 3;
    default: return 0;
    }
}

CompiledExpr::CompiledExpr() = default;
CompiledExpr::~CompiledExpr() = default;

namespace {

// Binary operators in the order they are tried, so that the two-character
// ones win over their first character.
struct OperatorName {
    const char* text;
    ExprOp op;
};
constexpr OperatorName kOperators[] = {
    {"<>", ExprOp::Ne}, {">=", ExprOp::Ge}, {"=>", ExprOp::Ge}, {"<=", ExprOp::Le},
    {"=<", ExprOp::Le}, {"**", ExprOp::Pow}, {".OR.", ExprOp::Or}, {".AND.", ExprOp::And},
    {"#", ExprOp::Ne}, {"<", ExprOp::Lt}, {">", ExprOp::Gt}, {"=", ExprOp::Eq},
    {"$", ExprOp::Contains}, {"+", ExprOp::Add}, {"-", ExprOp::Sub}, {"*", ExprOp::Mul},
    {"/", ExprOp::Div}, {"^", ExprOp::Pow},
};

// The most values an evaluation keeps at once.
constexpr int kMaxPending = 19;
// Longest text STR makes (its length is a 16-bit value in the step).
constexpr int kMaxStrLen = 255;
// Parentheses and calls inside one another. The parser recurses once per
// level; far fewer levels than this leave more than kMaxPending values anyway.
constexpr int kMaxNesting = 64;

bool IsLetter(char c) { return std::isalpha((unsigned char)c) != 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }

bool StartsWithNoCase(std::string_view text, size_t pos, std::string_view word) {
    if (text.size() - pos < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (std::toupper((unsigned char)text[pos + i]) != (unsigned char)word[i]) return false;
    return true;
}

std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::toupper((unsigned char)c));
    return out;
}

// A numeric constant as an int, safe for any double.
int ClampToInt(double v, int lo, int hi) {
    if (!(v >= lo)) return lo;
    if (v > hi) return hi;
    return int(v);
}

struct PendingOp {
    ExprOp op;
    int priority;
    int operands;
};

class Parser {
public:
    Parser(ExprTable& table, std::string_view text, bool indexExpr, const ExprSettings& settings,
           std::vector<ExprStep>& out)
        : table_(table), s_(text), indexExpr_(indexExpr), settings_(settings), out_(out) {}

    // context: 0 top level, '(' inside parentheses, 'f' inside a parameter list.
    // stop receives what ended the expression: 0 (end), ')' or ','.
    int ParseExpr(char context, char& stop) {
        std::vector<PendingOp> ops;
        stop = 0;
        for (;;) {
            int rc = ParseValue(ops);
            if (rc < 0) return rc;
            SkipBlanks();
            if (pos_ >= s_.size()) break;
            char c = s_[pos_];
            if (c == ')' || c == ',') {
                stop = c;
                break;
            }
            ExprOp op;
            size_t len = 0;
            if (!MatchOperator(op, len)) {
                if (std::strchr("<>=#*$+-/^.", c) == nullptr) {
                    if (context == 'f') return kExprCommaExpected;
                    if (context == '(') return kExprRightMissing;
                }
                return kExprUnknownOperator;
            }
            pos_ += len;
            int priority = ExprPriority(op);
            bool folded = false;
            while (!ops.empty() && ops.back().priority >= priority) {
                if (ops.back().op == op && (op == ExprOp::And || op == ExprOp::Or)) {
                    ++ops.back().operands;
                    folded = true;
                    break;
                }
                Emit(ops.back());
                ops.pop_back();
            }
            if (!folded) ops.push_back({op, priority, 2});
        }
        while (!ops.empty()) {
            Emit(ops.back());
            ops.pop_back();
        }
        return 0;
    }

    size_t pos() const { return pos_; }

private:
    struct Nested {
        explicit Nested(int& depth) : depth_(depth) { ++depth_; }
        ~Nested() { --depth_; }
        int& depth_;
    };

    void SkipBlanks() {
        while (pos_ < s_.size() && (unsigned char)s_[pos_] <= 32) ++pos_;
    }

    void Emit(const PendingOp& p) {
        ExprStep st;
        st.op = p.op;
        st.operands = p.operands;
        out_.push_back(st);
    }

    bool MatchOperator(ExprOp& op, size_t& len) {
        for (const OperatorName& o : kOperators) {
            if (StartsWithNoCase(s_, pos_, o.text)) {
                op = o.op;
                len = std::strlen(o.text);
                return true;
            }
        }
        return false;
    }

    // A value, after any number of ".NOT.", which wait on ops.
    int ParseValue(std::vector<PendingOp>& ops) {
        for (;;) {
            SkipBlanks();
            if (pos_ >= s_.size() || s_[pos_] == ')' || s_[pos_] == ',') return kExprIncomplete;
            if (StartsWithNoCase(s_, pos_, ".NOT.")) {
                pos_ += 5;
                ops.push_back({ExprOp::Not, ExprPriority(ExprOp::Not), 1});
                continue;
            }
            break;
        }
        char c = s_[pos_];
        if (c == '(') {
            ++pos_;
            char stop = 0;
            Nested level(depth_);
            if (depth_ > kMaxNesting) return kExprOverflow;
            int rc = ParseExpr('(', stop);
            if (rc < 0) return rc;
            if (stop != ')') return kExprRightMissing;
            ++pos_;
            return 0;
        }
        if (c == '"' || c == '\'' || c == '[') {
            char closer = c == '[' ? ']' : c;
            size_t end = s_.find(closer, pos_ + 1);
            if (end == std::string_view::npos) return kExprUnterminated;
            ExprStep st;
            st.op = ExprOp::ConstC;
            st.text = std::string(s_.substr(pos_ + 1, end - pos_ - 1));
            out_.push_back(st);
            pos_ = end + 1;
            return 0;
        }
        if (c == '.') {
            static constexpr struct {
                const char* text;
                ExprOp op;
            } kLogical[] = {{".TRUE.", ExprOp::ConstTrue}, {".T.", ExprOp::ConstTrue},
                            {".FALSE.", ExprOp::ConstFalse}, {".F.", ExprOp::ConstFalse}};
            for (const auto& l : kLogical) {
                if (StartsWithNoCase(s_, pos_, l.text)) {
                    ExprStep st;
                    st.op = l.op;
                    out_.push_back(st);
                    pos_ += std::strlen(l.text);
                    return 0;
                }
            }
        }
        if (IsDigit(c) || c == '+' || c == '-' || c == '.') {
            size_t start = pos_;
            size_t p = pos_ + 1;
            while (p < s_.size()) {
                if (IsDigit(s_[p])) {
                    ++p;
                } else if (s_[p] == '.') {
                    if (StartsWithNoCase(s_, p, ".AND.") || StartsWithNoCase(s_, p, ".OR.") ||
                        StartsWithNoCase(s_, p, ".NOT.") ||
                        (p + 1 < s_.size() && IsLetter(s_[p + 1])))
                        break;
                    ++p;
                } else {
                    break;
                }
            }
            if (!(p < s_.size() && IsLetter(s_[p]))) {
                // A sign or point alone is no number: the operand is missing.
                bool digits = false;
                for (size_t i = start; i < p && !digits; ++i) digits = IsDigit(s_[i]);
                if (!digits) return p >= s_.size() ? kExprIncomplete : kExprUnknownValue;
                ExprStep st;
                st.op = ExprOp::ConstN;
                st.number = ParseDouble(s_.substr(start, p - start));
                out_.push_back(st);
                pos_ = p;
                return 0;
            }
            // Followed by a letter: the text is a name after all.
            if (!IsDigit(c)) return kExprUnknownValue;
        }
        if (!IsNameChar(c)) return kExprUnknownValue;
        size_t start = pos_;
        while (pos_ < s_.size() && IsNameChar(s_[pos_])) ++pos_;
        std::string_view name = s_.substr(start, pos_ - start);
        SkipBlanks();
        if (pos_ < s_.size() && s_[pos_] == '(') return ParseCall(name);
        if (s_.compare(pos_, 2, "->") == 0) {
            pos_ += 2;
            SkipBlanks();
            size_t fieldStart = pos_;
            while (pos_ < s_.size() && IsNameChar(s_[pos_])) ++pos_;
            std::string_view field = s_.substr(fieldStart, pos_ - fieldStart);
            ExprTable* other = name.size() > 10 ? nullptr : table_.exprTableByAlias(UpperAscii(name));
            if (!other) return kExprAliasUnknown;
            if (indexExpr_ && other != &table_) return kExprBadIndexExpr;
            return LoadField(*other, field);
        }
        return LoadField(table_, name);
    }

    int LoadField(ExprTable& table, std::string_view name) {
        if (name.empty() || name.size() > 10) return kExprUnknownValue;
        int index = table.exprFieldIndex(name);
        if (index < 0) return kExprUnknownValue;
        ExprFieldInfo info = table.exprFieldInfo(index);
        ExprStep st;
        switch (std::toupper((unsigned char)info.type)) {
        case 'C': st.op = ExprOp::FieldC; st.type = 'C'; st.len = info.length; break;
        case 'D': st.op = ExprOp::FieldD; st.type = 'D'; st.len = info.length; break;
        case 'N': case 'F': st.op = ExprOp::FieldN; st.type = 'N'; st.len = info.length; break;
        case 'L': st.op = ExprOp::FieldL; st.type = 'L'; st.len = 4; break;
        case 'M': st.op = ExprOp::FieldMemo; st.type = 'C'; st.len = settings_.memoLength; break;
        default: return kExprWrongType;
        }
        if (st.len < 0) st.len = 0;
        st.table = &table;
        st.field = index;
        st.offset = info.offset;
        st.decimals = info.decimals;
        st.ownTable = &table == &table_;
        out_.push_back(st);
        return 0;
    }

    int ParseCall(std::string_view name) {
        std::string upper = UpperAscii(name);
        int row = -1;
        for (int r = 0; r < kExprRowCount; ++r) {
            if (upper == kExprRows[r].name && IsLetter(kExprRows[r].name[0])) {
                row = r;
                break;
            }
        }
        // Named calculations would be looked up here; this system defines none.
        if (row < 0) return kExprUnknownFunction;
        ++pos_;  // "("
        Nested level(depth_);
        if (depth_ > kMaxNesting) return kExprOverflow;
        int params = 0;
        SkipBlanks();
        if (pos_ < s_.size() && s_[pos_] == ')') {
            ++pos_;
        } else {
            for (;;) {
                char stop = 0;
                int rc = ParseExpr('f', stop);
                if (rc < 0) return rc;
                if (stop == 0) return kExprRightMissing;
                ++params;
                ++pos_;
                if (stop == ')') break;
            }
        }
        ExprStep st;
        st.op = kExprRows[row].op;
        st.operands = params;
        st.table = &table_;
        if (st.op == ExprOp::Dtoc || st.op == ExprOp::Ctod) st.text = settings_.datePicture;
        out_.push_back(st);
        return 0;
    }

    ExprTable& table_;
    std::string_view s_;
    bool indexExpr_;
    const ExprSettings& settings_;
    std::vector<ExprStep>& out_;
    size_t pos_ = 0;
    int depth_ = 0;
};

bool IsLeaf(ExprOp op) { return op <= ExprOp::ConstFalse; }

void SetType(ExprStep& st, char type, int len) {
    st.type = type;
    st.len = len;
}

// Numeric constant parameters move into their function's step.
int TakeConstant(std::vector<ExprStep>& out, std::vector<int>& roots, double& value) {
    const ExprStep& last = out[size_t(roots.back())];
    if (last.op != ExprOp::ConstN || last.subtree != 1) return kExprNotConstant;
    value = last.number;
    out.pop_back();
    roots.pop_back();
    return 0;
}

// Allowed parameter counts of the functions whose trailing parameters are constants.
int ParamCountError(ExprOp op, int n) {
    switch (op) {
    case ExprOp::Str: return n >= 1 && n <= 3 ? 0 : kExprParamCount;
    case ExprOp::Substr:
        // The length is a constant like the start: without it the call is refused.
        if (n == 2) return kExprNotConstant;
        return n == 3 ? 0 : kExprParamCount;
    case ExprOp::Left: case ExprOp::Right: return n == 2 ? 0 : kExprParamCount;
    case ExprOp::Dtoc: return n == 1 || n == 2 ? 0 : kExprParamCount;
    default: return 0;
    }
}

bool TypeFits(char want, char have) {
    return want == have || (want == 'n' && have == 'N') || (want == 'd' && have == 'D');
}

} // namespace

int exprMassage(CompiledExpr& expr) {
    std::vector<ExprStep> raw = std::move(expr.steps);
    std::vector<ExprStep>& out = expr.steps;
    out.clear();
    std::vector<int> roots;  // output index of each pending value's last step
    for (ExprStep& st : raw) {
        if (IsLeaf(st.op)) {
            switch (st.op) {
            case ExprOp::ConstC: SetType(st, 'C', int(st.text.size())); break;
            case ExprOp::ConstN: SetType(st, 'n', 8); break;
            case ExprOp::ConstTrue: case ExprOp::ConstFalse: SetType(st, 'L', 4); break;
            default: break;  // fields were typed by the parser
            }
            st.subtree = 1;
            out.push_back(std::move(st));
            roots.push_back(int(out.size()) - 1);
            if (int(roots.size()) > kMaxPending) return kExprOverflow;
            continue;
        }
        int n = st.operands;
        if (int(roots.size()) < n) return kExprIncomplete;
        if (int rc = ParamCountError(st.op, n); rc < 0) return rc;
        // Constant parameters, last first.
        if (st.op == ExprOp::Str) {
            double length = 10, decimals = 0;
            if (n == 3) {
                if (int rc = TakeConstant(out, roots, decimals); rc < 0) return rc;
            }
            if (n >= 2) {
                if (int rc = TakeConstant(out, roots, length); rc < 0) return rc;
            }
            int len = ClampToInt(length, -1, kMaxStrLen);
            if (len < 0) len = 10;
            int dec = ClampToInt(decimals, 0, kMaxStrLen);
            if (dec > len - 2) dec = len - 2 < 0 ? 0 : len - 2;
            st.count = len;
            st.decimals = dec;
            n = 1;
        } else if (st.op == ExprOp::Substr || st.op == ExprOp::Left || st.op == ExprOp::Right) {
            double a = 0, b = 0;
            if (int rc = TakeConstant(out, roots, b); rc < 0) return rc;
            if (st.op == ExprOp::Substr) {
                if (int rc = TakeConstant(out, roots, a); rc < 0) return rc;
            }
            int opLen = out[size_t(roots.back())].len;
            if (st.op == ExprOp::Substr) {
                int start = ClampToInt(a, 1, opLen + 1) - 1;
                st.start = start;
                st.count = ClampToInt(b, 0, opLen - start);
            } else {
                st.count = ClampToInt(b, 0, opLen);
                st.start = st.op == ExprOp::Right ? opLen - st.count : 0;
            }
            n = 1;
        } else if (st.op == ExprOp::Dtoc && n == 2) {
            // A second parameter makes it DTOS; all of that parameter goes.
            int root = roots.back();
            out.resize(size_t(root - out[size_t(root)].subtree + 1));
            roots.pop_back();
            st.op = ExprOp::Dtos;
            n = 1;
        }
        st.operands = n;
        // The first overload whose parameters fit the operands.
        const int* operandRoots = roots.data() + roots.size() - size_t(n);
        int chosen = -1;
        bool countSeen = false;
        for (int r = 0; r < kExprRowCount && chosen < 0; ++r) {
            const ExprRow& row = kExprRows[r];
            if (row.op != st.op) continue;
            if (row.params >= 0 && row.params != n) continue;
            if (row.params < 0 && n < 2) continue;
            countSeen = true;
            bool fits = true;
            for (int k = 0; k < n && fits; ++k) {
                char want = row.params < 0 ? row.types[0] : row.types[k];
                fits = TypeFits(want, out[size_t(operandRoots[k])].type);
            }
            if (fits) chosen = r;
        }
        if (!countSeen) return kExprParamCount;
        if (chosen < 0) return kExprWrongType;
        const ExprRow& row = kExprRows[chosen];
        // Numeric and date fields where a double is wanted load as doubles.
        for (int k = 0; k < n; ++k) {
            ExprStep& operand = out[size_t(operandRoots[k])];
            char want = row.params < 0 ? row.types[0] : row.types[k];
            if (want == 'n' && operand.type == 'N') {
                operand.op = ExprOp::FieldNumber;
                SetType(operand, 'n', 8);
            } else if (want == 'd' && operand.type == 'D') {
                operand.op = ExprOp::FieldDay;
                SetType(operand, 'd', 8);
            }
        }
        st.row = chosen;
        const ExprStep* a = n > 0 ? &out[size_t(operandRoots[0])] : nullptr;
        const ExprStep* b = n > 1 ? &out[size_t(operandRoots[1])] : nullptr;
        int len = row.result == 'L' ? 4 : 8;
        bool trimmed = false;
        switch (st.op) {
        case ExprOp::Add: case ExprOp::Sub:
            if (row.result == 'C') {
                len = a->len + b->len;
                trimmed = a->trimmed || b->trimmed;
            }
            break;
        case ExprOp::Chr: case ExprOp::Del: len = 1; break;
        case ExprOp::Time: case ExprOp::Dtos: len = 8; break;
        case ExprOp::Dtoc: len = int(st.text.size()); break;
        case ExprOp::Str: len = st.count; break;
        case ExprOp::Substr: case ExprOp::Left: case ExprOp::Right:
            len = st.count;
            trimmed = a->trimmed;
            break;
        case ExprOp::Upper: len = a->len; trimmed = a->trimmed; break;
        case ExprOp::Trim: case ExprOp::Ltrim: case ExprOp::Alltrim:
            len = a->len;
            trimmed = true;
            expr.trimming = true;
            break;
        case ExprOp::Iif: {
            const ExprStep* c = &out[size_t(operandRoots[2])];
            if (row.result == 'C' && b->len != c->len) return kExprIifLength;
            len = row.result == 'C' ? b->len : len;
            trimmed = b->trimmed || c->trimmed;
            break;
        }
        case ExprOp::Ascend: case ExprOp::Descend:
            switch (a->type) {
            case 'C': case 'N': len = a->len; break;
            case 'L': len = 1; break;
            default: len = 8; break;
            }
            trimmed = a->trimmed;
            break;
        default: break;
        }
        SetType(st, row.result, len);
        st.trimmed = trimmed;
        int subtree = 1;
        for (int k = 0; k < n; ++k) subtree += out[size_t(operandRoots[k])].subtree;
        st.subtree = subtree;
        roots.resize(roots.size() - size_t(n));
        out.push_back(std::move(st));
        roots.push_back(int(out.size()) - 1);
        if (int(roots.size()) > kMaxPending) return kExprOverflow;
    }
    if (roots.size() != 1) return kExprIncomplete;
    expr.type = out.back().type;
    expr.length = out.back().len;
    return 0;
}

int exprParse(ExprTable& table, std::string_view text, bool indexExpr,
              std::unique_ptr<CompiledExpr>& out, const ExprSettings& settings) {
    out.reset();
    auto expr = std::make_unique<CompiledExpr>();
    expr->text = std::string(text);
    expr->table = &table;
    expr->indexExpr = indexExpr;
    expr->codePage = settings.codePage;
    Parser parser(table, expr->text, indexExpr, settings, expr->steps);
    char stop = 0;
    if (int rc = parser.ParseExpr(0, stop); rc < 0) return rc;
    // All of the text must be used: a ")" or "," outside any parenthesis
    // stands where only an operator could.
    if (stop != 0) return kExprUnknownOperator;
    if (int rc = exprMassage(*expr); rc < 0) return rc;
    out = std::move(expr);
    return 0;
}

} // namespace vx
