// A relation's query that selects 1 % of 1,000,000 records, answered by a
// scan of every record and through a tag on the key; and the sort of the
// same million keys through spool files.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

#include "testsupport/ScratchDir.h"
#include "dbase/Engine.h"
#include "dbase/data/Field.h"
#include "dbase/query/QueryTag.h"
#include "dbase/query/Relation.h"
#include "dbase/index/Sort.h"
#include "dbase/data/Table.h"
#include "platform/NumText.h"

namespace {

constexpr long kRecords = 1000000;
// Keys are uniform over 0 to 99,999,999: the range holds 1 % of them.
const char* const kQuery = "KEY >= '00500000' .AND. KEY < '01500000'";

class NoTags final : public vx::QueryTagSource {
public:
    std::vector<vx::QueryTag*> tags(vx::TableHandle*) override { return {}; }
    vx::QueryTag* selected(vx::TableHandle*) override { return nullptr; }
};

struct Fixture {
    vx::EngineContext ctx;
    vx::TableHandle* t = nullptr;
    std::vector<std::string> keys;

    Fixture() {
        static const vx::ScratchDir scratch("vxdbquery");
        const std::string& dir = scratch.Path();
        if (dir.empty()) return;
        ::setenv("TEMP", dir.c_str(), 1);
        vx::engineInit(&ctx);
        ctx.safety = 0;
        ctx.accessMode = 2;
        const vx::FieldInfo fields[] = {{"KEY", 'C', 8, 0, 0}, {"NAME", 'C', 20, 0, 0}, {}};
        const vx::TagInfo tags[] = {{"KEY", "KEY", nullptr, 0, 0}, {}};
        t = vx::tableCreate(&ctx, dir + "/QUERY.DBF", fields, tags);
        if (!t) return;
        std::mt19937 rng(42);
        vx::Field* key = vx::tableField(t, "KEY");
        vx::Field* name = vx::tableField(t, "NAME");
        for (long i = 0; i < kRecords; ++i) {
            std::string k = vx::Format("%08d", int(rng() % 100000000));
            keys.push_back(k);
            vx::tableAppendStart(t, false);
            vx::tableBlank(t);
            vx::fieldAssign(key, k.c_str());
            vx::fieldAssign(name, vx::Format("Name %d", i).c_str());
            vx::tableAppend(t);
        }
        vx::tableFlush(t);
    }
};

Fixture& Data() {
    static Fixture f;
    return f;
}

long RunQuery(vx::TableHandle* t) {
    vx::RelationNode* node = vx::relateInit(t);
    vx::relateQuerySet(node, kQuery);
    long n = 0;
    for (int rc = vx::relateTop(node); rc == 0; rc = vx::relateSkip(node, 1)) ++n;
    vx::relateFree(node);
    return n;
}

void QueryByScan(benchmark::State& state) {
    Fixture& f = Data();
    if (!f.t) return state.SkipWithError("no table");
    NoTags none;
    vx::setQueryTagSource(&none);
    long found = 0;
    for (auto _ : state) found = RunQuery(f.t);
    vx::setQueryTagSource(nullptr);
    state.counters["found"] = double(found);
}

void QueryThroughTag(benchmark::State& state) {
    Fixture& f = Data();
    if (!f.t) return state.SkipWithError("no table");
    long found = 0;
    for (auto _ : state) found = RunQuery(f.t);
    state.counters["found"] = double(found);
}

void SortMillionKeys(benchmark::State& state) {
    Fixture& f = Data();
    if (f.keys.empty()) return state.SkipWithError("no keys");
    long spools = 0;
    for (auto _ : state) {
        vx::SortContext s;
        vx::sortInit(&s, &f.ctx, 8, 0);
        vx::sortInitAlloc(&s);
        for (long i = 0; i < long(f.keys.size()); ++i) vx::sortPut(&s, i + 1, f.keys[size_t(i)].data(), nullptr);
        vx::sortGetInit(&s);
        spools = s.spoolCount;
        long rec = 0;
        while (vx::sortGet(&s, &rec, nullptr, nullptr) == 0) {
        }
    }
    state.counters["spools"] = double(spools);
}

} // namespace

BENCHMARK(QueryByScan)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(QueryThroughTag)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(SortMillionKeys)->Iterations(1)->Unit(benchmark::kMillisecond);
