// Opening, creating and closing data files: the header and its field
// descriptors, records a dead writer left past the count, and the handles.
#include "dbase/data/Table.h"
#include "dbase/data/TableIndex.h"
#include "dbase/data/TableInternal.h"

#include "dbase/data/TransactionLog.h"
#include "dbase/file/FileName.h"
#include "dbase/util/Collate.h"
#include "dbase/util/Convert.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace vx {
namespace {

constexpr int kNameMax = 1024;

bool IsMemoType(int type, unsigned char version) {
    return type == 'M' || type == 'G' || (type == 'B' && version != '0');
}

int Corrupt(EngineContext* ctx, const std::string& name, const char* what = EngineText(IDS_DATENBANK_KORRUPT)) {
    return engineError(ctx, e4data, L4tableOpen, what, name.c_str());
}

// The identity of a data file: its full path with the file name upper-cased.
int FullName(EngineContext* ctx, const std::string& name, const char* ext, bool replace, std::string& out) {
    // A name that does not fit is the caller's input, not a program fault:
    // it must not end the program as a wrong parameter would.
    char buf[kNameMax];
    if (name.size() >= sizeof buf) return engineError(ctx, e4name, L4tableOpen, EngineText(IDS_DATEINAME_ZU_LANG), name.c_str());
    std::strcpy(buf, name.c_str());
    int rc = utilNameExt(buf, sizeof buf, ext, replace);
    if (rc == e4parm) return engineError(ctx, e4name, L4tableOpen, EngineText(IDS_DATEINAME_ZU_LANG), name.c_str());
    if (rc < 0) return engineError(ctx, rc, L4tableOpen, name.c_str());
    char full[kNameMax];
    rc = utilNameCurrent(full, sizeof full, buf);
    if (rc == e4parm) return engineError(ctx, e4name, L4tableOpen, EngineText(IDS_DATEINAME_ZU_LANG), name.c_str());
    if (rc < 0) return engineError(ctx, rc, L4tableOpen, name.c_str());
    out = full;
    return 0;
}

// Reads the fields from the descriptors, checking every length against the buffer.
int ParseFields(TableFile* f, std::vector<Field>& out, int* memoCount) {
    out.clear();
    *memoCount = 0;
    const auto& d = f->descriptors;
    unsigned offset = 1;
    for (int i = 0; i < f->numFields; ++i) {
        const unsigned char* p = d.data() + size_t(i) * 32;
        Field fld;
        size_t n = 0;
        while (n < 10 && p[n]) {
            fld.name[n] = char(p[n]);
            ++n;
        }
        fld.name[n] = 0;
        fld.type = int16_t(p[11]);
        switch (fld.type) {
        case 'C':
            fld.len = Get16(p + 16);
            break;
        case 'N':
        case 'F':
            fld.len = p[16];
            fld.dec = p[17];
            break;
        case 'D':
        case 'L':
        case 'M':
        case 'G':
            fld.len = p[16];
            break;
        case 'B':
            fld.len = p[16];
            if (f->version == '0') fld.dec = p[17];
            break;
        default: return -1;
        }
        if (fld.len == 0) return -1;
        fld.offset = uint16_t(offset);
        offset += fld.len;
        if (offset > 0xFFFF) return -1;
        if (IsMemoType(fld.type, f->version)) ++*memoCount;
        out.push_back(fld);
    }
    return int(offset);
}

} // namespace

// Whole records past the header's count were appended by a writer that
// died before it wrote the count: they are taken into the count, never
// written over. Called while no one else can append.
int AdoptStranded(TableFile* f) {
    int64_t flen = fileLen(&f->data);
    if (flen < 0) return int(flen);
    if (f->recLen == 0 || flen < f->headerLen) return 0;
    if (f->numRecs < 0) {
        int rc = tableReadCount(f);
        if (rc < 0) return rc;
    }
    long held = long((flen - f->headerLen) / f->recLen);
    f->countChecked = true;
    if (held <= f->numRecs || f->data.readOnly) return 0;
    std::string counts = std::to_string(f->numRecs) + " -> " + std::to_string(held);
    engineLogEntry(f->ctx, e4data, L4tableAppend, EngineText(IDS_SATZANZAHL_AUS_DATEILAENGE), f->data.name.c_str(),
                   counts.c_str());
    f->numRecs = held;
    int rc = tableWriteHeader(f);
    if (rc < 0) return rc;
    // The end-of-file mark behind the last whole record.
    int64_t end = int64_t(f->headerLen) + int64_t(held) * f->recLen;
    if (flen == end) {
        const char eof = 0x1A;
        rc = fileWrite(&f->data, end, &eof, 1);
    }
    return rc;
}

namespace {

// At a shared open: only when the append lock is free at once.
int AdoptStrandedUnlocked(TableFile* f) {
    EngineContext* ctx = f->ctx;
    int attempts = ctx->lockAttempts;
    ctx->lockAttempts = 1;
    int rc = fileLock(&f->data, kLockAppend, 1);
    ctx->lockAttempts = attempts;
    if (rc != 0) return rc < 0 ? rc : 0;
    rc = tableReadCount(f);
    if (rc == 0) rc = AdoptStranded(f);
    int urc = fileUnlock(&f->data, kLockAppend, 1);
    return rc < 0 ? rc : urc;
}

int LoadTableFile(EngineContext* ctx, TableFile* f) {
    const std::string& name = f->data.name;
    unsigned char h[32];
    int64_t n = fileRead(&f->data, 0, h, 32);
    if (n < 0) return int(n);
    if (n < 32) return Corrupt(ctx, name);
    // Records half moved by a pack are never the table; a pack at work is
    // waited for.
    if (h[kPackMarkPos] == kPackMark) {
        int rc = PackMarkWait(f, L4tableOpen);
        if (rc < 0) return rc;
        if ((rc = fileReadAll(&f->data, 0, h, 32)) < 0) return rc;
    }
    f->version = h[0];
    std::memcpy(f->date, h + 1, 3);
    int32_t count = int32_t(Get32(h + 4));
    f->headerLen = Get16(h + 8);
    f->recLen = Get16(h + 10);
    f->headerFlags = h[28];
    f->codePage = collateCodePageOfDriver(h[29]);
    int64_t flen = fileLen(&f->data);
    if (flen < 0) return int(flen);
    if (f->recLen == 0 || count < 0 || f->headerLen <= 32 || flen < f->headerLen) return Corrupt(ctx, name);
    int64_t held = (flen - f->headerLen) / f->recLen;
    if (held < int64_t(count) - 1) return Corrupt(ctx, name);
    if (f->accessMode != 0 && held < count) return Corrupt(ctx, name);
    f->numRecs = count;
    // Records a crashed writer left behind its count; in shared use only
    // once no one is appending.
    f->countChecked = held <= count;
    if (held > count && !f->data.readOnly) {
        int rc = f->accessMode != 0 ? AdoptStranded(f) : AdoptStrandedUnlocked(f);
        if (rc < 0) return rc;
    }
    f->descriptors.assign(size_t(f->headerLen - 32), 0);
    n = fileRead(&f->data, 32, f->descriptors.data(), f->descriptors.size());
    if (n < 0) return int(n);
    if (size_t(n) < f->descriptors.size())
        return Corrupt(ctx, name, EngineText(IDS_DATENDATEI_ZU_KURZ));
    // Only whole descriptors inside the header count, whatever the list claims.
    size_t nf = 0;
    while ((nf + 1) * 32 <= f->descriptors.size() && f->descriptors[nf * 32] != 0x0D) ++nf;
    f->numFields = int(nf);
    if (nf == 0) return Corrupt(ctx, name);
    std::vector<Field> fields;
    int memoCount = 0;
    int recLen = ParseFields(f, fields, &memoCount);
    if (recLen < 0) return Corrupt(ctx, name, EngineText(IDS_FELDTYP_UNGUELTIG));
    if (recLen != f->recLen) return Corrupt(ctx, name);
    f->numMemoFields = memoCount;
    bool memo = f->version == '0' ? (f->headerFlags & 0x02) != 0 : (f->version & 0x80) != 0;
    if (memo && !f->hasMemoFile) {
        std::string memoName;
        int rc = FullName(ctx, f->fullName, "DBT", true, memoName);
        if (rc < 0) return rc;
        rc = memoFileOpen(&f->memo, ctx, memoName, f->version == 0x83);
        if (rc != 0) return rc;
        f->hasMemoFile = true;
    }
    return 0;
}

// The context's flush before a fatal error ends the program.
void WriteChangedRecords(EngineContext* ctx) {
    for (TableHandle* t : ctx->tables) {
        ctx->errorCode = 0;
        if (t->recordChanged && t->recNo > 0) tableUpdateRecord(t, false);
    }
}

TableHandle* MakeHandle(EngineContext* ctx, TableFile* f) {
    auto t = std::make_unique<TableHandle>();
    t->ctx = ctx;
    t->file = f;
    char alias[33];
    utilNamePiece(alias, sizeof alias, f->fullName.c_str(), false, false);
    t->alias = alias;
    int memoCount = 0;
    ParseFields(f, t->fields, &memoCount);
    t->memos.resize(size_t(memoCount));
    size_t m = 0;
    for (auto& fld : t->fields) {
        fld.table = t.get();
        if (IsMemoType(fld.type, f->version)) {
            t->memos[m].field = &fld;
            fld.memo = &t->memos[m++];
        }
    }
    t->record.assign(size_t(f->recLen) + 1, ' ');
    t->oldRecord.assign(size_t(f->recLen) + 1, ' ');
    BlankRecord(t.get());
    t->recNo = -1;
    t->serial = ++ctx->openCounter;
    t->seenCount = f->numRecs;
    ++f->userCount;
    ctx->tables.push_back(t.get());
    ctx->writeChangedRecords = WriteChangedRecords;
    return t.release();
}

void CloseTableFile(TableFile* f) {
    if (f->hasMemoFile) memoFileClose(&f->memo);
    fileClose(&f->data);
}

void DropTableFile(EngineContext* ctx, TableFile* f) {
    auto it = std::find(ctx->dataFiles.begin(), ctx->dataFiles.end(), f);
    if (it != ctx->dataFiles.end()) ctx->dataFiles.erase(it);
    delete f;
}

// Codes of an index file that is missing or cannot be read as one: the
// table is usable without it.
bool IndexDamage(int code) {
    switch (code) {
    case r4noOpen: case e4fileFind: case e4read: case e4index: case e4tagInfo: case e4fieldName: return true;
    default: return code <= -400 && code >= -510; // its expressions
    }
}

int LogOpen(EngineContext* ctx) {
    return ctx->logOpen && ctx->tranLog ? ctx->tranLog->OpenIfPresent(ctx) : 0;
}

} // namespace

TableFile* engineDataFile(EngineContext* ctx, const std::string& fullName) {
    for (TableFile* f : ctx->dataFiles)
        if (f->fullName == fullName) return f;
    return nullptr;
}

TableHandle* engineTable(EngineContext* ctx, const std::string& alias) {
    for (TableHandle* t : ctx->tables)
        if (t->alias == alias) return t;
    return nullptr;
}

TableHandle* engineTableOfFile(EngineContext* ctx, const TableFile* file) {
    for (TableHandle* t : ctx->tables)
        if (t->file == file) return t;
    return nullptr;
}

int tableReadCount(TableFile* f) {
    // The count and, in the same read, the mark of a pack that is not done.
    unsigned char b[kPackMarkPos - 4 + 1];
    int rc = fileReadAll(&f->data, 4, b, sizeof b);
    if (rc < 0) return rc;
    if (b[kPackMarkPos - 4] == kPackMark) {
        if ((rc = PackMarkWait(f, L4tableGo)) < 0) return rc;
        if ((rc = fileReadAll(&f->data, 4, b, 4)) < 0) return rc;
    }
    int32_t count = int32_t(Get32(b));
    if (count < 0) return engineError(f->ctx, e4data, L4tableGo, EngineText(IDS_DATENBANK_KORRUPT), f->data.name.c_str());
    f->numRecs = count;
    return 0;
}

int tableWriteHeader(TableFile* f) {
    if (f->data.readOnly) return 0;
    unsigned char h[8];
    h[0] = f->version;
    std::memcpy(h + 1, f->date, 3);
    Put32(h + 4, uint32_t(std::max(f->numRecs, 0L)));
    int rc = fileWrite(&f->data, 0, h, 8);
    if (rc == 0) f->appendedSinceHeader = false;
    return rc;
}

static TableHandle* OpenTable(EngineContext* ctx, const std::string& full);

// The new table, opened exclusively, gets its production index.
static int CreateProductionIndex(EngineContext* ctx, const std::string& full, const TagInfo* tags) {
    int savedMode = ctx->accessMode;
    ctx->accessMode = 1;
    TableHandle* t = OpenTable(ctx, full);
    ctx->accessMode = savedMode;
    if (!t) return engineError(ctx, e4create, L4tableCreate, full.c_str());
    int rc = ctx->tableIndex->createProduction(t, tags) ? 0 : (engineInError(ctx) ? ctx->errorCode : e4create);
    int saved = ctx->errorCode;
    ctx->errorCode = 0;
    tableClose(t);
    ctx->errorCode = saved;
    if (rc != 0 && !engineInError(ctx)) rc = engineError(ctx, e4create, L4tableCreate, full.c_str());
    return rc;
}

TableHandle* tableOpen(EngineContext* ctx, const std::string& name) {
    if (!ctx) {
        engineError(nullptr, e4parmNull, L4tableOpen);
        return nullptr;
    }
    if (engineInError(ctx)) return nullptr;
    if (LogOpen(ctx) < 0) return nullptr;
    std::string full;
    if (FullName(ctx, name, "DBF", false, full) < 0) return nullptr;
    TableHandle* t = OpenTable(ctx, full);
    int damage = 0;
    if (t && (t->file->headerFlags & 1) && ctx->autoOpen && !ctx->tableIndex->openProduction(t)) {
        int saved = ctx->errorCode;
        if (!IndexDamage(saved)) {
            tableClose(t);
            ctx->errorCode = saved;
            return nullptr;
        }
        // Reported already; the table opens without it so that it can be
        // rebuilt, and the code stays for the caller to see.
        t->indexDamaged = true;
        damage = saved;
        ctx->errorCode = 0;
    }
    if (t && ctx->tranLog && ctx->tranLog->TableOpened(t) < 0) {
        tableClose(t);
        return nullptr;
    }
    if (t && damage != 0) ctx->errorCode = damage;
    return t;
}

static TableHandle* OpenTable(EngineContext* ctx, const std::string& full) {
    TableFile* f = engineDataFile(ctx, full);
    if (f) {
        // In a transaction a table whose close waits for its end has left the
        // context's tables: only a table still open refuses the file.
        if (ctx->singleOpen && (ctx->tranState != 120 || engineTableOfFile(ctx, f))) {
            engineError(ctx, e4instance, L4tableOpen, full.c_str());
            return nullptr;
        }
        int mode = ctx->accessMode;
        const char* refusal = nullptr;
        if (mode == 1 && f->accessMode != 1) refusal = EngineText(IDS_RESTRIKTIVERES_DATEIHANDLE);
        else if (mode == 2 && f->accessMode == 0) refusal = EngineText(IDS_RESTRIKTIVERES_DATEIHANDLE);
        else if (mode < 0 || mode > 2) refusal = EngineText(IDS_MODUS_UNGUELTIG);
        if (refusal) {
            engineError(ctx, e4access, L4tableOpen, refusal, full.c_str());
            return nullptr;
        }
        return MakeHandle(ctx, f);
    }
    auto nf = std::make_unique<TableFile>();
    nf->ctx = ctx;
    nf->fullName = full;
    if (fileOpen(&nf->data, ctx, full) != 0) return nullptr;
    nf->accessMode = nf->data.accessMode;
    if (PackRecover(ctx, nf.get()) != 0 || LoadTableFile(ctx, nf.get()) != 0) {
        CloseTableFile(nf.get());
        return nullptr;
    }
    TableFile* tf = nf.release();
    ctx->dataFiles.push_back(tf);
    return MakeHandle(ctx, tf);
}

static TableHandle* CreateTable(EngineContext* ctx, const std::string& name, const FieldInfo* fields, const TagInfo* tags);

// An unnamed table is open alone from its creation on: its production index
// is made on that handle and goes with the table, or the create fails and
// leaves no file behind, since nobody knows the names.
static TableHandle* TempIndex(EngineContext* ctx, TableHandle* t, const TagInfo* tags) {
    TableFile* f = t->file;
    // An index file of the name is a leftover: the data file's name is ours alone.
    const int savedSafety = ctx->safety;
    ctx->safety = 0;
    const bool created = ctx->tableIndex->createProduction(t, tags);
    ctx->safety = savedSafety;
    if (created) {
        if (f->data.isTemp) ctx->tableIndex->markTemporary(t);
        return t;
    }
    const int code = engineInError(ctx) ? ctx->errorCode : 0;
    ctx->errorCode = 0;
    std::string mdx;
    if (FullName(ctx, f->fullName, "MDX", true, mdx) < 0) mdx.clear();
    f->data.isTemp = true;
    if (f->hasMemoFile) f->memo.file.isTemp = true;
    ctx->errorCode = 0;
    tableClose(t);
    if (!mdx.empty()) RemoveFile(mdx);
    ctx->errorCode = 0;
    if (code < 0) ctx->errorCode = code;
    else engineError(ctx, e4create, L4tableCreate, EngineText(IDS_TEMPORAERDATEI_GESCHEITERT));
    return nullptr;
}

TableHandle* tableCreate(EngineContext* ctx, const std::string& name, const FieldInfo* fields, const TagInfo* tags) {
    if (!ctx || !fields) {
        engineError(ctx, e4parmNull, L4tableCreate);
        return nullptr;
    }
    if (engineInError(ctx)) return nullptr;
    // An unnamed table is temporary from its create on; a named one is made
    // whole first, then marked to go when it is closed.
    if (name.empty() || !ctx->createTemp) return CreateTable(ctx, name, fields, tags);
    ctx->createTemp = 0;
    TableHandle* t = CreateTable(ctx, name, fields, tags);
    ctx->createTemp = 1;
    if (t) {
        t->file->data.isTemp = true;
        t->file->memo.file.isTemp = t->file->hasMemoFile;
        ctx->tableIndex->markTemporary(t);
    }
    return t;
}

static TableHandle* CreateTable(EngineContext* ctx, const std::string& name, const FieldInfo* fields, const TagInfo* tags) {
    if (LogOpen(ctx) < 0) return nullptr;
    bool temp = name.empty();
    std::string full;
    if (!name.empty()) {
        if (FullName(ctx, name, "DBF", false, full) < 0) return nullptr;
        if (engineDataFile(ctx, full)) {
            engineError(ctx, e4create, L4tableCreate, EngineText(IDS_DATEI_VON_ANDEREM_CLIENT), full.c_str());
            return nullptr;
        }
    }
    std::vector<unsigned char> desc;
    unsigned recLen = 1;
    bool memo = false;
    int count = 0;
    for (const FieldInfo* fi = fields; fi->name; ++fi, ++count) {
        unsigned char d[32] = {};
        char fname[11] = {};
        std::strncpy(fname, fi->name, 10);
        convertUpper(fname);
        std::memcpy(d, fname, std::strlen(fname));
        int type = convertUpperChar(char(fi->type));
        d[11] = uint8_t(type);
        unsigned len = 0;
        switch (type) {
        case 'C':
            len = fi->len;
            Put16(d + 16, uint16_t(len));
            break;
        case 'N':
        case 'F':
            len = fi->len;
            d[16] = uint8_t(len);
            d[17] = uint8_t(fi->dec);
            break;
        case 'D': len = d[16] = 8; break;
        case 'L': len = d[16] = 1; break;
        case 'M':
        case 'G':
            len = d[16] = 10;
            memo = true;
            break;
        case 'B':
            // One length for the descriptor and the record.
            len = fi->len ? fi->len : 10;
            d[16] = uint8_t(len);
            memo = true;
            break;
        default:
            engineError(ctx, e4data, L4tableCreate, EngineText(IDS_FELDINHALT_UNGUELTIG), fi->name);
            return nullptr;
        }
        if ((type != 'C' && len > 255) || len == 0) {
            engineError(ctx, e4data, L4tableCreate, EngineText(IDS_FELDINHALT_UNGUELTIG), fi->name);
            return nullptr;
        }
        recLen += len;
        desc.insert(desc.end(), d, d + 32);
    }
    if (count == 0) {
        engineError(ctx, e4data, L4tableCreate, EngineText(IDS_FELDINHALT_UNGUELTIG), full.c_str());
        return nullptr;
    }
    if (recLen > 65534) {
        engineError(ctx, e4recordLen, L4tableCreate, name.empty() ? EngineText(IDS_TEMPORAERDATEI_GESCHEITERT) : full.c_str());
        return nullptr;
    }
    if (32L * count > 65500) {
        if (name.empty()) engineError(ctx, e4recordLen, L4tableCreate, EngineText(IDS_ZU_VIELE_FELDER_TEMPORAER));
        else engineError(ctx, e4create, L4tableCreate, EngineText(IDS_ZU_VIELE_FELDER), full.c_str());
        return nullptr;
    }
    auto f = std::make_unique<TableFile>();
    f->ctx = ctx;
    if (fileCreate(&f->data, ctx, full) != 0) return nullptr;
    if (full.empty()) full = f->data.name;
    f->fullName = full;
    f->accessMode = f->data.accessMode;
    unsigned char h[32] = {};
    h[0] = memo ? 0x8B : 0x03;
    h[29] = collateDriverOfCodePage(ctx->codePage);
    engineHeaderDate(h + 1);
    uint16_t headerLen = uint16_t(32 * count + 33);
    Put16(h + 8, headerLen);
    Put16(h + 10, uint16_t(recLen));
    char buffer[2048];
    FileSeqWrite w;
    fileSeqWriteInit(&w, &f->data, 0, buffer, sizeof buffer);
    const unsigned char tail[2] = {0x0D, 0x1A};
    int rc = fileSeqWrite(&w, h, 32);
    if (rc == 0) rc = fileSeqWrite(&w, desc.data(), desc.size());
    if (rc == 0) rc = fileSeqWrite(&w, tail, 2);
    if (rc == 0) rc = fileSeqWriteFlush(&w);
    if (rc == 0 && memo) {
        std::string memoName;
        if (temp && name.empty()) rc = memoFileCreate(&f->memo, ctx, full, "");
        else if ((rc = FullName(ctx, full, "DBT", true, memoName)) == 0)
            rc = memoFileCreate(&f->memo, ctx, full, memoName);
        if (rc == 0) f->hasMemoFile = true;
    }
    if (rc != 0) {
        // A data file whose memo file is missing could never be opened again.
        bool wasTemp = f->data.isTemp;
        CloseTableFile(f.get());
        if (!wasTemp && !full.empty()) RemoveFile(f->data.name);
        return nullptr;
    }
    bool withTags = tags && tags[0].name;
    if (temp) {
        if (LoadTableFile(ctx, f.get()) != 0) {
            CloseTableFile(f.get());
            return nullptr;
        }
        TableFile* tf = f.release();
        ctx->dataFiles.push_back(tf);
        TableHandle* t = MakeHandle(ctx, tf);
        return withTags ? TempIndex(ctx, t, tags) : t;
    }
    CloseTableFile(f.get());
    if (withTags && CreateProductionIndex(ctx, full, tags) != 0) return nullptr;
    int savedAuto = ctx->autoOpen;
    ctx->autoOpen = withTags ? 1 : 0;
    TableHandle* t = tableOpen(ctx, full);
    ctx->autoOpen = savedAuto;
    if (t && withTags) {
        if (const TagInfo* missing = ctx->tableIndex->takeUniqueCodes(t, tags)) {
            engineError(ctx, e4name, L4tableCreate, EngineText(IDS_SUBINDEX_NICHT_GEFUNDEN), t->alias.c_str(), missing->name);
            tableClose(t);
            return nullptr;
        }
    }
    return t;
}

int tableClose(TableHandle* t) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableClose);
    EngineContext* ctx = t->ctx;
    int savedAttempts = ctx->lockAttempts;
    int savedError = ctx->errorCode;
    ctx->lockAttempts = -1;
    ctx->errorCode = 0;
    if (savedError == -340) t->recordChanged = false;
    int result = tableUpdate(t);
    bool defer = false;
    if (ctx->tranLog) {
        int lrc = ctx->tranLog->TableClosing(t, &defer);
        if (result == 0) result = lrc;
    }
    if (defer) {
        // It waits among the tables to close; its locks and files stay.
        auto it = std::find(ctx->tables.begin(), ctx->tables.end(), t);
        if (it != ctx->tables.end()) ctx->tables.erase(it);
        ctx->lockAttempts = savedAttempts;
        if (savedError < 0) ctx->errorCode = savedError;
        return result;
    }
    int rc = ctx->tableIndex->close(t);
    if (result == 0) result = rc;
    rc = tableReleaseLocks(t);
    if (result == 0) result = rc;
    TableFile* f = t->file;
    auto it = std::find(ctx->tables.begin(), ctx->tables.end(), t);
    if (it != ctx->tables.end()) ctx->tables.erase(it);
    if (--f->userCount <= 0) {
        if (f->accessMode == 1 && !f->data.readOnly) {
            ctx->errorCode = 0;
            rc = tableWriteHeader(f);
            if (result == 0) result = rc;
        }
        if (f->hasMemoFile) {
            rc = memoFileClose(&f->memo);
            if (result == 0) result = rc;
        }
        rc = fileClose(&f->data);
        if (result == 0) result = rc;
        DropTableFile(ctx, f);
    }
    delete t;
    ctx->lockAttempts = savedAttempts;
    if (savedError < 0) ctx->errorCode = savedError;
    else if (result >= 0) ctx->errorCode = savedError;
    return result;
}
} // namespace vx
