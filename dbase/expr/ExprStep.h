// Inside the expression part: the operations, the function table and the
// step of a compiled expression.
#pragma once

#include <string>

#include "dbase/expr/Expr.h"

namespace vx {

enum class ExprOp : short {
    // loads and constants
    FieldC, FieldN, FieldNumber, FieldD, FieldDay, FieldL, FieldMemo,
    ConstC, ConstN, ConstTrue, ConstFalse,
    // operators
    Not, Or, And, Eq, Ne, Lt, Gt, Le, Ge, Contains, Add, Sub, Mul, Div, Pow,
    // functions
    Chr, Del, Str, Substr, Left, Right, Time, Upper, Dtos, Dtoc, Trim, Ltrim, Alltrim,
    Iif, Stod, Ctod, Date, Day, Month, Year, Deleted, RecCount, RecNo, Val, PageNo,
    Descend, Ascend,
};

// One row of the function table: an overload of an operator or function.
// params -1: any number (at least two) of the one type in types.
struct ExprRow {
    const char* name;
    ExprOp op;
    char result;
    int params;
    const char* types;
};

extern const ExprRow kExprRows[];
extern const int kExprRowCount;

struct ExprStep {
    ExprOp op = ExprOp::ConstN;
    int row = -1;       // the chosen overload, once sized
    int operands = 0;
    char type = 'n';
    int len = 8;
    int subtree = 1;    // steps of its subtree, itself included
    bool trimmed = false;  // the value may end in zero bytes of a trimming function
    // field loads
    ExprTable* table = nullptr;
    int field = -1;
    int offset = 0;
    bool ownTable = true;
    // constants; the date picture of DTOC and CTOD
    double number = 0;
    std::string text;
    // SUBSTR, LEFT, RIGHT: start offset and count; STR: length and decimals
    int start = 0;
    int count = 0;
    int decimals = 0;
};

int ExprPriority(ExprOp op);

} // namespace vx
