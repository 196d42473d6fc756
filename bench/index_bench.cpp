// Index files: building three tags (C, N and D keys) over 1,000,000
// records, and 100,000 random seeks through the character tag.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

#include "testsupport/ScratchDir.h"
#include "dbase/Engine.h"
#include "dbase/data/Field.h"
#include "dbase/index/IndexFile.h"
#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"
#include "platform/NumText.h"

namespace {

constexpr long kRecords = 1000000;
constexpr int kSeeks = 100000;

const std::string& Dir() {
    static const vx::ScratchDir dir("vxidxbench");
    return dir.Path();
}

std::string Name(long i) { return vx::Format("N%09ld", (i * 7919) % kRecords); }

// The data file, written once without tags.
const std::string& DataFile() {
    static std::string path;
    if (!path.empty()) return path;
    vx::EngineContext ctx;
    vx::engineInit(&ctx);
    ctx.accessMode = 1;
    const vx::FieldInfo fields[] = {{"NAME", 'C', 10, 0, 0}, {"AMOUNT", 'N', 10, 2, 0}, {"DAY", 'D', 0, 0, 0}, {}};
    path = Dir() + "/BIG";
    vx::TableHandle* t = vx::tableCreate(&ctx, path, fields);
    vx::Field* f[3] = {vx::tableField(t, "NAME"), vx::tableField(t, "AMOUNT"), vx::tableField(t, "DAY")};
    for (long i = 0; i < kRecords; ++i) {
        vx::tableAppendStart(t, false);
        vx::fieldAssign(f[0], Name(i).c_str());
        vx::fieldAssign(f[1], vx::Format("%ld.%02ld", i % 99991, i % 100).c_str());
        vx::fieldAssign(f[2], vx::Format("20%02ld%02ld%02ld", i % 30, 1 + i % 12, 1 + i % 28).c_str());
        vx::tableAppend(t);
    }
    vx::tableClose(t);
    vx::engineInitUndo(&ctx);
    return path;
}

const vx::TagInfo kTags[] = {{"BYNAME", "NAME", nullptr, 0, 0},
                             {"BYAMOUNT", "AMOUNT", nullptr, 0, 0},
                             {"BYDAY", "DAY", nullptr, 0, 0},
                             {}};

void BuildThreeTags(benchmark::State& state) {
    const std::string& path = DataFile();
    for (auto _ : state) {
        vx::EngineContext ctx;
        vx::engineInit(&ctx);
        ctx.accessMode = 1;
        ctx.safety = 0;
        vx::TableHandle* t = vx::tableOpen(&ctx, path);
        vx::IndexFile* index = vx::indexCreate(t, (path + "X").c_str(), kTags);
        if (!index) state.SkipWithError("index not built");
        vx::tableClose(t);
        vx::engineInitUndo(&ctx);
    }
    state.SetItemsProcessed(state.iterations() * kRecords * 3);
}
BENCHMARK(BuildThreeTags)->Unit(benchmark::kMillisecond)->Iterations(1);

void RandomSeeks(benchmark::State& state) {
    const std::string& path = DataFile();
    vx::EngineContext ctx;
    vx::engineInit(&ctx);
    vx::TableHandle* t = vx::tableOpen(&ctx, path);
    if (!vx::indexOpen(t, (path + "X").c_str())) {
        ctx.errorCode = 0;
        ctx.safety = 0;
        vx::indexCreate(t, (path + "X").c_str(), kTags);
    }
    vx::tableTagSelect(t, vx::tableTag(t, "BYNAME"));
    std::mt19937 rng(1);
    long found = 0;
    for (auto _ : state) {
        for (int i = 0; i < kSeeks; ++i)
            if (vx::tableSeek(t, Name(long(rng() % kRecords)).c_str()) == 0) ++found;
    }
    if (found != long(state.iterations()) * kSeeks) state.SkipWithError("a key was not found");
    state.SetItemsProcessed(state.iterations() * kSeeks);
    vx::tableClose(t);
    vx::engineInitUndo(&ctx);
}
BENCHMARK(RandomSeeks)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
