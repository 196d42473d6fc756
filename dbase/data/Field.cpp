#include "dbase/data/Field.h"

#include "dbase/util/Convert.h"
#include "dbase/util/Date.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

namespace vx {
namespace {

const char kEmpty[1] = {0};

// The common entry of every modifying operation: a null handle is fatal, a
// context in error state does nothing, and lock enforcement may refuse.
int CheckModify(Field* f, int location) {
    if (!f) return engineError(nullptr, e4parmNull, location);
    if (engineInError(f->table->ctx)) return e4codeBase;
    return tableLockEnforce(f->table, location);
}

char* Bytes(Field* f) { return f->table->record.data() + f->offset; }

int Unsupported(Field* f, int location) {
    return engineError(f->table->ctx, e4parm, location, EngineText(IDS_FELDFUNKTION_NICHT_UNTERSTUETZT), f->name);
}

void StoreBlock(Field* f, long block) {
    if (block <= 0) std::memset(Bytes(f), ' ', f->len);
    else EngineLongToAscii(block, Bytes(f), f->len);
}

} // namespace

char* fieldPtr(Field* f) {
    if (!f) {
        engineError(nullptr, e4parmNull, L4fieldPtr);
        return nullptr;
    }
    return Bytes(f);
}

char* fieldAssignPtr(Field* f) {
    if (!f) return fieldPtr(f);
    f->table->recordChanged = true;
    return Bytes(f);
}

TableHandle* fieldData(Field* f) { return f ? f->table : nullptr; }
const char* fieldName(Field* f) { return f ? f->name : ""; }
unsigned fieldLen(Field* f) { return f ? f->len : 0; }
int fieldDecimals(Field* f) { return f ? f->dec : 0; }
int fieldNumber(Field* f) { return f ? int(f - f->table->fields.data()) + 1 : -1; }
int fieldType(Field* f) {
    if (!f) return 0;
    return f->type == 'F' ? 'N' : f->type;
}

int fieldAssignN(Field* f, const char* bytes, size_t len) {
    int rc = CheckModify(f, L4fieldAssign);
    if (rc != 0) return rc;
    size_t n = std::min<size_t>(len, f->len);
    if (n && bytes) std::memcpy(Bytes(f), bytes, n);
    std::memset(Bytes(f) + n, ' ', f->len - n);
    f->table->recordChanged = true;
    return 0;
}

int fieldAssign(Field* f, const char* text) { return fieldAssignN(f, text, text ? std::strlen(text) : 0); }

const char* fieldStr(Field* f) {
    if (!f) return kEmpty;
    std::string& buf = f->table->ctx->fieldStrBuffer;
    buf.assign(Bytes(f), f->len);
    return buf.c_str();
}

long fieldLong(Field* f) {
    if (!f) return engineError(nullptr, e4parmNull, L4fieldLong);
    if (f->type == 'L') return Unsupported(f, L4fieldLong);
    if (f->type == 'D') return dateToJulian(Bytes(f));
    return convertToLong(Bytes(f), f->len);
}

double fieldDouble(Field* f) {
    if (!f) return engineError(nullptr, e4parmNull, L4fieldDouble);
    if (f->type == 'L') return Unsupported(f, L4fieldDouble);
    if (f->type == 'D') return dateToJulian(Bytes(f));
    return convertToDouble(Bytes(f), f->len);
}

int fieldAssignLong(Field* f, long value) {
    int rc = CheckModify(f, L4fieldAssignLong);
    if (rc != 0) return rc;
    if (f->type == 'L') return Unsupported(f, L4fieldAssignLong);
    if (f->type == 'D') {
        dateFromJulian(int32_t(value), Bytes(f));
    } else if ((f->type == 'N' || f->type == 'F') && f->dec > 0) {
        return fieldAssignDouble(f, double(value));
    } else {
        EngineLongToAscii(value, Bytes(f), int(f->len));
        f->table->recordChanged = true;
        // As for a double: the asterisks stay in the field and the caller
        // learns that the number did not fit.
        return f->len > 0 && Bytes(f)[f->len - 1] == '*' ? e4overflow : 0;
    }
    f->table->recordChanged = true;
    return 0;
}

int fieldAssignDouble(Field* f, double value) {
    int rc = CheckModify(f, L4fieldAssignDouble);
    if (rc != 0) return rc;
    if (f->type == 'L') return Unsupported(f, L4fieldAssignDouble);
    f->table->recordChanged = true;
    if (f->type == 'D') {
        dateFromJulian(int32_t(value), Bytes(f));
        return 0;
    }
    // A number that does not fit leaves "*" in the field and -440 as result.
    return convertDoubleToText(value, Bytes(f), int(f->len), f->type == 'C' ? 0 : f->dec);
}

int fieldAssignField(Field* target, Field* source) {
    if (!target || !source) return engineError(nullptr, e4parmNull, L4fieldAssignField);
    int rc = CheckModify(target, L4fieldAssignField);
    if (rc != 0) return rc;
    int tt = target->type, st = source->type;
    switch (tt) {
    case 'C': return fieldAssignN(target, Bytes(source), source->len);
    case 'D':
        if (st != 'D') return 0;
        std::memcpy(Bytes(target), Bytes(source), 8);
        break;
    case 'N':
    case 'F':
        if ((st == 'N' || st == 'F') && target->len == source->len && target->dec == source->dec) {
            std::memcpy(Bytes(target), Bytes(source), target->len);
            break;
        }
        return fieldAssignDouble(target, fieldDouble(source));
    case 'L':
        if (st != 'L') return 0;
        Bytes(target)[0] = Bytes(source)[0];
        break;
    default:
        return engineError(target->table->ctx, e4info, L4fieldAssignField, EngineText(IDS_FELDTYP_UNGUELTIG), target->name);
    }
    target->table->recordChanged = true;
    return 0;
}

int fieldMemoLoad(Field* f) {
    MemoEntry* m = f->memo;
    if (!m || m->loaded) return 0;
    TableHandle* t = f->table;
    if (m->contents.empty()) m->contents.resize(1);
    m->contents[0] = 0;
    m->len = 0;
    if (t->recNo < 0 || !t->file->hasMemoFile) {
        m->loaded = true;
        return 0;
    }
    EngineContext* ctx = t->ctx;
    if (engineInError(ctx)) return e4codeBase;
    if (ctx->readLock) {
        int rc = tableValidateMemoIds(t);
        if (rc != 0) return rc;
    }
    long block = convertToLong(Bytes(f), f->len);
    int rc = memoFileRead(&t->file->memo, block, m->contents, &m->len);
    if (rc < 0) {
        m->contents.assign(1, 0);
        m->len = 0;
        return rc;
    }
    m->loaded = true;
    return 0;
}

int tableValidateMemoIds(TableHandle* t) {
    if (t->recNo <= 0 || tableLockTest(t, t->recNo)) return 0;
    // The block numbers must be current: lock, then take them from the record
    // as it is now. Other locks stay, as this runs in the middle of a write.
    int savedAuto = t->ctx->unlockAuto;
    t->ctx->unlockAuto = 0;
    int rc = tableLock(t, t->recNo);
    t->ctx->unlockAuto = savedAuto;
    if (rc != 0) return rc;
    TableFile* tf = t->file;
    std::vector<char> now(tf->recLen);
    int64_t pos = int64_t(tf->headerLen) + int64_t(t->recNo - 1) * tf->recLen;
    if ((rc = fileReadAll(&tf->data, pos, now.data(), now.size())) < 0) return rc;
    for (auto& e : t->memos)
        if (!e.loaded)
            std::memcpy(Bytes(e.field), now.data() + e.field->offset, e.field->len);
    return 0;
}

int fieldMemoRead(Field* f) {
    if (!f) return engineError(nullptr, e4parmNull, L4fieldMemo);
    if (f->memo) f->memo->loaded = false;
    return fieldMemoLoad(f);
}

const char* fieldMemoPtr(Field* f) {
    if (!f) return kEmpty;
    if (!f->memo) return fieldStr(f);
    if (fieldMemoLoad(f) < 0 || f->memo->len == 0) return kEmpty;
    return f->memo->contents.data();
}

uint32_t fieldMemoLen(Field* f) {
    if (!f) return 0;
    if (!f->memo) return f->len;
    if (fieldMemoLoad(f) < 0) return 0;
    return f->memo->len;
}

const char* fieldMemoStr(Field* f) { return fieldMemoPtr(f); }

int fieldMemoSetLen(Field* f, uint32_t len) {
    int rc = CheckModify(f, L4fieldMemoSetLen);
    if (rc != 0) return rc;
    MemoEntry* m = f->memo;
    if (!m) return Unsupported(f, L4fieldMemoSetLen);
    if (len >= 0xFFFFFF80u)
        return engineError(f->table->ctx, e4memory, L4fieldMemoSetLen,
                           EngineText(IDS_MEMOLAENGE_BETRIEBSSYSTEM));
    if ((rc = fieldMemoLoad(f)) < 0) return rc;
    try {
        m->contents.resize(size_t(len) + 1, 0);
    } catch (const std::bad_alloc&) {
        m->contents.assign(1, 0);
        m->len = 0;
        m->loaded = false;
        return engineError(f->table->ctx, e4memory, L4fieldMemoSetLen);
    }
    m->contents[len] = 0;
    m->len = len;
    m->loaded = true;
    m->changed = true;
    f->table->recordChanged = true;
    return 0;
}

int fieldMemoAssignN(Field* f, const char* bytes, uint32_t len) {
    if (f && !f->memo) return fieldAssignN(f, bytes, len);
    int rc = CheckModify(f, L4fieldMemo);
    if (rc != 0) return rc;
    MemoEntry* m = f->memo;
    m->contents.assign(bytes, bytes + (bytes ? len : 0));
    m->len = bytes ? len : 0;
    m->contents.push_back(0);
    m->loaded = true;
    m->changed = true;
    f->table->recordChanged = true;
    return 0;
}

int tableMemoHold(TableHandle* t, bool appending, bool* took) {
    *took = false;
    TableFile* f = t->file;
    MemoFile* memo = &f->memo;
    if (!f->hasMemoFile || t->indexes.empty() || memo->lockOwner != 0 || memo->file.accessMode != 0 ||
        memo->file.readOnly)
        return 0;
    bool any = false;
    for (const auto& m : t->memos) any = any || (appending ? m.len > 0 : m.changed);
    if (!any) return 0;
    int rc = fileLockWait(&memo->file, kMemoLockStart, kMemoLockLen);
    if (rc != 0) return rc;
    memo->lockOwner = t->serial;
    *took = true;
    return 0;
}

void tableMemoHoldEnd(TableHandle* t, bool took) {
    if (!took) return;
    MemoFile* memo = &t->file->memo;
    memo->lockOwner = 0;
    fileUnlock(&memo->file, kMemoLockStart, kMemoLockLen);
}

int tableMemoWrite(TableHandle* t, std::vector<MemoRun>* freeLater) {
    bool anyChanged = false;
    for (auto& m : t->memos) anyChanged = anyChanged || m.changed;
    if (anyChanged && t->ctx->readLock) {
        int rc = tableValidateMemoIds(t);
        if (rc != 0) return rc;
    }
    for (auto& m : t->memos) {
        if (!m.changed) continue;
        if (!t->file->hasMemoFile)
            return engineError(t->ctx, e4memoCorrupt, L4memoFileWrite, t->alias.c_str());
        Field* f = m.field;
        long block = convertToLong(Bytes(f), f->len);
        int rc = memoFileWrite(&t->file->memo, &block, m.contents.data(), m.len, freeLater);
        if (rc < 0) return rc;
        StoreBlock(f, block);
        m.changed = false;
    }
    return 0;
}

Field* tableField(TableHandle* t, const char* name) {
    if (!t || !name) {
        engineError(t ? t->ctx : nullptr, e4parmNull, L4tableField);
        return nullptr;
    }
    std::string n(name, strnlen(name, 256));
    while (!n.empty() && n.back() == ' ') n.pop_back();
    std::string upper = n;
    convertUpper(upper);
    for (auto& f : t->fields)
        if (n == f.name || upper == f.name) return &f;
    if (t->ctx->errFieldName) engineError(t->ctx, e4fieldName, L4tableField, n.c_str());
    return nullptr;
}

Field* tableFieldJ(TableHandle* t, int j) {
    if (!t) {
        engineError(nullptr, e4parmNull, L4tableFieldJ);
        return nullptr;
    }
    if (j < 1 || j > int(t->fields.size())) {
        engineError(t->ctx, e4parm, L4tableFieldJ, t->alias.c_str());
        return nullptr;
    }
    return &t->fields[size_t(j) - 1];
}

int tableFieldNumber(TableHandle* t, const char* name) {
    Field* f = tableField(t, name);
    return f ? fieldNumber(f) : e4fieldName;
}

} // namespace vx
