// The wrapper classes the project library derives its columns from: views of
// bytes (StrView), of a field (FieldView), of memo contents (MemoFieldView),
// a ten-character name (StrTen) and the field-description list for
// tableCreate (FieldInfoList).
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "dbase/data/Field.h"

namespace vx {

class StrView {
public:
    virtual ~StrView() = default;
    virtual operator long() const;
    // Called before every modification.
    virtual void changed() {}
    virtual int decimals() const { return 0; }
    virtual size_t len() const = 0;
    virtual size_t maximum() const = 0;
    // 0, or a negative code when the view may not be changed now.
    virtual int lockCheck() { return 0; }
    virtual char* ptr() = 0;
    virtual const char* ptr() const = 0;
    // A terminated copy in a static buffer of 257 bytes, cut to fit.
    virtual const char* str() const;
    // Views of fixed length ignore it; returns 0 or a negative code.
    virtual int setLen(size_t) { return 0; }

    int assign(const char* text);
    int assign(const char* bytes, size_t length);
    int assignLong(long value, int length = 0, bool zeros = false);
    int set(char c);
    int trim();
    int upper();
    operator double() const;
    // Copies into buffer (size bytes with the terminator); returns the length copied.
    size_t ncpy(char* buffer, size_t size) const;
};

class FieldView : public StrView {
public:
    FieldView() = default;
    explicit FieldView(Field* field) : field_(field) {}
    FieldView(TableHandle* table, const char* name) { init(table, name); }
    // 0, or -210 when the table has no such field.
    int init(TableHandle* table, const char* name);
    void init(Field* field) { field_ = field; }
    Field* field() const { return field_; }
    bool isValid() const { return field_ != nullptr; }

    void changed() override;
    int decimals() const override { return field_ ? field_->dec : 0; }
    size_t len() const override { return field_ ? field_->len : 0; }
    size_t maximum() const override { return len(); }
    int lockCheck() override;
    char* ptr() override;
    const char* ptr() const override;

protected:
    Field* field_ = nullptr;
};

class MemoFieldView : public FieldView {
public:
    MemoFieldView() = default;
    explicit MemoFieldView(Field* field) : FieldView(field) {}
    MemoFieldView(TableHandle* table, const char* name) : FieldView(table, name) {}

    void changed() override;
    size_t len() const override;
    size_t maximum() const override { return len(); }
    char* ptr() override;
    const char* ptr() const override;
    int setLen(size_t n) override;
};

class StrTen : public StrView {
public:
    StrTen() = default;
    explicit StrTen(const char* text) { assign(text); }
    size_t len() const override { return len_; }
    size_t maximum() const override { return 10; }
    char* ptr() override { return buf_; }
    const char* ptr() const override { return buf_; }
    // Beyond 10 it keeps 10 and returns -1.
    int setLen(size_t n) override;

private:
    char buf_[11] = {};
    size_t len_ = 0;
};

class FieldInfoList {
public:
    explicit FieldInfoList(EngineContext* ctx = nullptr);
    // One entry per field of the table, names trimmed and upper-cased.
    explicit FieldInfoList(TableHandle* table);
    ~FieldInfoList() { Release(); }
    FieldInfoList(const FieldInfoList&) = delete;
    FieldInfoList& operator=(const FieldInfoList&) = delete;

    // The n-th entry, 1-based.
    FieldInfo& operator[](int n);
    int AppendField(TableHandle* table);
    int AddFieldEntry(const char* name, int type, unsigned length, int decimals);
    void Release();
    int size() const { return int(entries_.size()) - 1; }
    // The list as tableCreate takes it, ended by a zeroed entry.
    const FieldInfo* fields() const { return entries_.data(); }
    EngineContext* context() const { return ctx_; }

private:
    EngineContext* ctx_ = nullptr;
    std::vector<FieldInfo> entries_{FieldInfo{}};
    std::deque<std::string> names_;
};

} // namespace vx
