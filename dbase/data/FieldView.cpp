#include "dbase/data/FieldView.h"

#include "dbase/util/Convert.h"

#include <algorithm>
#include <cstring>

namespace vx {

StrView::operator long() const { return convertToLong(ptr(), int(len())); }
StrView::operator double() const { return convertToDouble(ptr(), int(len())); }

const char* StrView::str() const {
    static char buffer[257];
    size_t n = std::min<size_t>(len(), sizeof buffer - 1);
    std::memcpy(buffer, ptr(), n);
    buffer[n] = 0;
    return buffer;
}

int StrView::assign(const char* text) { return assign(text, text ? std::strlen(text) : 0); }

int StrView::assign(const char* bytes, size_t length) {
    int rc = lockCheck();
    if (rc < 0) return rc;
    changed();
    rc = setLen(length);
    size_t n = std::min(length, len());
    char* p = ptr();
    if (!p) return rc;
    if (n && bytes) std::memmove(p, bytes, n);
    if (len() > n) std::memset(p + n, ' ', len() - n);
    return rc < 0 ? rc : 0;
}

int StrView::assignLong(long value, int length, bool zeros) {
    int width = length > 0 ? std::min<int>(length, int(len())) : int(len());
    std::vector<char> text(size_t(std::max(width, 1)));
    EngineLongToAscii(value, text.data(), zeros ? -width : width);
    return assign(text.data(), size_t(width));
}

int StrView::set(char c) {
    int rc = lockCheck();
    if (rc < 0) return rc;
    changed();
    if (char* p = ptr()) std::memset(p, c, len());
    return 0;
}

int StrView::trim() {
    int rc = lockCheck();
    if (rc < 0) return rc;
    changed();
    char* p = ptr();
    size_t n = len();
    if (!p) return 0;
    while (n > 0 && p[n - 1] == ' ') p[--n] = 0;
    return setLen(n);
}

int StrView::upper() {
    int rc = lockCheck();
    if (rc < 0) return rc;
    changed();
    if (char* p = ptr()) convertUpper(p, len());
    return 0;
}

size_t StrView::ncpy(char* buffer, size_t size) const {
    if (!buffer || size == 0) return 0;
    size_t n = std::min(len(), size - 1);
    if (n) std::memcpy(buffer, ptr(), n);
    buffer[n] = 0;
    return n;
}

int FieldView::init(TableHandle* table, const char* name) {
    field_ = table ? tableField(table, name) : nullptr;
    return field_ ? 0 : e4fieldName;
}

void FieldView::changed() {
    if (field_) field_->table->recordChanged = true;
}

int FieldView::lockCheck() {
    if (!field_) return 0;
    TableHandle* t = field_->table;
    if (engineInError(t->ctx)) return e4codeBase;
    if (t->file->accessMode == 0) return tableLockEnforce(t, L4strViewAssign);
    return 0;
}

char* FieldView::ptr() { return field_ ? fieldPtr(field_) : nullptr; }
const char* FieldView::ptr() const { return field_ ? fieldPtr(field_) : ""; }

void MemoFieldView::changed() {
    FieldView::changed();
    if (field_ && field_->memo) {
        fieldMemoLoad(field_);
        field_->memo->changed = true;
    }
}

size_t MemoFieldView::len() const { return field_ ? fieldMemoLen(field_) : 0; }

char* MemoFieldView::ptr() {
    if (!field_) return nullptr;
    if (!field_->memo) return fieldPtr(field_);
    if (fieldMemoLoad(field_) < 0) return nullptr;
    return field_->memo->contents.data();
}

const char* MemoFieldView::ptr() const { return field_ ? fieldMemoPtr(field_) : ""; }

int MemoFieldView::setLen(size_t n) {
    if (!field_ || !field_->memo) return 0;
    if (n > 0xFFFFFFFFu) n = 0xFFFFFFFFu;
    return fieldMemoSetLen(field_, uint32_t(n));
}

int StrTen::setLen(size_t n) {
    if (n > 10) {
        len_ = 10;
        buf_[10] = 0;
        return -1;
    }
    len_ = n;
    buf_[n] = 0;
    return 0;
}

FieldInfoList::FieldInfoList(EngineContext* ctx) : ctx_(ctx) {}

FieldInfoList::FieldInfoList(TableHandle* table) : ctx_(table ? table->ctx : nullptr) { AppendField(table); }

FieldInfo& FieldInfoList::operator[](int n) {
    static FieldInfo none;
    if (n < 1 || n > size()) {
        none = FieldInfo{};
        return none;
    }
    return entries_[size_t(n) - 1];
}

int FieldInfoList::AppendField(TableHandle* table) {
    if (!table) return e4parmNull;
    for (auto& f : table->fields) {
        int rc = AddFieldEntry(f.name, f.type, f.len, f.dec);
        if (rc < 0) return rc;
    }
    return 0;
}

int FieldInfoList::AddFieldEntry(const char* name, int type, unsigned length, int decimals) {
    StrTen norm;
    norm.assign(name ? name : "");
    norm.trim();
    norm.upper();
    names_.emplace_back(norm.ptr(), norm.len());
    FieldInfo info;
    info.name = names_.back().c_str();
    info.type = int16_t(type);
    info.len = uint16_t(length);
    info.dec = int16_t(decimals);
    entries_.back() = info;
    entries_.push_back(FieldInfo{});
    return 0;
}

void FieldInfoList::Release() {
    entries_.assign(1, FieldInfo{});
    names_.clear();
}

} // namespace vx
