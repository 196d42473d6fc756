#include "quorvel/PackWhenPossible.h"

#include "dbase/file/EngineContext.h"
#include "dbase/data/Table.h"
#include "platform/Files.h"

using namespace vx;

namespace {

// A pack elsewhere holds the table exclusively for a moment; opening it
// shared again waits for that, but not for ever.
constexpr int kReopenAttempts = 60;

struct QuietEngine {
    explicit QuietEngine(EngineContext* c)
        : ctx(c), errOff(c->errOff), errOpen(c->errOpen), accessMode(c->accessMode), autoOpen(c->autoOpen) {
        ctx->errOff = 1;
        ctx->errOpen = 0;
    }
    ~QuietEngine() {
        ctx->errOff = errOff;
        ctx->errOpen = errOpen;
        ctx->accessMode = accessMode;
        ctx->autoOpen = autoOpen;
        ctx->errorCode = 0;
    }
    EngineContext* ctx;
    int errOff, errOpen, accessMode, autoOpen;
};

// 1 packed, 0 not possible now.
int PackAlone(EngineContext* ctx, const std::string& path) {
    // A program starting meanwhile would find the table held and give up:
    // it waits for the directory while the pack holds it. The pack itself
    // waits for nobody; a directory in use means later.
    bool busy = false;
    DirectoryLock lock(DirName(NormalizeSlashes(path)), [&busy] { busy = true; }, 1);
    if (busy) return 0;
    ctx->errorCode = 0;
    ctx->accessMode = 2;
    // The production index must come along, or it would keep the old numbers.
    ctx->autoOpen = 1;
    TableHandle* t = tableOpen(ctx, path);
    ctx->accessMode = 0;
    if (!t) {
        ctx->errorCode = 0;
        return 0;
    }
    const int rc = tablePack(t);
    ctx->errorCode = 0;
    tableClose(t);
    ctx->errorCode = 0;
    return rc == 0 ? 1 : 0;
}

} // namespace

int PackWhenPossible(CQuorvelTable& table) {
    TableHandle* t = table.Handle();
    EngineContext* ctx = table.Context();
    if (!t || !ctx) return e4parmNull;
    const std::string path = table.Path();
    QuietEngine quiet(ctx);
    // Our own shared handle would keep the exclusive open out as well.
    tableFlush(t);
    ctx->errorCode = 0;
    table.Forget();
    tableClose(t);
    ctx->errorCode = 0;
    const int packed = PackAlone(ctx, path);
    table.SetPackPending(packed == 0);

    int rc = 0;
    for (int attempt = 1;; ++attempt) {
        ctx->accessMode = quiet.accessMode;
        ctx->autoOpen = quiet.autoOpen;
        rc = table.Open(ctx, path);
        ctx->errorCode = 0;
        if (rc == 0 || attempt >= kReopenAttempts) break;
        enginePump(ctx->lockDelay);
    }
    if (rc != 0) return rc < 0 ? rc : e4open;
    return packed;
}

int PackIfPending(CQuorvelTable& table) {
    if (!table.PackPending() || !table.IsOpen()) return 0;
    return PackWhenPossible(table);
}

int GoFirstLive(TableHandle* t) {
    int rc = tableTop(t);
    while (rc == 0 && !tableEof(t) && tableDeleted(t)) rc = tableSkip(t, 1);
    if (rc == 0 && tableEof(t)) rc = r4eof;
    return rc;
}

int SkipLive(TableHandle* t, int dir) {
    int rc = 0;
    do {
        rc = tableSkip(t, dir > 0 ? 1 : -1);
    } while (rc == 0 && !tableEof(t) && tableDeleted(t));
    if (rc == 0 && tableEof(t)) rc = r4eof;
    return rc;
}
