// The table engine against Debian's shapelib on the same 5-field table:
// 1,000,000 appends, a sequential read of every field, and a rewrite of every
// 10th record; and the engine alone with a tag whose keys change, and with
// memo rewrites behind a long free chain, and a pack.
#include <benchmark/benchmark.h>

#include <shapefil.h>

#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "testsupport/ScratchDir.h"
#include "dbase/Engine.h"
#include "dbase/data/Field.h"
#include "dbase/data/Table.h"
#include "platform/NumText.h"

namespace {

constexpr long kRecords = 1000000;

// The scratch directory holds a few hundred megabytes; it goes at exit.
const std::string& Dir() {
    static const vx::ScratchDir dir("vxdbbench");
    return dir.Path();
}

// The same values for both libraries.
struct Values {
    std::string name, betrag, datum, ok, ort;
    double amount = 0;
    void Fill(long i) {
        name = vx::Format("Name %d", i);
        betrag = vx::Format("%d.%02d", i % 100000, i % 100);
        amount = vx::ParseDouble(betrag);
        datum = vx::Format("2008%02d%02d", 1 + i % 12, 1 + i % 28);
        ok = std::string(1, i % 2 ? 'T' : 'F');
        ort = vx::Format("Ort %d", i % 977);
    }
};

struct Engine {
    vx::EngineContext ctx;
    vx::TableHandle* t = nullptr;
    vx::Field* f[5] = {};
    explicit Engine(int accessMode) {
        vx::engineInit(&ctx);
        ctx.accessMode = accessMode;
        ctx.safety = 0;
    }
    ~Engine() {
        if (t) vx::tableClose(t);
        vx::engineInitUndo(&ctx);
    }
    void Bind() {
        const char* names[] = {"NAME", "BETRAG", "DATUM", "OK", "ORT"};
        for (int i = 0; i < 5; ++i) f[i] = vx::tableField(t, names[i]);
    }
    bool Create(const std::string& path, const vx::TagInfo* tags = nullptr) {
        const vx::FieldInfo fields[] = {{"NAME", 'C', 20, 0, 0}, {"BETRAG", 'N', 10, 2, 0}, {"DATUM", 'D', 8, 0, 0},
                                        {"OK", 'L', 1, 0, 0},    {"ORT", 'C', 30, 0, 0},    {}};
        t = vx::tableCreate(&ctx, path, fields, tags);
        if (t) Bind();
        return t != nullptr;
    }
    bool Open(const std::string& path) {
        t = vx::tableOpen(&ctx, path);
        if (t) Bind();
        return t != nullptr;
    }
};

void EngineAppend(benchmark::State& state, int mode, const char* file) {
    for (auto _ : state) {
        Engine e(mode);
        if (!e.Create(Dir() + "/" + file)) state.SkipWithError("create failed");
        Values v;
        for (long i = 0; i < kRecords; ++i) {
            v.Fill(i);
            vx::tableAppendStart(e.t, false);
            vx::fieldAssign(e.f[0], v.name.c_str());
            vx::fieldAssignDouble(e.f[1], v.amount);
            vx::fieldAssign(e.f[2], v.datum.c_str());
            vx::fieldAssign(e.f[3], v.ok.c_str());
            vx::fieldAssign(e.f[4], v.ort.c_str());
            if (vx::tableAppend(e.t) != 0) {
                state.SkipWithError("append failed");
                break;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void EngineRead(benchmark::State& state, int mode, const char* file) {
    for (auto _ : state) {
        Engine e(mode);
        if (!e.Open(Dir() + "/" + file)) state.SkipWithError("open failed");
        long n = 0, sum = 0;
        for (int rc = vx::tableTop(e.t); rc == 0; rc = vx::tableSkip(e.t, 1)) {
            for (vx::Field* f : e.f) sum += vx::fieldStr(f)[0];
            ++n;
        }
        if (n != kRecords) state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void EngineRewrite(benchmark::State& state, int mode, const char* file) {
    for (auto _ : state) {
        Engine e(mode);
        if (!e.Open(Dir() + "/" + file)) state.SkipWithError("open failed");
        for (long r = 1; r <= kRecords; r += 10) {
            vx::tableGo(e.t, r);
            vx::fieldAssign(e.f[4], "Neu");
        }
        vx::tableUpdate(e.t);
    }
    state.SetItemsProcessed(state.iterations() * kRecords / 10);
}

// Appends and rewrites that change a key, with a tag on the name.
constexpr long kTagged = 100000;

void EngineTaggedAppend(benchmark::State& state, int mode, const char* file) {
    const vx::TagInfo tags[] = {{"NAME", "NAME", nullptr, 0, 0}, {}};
    for (auto _ : state) {
        std::filesystem::remove(Dir() + "/" + file + ".DBF");
        std::filesystem::remove(Dir() + "/" + file + ".MDX");
        Engine e(mode);
        if (!e.Create(Dir() + "/" + file, tags)) state.SkipWithError("create failed");
        Values v;
        for (long i = 0; i < kTagged; ++i) {
            v.Fill(i);
            vx::tableAppendStart(e.t, false);
            vx::fieldAssign(e.f[0], v.name.c_str());
            vx::fieldAssign(e.f[4], v.ort.c_str());
            if (vx::tableAppend(e.t) != 0) {
                state.SkipWithError("append failed");
                break;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kTagged);
}

void EngineTaggedRewrite(benchmark::State& state, int mode, const char* file) {
    for (auto _ : state) {
        Engine e(mode);
        if (!e.Open(Dir() + "/" + file)) state.SkipWithError("open failed");
        for (long r = 1; r <= kTagged; r += 10) {
            vx::tableGo(e.t, r);
            vx::fieldAssign(e.f[0], vx::Format("Neu %ld", r).c_str());
        }
        vx::tableUpdate(e.t);
    }
    state.SetItemsProcessed(state.iterations() * kTagged / 10);
}

// Memo rewrites that need a run of another size, once with an empty free
// chain and once behind 20,000 free one-block runs that fit no rewrite.
constexpr long kFreeRuns = 20000;
constexpr long kHot = 10;
constexpr int kMaxWriters = 8;

// A table whose memo file has freeRuns free one-block runs, followed by
// kHot records for each of kMaxWriters writers.
bool MakeMemoTable(const std::string& path, long freeRuns) {
    const vx::FieldInfo fields[] = {{"N", 'C', 8, 0, 0}, {"M", 'M', 10, 0, 0}, {}};
    std::filesystem::remove(path + ".DBF");
    std::filesystem::remove(path + ".DBT");
    Engine e(2);
    e.t = vx::tableCreate(&e.ctx, path, fields, nullptr);
    if (!e.t) return false;
    vx::Field* m = vx::tableField(e.t, "M");
    const std::string small(100, 's');
    for (long i = 0; i < 2 * freeRuns + kHot * kMaxWriters; ++i) {
        vx::tableAppendStart(e.t, false);
        vx::fieldMemoAssignN(m, small.data(), uint32_t(small.size()));
        if (vx::tableAppend(e.t) != 0) return false;
    }
    // Every other filler record lets its run go, from the back, so that no
    // two free runs touch.
    for (long r = 2 * freeRuns - 1; r >= 1; r -= 2) {
        vx::tableGo(e.t, r);
        vx::fieldMemoAssignN(m, "", 0);
        if (vx::tableUpdateRecord(e.t, true) != 0) return false;
    }
    return true;
}

// One rewrite of writer w's n-th turn, alternating between three and four blocks.
int RewriteMemo(vx::TableHandle* t, vx::Field* m, long freeRuns, int w, long n) {
    static const std::string texts[2] = {std::string(1500, 'a'), std::string(2000, 'b')};
    long r = 2 * freeRuns + 1 + w * kHot + n % kHot;
    const std::string& text = texts[(n / kHot) % 2];
    int rc = vx::tableGo(t, r);
    if (rc != 0) return rc;
    vx::fieldMemoAssignN(m, text.data(), uint32_t(text.size()));
    return vx::tableUpdateRecord(t, true);
}

void EngineMemoRewrite(benchmark::State& state, long freeRuns, const char* file) {
    std::string path = Dir() + "/" + file;
    if (!MakeMemoTable(path, freeRuns)) {
        state.SkipWithError("setup failed");
        return;
    }
    Engine e(0);
    e.t = vx::tableOpen(&e.ctx, path);
    if (!e.t) {
        state.SkipWithError("open failed");
        return;
    }
    vx::Field* m = vx::tableField(e.t, "M");
    long n = 0;
    for (auto _ : state) {
        if (RewriteMemo(e.t, m, freeRuns, 0, n++) != 0) {
            state.SkipWithError("rewrite failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

// Writers in processes of their own, each rewriting its own records behind
// the long chain.
void EngineMemoWriters(benchmark::State& state) {
    const int writers = int(state.range(0));
    const long perWriter = 500;
    std::string path = Dir() + "/MEMOW";
    if (!MakeMemoTable(path, kFreeRuns)) {
        state.SkipWithError("setup failed");
        return;
    }
    for (auto _ : state) {
        std::vector<pid_t> pids;
        for (int w = 0; w < writers; ++w) {
            pid_t pid = ::fork();
            if (pid == 0) {
                vx::EngineContext c;
                vx::engineInit(&c);
                // A busy memo lock is tried again after 10 ms instead of a
                // second, so that the time the lock is held shows.
                c.lockDelay = 1;
                vx::TableHandle* t = vx::tableOpen(&c, path);
                if (!t) ::_exit(1);
                vx::Field* m = vx::tableField(t, "M");
                for (long n = 0; n < perWriter; ++n)
                    if (RewriteMemo(t, m, kFreeRuns, w, n) != 0) ::_exit(2);
                vx::tableClose(t);
                ::_exit(0);
            }
            pids.push_back(pid);
        }
        for (pid_t pid : pids) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("writer failed");
        }
    }
    state.SetItemsProcessed(state.iterations() * writers * perWriter);
}

void ShapeAppend(benchmark::State& state) {
    for (auto _ : state) {
        std::string path = Dir() + "/SHAPE.DBF";
        DBFHandle h = DBFCreate(path.c_str());
        DBFAddField(h, "NAME", FTString, 20, 0);
        DBFAddField(h, "BETRAG", FTDouble, 10, 2);
        DBFAddNativeFieldType(h, "DATUM", 'D', 8, 0);
        DBFAddNativeFieldType(h, "OK", 'L', 1, 0);
        DBFAddField(h, "ORT", FTString, 30, 0);
        Values v;
        for (long i = 0; i < kRecords; ++i) {
            v.Fill(i);
            int rec = int(i);
            DBFWriteStringAttribute(h, rec, 0, v.name.c_str());
            DBFWriteStringAttribute(h, rec, 1, v.betrag.c_str());
            DBFWriteStringAttribute(h, rec, 2, v.datum.c_str());
            DBFWriteStringAttribute(h, rec, 3, v.ok.c_str());
            DBFWriteStringAttribute(h, rec, 4, v.ort.c_str());
        }
        DBFClose(h);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void ShapeRead(benchmark::State& state) {
    for (auto _ : state) {
        std::string path = Dir() + "/SHAPE.DBF";
        DBFHandle h = DBFOpen(path.c_str(), "rb");
        long n = DBFGetRecordCount(h), sum = 0;
        for (int r = 0; r < n; ++r)
            for (int f = 0; f < 5; ++f) sum += DBFReadStringAttribute(h, r, f)[0];
        if (n != kRecords) state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(sum);
        DBFClose(h);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void ShapeRewrite(benchmark::State& state) {
    for (auto _ : state) {
        std::string path = Dir() + "/SHAPE.DBF";
        DBFHandle h = DBFOpen(path.c_str(), "rb+");
        for (int r = 0; r < kRecords; r += 10) DBFWriteStringAttribute(h, r, 4, "Neu");
        DBFClose(h);
    }
    state.SetItemsProcessed(state.iterations() * kRecords / 10);
}

// A pack of a table with a tag and memos whose every third record is deleted.
bool MakePackTable(const std::string& path, long records) {
    const vx::FieldInfo fields[] = {{"NAME", 'C', 20, 0, 0}, {"ORT", 'C', 30, 0, 0}, {"M", 'M', 10, 0, 0}, {}};
    const vx::TagInfo tags[] = {{"NAME", "NAME", nullptr, 0, 0}, {}};
    for (const char* ext : {".DBF", ".MDX", ".DBT"}) std::filesystem::remove(path + ext);
    Engine e(2);
    e.t = vx::tableCreate(&e.ctx, path, fields, tags);
    if (!e.t) return false;
    vx::Field* name = vx::tableField(e.t, "NAME");
    vx::Field* ort = vx::tableField(e.t, "ORT");
    vx::Field* m = vx::tableField(e.t, "M");
    const std::string memo(300, 'm');
    for (long i = 0; i < records; ++i) {
        vx::tableAppendStart(e.t, false);
        vx::fieldAssign(name, vx::Format("Name %ld", (i * 7919) % records).c_str());
        vx::fieldAssign(ort, vx::Format("Ort %ld", i % 977).c_str());
        vx::fieldMemoAssignN(m, memo.data(), uint32_t(memo.size()));
        if (vx::tableAppend(e.t) != 0) return false;
    }
    for (long r = 1; r <= records; r += 3) {
        vx::tableGo(e.t, r);
        vx::tableDelete(e.t);
    }
    return vx::tableUpdate(e.t) == 0;
}

void EnginePack(benchmark::State& state, int mode, const char* file) {
    const long records = long(state.range(0));
    std::string path = Dir() + "/" + file;
    for (auto _ : state) {
        state.PauseTiming();
        if (!MakePackTable(path, records)) state.SkipWithError("setup failed");
        Engine e(mode);
        e.t = vx::tableOpen(&e.ctx, path);
        if (!e.t) state.SkipWithError("open failed");
        state.ResumeTiming();
        if (e.t && vx::tablePack(e.t) != 0) state.SkipWithError("pack failed");
        state.PauseTiming();
        if (e.t && vx::tableRecCount(e.t) != records - (records + 2) / 3) state.SkipWithError("wrong count");
        vx::tableClose(e.t);
        e.t = nullptr;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * records);
}

// Shared use (access mode 0, with record and append locks) and exclusive use.
BENCHMARK_CAPTURE(EngineAppend, shared, 0, "SHARED.DBF")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EngineRead, shared, 0, "SHARED.DBF")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EngineRewrite, shared, 0, "SHARED.DBF")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EngineAppend, exclusive, 2, "EXCL.DBF")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EngineRead, exclusive, 2, "EXCL.DBF")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EngineRewrite, exclusive, 2, "EXCL.DBF")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EngineTaggedAppend, shared, 0, "TAGSH")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EngineTaggedRewrite, shared, 0, "TAGSH")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EngineTaggedAppend, exclusive, 2, "TAGEX")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EngineTaggedRewrite, exclusive, 2, "TAGEX")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EngineMemoRewrite, emptyChain, 0, "MEMO0")->Iterations(4000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EngineMemoRewrite, freeRuns20000, kFreeRuns, "MEMO20K")->Iterations(4000)->Unit(benchmark::kMicrosecond);
BENCHMARK(EngineMemoWriters)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EnginePack, shared, 0, "PACKSH")->Arg(10000)->Arg(100000)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EnginePack, exclusive, 2, "PACKEX")->Arg(10000)->Arg(100000)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(ShapeAppend)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ShapeRead)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ShapeRewrite)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
