// The engine context: settings, error state, open tables and the hooks
// through which the engine reaches the rest of the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbase/util/Date.h"
#include "dbase/util/EngineText.h"

namespace vx {

struct EngineFile;
struct TableFile;
struct TableHandle;
class TransactionLog;
class TransactionState;
struct TableIndex;

constexpr int kEngineVersion = 6100;

// Status values (errors are negative).
enum : int {
    r4success = 0,
    r4after = 2,
    r4eof = 3,
    r4bof = 4,
    r4entry = 5,
    r4unique = 20,
    r4uniqueContinue = 25,
    r4locked = 50,
    r4noCreate = 60,
    r4noOpen = 70,
    r4noTag = 80,
    r4terminate = 90,
    r4logOpen = 170,
};

// Error codes used by this layer.
enum : int {
    e4close = -10,
    e4create = -20,
    e4len = -30,
    e4lenSet = -40,
    e4lock = -50,
    e4open = -60,
    e4permiss = -61,
    e4access = -62,
    e4numFiles = -63,
    e4fileFind = -64,
    e4instance = -69,
    e4read = -70,
    e4remove = -80,
    e4rename = -90,
    e4unlock = -110,
    e4write = -120,
    e4data = -200,
    e4fieldName = -210,
    e4fieldType = -220,
    e4recordLen = -230,
    e4append = -240,
    e4packUnfinished = -260,
    e4index = -310,
    e4tagName = -330,
    e4unique = -340,
    e4tagInfo = -350,
    e4overflow = -440,
    e4optFlush = -630,
    e4info = -910,
    e4memory = -920,
    e4parm = -930,
    e4parmNull = -935,
    e4result = -950,
    e4struct = -970,
    e4notSupported = -1090,
    e4version = -1095,
    e4memoCorrupt = -1110,
    e4memoCreate = -1120,
    e4trans = -1200,
    e4tranFail = -1210,
    e4rollback = -1220,
    e4tranAppend = -1240,
    e4max = -1400,
    e4codeBase = -1410,
    e4name = -1420,
};

// Where an error happened: block 9 are operations, block 6 wrapper methods.
enum : int {
    L4engineInit = 90001,
    L4engineInitUndo,
    L4engineCloseAll,
    L4fileOpen,
    L4fileCreate,
    L4fileClose,
    L4fileRead,
    L4fileReadAll,
    L4fileWrite,
    L4fileLen,
    L4fileLenSet,
    L4fileFlush,
    L4fileLock,
    L4fileUnlock,
    L4fileTempLow,
    L4fileReadError,
    L4fileSeqWrite,
    L4tableOpen,
    L4tableCreate,
    L4tableClose,
    L4tableGo,
    L4tableSkip,
    L4tableAppend,
    L4tableAppendStart,
    L4tablePack,
    L4tableUpdateRecord,
    L4tableLock,
    L4tableLockAppend,
    L4tableLockFile,
    L4tableUnlock,
    L4tableDelete,
    L4tableBlank,
    L4tableChanged,
    L4tableField,
    L4tableFieldJ,
    L4fieldPtr,
    L4fieldAssign,
    L4fieldAssignLong,
    L4fieldAssignDouble,
    L4fieldAssignField,
    L4fieldLong,
    L4fieldDouble,
    L4fieldMemo,
    L4fieldMemoSetLen,
    L4memoFileCreate,
    L4memoFileOpen,
    L4memoFileRead,
    L4memoFileWrite,
    L4memoFileChainSkip,
    L4memAlloc,
    L4utilAlloc,
    L4utilEnviron,
    L4utilNcpy,
    L4engineLogOpen,
    L4engineLogClose,
    L4engineTranStart,
    L4engineTranCommit,
    L4engineTranRollback,
    L4sortInit,
    L4sortPut,
    L4sortGetInit,
    L4sortGet,
    L4relateInit,
    L4relateQuerySet,
    L4relateSortSet,
    L4relateTop,
    L4relateBottom,
    L4relateSkip,
    L4indexOpen,
    L4indexCreate,
    L4indexClose,
    L4indexReindex,
    L4IndexLock,
    L4tagAdd,
    L4tagUnique,
    L4TagDown,
    L4BlockInsert,
    L4BlockSplit,
    L4exprParse,
    L4exprKey,
    L4exprTrue,
    L4engineLockClear,
    L4fileOptimize,
    L4fileOptimizeWrite,
    L4strViewAssign = 60001,
    L4strViewStr,
    L4strTenSetLen,
    L4fieldInfoList,
    L4tagRefInit,
};

struct EngineContext {
    // Open and create behaviour.
    int autoOpen = 0;
    int logOpen = 0;
    int singleOpen = 0;
    int errOpen = 0;
    int errCreate = 0;
    int safety = 0;
    int createTemp = 0;
    int accessMode = 0;
    int readOnly = 0;
    // The code page that tables created from now on declare: 1252 (Windows
    // ANSI), or 0 for none, which reads as 437.
    int codePage = 0;
    // Navigation and record checks.
    int errGo = 0;
    int errSkip = 0;
    int errTagName = 0;
    int errFieldName = 0;
    int writeThrough = 0;
    int lockEnforce = 0;
    int errDefaultUnique = 0;
    int blockCheck = 0;
    int memExprSize = 0;
    // Locking.
    int lockAttempts = 0;
    int lockDelay = 0;
    int unlockAuto = 0;
    int readLock = 0;
    // Block sizes and buffers.
    int memSizeBlock = 0;
    int indexBlockSize = 0;
    int packBufferSize = 0;
    int fileBufferSize = 0;
    int sortBlockSize = 0;
    // Pool sizing: first count and growth count per chunk. The application
    // raises them before it opens tables; the engine's records come from the
    // standard allocator, so they are kept and set, and steer nothing.
    int memStartData = 0, memExpandData = 0;
    int memStartTable = 0, memExpandTable = 0;
    int memStartLock = 0, memExpandLock = 0;
    int memStartIndex = 0, memExpandIndex = 0;
    int memStartTag = 0, memExpandTag = 0;
    int memStartBlock = 0, memExpandBlock = 0;
    DatePicture dateFormat;

    // Read and write optimisation (the block cache): engineInit leaves its
    // start off and nothing starts it, so optActive stays 0 in the programs.
    // hadOpt is set while it is suspended to give its memory to a sort;
    // relateTop restarts it.
    int optActive = 0;
    int hadOpt = 0;

    // Error state.
    int errorCode = 0;
    int errorLocation = 0;
    int errOff = 0;
    EngineFile* errorLog = nullptr;

    std::vector<TableHandle*> tables;
    std::vector<TableFile*> dataFiles;
    // Files named like a pack's side file that are none, each reported once.
    std::vector<std::string> foreignSideFiles;
    // How the data files reach their index files (see data/TableIndex.h);
    // engineInit installs the index layer's.
    const TableIndex* tableIndex = nullptr;
    // The transaction log (not owned) and its state: 0 without a log, 110
    // open, 120 in a transaction, 130 rolling back, -2 suspended.
    TransactionLog* tranLog = nullptr;
    int tranState = 0;
    // The context's own log block, which engineInit installs as tranLog; it
    // brings its deleter, so that the layers below can end a context.
    std::unique_ptr<TransactionState, void (*)(TransactionState*)> tranBlock{nullptr, nullptr};
    // Writes the changed records of the open tables before a fatal error ends
    // the program; the data layer installs it with the first table.
    void (*writeChangedRecords)(EngineContext* ctx) = nullptr;
    long openCounter = 0;
    bool initialised = false;

    // fieldStr's buffer, valid until the next call.
    std::string fieldStrBuffer;
};

// Reports code at location through the error handler and returns the code.
// Up to three descriptions (names, numbers) are shown after the standard lines.
int engineError(EngineContext* ctx, int code, int location, const char* d1 = nullptr,
                const char* d2 = nullptr, const char* d3 = nullptr);
// The stored text of an error code and the shown number and name of a location.
const char* engineErrorText(int code);
// An entry in the error log, without raising an error or showing anything.
void engineLogEntry(EngineContext* ctx, int code, int location, const char* d1 = nullptr, const char* d2 = nullptr,
                    const char* d3 = nullptr);
const char* engineLocationName(int location, int* shownNumber = nullptr);
// The text of the message box for an error (lines separated by CR LF).
std::string engineErrorBoxText(int code, int location, const char* d1, const char* d2,
                               const char* d3);

// Fatal codes end the program after the message.
bool engineErrorIsFatal(int code);

// Hooks the program or the tests replace.
struct EngineHooks {
    // Waits the given hundredths of a second while the display stays alive.
    std::function<void(int hundredths)> pump;
    // Ends the program after a fatal error; the default shows
    // "Abbruch der Anwendung" and exits.
    std::function<void(int code)> fatalExit;
    // Ends the program at once when not even the message box could be
    // shown; the default writes the text to standard error and exits.
    std::function<void(const char* text)> boxFailedExit;
};
EngineHooks& engineHooks();
void engineHooksReset();
// Waits through the pump hook.
void enginePump(int hundredths);

// Suspends the read and write optimisation so that its memory can serve a
// sort: 1 when that released anything, else 0 (the error state is cleared).
int engineOptSuspend(EngineContext* ctx);
// Starts a suspended optimisation again; 0 or an error.
int engineOptRestart(EngineContext* ctx);

// Raw memory.
void* utilAllocErDefault(EngineContext* ctx, size_t size);
void* EngineAllocRetry(EngineContext* ctx, size_t size);
int utilAllocAgainDefault(EngineContext* ctx, void** buffer, size_t* currentLen, size_t wantedLen);
void utilFreeDefault(void* block);

// The value of an environment variable; a missing required one reports -910.
const char* utilEnviron(EngineContext* ctx, const char* name, bool required);
// Copies at most size-1 characters, always terminates; returns the length.
int utilNcpy(EngineContext* ctx, char* target, const char* source, size_t size);

// The date picture; set reports -930 for more than 19 characters.
const char* engineDateFormat(EngineContext* ctx);
int engineDateFormatSet(EngineContext* ctx, const char* picture);

// Today's date as year-1900, month, day.
void engineHeaderDate(unsigned char out[3]);

// Returns -1410 (and does nothing) while the context is in error state.
inline bool engineInError(const EngineContext* ctx) { return ctx->errorCode < 0; }

} // namespace vx
