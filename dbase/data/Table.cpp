#include "dbase/data/Table.h"

#include "dbase/util/Collate.h"

#include "dbase/util/Convert.h"
#include "dbase/data/Field.h"
#include "dbase/file/FileName.h"
#include "dbase/index/TableTag.h"
#include "dbase/data/TransactionLog.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace vx {
namespace {

constexpr int kNameMax = 1024;
const char* const kNameTooLong = "Dateiname zu lang";

uint32_t Get32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t Get16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
void Put32(unsigned char* p, uint32_t v) {
    p[0] = v & 0xFF, p[1] = (v >> 8) & 0xFF, p[2] = (v >> 16) & 0xFF, p[3] = v >> 24;
}
void Put16(unsigned char* p, uint16_t v) { p[0] = v & 0xFF, p[1] = v >> 8; }

bool IsMemoType(int type, unsigned char version) {
    return type == 'M' || type == 'G' || (type == 'B' && version != '0');
}

int Corrupt(EngineContext* ctx, const std::string& name, const char* what = "Datenbank korrupt") {
    return engineError(ctx, e4data, L4tableOpen, what, name.c_str());
}

// The identity of a data file: its full path with the file name upper-cased.
int FullName(EngineContext* ctx, const std::string& name, const char* ext, bool replace, std::string& out) {
    // A name that does not fit is the caller's input, not a program fault:
    // it must not end the program as a wrong parameter would.
    char buf[kNameMax];
    if (name.size() >= sizeof buf) return engineError(ctx, e4name, L4tableOpen, kNameTooLong, name.c_str());
    std::strcpy(buf, name.c_str());
    int rc = utilNameExt(buf, sizeof buf, ext, replace);
    if (rc == e4parm) return engineError(ctx, e4name, L4tableOpen, kNameTooLong, name.c_str());
    if (rc < 0) return engineError(ctx, rc, L4tableOpen, name.c_str());
    char full[kNameMax];
    rc = utilNameCurrent(full, sizeof full, buf);
    if (rc == e4parm) return engineError(ctx, e4name, L4tableOpen, kNameTooLong, name.c_str());
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
    engineLogEntry(f->ctx, e4data, L4tableAppend, "Satzanzahl aus Dateilänge übernommen", f->data.name.c_str(),
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

// A pack first copies the records that move into a side file beside the
// table ("PCK"), its header last; only then are they moved in place. The
// next open that finds a complete side file finishes the pack from it; one
// that was cut short changed nothing yet and goes. The writes are not
// synced one by one: a killed process loses none of them, and under the
// write-through setting each is on the disk before the next begins.
constexpr char kPackMagic[8] = {'P', 'A', 'C', 'K', 'D', 'B', 'F', 0x1A};
constexpr int kPackHeadLen = 32;

struct PackHead {
    uint32_t first = 0; // the position of the first record that moves
    uint32_t moved = 0; // records in the side file
    uint16_t headerLen = 0, recLen = 0;
    uint64_t sum = 0;
};

// A cheap sum over the moved records, so that a side file whose records did
// not all reach the disk is not taken for complete.
uint64_t PackSum(uint64_t h, const char* p, size_t n) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        h = ((h << 7 | h >> 57) ^ w) * 0x100000001B3ull;
    }
    for (; i < n; ++i) h = ((h << 7 | h >> 57) ^ static_cast<unsigned char>(p[i])) * 0x100000001B3ull;
    return h;
}

void PackHeadImage(const PackHead& head, unsigned char* out) {
    std::memset(out, 0, kPackHeadLen);
    std::memcpy(out, kPackMagic, 8);
    Put32(out + 8, head.first);
    Put32(out + 12, head.moved);
    Put16(out + 16, head.headerLen);
    Put16(out + 18, head.recLen);
    Put32(out + 20, uint32_t(head.sum));
    Put32(out + 24, uint32_t(head.sum >> 32));
}

std::string PackSideName(const std::string& fullName) {
    std::string side = fullName;
    size_t dot = side.find_last_of("./");
    if (dot != std::string::npos && side[dot] == '.') side.erase(dot);
    return side + ".PCK";
}

// Writes the side file's records over the table from their position on,
// counts them and cuts the file behind them. Done twice, it writes the same.
int PackApply(TableFile* f, EngineFile* side, const PackHead& head, char* buf, size_t size) {
    const int64_t bytes = int64_t(head.moved) * head.recLen;
    const int64_t to = int64_t(head.headerLen) + int64_t(head.first - 1) * head.recLen;
    int rc = 0;
    for (int64_t done = 0; done < bytes && rc == 0; done += int64_t(size)) {
        size_t n = size_t(std::min<int64_t>(int64_t(size), bytes - done));
        if ((rc = fileReadAll(side, kPackHeadLen + done, buf, n)) == 0) rc = fileWrite(&f->data, to + done, buf, n);
    }
    const char eof = 0x1A;
    if (rc == 0) rc = fileWrite(&f->data, to + bytes, &eof, 1);
    unsigned char count[4];
    Put32(count, head.first - 1 + head.moved);
    if (rc == 0) rc = fileWrite(&f->data, 4, count, 4);
    if (rc == 0) rc = fileLenSet(&f->data, to + bytes + 1);
    return rc;
}

// 1 with head filled when the side file is complete and belongs to the
// table's layout, 0 when it is not, or an error.
int PackHeadRead(EngineFile* side, const unsigned char* tableHead, PackHead* head, size_t size) {
    unsigned char h[kPackHeadLen];
    int64_t len = fileLen(side);
    if (len < 0) return int(len);
    if (len < kPackHeadLen) return 0;
    if (int rc = fileReadAll(side, 0, h, kPackHeadLen); rc < 0) return rc;
    if (std::memcmp(h, kPackMagic, 8) != 0) return 0;
    head->first = Get32(h + 8);
    head->moved = Get32(h + 12);
    head->headerLen = Get16(h + 16);
    head->recLen = Get16(h + 18);
    head->sum = Get32(h + 20) | uint64_t(Get32(h + 24)) << 32;
    if (head->first == 0 || head->recLen == 0 || head->headerLen != Get16(tableHead + 8) ||
        head->recLen != Get16(tableHead + 10) || len != kPackHeadLen + int64_t(head->moved) * head->recLen)
        return 0;
    // The sum runs record by record, as the pack made it.
    uint64_t sum = 0;
    size_t per = std::max<size_t>(size / head->recLen, 1) * head->recLen;
    std::vector<char> chunk(std::max(per, size));
    for (int64_t done = 0; done < len - kPackHeadLen; done += int64_t(per)) {
        size_t n = size_t(std::min<int64_t>(int64_t(per), len - kPackHeadLen - done));
        if (int rc = fileReadAll(side, kPackHeadLen + done, chunk.data(), n); rc < 0) return rc;
        for (size_t at = 0; at < n; at += head->recLen) sum = PackSum(sum, chunk.data() + at, head->recLen);
    }
    return sum == head->sum ? 1 : 0;
}

// The pack's side file while the pack runs: one that is left behind by a
// failure before it was complete goes with the object.
struct PackSide {
    PackSide(EngineContext* c, std::string p) : ctx(c), path(std::move(p)) {}
    ~PackSide() {
        if (!file.isOpen) return;
        int saved = ctx->errorCode;
        fileClose(&file);
        if (!complete) RemoveFile(file.name);
        ctx->errorCode = saved;
    }
    int Create() {
        int mode = ctx->accessMode, safety = ctx->safety, temp = ctx->createTemp, report = ctx->errCreate;
        ctx->accessMode = 1;
        ctx->safety = 0;
        ctx->createTemp = 0;
        ctx->errCreate = 1;
        int rc = fileCreate(&file, ctx, path);
        ctx->accessMode = mode, ctx->safety = safety, ctx->createTemp = temp, ctx->errCreate = report;
        return rc;
    }
    // After the records moved: the side file has done its work.
    int Remove() {
        complete = true;
        int rc = fileClose(&file);
        if (rc == 0 && !RemoveFile(file.name)) rc = engineError(ctx, e4remove, L4tablePack, file.name.c_str());
        return rc;
    }
    EngineContext* ctx;
    std::string path;
    EngineFile file;
    bool complete = false;
};

// At open: a pack that died is finished from its complete side file, and a
// side file it left incomplete goes. A pack at work holds the file lock; the
// open waits for it as for any other file lock.
int PackRecover(EngineContext* ctx, TableFile* f) {
    const std::string path = fileResolveName(PackSideName(f->fullName));
    if (!FileExists(path) || f->data.readOnly) return 0;
    const bool shared = f->data.accessMode == 0;
    if (shared) {
        int rc = fileLock(&f->data, kLockFileStart, kLockFileLen);
        if (rc != 0) return rc < 0 ? rc : 0;
    }
    int rc = 0;
    if (FileExists(path)) {
        EngineFile side;
        int savedOpen = ctx->errOpen;
        ctx->errOpen = 1;
        rc = fileOpen(&side, ctx, path);
        ctx->errOpen = savedOpen;
        unsigned char tableHead[12];
        size_t size = size_t(std::max(ctx->packBufferSize, 1024));
        std::vector<char> buf(size);
        PackHead head;
        int complete = 0;
        if (rc == 0) rc = fileReadAll(&f->data, 0, tableHead, sizeof tableHead);
        if (rc == 0) complete = PackHeadRead(&side, tableHead, &head, size);
        if (complete < 0) rc = complete;
        if (rc == 0 && complete == 1) {
            rc = PackApply(f, &side, head, buf.data(), size);
            if (rc == 0)
                engineLogEntry(ctx, e4data, L4tablePack, "Packen nach Abbruch abgeschlossen", f->data.name.c_str());
        } else if (rc == 0) {
            engineLogEntry(ctx, e4data, L4tablePack, "unvollständige Packdatei verworfen", path.c_str());
        }
        int crc = fileClose(&side);
        if (rc == 0) rc = crc;
        if (rc == 0 && !RemoveFile(path)) rc = engineError(ctx, e4remove, L4tableOpen, path.c_str());
    }
    if (shared) {
        int urc = fileUnlock(&f->data, kLockFileStart, kLockFileLen);
        if (rc == 0) rc = urc;
    }
    return rc;
}

int LoadTableFile(EngineContext* ctx, TableFile* f) {
    const std::string& name = f->data.name;
    unsigned char h[32];
    int64_t n = fileRead(&f->data, 0, h, 32);
    if (n < 0) return int(n);
    if (n < 32) return Corrupt(ctx, name);
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
        return Corrupt(ctx, name, "Datendateilänge kürzer als benötigte Headerlänge (Datei fehlerhaft)");
    // Only whole descriptors inside the header count, whatever the list claims.
    size_t nf = 0;
    while ((nf + 1) * 32 <= f->descriptors.size() && f->descriptors[nf * 32] != 0x0D) ++nf;
    f->numFields = int(nf);
    if (nf == 0) return Corrupt(ctx, name);
    std::vector<Field> fields;
    int memoCount = 0;
    int recLen = ParseFields(f, fields, &memoCount);
    if (recLen < 0) return Corrupt(ctx, name, "ungültiger Feldtyp");
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

void BlankRecord(TableHandle* t) {
    std::memset(t->record.data(), ' ', t->file->recLen);
    t->record[t->file->recLen] = 0;
}

void MemoReset(TableHandle* t) {
    for (auto& m : t->memos) {
        m.loaded = false;
        m.changed = false;
        m.len = 0;
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

constexpr size_t kReadAheadBytes = 32768;

void DropReadAhead(TableFile* f) { f->readAhead.count = 0; }

// Reads an unlocked record. Where no one else can write the file (opened
// exclusively, or with others allowed to read only) a sequential scan reads
// many records in one transfer; in shared use another user may change any
// record we have not locked, so every read goes to the file.
int64_t ReadUnlocked(TableFile* f, long n, char* out) {
    int64_t pos = int64_t(f->headerLen) + int64_t(n - 1) * f->recLen;
    if (f->accessMode == 0) return fileRead(&f->data, pos, out, f->recLen);
    auto& ra = f->readAhead;
    if (ra.count > 0 && n >= ra.first && n < ra.first + ra.count) {
        std::memcpy(out, ra.data.data() + size_t(n - ra.first) * f->recLen, f->recLen);
        ra.lastRead = n;
        return f->recLen;
    }
    long want = std::min<long>(long(kReadAheadBytes / f->recLen), std::max(f->numRecs - n + 1, 1L));
    bool sequential = n == ra.lastRead + 1 && want > 1;
    ra.lastRead = n;
    if (!sequential) return fileRead(&f->data, pos, out, f->recLen);
    ra.data.resize(size_t(want) * f->recLen);
    int64_t got = fileRead(&f->data, pos, ra.data.data(), ra.data.size());
    if (got < f->recLen) {
        ra.count = 0;
        return got < 0 ? got : fileRead(&f->data, pos, out, f->recLen);
    }
    ra.first = n;
    ra.count = long(got / f->recLen);
    std::memcpy(out, ra.data.data(), f->recLen);
    return f->recLen;
}

int WriteRecordAt(TableHandle* t, long recNo, bool withEof) {
    TableFile* f = t->file;
    DropReadAhead(f);
    int64_t pos = int64_t(f->headerLen) + int64_t(recNo - 1) * f->recLen;
    // Only an append writes the end-of-file byte: behind any other record it
    // would overwrite the next record's deletion flag.
    t->record[f->recLen] = withEof ? 0x1A : 0;
    int rc = fileWrite(&f->data, pos, t->record.data(), size_t(f->recLen) + (withEof ? 1 : 0));
    t->record[f->recLen] = 0;
    return rc;
}

// A failed append takes back what it wrote: the count, and whatever part of
// the record reached the file, which an open would otherwise take into the count.
void UnwriteAppend(TableHandle* t, long newRec) {
    EngineContext* ctx = t->ctx;
    TableFile* f = t->file;
    int saved = ctx->errorCode;
    ctx->errorCode = 0;
    int64_t end = int64_t(f->headerLen) + int64_t(newRec - 1) * f->recLen;
    bool counted = f->numRecs >= newRec;
    f->numRecs = newRec - 1;
    if (counted && f->accessMode != 1) tableWriteHeader(f);
    if (fileLenSet(&f->data, end) == 0) {
        const char eof = 0x1A;
        fileWrite(&f->data, end, &eof, 1);
    }
    DropReadAhead(f);
    ctx->errorCode = saved;
}

long KnownCount(TableHandle* t) {
    TableFile* f = t->file;
    if (f->numRecs < 0) tableReadCount(f);
    return std::max(f->numRecs, 0L);
}

bool CountIsOurs(TableHandle* t) {
    TableFile* f = t->file;
    return f->accessMode != 0 || f->data.readOnly || f->appendLockOwner == t->serial ||
           f->fileLockOwner == t->serial;
}

int GoOutOfRange(TableHandle* t, long n) {
    BlankRecord(t);
    t->recNo = -1;
    if (t->ctx->errGo) {
        std::string num = std::to_string(n);
        return engineError(t->ctx, e4read, L4tableGo, t->alias.c_str(), num.c_str());
    }
    return r4entry;
}

int GoNoRange(TableHandle* t, long n) {
    int saved = t->ctx->errGo;
    t->ctx->errGo = 0;
    int rc = tableGo(t, n);
    t->ctx->errGo = saved;
    return rc;
}

int CheckTable(TableHandle* t) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableGo);
    if (engineInError(t->ctx)) return e4codeBase;
    return 0;
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

int tableReadCount(TableFile* f) {
    unsigned char b[4];
    int rc = fileReadAll(&f->data, 4, b, 4);
    if (rc < 0) return rc;
    int32_t count = int32_t(Get32(b));
    if (count < 0) return engineError(f->ctx, e4data, L4tableGo, "Datenbank korrupt", f->data.name.c_str());
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
    IndexFile* index = indexCreate(t, nullptr, tags);
    int rc = index ? 0 : (engineInError(ctx) ? ctx->errorCode : e4create);
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
    if (t && (t->file->headerFlags & 1) && ctx->autoOpen && !indexOpen(t, nullptr)) {
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
        if (ctx->singleOpen) {
            engineError(ctx, e4instance, L4tableOpen, full.c_str());
            return nullptr;
        }
        int mode = ctx->accessMode;
        const char* refusal = nullptr;
        if (mode == 1 && f->accessMode != 1) refusal = "nicht unterstützter Versuch ein weiteres Dateihandle für eine offene Datei mit restriktiveren Zugriffsrechten zu erhalten";
        else if (mode == 2 && f->accessMode == 0) refusal = "nicht unterstützter Versuch ein weiteres Dateihandle für eine offene Datei mit restriktiveren Zugriffsrechten zu erhalten";
        else if (mode < 0 || mode > 2) refusal = "ungültiger Modus";
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

TableHandle* tableCreate(EngineContext* ctx, const std::string& name, const FieldInfo* fields, const TagInfo* tags) {
    if (!ctx || !fields) {
        engineError(ctx, e4parmNull, L4tableCreate);
        return nullptr;
    }
    if (engineInError(ctx)) return nullptr;
    // Only an unnamed table goes without its index; a named one is made whole
    // first, then marked to go when it is closed.
    if (name.empty() || !ctx->createTemp) return CreateTable(ctx, name, fields, tags);
    ctx->createTemp = 0;
    TableHandle* t = CreateTable(ctx, name, fields, tags);
    ctx->createTemp = 1;
    if (t) {
        t->file->data.isTemp = true;
        t->file->memo.file.isTemp = t->file->hasMemoFile;
        for (IndexFile* i : t->indexes) i->state->file.isTemp = true;
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
            engineError(ctx, e4create, L4tableCreate, "Versuchtes Erzeugen einer Datei die von anderem Client geöffnet ist", full.c_str());
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
            engineError(ctx, e4data, L4tableCreate, "ungültiger Feldinhalt", fi->name);
            return nullptr;
        }
        if ((type != 'C' && len > 255) || len == 0) {
            engineError(ctx, e4data, L4tableCreate, "ungültiger Feldinhalt", fi->name);
            return nullptr;
        }
        recLen += len;
        desc.insert(desc.end(), d, d + 32);
    }
    if (count == 0) {
        engineError(ctx, e4data, L4tableCreate, "ungültiger Feldinhalt", full.c_str());
        return nullptr;
    }
    if (recLen > 65534) {
        engineError(ctx, e4recordLen, L4tableCreate, name.empty() ? "create() für unbenannte Temporärdatei gescheitert" : full.c_str());
        return nullptr;
    }
    if (32L * count > 65500) {
        if (name.empty()) engineError(ctx, e4recordLen, L4tableCreate, "zu viele Felder für unbenannte Temporärdatei");
        else engineError(ctx, e4create, L4tableCreate, "zu viele Felder", full.c_str());
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
    if (temp) {
        if (LoadTableFile(ctx, f.get()) != 0) {
            CloseTableFile(f.get());
            return nullptr;
        }
        TableFile* tf = f.release();
        ctx->dataFiles.push_back(tf);
        return MakeHandle(ctx, tf);
    }
    CloseTableFile(f.get());
    bool withTags = tags && tags[0].name;
    if (withTags && CreateProductionIndex(ctx, full, tags) != 0) return nullptr;
    int savedAuto = ctx->autoOpen;
    ctx->autoOpen = withTags ? 1 : 0;
    TableHandle* t = tableOpen(ctx, full);
    ctx->autoOpen = savedAuto;
    for (const TagInfo* ti = tags; t && withTags && ti->name; ++ti) {
        TagHandle* th = tableTag(t, ti->name);
        if (!th) {
            engineError(ctx, e4name, L4tableCreate, "Subindex nicht gefunden", t->alias.c_str(), ti->name);
            tableClose(t);
            return nullptr;
        }
        th->uniqueCode = ti->unique;
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
        ctx->lockAttempts = savedAttempts;
        if (savedError < 0) ctx->errorCode = savedError;
        return result;
    }
    int rc = tableIndexClose(t);
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

char* tableRecord(TableHandle* t) { return t ? t->record.data() : nullptr; }
long tableRecNo(TableHandle* t) { return t ? t->recNo : -1; }

long tableRecCount(TableHandle* t) {
    if (CheckTable(t) < 0) return -1;
    TableFile* f = t->file;
    if (f->numRecs < 0 && tableReadCount(f) < 0) return -1;
    t->seenCount = f->numRecs;
    return f->numRecs;
}

int tableNumFields(TableHandle* t) { return t ? int(t->fields.size()) : -1; }
const char* tableAlias(TableHandle* t) { return t ? t->alias.c_str() : ""; }
int tableBof(TableHandle* t) { return t && t->bof ? 1 : 0; }
int tableEof(TableHandle* t) { return t && t->eof ? 1 : 0; }
int tableDeleted(TableHandle* t) { return t && t->record[0] != ' ' ? 1 : 0; }

int tableLockEnforce(TableHandle* t, int location) {
    if (t->ctx->lockEnforce && t->recNo > 0 && !tableLockTest(t, t->recNo))
        return engineError(t->ctx, e4lock, location, t->alias.c_str());
    return 0;
}

int tableChanged(TableHandle* t, int flag) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableChanged);
    int old = t->recordChanged ? 1 : 0;
    if (flag > 0) {
        if (engineInError(t->ctx)) return e4codeBase;
        int rc = tableLockEnforce(t, L4tableChanged);
        if (rc < 0) return rc;
        t->recordChanged = true;
    } else if (flag == 0) {
        t->recordChanged = false;
    }
    return old;
}

int tableDelete(TableHandle* t) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if ((rc = tableLockEnforce(t, L4tableDelete)) < 0) return rc;
    t->record[0] = '*';
    t->recordChanged = true;
    return 0;
}

int tableBlank(TableHandle* t) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if ((rc = tableLockEnforce(t, L4tableBlank)) < 0) return rc;
    BlankRecord(t);
    t->recordChanged = true;
    return 0;
}

int tableGo(TableHandle* t, long n) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    TableFile* f = t->file;
    long count = KnownCount(t);
    // Another process may have appended since the count was read.
    if (n > count && !CountIsOurs(t) && tableReadCount(f) == 0) count = f->numRecs;
    if (n < 1 || n > count) return GoOutOfRange(t, n);
    bool locked = tableLockTest(t, n) == 1;
    if (!locked) {
        if ((rc = tableUnlockAuto(t)) != 0) return rc;
        if (t->ctx->readLock) {
            rc = tableLock(t, n);
            if (rc != 0) return rc;
            locked = true;
        }
    }
    int64_t got = 0;
    if (locked && f->accessMode == 0 && !f->data.readOnly) {
        // A record we locked is read from the file itself.
        int64_t pos = int64_t(f->headerLen) + int64_t(n - 1) * f->recLen;
        got = fileRead(&f->data, pos, t->record.data(), f->recLen);
    } else {
        got = ReadUnlocked(f, n, t->record.data());
    }
    if (got < 0) return int(got);
    if (got < f->recLen) return GoOutOfRange(t, n);
    t->record[f->recLen] = 0;
    t->recNo = n;
    t->bof = t->eof = false;
    t->recordChanged = false;
    MemoReset(t);
    if (locked) std::memcpy(t->oldRecord.data(), t->record.data(), t->record.size());
    return 0;
}

int tableGoEof(TableHandle* t) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    long count = KnownCount(t);
    t->recNo = count + 1;
    t->eof = true;
    t->bof = count == 0;
    BlankRecord(t);
    MemoReset(t);
    return r4eof;
}

int tableTop(TableHandle* t) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    if (t->selectedTag) return tableTagTop(t, false);
    if (!CountIsOurs(t)) tableReadCount(t->file);
    if (KnownCount(t) == 0) {
        tableGoEof(t);
        t->bof = true;
        return r4eof;
    }
    return GoNoRange(t, 1);
}

int tableBottom(TableHandle* t) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    if (t->selectedTag) return tableTagTop(t, true);
    if (!CountIsOurs(t)) tableReadCount(t->file);
    long count = KnownCount(t);
    if (count == 0) {
        tableGoEof(t);
        t->bof = true;
        return r4eof;
    }
    return GoNoRange(t, count);
}

int tableGoBof(TableHandle* t) {
    int rc = tableTop(t);
    if (rc < 0) return rc;
    t->bof = true;
    return r4bof;
}

int tableSkip(TableHandle* t, long n) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if (t->recNo <= 0) {
        if (t->ctx->errSkip)
            return engineError(t->ctx, e4info, L4tableSkip, "skip() muß von gültiger Satznummer erfolgen");
        return e4info;
    }
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    if (t->selectedTag) return tableTagSkip(t, n);
    long count = KnownCount(t);
    // Another process may have appended: the count is read again only when
    // the target lies beyond the one known.
    if ((count == 0 || t->recNo + n > count) && !CountIsOurs(t) && tableReadCount(t->file) == 0)
        count = t->file->numRecs;
    if (count == 0) {
        tableGoEof(t);
        if (n < 0) {
            t->bof = true;
            return r4bof;
        }
        return r4eof;
    }
    long target = t->recNo + n;
    if (target > count) return tableGoEof(t);
    if (target <= 0) {
        rc = GoNoRange(t, 1);
        if (rc != 0) return rc;
        t->bof = true;
        return r4bof;
    }
    rc = GoNoRange(t, target);
    if (rc != r4entry) return rc;
    return tableGoEof(t);
}

int tableAppendStart(TableHandle* t, bool useMemoEntries) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    bool copyMemos = useMemoEntries && !t->memos.empty() && t->recNo > 0 && !t->eof && !t->bof;
    if (copyMemos) {
        bool hadLock = tableLockTest(t, t->recNo) == 1;
        if (!hadLock && (rc = tableLock(t, t->recNo)) != 0) return rc;
        for (auto& m : t->memos) {
            if ((rc = fieldMemoLoad(m.field)) < 0) return rc;
            // The contents go into the new record as new memos.
            m.changed = true;
        }
        if (!hadLock && t->file->fileLockOwner != t->serial && t->ctx->unlockAuto) tableUnlockRecord(t, t->recNo);
    } else {
        for (auto& m : t->memos) {
            m.len = 0;
            m.loaded = true;
            m.changed = false;
            if (m.contents.empty()) m.contents.resize(1);
            m.contents[0] = 0;
        }
    }
    for (auto& m : t->memos) std::memset(t->record.data() + m.field->offset, ' ', m.field->len);
    t->recNo = 0;
    return 0;
}

int tableAppend(TableHandle* t) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    EngineContext* ctx = t->ctx;
    TableFile* f = t->file;
    if (f->data.readOnly)
        return engineError(ctx, e4write, L4tableAppend, "Schreibversuch in NurLese-Datei", t->alias.c_str());
    bool tookAppend = false;
    long newRec = 0;
    bool lockedRecord = false;
    if (f->fileLockOwner != t->serial && f->accessMode == 0) {
        if (f->appendLockOwner != t->serial) {
            if ((rc = tableUnlockAuto(t)) != 0) return rc;
            rc = tableLockAppend(t);
            if (rc != 0) return rc;
            tookAppend = true;
        }
        if (!f->countChecked && (rc = AdoptStranded(f)) < 0) {
            if (tookAppend) tableUnlockAppend(t);
            return rc;
        }
        newRec = f->numRecs + 1;
        if (tableLockTest(t, newRec) != 1) {
            int savedAuto = ctx->unlockAuto;
            ctx->unlockAuto = 0;
            rc = tableLock(t, newRec);
            ctx->unlockAuto = savedAuto;
            if (rc != 0) {
                if (tookAppend) tableUnlockAppend(t);
                return rc;
            }
            lockedRecord = true;
        }
    } else {
        if (f->accessMode == 0 && !f->countChecked && (rc = AdoptStranded(f)) < 0) return rc;
        newRec = KnownCount(t) + 1;
    }
    if (ctx->tranLog) rc = ctx->tranLog->AppendStarting(t, newRec);
    bool memoHeld = false;
    if (rc == 0) rc = tableMemoHold(t, true, &memoHeld);
    // A refused key (20) stops the append like an error, but is returned as it is.
    int keyStatus = rc == 0 ? tableAppendKeys(t, newRec) : 0;
    if (keyStatus != 0) rc = keyStatus < 0 ? keyStatus : e4append;
    bool keysAdded = rc == 0 && !t->indexes.empty();
    // Memo fields with contents get their new blocks; the others are blanked.
    for (auto& m : t->memos) {
        if (rc < 0) break;
        char* p = t->record.data() + m.field->offset;
        if (m.len > 0) {
            // Memo fields in a header that names no memo file.
            if (!f->hasMemoFile) {
                rc = engineError(ctx, e4memoCorrupt, L4memoFileWrite, t->alias.c_str());
                break;
            }
            long block = 0;
            rc = memoFileWrite(&f->memo, &block, m.contents.data(), m.len);
            if (rc < 0) break;
            EngineLongToAscii(block, p, m.field->len);
        } else {
            std::memset(p, ' ', m.field->len);
        }
        m.changed = false;
    }
    bool wrote = rc == 0;
    if (rc == 0) rc = WriteRecordAt(t, newRec, true);
    if (rc == 0) {
        f->numRecs = newRec;
        if (f->accessMode != 1) rc = tableWriteHeader(f);
        else f->appendedSinceHeader = true;
    }
    if (rc < 0 && keysAdded) tableAppendKeysUndo(t, newRec);
    int drc = tableKeysDone(t);
    if (rc == 0 && drc < 0) {
        // The keys did not reach the file (its mark has the index rebuilt):
        // the record goes too, so that a retry cannot store it twice.
        rc = drc;
        if (!engineInError(ctx)) ctx->errorCode = drc;
        if (keysAdded) tableAppendKeysUndo(t, newRec);
    }
    if (rc < 0 && wrote) UnwriteAppend(t, newRec);
    tableMemoHoldEnd(t, memoHeld);
    if (ctx->tranLog) rc = ctx->tranLog->AppendDone(t, rc);
    // A transaction keeps every lock until it ends: a rollback must find the
    // appended record still the last one.
    if (ctx->tranState == 120) tookAppend = lockedRecord = false;
    if (rc < 0 && lockedRecord) {
        int savedAuto = ctx->unlockAuto;
        ctx->unlockAuto = 1;
        tableUnlockRecord(t, newRec);
        ctx->unlockAuto = savedAuto;
    }
    if (tookAppend) {
        int savedAuto = ctx->unlockAuto;
        ctx->unlockAuto = 1;
        int urc = tableUnlockAppend(t);
        ctx->unlockAuto = savedAuto;
        // The count stays known: we wrote it ourselves.
        if (rc == 0) f->numRecs = newRec;
        if (rc == 0 && urc < 0) rc = urc;
    }
    if (rc < 0) {
        t->recNo = 0;
        return keyStatus > 0 ? keyStatus : rc;
    }
    t->recNo = newRec;
    t->seenCount = newRec;
    t->bof = t->eof = false;
    t->recordChanged = false;
    std::memcpy(t->oldRecord.data(), t->record.data(), t->record.size());
    return 0;
}

int tableAppendBlank(TableHandle* t) {
    int rc = tableAppendStart(t, false);
    if (rc < 0) return rc;
    if ((rc = tableBlank(t)) < 0) return rc;
    return tableAppend(t);
}

int tableUpdateRecord(TableHandle* t, bool unlock) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    TableFile* f = t->file;
    if (t->recNo > 0 && t->recordChanged) {
        if (f->data.readOnly)
            return engineError(t->ctx, e4write, L4tableUpdateRecord, "Schreibversuch in NurLese-Datei", t->alias.c_str());
        // The log may have to lock the record first: 50 leaves it unwritten.
        if (t->ctx->tranLog && (rc = t->ctx->tranLog->RecordWriting(t)) != 0) return rc;
        bool memoHeld = false;
        if ((rc = tableMemoHold(t, false, &memoHeld)) != 0) return rc;
        if ((rc = tableWriteKeys(t, t->recNo)) != 0) {
            tableMemoHoldEnd(t, memoHeld);
            return rc;
        }
        std::vector<MemoRun> freeLater;
        if ((rc = tableMemoWrite(t, &freeLater)) >= 0) rc = WriteRecordAt(t, t->recNo, false);
        if (rc < 0) tableUnwriteKeys(t, t->recNo);
        int drc = tableKeysDone(t);
        if (rc == 0) rc = drc;
        if (rc == 0) rc = memoFileRelease(&f->memo, freeLater);
        tableMemoHoldEnd(t, memoHeld);
        if (rc < 0) return rc;
        t->recordChanged = false;
        std::memcpy(t->oldRecord.data(), t->record.data(), t->record.size());
    }
    if (unlock && t->recNo > 0 && t->ctx->unlockAuto) tableUnlockRecord(t, t->recNo);
    return 0;
}

int tableUpdate(TableHandle* t) {
    int rc = tableUpdateRecord(t, false);
    if (rc != 0) return rc;
    TableFile* f = t->file;
    if (f->appendedSinceHeader && (f->appendLockOwner == t->serial || f->accessMode != 0)) rc = tableWriteHeader(f);
    return rc;
}

int tableFlushData(TableHandle* t) {
    int rc = tableUpdate(t);
    if (rc != 0) return rc;
    if ((rc = fileFlush(&t->file->data)) < 0) return rc;
    if (t->file->hasMemoFile) rc = fileFlush(&t->file->memo.file);
    return rc;
}

int tableFlush(TableHandle* t) {
    int rc = tableFlushData(t);
    if (rc != 0) return rc;
    return tableIndexFlush(t);
}

int tablePack(TableHandle* t) {
    int rc = CheckTable(t);
    if (rc < 0) return rc;
    EngineContext* ctx = t->ctx;
    TableFile* f = t->file;
    if (f->data.readOnly)
        return engineError(ctx, e4write, L4tablePack, "Schreibversuch in NurLese-Datei", t->alias.c_str());
    if ((rc = tableLockAll(t)) != 0) return rc;
    if (ctx->tranState == 120)
        return engineError(ctx, e4trans, L4tablePack, "tablePack wegen Transaktionskonflikt nicht möglich");
    if ((rc = tableUpdate(t)) != 0) return rc;
    if (ctx->tranLog && (rc = ctx->tranLog->PackStarting(t)) < 0) return rc;
    if ((rc = tableReadCount(f)) < 0) return rc;
    DropReadAhead(f);
    // Both buffers shrink until memory can be had, as long as a record fits.
    size_t size = size_t(std::max(ctx->packBufferSize, 0));
    std::vector<char> rbuf, wbuf, rec;
    for (;;) {
        try {
            rbuf.resize(size);
            wbuf.resize(size);
            rec.resize(f->recLen);
            break;
        } catch (const std::bad_alloc&) {
            rbuf = {};
            wbuf = {};
            if (size <= size_t(f->recLen) + 2048) return engineError(ctx, e4memory, L4tablePack);
            size -= 2048;
        }
    }
    // The tags are marked as being changed before a record moves: a pack
    // cut short leaves them for the next open to rebuild.
    for (IndexFile* index : t->indexes)
        if (!index->state->damaged && (rc = IndexMarkChanging(index->state)) < 0) return rc;
    PackSide side(ctx, PackSideName(f->fullName));
    FileSeqRead r;
    FileSeqWrite w;
    fileSeqReadInit(&r, &f->data, f->headerLen, rbuf.data(), size);
    PackHead head;
    head.headerLen = f->headerLen;
    head.recLen = f->recLen;
    long kept = 0;
    for (long i = 0; i < f->numRecs; ++i) {
        if ((rc = fileSeqReadAll(&r, rec.data(), rec.size())) < 0) return rc;
        if (rec[0] != ' ') {
            // The records before the first deleted one stay where they are.
            if (head.first == 0) {
                head.first = uint32_t(kept + 1);
                if ((rc = side.Create()) < 0) return rc;
                fileSeqWriteInit(&w, &side.file, kPackHeadLen, wbuf.data(), size);
            }
            continue;
        }
        ++kept;
        if (head.first == 0) continue;
        head.sum = PackSum(head.sum, rec.data(), rec.size());
        ++head.moved;
        if ((rc = fileSeqWrite(&w, rec.data(), rec.size())) < 0) return rc;
    }
    if (head.first != 0) {
        unsigned char image[kPackHeadLen];
        PackHeadImage(head, image);
        if ((rc = fileSeqWriteFlush(&w)) < 0) return rc;
        if ((rc = fileWrite(&side.file, 0, image, kPackHeadLen)) < 0) return rc;
        side.complete = true;
        // From here on the pack is finished, by us or by the next open.
        if ((rc = PackApply(f, &side.file, head, rbuf.data(), size)) < 0) return rc;
        if ((rc = side.Remove()) < 0) return rc;
    } else {
        // Nothing moves; only what lies behind the last record goes.
        const char eof = 0x1A;
        int64_t end = int64_t(kept) * f->recLen + f->headerLen;
        if ((rc = fileWrite(&f->data, end, &eof, 1)) < 0) return rc;
        if ((rc = fileLenSet(&f->data, end + 1)) < 0) return rc;
    }
    f->numRecs = kept;
    t->recNo = -1;
    BlankRecord(t);
    MemoReset(t);
    t->recordChanged = false;
    t->bof = t->eof = kept == 0;
    if ((rc = tableReindex(t)) < 0) return rc;
    return tableWriteHeader(f);
}

} // namespace vx
