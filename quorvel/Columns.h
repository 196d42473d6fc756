// Typed columns of the library's tables: thin views over one field each.
#pragma once

#include "dbase/data/FieldView.h"

#include <string>

class CCharCol : public vx::FieldView {
public:
    using FieldView::FieldView;
};

class CNumericCol : public vx::FieldView {
public:
    using FieldView::FieldView;
};

class CBoolCol : public vx::FieldView {
public:
    using FieldView::FieldView;
};

class CMemoCol : public vx::MemoFieldView {
public:
    using MemoFieldView::MemoFieldView;
    // Keeps the contents when the memo grows.
    int setLen(size_t n) override;
    // The whole memo (StrView::str stops at 256 bytes).
    std::string Text() const;
};
