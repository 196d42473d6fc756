#include <cmath>
#include <cstring>
#include <mutex>

#include "dbase/util/Bcd.h"
#include "dbase/util/Collate.h"
#include "dbase/util/Convert.h"
#include "dbase/util/Date.h"
#include "dbase/expr/Expr.h"
#include "dbase/expr/ExprStep.h"

namespace vx {
namespace {

// Evaluations are serialised process-wide, as the engine's callers expect.
std::mutex g_exprMutex;

struct Value {
    std::string s;   // C, N, D
    double d = 0;    // n, d
    int l = 0;       // L
    bool trimmed = false;
};

int32_t ToDay(double v) {
    if (!(v >= 0)) return v < 0 ? -1 : 0;
    if (v > 2147483647.0) return 2147483647;
    return int32_t(v);
}

double DayOf(const std::string& date8) { return double(dateToJulian(date8.c_str())); }

// The "CCYYMMDD" text of a D or d value.
std::string DateText(char type, const Value& v) {
    if (type == 'D') {
        std::string d8 = v.s;
        d8.resize(8, ' ');
        return d8;
    }
    return dateFromJulian(ToDay(v.d));
}

int CompareText(int codePage, const std::string& a, const std::string& b, bool lengthDecides) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    int r = collateFor(codePage)(a.data(), b.data(), n);
    if (r == 0 && lengthDecides) r = a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
    return r;
}

int CompareNumber(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }

bool Decide(ExprOp op, int r) {
    switch (op) {
    case ExprOp::Eq: return r == 0;
    case ExprOp::Ne: return r != 0;
    case ExprOp::Lt: return r < 0;
    case ExprOp::Gt: return r > 0;
    case ExprOp::Le: return r <= 0;
    default: return r >= 0;
    }
}

std::string AscendText(char type, const Value& v) {
    switch (type) {
    case 'C': return v.s;
    case 'N': {
        std::string s = v.s;
        convertNumericKey(s.data(), s.size());
        return s;
    }
    case 'L': return v.l ? "1" : "0";
    default: return DateText(type, v);
    }
}

void RunStep(const ExprStep& st, const ExprRow* row, int codePage, std::vector<Value>& stack,
             std::vector<char>& types) {
    size_t n = size_t(st.operands);
    size_t base = stack.size() - n;
    Value* a = n > 0 ? &stack[base] : nullptr;
    Value* b = n > 1 ? &stack[base + 1] : nullptr;
    char ta = n > 0 ? types[base] : 0;
    char tb = n > 1 ? types[base + 1] : 0;
    Value r;
    const char* record = nullptr;
    if (st.table) record = st.table->exprRecord();
    switch (st.op) {
    case ExprOp::FieldC:
    case ExprOp::FieldN:
    case ExprOp::FieldD:
        r.s.assign(record ? record + st.offset : "", record ? size_t(st.len) : 0);
        break;
    case ExprOp::FieldNumber:
        r.d = record ? convertToDouble(record + st.offset, st.table->exprFieldInfo(st.field).length) : 0;
        break;
    case ExprOp::FieldDay: {
        std::string d8;
        if (record) {
            int len = st.table->exprFieldInfo(st.field).length;
            d8.assign(record + st.offset, size_t(len < 8 ? (len < 0 ? 0 : len) : 8));
        }
        d8.resize(8, ' ');
        r.d = DayOf(d8);
        break;
    }
    case ExprOp::FieldL: {
        char c = record ? record[st.offset] : 'F';
        r.l = c == 'T' || c == 't' || c == 'Y' || c == 'y';
        break;
    }
    case ExprOp::FieldMemo: r.s = std::string(st.table->exprMemo(st.field)); break;
    case ExprOp::ConstC: r.s = st.text; break;
    case ExprOp::ConstN: r.d = st.number; break;
    case ExprOp::ConstTrue: r.l = 1; break;
    case ExprOp::ConstFalse: r.l = 0; break;
    case ExprOp::Not: r.l = !a->l; break;
    case ExprOp::Or:
        for (size_t k = 0; k < n; ++k) r.l |= stack[base + k].l;
        break;
    case ExprOp::And:
        r.l = 1;
        for (size_t k = 0; k < n; ++k) r.l &= stack[base + k].l;
        break;
    case ExprOp::Eq: case ExprOp::Ne: case ExprOp::Lt: case ExprOp::Gt: case ExprOp::Le:
    case ExprOp::Ge: {
        int c = 0;
        // A tie over the shorter length decides only "<" and ">": "<=" and ">="
        // hold on it, as a key range read from a tag holds every key that
        // begins with a shorter constant.
        if (ta == 'C') c = CompareText(codePage, a->s, b->s, st.op == ExprOp::Lt || st.op == ExprOp::Gt);
        else if (ta == 'L') c = a->l != b->l;
        else c = CompareNumber(a->d, b->d);
        r.l = Decide(st.op, c);
        break;
    }
    case ExprOp::Contains: r.l = b->s.find(a->s) != std::string::npos; break;
    case ExprOp::Add:
        if (row->result == 'C') {
            std::string left = a->s;
            if (a->trimmed) {
                // The right operand moves over the zero bytes a trimming function left.
                size_t end = left.find_last_not_of('\0');
                left.resize(end == std::string::npos ? 0 : end + 1);
            }
            r.s = left + b->s;
            r.s.resize(size_t(st.len), '\0');
        } else if (ta == 'd' || tb == 'd') {
            double date = ta == 'd' ? a->d : b->d;
            r.d = date == 0 ? 0 : a->d + b->d;
        } else {
            r.d = a->d + b->d;
        }
        break;
    case ExprOp::Sub:
        if (row->result == 'C') {
            std::string left = a->s;
            size_t end = left.find_last_not_of(' ');
            size_t keep = end == std::string::npos ? 0 : end + 1;
            r.s = left.substr(0, keep) + b->s;
            r.s.resize(size_t(st.len), ' ');
        } else if (ta == 'd' || tb == 'd') {
            r.d = (a->d == 0 || (tb == 'd' && b->d == 0)) ? 0 : a->d - b->d;
        } else {
            r.d = a->d - b->d;
        }
        break;
    case ExprOp::Mul: r.d = a->d * b->d; break;
    case ExprOp::Div: r.d = b->d == 0 ? 0 : a->d / b->d; break;
    case ExprOp::Pow: r.d = std::pow(a->d, b->d); break;
    case ExprOp::Chr: {
        double v = a->d;
        r.s.assign(1, char(std::isfinite(v) ? (long long)std::fmod(v, 256.0) : 0));
        break;
    }
    case ExprOp::Del: {
        const char* rec = st.table ? st.table->exprRecord() : nullptr;
        r.s.assign(1, rec ? rec[0] : ' ');
        break;
    }
    case ExprOp::Str:
        r.s.assign(size_t(st.count), ' ');
        if (st.count > 0) convertDoubleToText(a->d, r.s.data(), st.count, st.decimals);
        break;
    case ExprOp::Substr: case ExprOp::Left: case ExprOp::Right:
        if (size_t(st.start) < a->s.size()) r.s = a->s.substr(size_t(st.start), size_t(st.count));
        break;
    case ExprOp::Time: r.s = timeNow(); break;
    case ExprOp::Upper: r.s = a->s; collateUpper(codePage, r.s.data(), r.s.size()); break;
    case ExprOp::Dtos: r.s = DateText(ta, *a); break;
    case ExprOp::Dtoc: r.s = dateFormat(DateText(ta, *a).c_str(), st.text); break;
    case ExprOp::Trim: case ExprOp::Ltrim: case ExprOp::Alltrim: {
        r.s = a->s;
        if (st.op != ExprOp::Trim) {
            size_t first = r.s.find_first_not_of(std::string(" \0", 2));
            if (first == std::string::npos) first = r.s.size();
            r.s = r.s.substr(first);
            r.s.resize(a->s.size(), '\0');
        }
        if (st.op != ExprOp::Ltrim) {
            size_t end = r.s.size();
            while (end > 0 && (r.s[end - 1] == ' ' || r.s[end - 1] == '\0')) r.s[--end] = '\0';
        }
        break;
    }
    case ExprOp::Iif: r = a->l ? *b : stack[base + 2]; break;
    case ExprOp::Stod: {
        std::string d8 = a->s;
        d8.resize(8, ' ');
        r.d = DayOf(d8);
        break;
    }
    case ExprOp::Ctod: r.d = DayOf(dateFromPicture(a->s, st.text)); break;
    case ExprOp::Date: r.d = DayOf(dateToday()); break;
    case ExprOp::Day: case ExprOp::Month: case ExprOp::Year: {
        std::string d8 = DateText(ta, *a);
        if (st.op == ExprOp::Year) r.d = double(convertToLong(d8.data(), 4));
        else if (st.op == ExprOp::Month) r.d = double(convertToLong(d8.data() + 4, 2));
        else r.d = double(convertToLong(d8.data() + 6, 2));
        break;
    }
    case ExprOp::Deleted: {
        const char* rec = st.table ? st.table->exprRecord() : nullptr;
        r.l = rec && rec[0] == '*';
        break;
    }
    case ExprOp::RecCount: r.d = st.table ? double(st.table->exprRecordCount()) : 0; break;
    case ExprOp::RecNo: r.d = st.table ? double(st.table->exprRecordNumber()) : 0; break;
    case ExprOp::Val: r.d = convertToDouble(a->s.data(), int(a->s.size())); break;
    case ExprOp::PageNo: r.d = 0; break;
    case ExprOp::Ascend: r.s = AscendText(ta, *a); break;
    case ExprOp::Descend:
        r.s = AscendText(ta, *a);
        convertDescend(r.s.data(), r.s.size());
        break;
    }
    r.trimmed = st.trimmed;
    if (st.type == 'C' || st.type == 'N' || st.type == 'D') r.s.resize(size_t(st.len), ' ');
    stack.resize(base);
    types.resize(base);
    stack.push_back(std::move(r));
    types.push_back(st.type);
}

// Runs steps [first, last] and leaves the bytes of the last one's value in out.
void Run(CompiledExpr& expr, int first, int last, std::string& out) {
    std::vector<Value> stack;
    std::vector<char> types;
    stack.reserve(20);
    for (int i = first; i <= last; ++i) {
        const ExprStep& st = expr.steps[size_t(i)];
        RunStep(st, st.row >= 0 ? &kExprRows[st.row] : nullptr, expr.codePage, stack, types);
    }
    const Value& v = stack.back();
    switch (types.back()) {
    case 'n': case 'd': out.assign(reinterpret_cast<const char*>(&v.d), sizeof v.d); break;
    case 'L': out.assign(reinterpret_cast<const char*>(&v.l), sizeof v.l); break;
    default: out = v.s; break;
    }
}

bool InError(const CompiledExpr& expr) { return expr.table && expr.table->exprInError(); }

// The result of the whole expression, under the lock held by the caller.
void Evaluate(CompiledExpr& expr) {
    Run(expr, 0, int(expr.steps.size()) - 1, expr.result);
}

double ResultDouble(const CompiledExpr& expr) {
    double d = 0;
    switch (expr.type) {
    case 'n': case 'd': std::memcpy(&d, expr.result.data(), sizeof d); return d;
    case 'C': case 'N': return convertToDouble(expr.result.data(), int(expr.result.size()));
    case 'D': {
        std::string d8 = expr.result;
        d8.resize(8, ' ');
        return double(dateToJulian(d8.c_str()));
    }
    default: return 0;
    }
}

} // namespace

int exprVary(CompiledExpr& expr, const char** out) {
    if (InError(expr)) return kExprInError;
    std::lock_guard<std::mutex> lock(g_exprMutex);
    Evaluate(expr);
    if (out) *out = expr.result.data();
    return int(expr.result.size());
}

int exprExecute(CompiledExpr& expr, int step, const char** out) {
    if (InError(expr)) return kExprInError;
    if (step < 0 || step >= int(expr.steps.size())) return -930;
    std::lock_guard<std::mutex> lock(g_exprMutex);
    int first = step - expr.steps[size_t(step)].subtree + 1;
    Run(expr, first, step, expr.result);
    if (out) *out = expr.result.data();
    return int(expr.result.size());
}

int exprKeyLen(const CompiledExpr& expr) {
    switch (expr.type) {
    case 'D': case 'd': return 8;
    case 'N': case 'n': return kBcdLen;
    default: return expr.length;
    }
}

int exprKey(CompiledExpr& expr, const char** out) {
    if (InError(expr)) return kExprInError;
    std::lock_guard<std::mutex> lock(g_exprMutex);
    Evaluate(expr);
    std::string& key = expr.key;
    switch (expr.type) {
    case 'D': case 'd': {
        double day = ResultDouble(expr);
        if (day == 0) day = kEmptyDateDouble;
        key.assign(reinterpret_cast<const char*>(&day), sizeof day);
        break;
    }
    case 'N':
        key.assign(kBcdLen, '\0');
        convBcdFromA(expr.result, key.data());
        break;
    case 'n':
        key.assign(kBcdLen, '\0');
        BcdFromDouble(ResultDouble(expr), key.data());
        break;
    default:
        key = expr.result;
        if (expr.trimming) {
            for (size_t i = key.size(); i > 0 && key[i - 1] == '\0'; --i) key[i - 1] = ' ';
        }
        break;
    }
    if (out) *out = key.c_str();
    return int(key.size());
}

double exprDouble(CompiledExpr& expr) {
    if (InError(expr)) return -1;
    std::lock_guard<std::mutex> lock(g_exprMutex);
    Evaluate(expr);
    return ResultDouble(expr);
}

int exprTrue(CompiledExpr& expr) {
    if (InError(expr)) return kExprInError;
    if (expr.type != 'L') return kExprNotLogical;
    std::lock_guard<std::mutex> lock(g_exprMutex);
    Evaluate(expr);
    int l = 0;
    std::memcpy(&l, expr.result.data(), sizeof l);
    return l ? 1 : 0;
}

} // namespace vx
