// Shared use of one table: a record lock and release, an append under the
// append lock, and the same append with the transaction log on, whose
// implicit transaction flushes the log and the table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "testsupport/ScratchDir.h"
#include "dbase/Engine.h"
#include "dbase/data/Field.h"
#include "dbase/data/Table.h"
#include "dbase/trans/Transaction.h"

namespace {

// A log its last user left clean.
void WriteCleanLog(const std::string& path) {
    unsigned char head[vx::kLogHeaderLen];
    vx::LogEntryHeader h;
    h.type = vx::kLogClean;
    h.owner[1] = 1;
    vx::logHeaderEncode(h, head);
    FILE* f = std::fopen(path.c_str(), "wb");
    const unsigned char len[4] = {32, 0, 0, 0};
    std::fwrite(len, 1, 4, f);
    std::fwrite(head, 1, sizeof head, f);
    std::fclose(f);
}

struct Shared {
    vx::ScratchDir scratch{"vxlockbench"};
    vx::EngineContext ctx;
    vx::TableHandle* t = nullptr;
    explicit Shared(bool withLog) {
        vx::engineInit(&ctx);
        if (withLog) {
            WriteCleanLog(scratch.Path() + "/TRANS.LOG");
            vx::engineLogOpen(&ctx, (scratch.Path() + "/TRANS.LOG").c_str(), "BENCH");
        }
        const vx::FieldInfo fields[] = {{"NAME", 'C', 20, 0, 0}, {"BETRAG", 'N', 10, 2, 0}, {}};
        t = vx::tableCreate(&ctx, scratch.Path() + "/SHARED", fields);
        for (int i = 0; i < 100; ++i) vx::tableAppendBlank(t);
    }
    ~Shared() {
        vx::tableClose(t);
        vx::engineInitUndo(&ctx);
    }
};

void BM_RecordLockAndRelease(benchmark::State& state) {
    Shared s(false);
    long n = 0;
    for (auto _ : state) {
        vx::tableLock(s.t, n % 100 + 1);
        vx::tableUnlockRecords(s.t);
        ++n;
    }
}
BENCHMARK(BM_RecordLockAndRelease);

void BM_AppendUnderTheAppendLock(benchmark::State& state) {
    Shared s(false);
    for (auto _ : state) {
        vx::tableLockAppend(s.t);
        vx::tableAppendStart(s.t, false);
        vx::fieldAssign(vx::tableField(s.t, "NAME"), "Name");
        vx::tableAppend(s.t);
        vx::tableUnlockAppend(s.t);
    }
}
BENCHMARK(BM_AppendUnderTheAppendLock);

void BM_AppendWithTheLog(benchmark::State& state) {
    Shared s(true);
    for (auto _ : state) {
        vx::tableAppendStart(s.t, false);
        vx::fieldAssign(vx::tableField(s.t, "NAME"), "Name");
        vx::tableAppend(s.t);
    }
}
BENCHMARK(BM_AppendWithTheLog)->Iterations(200);

} // namespace
