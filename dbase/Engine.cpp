#include "dbase/Engine.h"

#include "dbase/data/Table.h"
#include "dbase/expr/ExprTableHandle.h"
#include "dbase/file/EngineFile.h"
#include "dbase/index/TableTag.h"
#include "dbase/trans/Transaction.h"
#include "platform/NumText.h"

#include <string>

namespace vx {

int engineInit(EngineContext* ctx, int libraryVersion) {
    if (!ctx) return e4parmNull;
    if (libraryVersion != kEngineVersion) {
        std::string given = Format("%10d", libraryVersion);
        std::string ours = Format("%10d", kEngineVersion);
        return engineError(ctx, e4version, L4engineInit, given.c_str(), ours.c_str());
    }
    *ctx = EngineContext{};
    ctx->autoOpen = 1;
    ctx->logOpen = 1;
    ctx->singleOpen = 1;
    ctx->errOpen = 1;
    ctx->errCreate = 1;
    ctx->safety = 1;
    ctx->errGo = 1;
    ctx->errSkip = 1;
    ctx->errTagName = 1;
    ctx->errFieldName = 1;
    ctx->errDefaultUnique = r4uniqueContinue;
    ctx->blockCheck = 1;
    ctx->memExprSize = 1024;
    ctx->lockAttempts = -1;
    ctx->lockDelay = 100;
    ctx->unlockAuto = 1;
    ctx->memSizeBlock = 512;
    ctx->indexBlockSize = 1024;
    ctx->packBufferSize = 32768;
    ctx->fileBufferSize = 4096;
    ctx->sortBlockSize = 61440;
    ctx->memStartData = 5, ctx->memExpandData = 5;
    ctx->memStartTable = 10, ctx->memExpandTable = 5;
    ctx->memStartLock = 5, ctx->memExpandLock = 10;
    ctx->memStartIndex = 5, ctx->memExpandIndex = 10;
    ctx->memStartTag = 5, ctx->memExpandTag = 10;
    ctx->memStartBlock = 5, ctx->memExpandBlock = 10;
    ctx->dateFormat.set(kDefaultDatePicture);
    ctx->tranBlock = {new TransactionState(ctx), [](TransactionState* s) { delete s; }};
    ctx->tranLog = ctx->tranBlock.get();
    ctx->tableIndex = tableIndexCalls();
    ctx->initialised = true;
    return 0;
}

static void Shutdown(EngineContext* ctx, bool closeTables) {
    // An active transaction is rolled back before the tables go.
    if (ctx->tranLog) ctx->tranLog->ShuttingDown(ctx);
    if (ctx->tranBlock && ctx->tranLog != ctx->tranBlock.get()) ctx->tranBlock->ShuttingDown(ctx);
    if (closeTables) engineCloseAll(ctx);
    exprCalcReset(ctx);
    if (ctx->tranBlock) ctx->tranBlock->Close();
    if (ctx->errorLog) {
        EngineFile* log = ctx->errorLog;
        ctx->errorLog = nullptr;
        fileClose(log);
        delete log;
    }
    ctx->initialised = false;
}

int engineInitUndo(EngineContext* ctx) {
    if (!ctx) return e4parmNull;
    Shutdown(ctx, true);
    return ctx->errorCode;
}

int engineCloseAll(EngineContext* ctx) {
    if (!ctx) return e4parmNull;
    int result = 0;
    while (!ctx->tables.empty()) {
        TableHandle* t = ctx->tables.back();
        int rc = tableClose(t);
        if (rc < 0 && result == 0) result = rc;
    }
    return result;
}

int engineIndexFormat(EngineContext*) { return 201; }

} // namespace vx
