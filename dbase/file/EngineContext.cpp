#include "dbase/file/EngineContext.h"

#include "dbase/file/EngineFile.h"
#include "platform/CodePage.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>
#include <thread>

namespace vx {
namespace {

// Block 9: the operations, entry n+1 for location 9nnnn.
const char* const kOperations[] = {
    "engineInit",       "engineInitUndo",   "engineCloseAll",     "fileOpen",
    "fileCreate",       "fileClose",        "fileRead",           "fileReadAll",
    "fileWrite",        "fileLen",          "fileLenSet",         "fileFlush",
    "fileLock",         "fileUnlock",       "fileTempLow",        "fileReadError",
    "fileSeqWrite",     "tableOpen",        "tableCreate",        "tableClose",
    "tableGo",          "tableSkip",        "tableAppend",        "tableAppendStart",
    "tablePack",        "tableUpdateRecord", "tableLock",         "tableLockAppend",
    "tableLockFile",    "tableUnlock",      "tableDelete",        "tableBlank",
    "tableChanged",     "tableField",       "tableFieldJ",        "fieldPtr",
    "fieldAssign",      "fieldAssignLong",  "fieldAssignDouble",  "fieldAssignField",
    "fieldLong",        "fieldDouble",      "fieldMemo",          "fieldMemoSetLen",
    "memoFileCreate",   "memoFileOpen",     "memoFileRead",       "memoFileWrite",
    "memoFileChainSkip", "memAlloc",        "utilAlloc",          "utilEnviron",
    "utilNcpy",         "engineLogOpen",    "engineLogClose",     "engineTranStart",
    "engineTranCommit", "engineTranRollback", "sortInit",         "sortPut",
    "sortGetInit",      "sortGet",          "relateInit",       "relateQuerySet",
    "relateSortSet",    "relateTop",        "relateBottom",     "relateSkip",
    "indexOpen",        "indexCreate",      "indexClose",       "indexReindex",
    "IndexLock",        "tagAdd",           "tagUnique",        "TagDown",
    "BlockInsert",      "BlockSplit",       "exprParse",        "exprKey",
    "exprTrue",         "engineLockClear",  "fileOptimize",     "fileOptimizeWrite",
};
static_assert(std::size(kOperations) == L4fileOptimizeWrite - L4engineInit + 1, "one name per operation");
// Block 6: the wrapper methods.
const char* const kWrappers[] = {
    "StrView::assign", "StrView::str", "StrTen::setLen", "FieldInfoList::AddFieldEntry",
    "TagRef::init",
};

EngineHooks g_hooks;
bool g_hooksSet = false;

void DefaultPump(int hundredths) {
    if (hundredths > 0) std::this_thread::sleep_for(std::chrono::milliseconds(hundredths * 10));
}

void DefaultBoxFailedExit(const char* text) {
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
    std::_Exit(3);
}

void DefaultFatalExit(int) {
    ShowMessage(EngineText(IDS_ABBRUCH_DER_ANWENDUNG), MB_OK | MB_ICONSTOP, EngineText(IDS_DATENBANK_FEHLER));
    std::exit(3);
}

// One line of the box: label, the number right-aligned over the label's last
// blank, padded with blanks to 31 characters.
std::string NumberedLine(const char* label, int width, int number) {
    std::string line = label;
    line.pop_back();
    line += Format("%*d", width, number);
    if (line.size() < 31) line.append(31 - line.size(), ' ');
    return line;
}

void WriteLog(EngineContext* ctx, int code, int location, const char* const* desc) {
    EngineFile* log = ctx->errorLog;
    if (!log) return;
    // Detached while writing, so that a failure to write it is not logged again.
    ctx->errorLog = nullptr;
    int shown = 0;
    const char* locName = engineLocationName(location, &shown);
    std::string entry = Format("%10d", code) + engineErrorText(code) + "\r\n";
    entry += Format("%10d", shown) + locName + "\r\n";
    for (int i = 0; i < 3; ++i)
        if (desc[i]) entry += std::string(desc[i]) + "\r\n";
    entry += "\r\n\r\n";
    entry = Cp1252ToCp437(entry);
    int64_t len = fileLen(log);
    if (len >= 0) fileWrite(log, len, entry.data(), entry.size());
    ctx->errorLog = log;
}

// Changed records are written before the program ends, so that a fatal error
// elsewhere does not lose the user's last edit.
void FlushBeforeExit(EngineContext* ctx) {
    // A fatal error while flushing must not start the flush again.
    static bool flushing = false;
    if (flushing || !ctx->writeChangedRecords) return;
    flushing = true;
    int saved = ctx->errorCode;
    int savedOff = ctx->errOff;
    ctx->errorCode = 0;
    ctx->errOff = 1;
    ctx->writeChangedRecords(ctx);
    ctx->errorCode = saved;
    ctx->errOff = savedOff;
    flushing = false;
}

} // namespace

EngineHooks& engineHooks() {
    if (!g_hooksSet) engineHooksReset();
    return g_hooks;
}

void engineHooksReset() {
    g_hooks.pump = DefaultPump;
    g_hooks.fatalExit = DefaultFatalExit;
    g_hooks.boxFailedExit = DefaultBoxFailedExit;
    g_hooksSet = true;
}

void enginePump(int hundredths) {
    // Should anything the hook runs (a repaint) wait for a lock again, that
    // wait only sleeps: the hook is never entered twice.
    static bool waiting = false;
    auto& h = engineHooks();
    if (waiting || !h.pump) {
        DefaultPump(hundredths);
        return;
    }
    waiting = true;
    h.pump(hundredths);
    waiting = false;
}

const char* engineErrorText(int code) {
    // Only negative codes have a text; the range keeps them clear of the details.
    const char* text = code < 0 && code > -int(kEngineErrorTextBase) ? EngineText(kEngineErrorTextBase - code) : "";
    return *text ? text : EngineText(IDS_FEHLERNUMMER_UNBEKANNT);
}

const char* engineLocationName(int location, int* shownNumber) {
    if (shownNumber) *shownNumber = 0;
    if (location < 10000) return EngineText(IDS_FEHLERNUMMER_UNBEKANNT);
    int block = location / 10000;
    int n = location % 10000;
    const char* const* table = nullptr;
    int size = 0;
    if (block == 9) {
        table = kOperations;
        size = int(std::size(kOperations));
    } else if (block == 6) {
        table = kWrappers;
        size = int(std::size(kWrappers));
    }
    // Entry n+1 of the block; the numbering starts at 1 in the enum.
    if (!table || n < 1 || n > size) return EngineText(IDS_FEHLERNUMMER_UNBEKANNT);
    if (shownNumber) *shownNumber = location;
    return table[n - 1];
}

bool engineErrorIsFatal(int code) {
    return code == -910 || code == -920 || code == -930 || code == -935 || code == -950 ||
           code == -970;
}

std::string engineErrorBoxText(int code, int location, const char* d1, const char* d2,
                               const char* d3) {
    int shown = 0;
    const char* locName = engineLocationName(location, &shown);
    std::string text = NumberedLine(EngineText(IDS_BOX_FEHLER_NR), 5, code) + "\r\n";
    text += NumberedLine(EngineText(IDS_BOX_FUNKTION_NR), 6, shown) + " \r\n";
    text += std::string(engineErrorText(code)) + "\r\n";
    text += locName;
    const char* desc[3] = {d1, d2, d3};
    for (const char* d : desc) {
        if (!d) break;
        if (text.size() + 2 + std::strlen(d) > 255) break;
        text += "\r\n";
        text += d;
    }
    return text;
}

void engineLogEntry(EngineContext* ctx, int code, int location, const char* d1, const char* d2, const char* d3) {
    const char* desc[3] = {d1, d2, d3};
    if (ctx) WriteLog(ctx, code, location, desc);
}

int engineError(EngineContext* ctx, int code, int location, const char* d1, const char* d2,
                const char* d3) {
    const char* desc[3] = {d1, d2, d3};
    if (ctx) WriteLog(ctx, code, location, desc);
    if (!ctx || !ctx->errOff) {
        unsigned flags = MB_OK | MB_ICONSTOP;
        if (code == e4memory) flags |= 0x1000; // system-modal
        // A box that cannot be shown (no memory left even for its text)
        // answers 0, and then nothing more can be done.
        int answer = 0;
        try {
            std::string text = engineErrorBoxText(code, location, d1, d2, d3);
            // The stored texts are already in the program's code page.
            answer = ShowMessage(text, flags, EngineText(IDS_DATENBANK_FEHLER));
        } catch (const std::bad_alloc&) {
            answer = 0;
        }
        if (answer == 0) engineHooks().boxFailedExit(EngineText(IDS_SPEICHERVERWALTUNG_FEHLER));
    }
    if (ctx) {
        ctx->errorCode = code;
        ctx->errorLocation = location;
    }
    if (!ctx || engineErrorIsFatal(code)) {
        if (ctx) FlushBeforeExit(ctx);
        engineHooks().fatalExit(code);
    }
    return code;
}

int engineOptSuspend(EngineContext* ctx) {
    if (!ctx || !ctx->optActive) return 0;
    ctx->optActive = 0;
    ctx->hadOpt = 1;
    if (ctx->errorCode < 0) ctx->errorCode = 0;
    return 1;
}

int engineOptRestart(EngineContext* ctx) {
    if (!ctx) return e4parmNull;
    if (!ctx->hadOpt) return 0;
    ctx->hadOpt = 0;
    ctx->optActive = 1;
    return 0;
}

void* utilAllocErDefault(EngineContext* ctx, size_t size) {
    if (size == 0) {
        engineError(ctx, e4parm, L4utilAlloc, EngineText(IDS_PARAMETER_FEHLEN));
        return nullptr;
    }
    void* p = std::calloc(1, size);
    if (!p) engineError(ctx, e4memory, L4utilAlloc);
    return p;
}

void* EngineAllocRetry(EngineContext*, size_t size) { return size ? std::calloc(1, size) : nullptr; }

int utilAllocAgainDefault(EngineContext* ctx, void** buffer, size_t* currentLen, size_t wantedLen) {
    if (!buffer || !currentLen) return engineError(ctx, e4parmNull, L4utilAlloc);
    if (wantedLen <= *currentLen) return 0;
    void* p = std::realloc(*buffer, wantedLen);
    if (!p) return engineError(ctx, e4memory, L4utilAlloc);
    std::memset(static_cast<char*>(p) + *currentLen, 0, wantedLen - *currentLen);
    *buffer = p;
    *currentLen = wantedLen;
    return 0;
}

void utilFreeDefault(void* block) { std::free(block); }

const char* utilEnviron(EngineContext* ctx, const char* name, bool required) {
    const char* v = name ? std::getenv(name) : nullptr;
    if (!v && required)
        engineError(ctx, e4info, L4utilEnviron, EngineText(IDS_UMGEBUNGSVARIABLE_FALSCH), name);
    return v;
}

int utilNcpy(EngineContext* ctx, char* target, const char* source, size_t size) {
    if (size == 0) return engineError(ctx, e4parm, L4utilNcpy);
    size_t n = 0;
    if (source)
        while (n + 1 < size && source[n]) {
            target[n] = source[n];
            ++n;
        }
    target[n] = 0;
    return int(n);
}

const char* engineDateFormat(EngineContext* ctx) { return ctx ? ctx->dateFormat.c_str() : ""; }

int engineDateFormatSet(EngineContext* ctx, const char* picture) {
    if (!ctx || !picture) return engineError(ctx, e4parmNull, L4engineInit);
    if (ctx->dateFormat.set(picture) != 0) return engineError(ctx, e4parm, L4engineInit, picture);
    return 0;
}

void engineHeaderDate(unsigned char out[3]) {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    out[0] = static_cast<unsigned char>(tm.tm_year);
    out[1] = static_cast<unsigned char>(tm.tm_mon + 1);
    out[2] = static_cast<unsigned char>(tm.tm_mday);
}

} // namespace vx
