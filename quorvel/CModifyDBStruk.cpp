#include "quorvel/CModifyDBStruk.h"

#include "dbase/file/EngineFile.h"
#include "dbase/data/Field.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "quorvel/PrivateTemp.h"
#include "quorvel/QuorvelText.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

using namespace vx;

namespace {

constexpr const char* kExtensions[] = {"DBF", "MDX", "DBT"};

bool IsMemoType(int type) { return type == 'M' || type == 'B' || type == 'G'; }

// Copies src to dst through a temporary name, so that dst is either the old
// file or the whole copy.
bool CopyThroughTemp(const std::string& src, const std::string& dst) {
    const std::string tmp = dst + ".KOP";
    std::error_code ec;
    std::filesystem::copy_file(ToFsName(src), ToFsName(tmp), std::filesystem::copy_options::overwrite_existing, ec);
    if (!ec) std::filesystem::rename(ToFsName(tmp), ToFsName(dst), ec);
    if (ec) RemoveFile(tmp);
    return !ec;
}

bool RenameFile(const std::string& from, const std::string& to) {
    return std::rename(ToFsName(from).c_str(), ToFsName(to).c_str()) == 0;
}

} // namespace

std::string TableFileName(const std::string& path, const char* ext) {
    const std::string name = path + "." + ext;
    const std::string found = ResolveNoCase(name);
    return FileExists(found) ? found : name;
}

bool KeepBackup(const std::string& file) {
    const std::string backup = file + ".OLD";
    return FileExists(ResolveNoCase(backup)) || CopyThroughTemp(file, backup);
}

std::function<void()>& CModifyDBStruk::QuitHook() {
    static std::function<void()> hook;
    return hook;
}

CModifyDBStruk::~CModifyDBStruk() { CloseTables(); }

void CModifyDBStruk::CloseTables() {
    const int code = ctx_->errorCode;
    ctx_->errorCode = 0;
    if (new_) tableClose(new_);
    if (old_) tableClose(old_);
    new_ = old_ = nullptr;
    if (code < 0) ctx_->errorCode = code;
}

// Shown once the directory is free again, so that nobody waits on a message box.
void CModifyDBStruk::Report(const std::string& text) {
    if (message_.empty()) message_ = text;
}

Field* CModifyDBStruk::OldField(const char* name) {
    if (!old_) return nullptr;
    for (Field& f : old_->fields)
        if (std::strcmp(f.name, name) == 0) return &f;
    return nullptr;
}

bool CModifyDBStruk::SameStructure() {
    if (!oldInfo_ || oldInfo_->size() == 0) return true;
    for (const FieldInfo* w = fields_; w->name; ++w) {
        const FieldInfo* found = nullptr;
        for (int i = 1; i <= oldInfo_->size(); ++i)
            if (std::strcmp((*oldInfo_)[i].name, w->name) == 0) {
                found = &(*oldInfo_)[i];
                break;
            }
        if (!found || found->type != w->type || found->len != w->len || found->dec != w->dec) return false;
    }
    return true;
}

bool CModifyDBStruk::CreateNewTable() {
    for (const char* ext : kExtensions) RemoveFile(tempPath_ + "." + ext);
    // One message of our own says what failed.
    const int savedSafety = ctx_->safety, savedErrCreate = ctx_->errCreate;
    ctx_->safety = 0;
    ctx_->errCreate = 0;
    new_ = tableCreate(ctx_, tempPath_, fields_, tags_);
    ctx_->safety = savedSafety;
    ctx_->errCreate = savedErrCreate;
    if (new_) return true;
    ctx_->errorCode = 0;
    Report(Format(QuorvelString(IDS_QV_CONVERT_NO_NEW_TABLE), path_, tempPath_));
    return false;
}

bool CModifyDBStruk::TestExclusive(const std::string& dbf) {
    const int savedAccess = ctx_->accessMode, savedErrOpen = ctx_->errOpen;
    ctx_->accessMode = 2;
    ctx_->errOpen = 0;
    EngineFile file;
    const bool ok = fileOpen(&file, ctx_, dbf) == 0;
    if (ok) fileClose(&file);
    ctx_->accessMode = savedAccess;
    ctx_->errOpen = savedErrOpen;
    if (ctx_->errorCode > 0) ctx_->errorCode = 0;
    return ok;
}

bool CModifyDBStruk::TakeOverFiles() {
    CloseTables();
    for (const std::string& path : {path_, tempPath_}) {
        if (TestExclusive(TableFileName(path, "DBF"))) continue;
        refused_ = true;
        Report(Format(QuorvelString(IDS_QV_CONVERT_IN_USE), path, path));
        return false;
    }
    const int savedAuto = ctx_->autoOpen;
    ctx_->autoOpen = 0;
    old_ = tableOpen(ctx_, path_);
    ctx_->autoOpen = savedAuto;
    if (!old_) {
        if (ctx_->errorCode > 0) ctx_->errorCode = 0;
        Report(Format(QuorvelString(IDS_QV_CONVERT_NOT_OPENED), path_));
        return false;
    }
    return CreateNewTable();
}

int CModifyDBStruk::CopyRecords() {
    int rc = tableTop(old_);
    while (rc >= 0 && !tableEof(old_)) {
        if ((rc = tableAppendBlank(new_)) != 0) break;
        int n = 0;
        for (const FieldInfo* w = fields_; w->name; ++w) {
            Field* from = OldField(w->name);
            Field* to = tableField(new_, w->name);
            if (from && to) {
                if (IsMemoType(w->type) && IsMemoType(from->type)) {
                    const uint32_t len = fieldMemoLen(from);
                    if (len > 0) rc = fieldMemoAssignN(to, fieldMemoPtr(from), len);
                } else {
                    rc = fieldAssignField(to, from);
                }
                if (rc < 0) return rc;
            }
            if (++n % 10 == 0 && (rc = tableFlush(new_)) < 0) return rc;
        }
        // A deleted record stays deleted.
        if (tableDeleted(old_) && (rc = tableDelete(new_)) < 0) return rc;
        rc = tableSkip(old_, 1);
    }
    if (rc < 0) return rc;
    return ctx_->errorCode < 0 ? ctx_->errorCode : 0;
}

bool CModifyDBStruk::BackUp() {
    for (const char* ext : kExtensions) {
        const std::string file = TableFileName(path_, ext);
        if (!FileExists(file)) continue;
        if (!KeepBackup(file)) {
            Report(Format(QuorvelString(IDS_QV_CONVERT_NO_BACKUP), path_, file));
            return false;
        }
    }
    return true;
}

bool CModifyDBStruk::Replace() {
    struct Swap {
        std::string source, target, fresh, kept;
        bool moved = false, placed = false;
    };
    std::vector<Swap> swaps;
    for (const char* ext : kExtensions) {
        const std::string source = TableFileName(tempPath_, ext);
        if (!FileExists(source)) continue;
        const std::string target = TableFileName(path_, ext);
        swaps.push_back({source, target, target + ".NEU", target + ".ALT"});
    }
    auto undo = [&swaps]() {
        for (Swap& s : swaps) {
            if (s.placed) RemoveFile(s.target);
            if (s.moved) RenameFile(s.kept, s.target);
            RemoveFile(s.fresh);
        }
    };
    auto fail = [&](const std::string& target) {
        undo();
        Report(Format(QuorvelString(IDS_QV_CONVERT_NOT_REPLACED), path_, target));
        return false;
    };
    // First every copy beside the table, then the renames, so that a failure
    // leaves the old table whole.
    for (Swap& s : swaps) {
        if (!CopyThroughTemp(s.source, s.fresh)) return fail(s.target);
    }
    for (Swap& s : swaps) {
        if (FileExists(s.target)) {
            if (!RenameFile(s.target, s.kept)) return fail(s.target);
            s.moved = true;
        }
        if (!RenameFile(s.fresh, s.target)) return fail(s.target);
        s.placed = true;
    }
    for (Swap& s : swaps)
        if (s.moved) RemoveFile(s.kept);
    return true;
}

int CModifyDBStruk::Run(const std::string& path, const FieldInfo* fields, const TagInfo* tags) {
    path_ = NormalizeSlashes(path);
    fields_ = fields;
    tags_ = tags;
    refused_ = false;
    message_.clear();
    tempPath_.clear();
    int result = Unchanged;
    {
        // Programs starting at once: one converts, the others wait here as the
        // opening of a table waits, and then find the table converted. Even the
        // look at the structure waits, or its open would make the converting
        // start believe another program held the table.
        DirectoryLock lock(DirName(path_), [] { enginePump(10); }, 300);
        result = Convert();
    }
    if (!tempPath_.empty()) RemoveQuorvelProcessTempDir();
    if (!message_.empty()) ShowMessage(message_, MB_OK | MB_ICONSTOP);
    if (refused_ && QuitHook()) QuitHook()();
    return result;
}

int CModifyDBStruk::Convert() {
    // A damaged table is reported once, when the start-up opens it.
    const int savedErrOpen = ctx_->errOpen, savedAuto = ctx_->autoOpen, savedOff = ctx_->errOff;
    ctx_->errOpen = 0;
    ctx_->autoOpen = 0;
    ctx_->errOff = 1;
    old_ = tableOpen(ctx_, path_);
    ctx_->errOpen = savedErrOpen;
    ctx_->autoOpen = savedAuto;
    ctx_->errOff = savedOff;
    if (!old_) {
        // Missing (or unreadable): the database start-up creates or reports it.
        ctx_->errorCode = 0;
        return Unchanged;
    }
    oldInfo_ = std::make_unique<FieldInfoList>(old_);
    if (SameStructure()) {
        CloseTables();
        return Unchanged;
    }

    const std::string tempDir = QuorvelProcessTempDir();
    if (tempDir.empty()) {
        CloseTables();
        Report(Format(QuorvelString(IDS_QV_CONVERT_NO_TEMP_DIR), path_));
        return Failed;
    }
    tempPath_ = JoinPath(tempDir, BaseName(path_));
    if (!CreateNewTable() || !TakeOverFiles()) {
        CloseTables();
        return refused_ ? Unchanged : Failed;
    }
    const int rc = CopyRecords();
    if (rc < 0) ctx_->errorCode = 0;
    CloseTables();
    const bool closeFailed = ctx_->errorCode < 0;
    if (closeFailed) ctx_->errorCode = 0;
    if (rc < 0 || closeFailed) {
        Report(Format(QuorvelString(IDS_QV_CONVERT_NOT_COPIED), path_));
        return Failed;
    }
    if (!BackUp() || !Replace()) return Failed;
    return Converted;
}
