// A writer killed at random points of its work, shared and exclusive, with
// and without the transaction log, and a pack killed at random points: after
// each kill the table opens whole.
#include "dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "dbase/index/IndexFile.h"
#include "dbase/index/TagFile.h"
#include "dbase/data/Table.h"
#include "dbase/trans/Transaction.h"
#include "platform/NumText.h"

#include <random>
#include <set>

namespace vx {
namespace {

constexpr long kFirst = 10;   // records the writers start from
constexpr long kTotal = 1000; // the sum of N over the first records

using test::CleanLog;

// Memo contents name their record, so that a memo shown by another record
// is seen.
std::string MemoFor(long rec, unsigned size) {
    std::string text = "rec " + std::to_string(rec) + ":";
    text.append(size, char('a' + rec % 26));
    return text;
}

struct Config {
    bool log;
    int mode;
};

class CrashTest : public test::EngineTest {
protected:
    void CreateTable() {
        const FieldInfo fields[] = {{"MATCH", 'C', 10, 0, 0}, {"N", 'N', 8, 0, 0}, {"M", 'M', 10, 0, 0}, {}};
        const TagInfo tags[] = {{"PRIMARY", "MATCH", nullptr, 0, 0}, {"AMOUNT", "N", nullptr, 0, 10}, {}};
        TableHandle* t = tableCreate(&ctx, Path("KUNDE"), fields, tags);
        ASSERT_NE(t, nullptr);
        for (long i = 1; i <= kFirst; ++i) {
            ASSERT_EQ(tableAppendStart(t, false), 0);
            fieldAssign(tableField(t, "MATCH"), vx::Format("K%04ld", i).c_str());
            fieldAssignLong(tableField(t, "N"), kTotal / kFirst);
            std::string memo = MemoFor(i, 20);
            fieldMemoAssignN(tableField(t, "M"), memo.data(), uint32_t(memo.size()));
            ASSERT_EQ(tableAppend(t), 0);
        }
        ASSERT_EQ(tableClose(t), 0);
        Write("TRANS.LOG", CleanLog());
    }

    // One unit of work: an append, a rewrite moving an amount between two of
    // the first records, a memo rewrite or a deletion; in a transaction with
    // the log. Reports 'A' for an append, '+' for the rest.
    static void Writer(const std::string& path, Config cfg, unsigned seed, const test::Progress& progress) {
        EngineContext c;
        engineInit(&c);
        c.accessMode = cfg.mode;
        if (cfg.log && engineLogOpen(&c, (path + "/TRANS.LOG").c_str(), "KILL") != 0) ::_exit(2);
        TableHandle* w = tableOpen(&c, path + "/KUNDE");
        if (!w) ::_exit(3);
        std::mt19937 r(seed);
        for (long step = 0;; ++step) {
            if (cfg.log && engineTranStart(&c) != 0) ::_exit(4);
            unsigned op = r() % 4;
            long count = tableRecCount(w);
            if (op == 0) {
                long rec = count + 1;
                tableAppendStart(w, false);
                fieldAssign(tableField(w, "MATCH"), vx::Format("A%05u", unsigned(r() % 50000)).c_str());
                fieldAssignLong(tableField(w, "N"), 0);
                std::string memo = MemoFor(rec, r() % 1200);
                fieldMemoAssignN(tableField(w, "M"), memo.data(), uint32_t(memo.size()));
                if (tableAppend(w) != 0) ::_exit(5);
            } else if (op == 1) {
                long from = long(r() % kFirst) + 1, to = long(r() % kFirst) + 1, amount = long(r() % 50);
                tableGo(w, from);
                fieldAssignLong(tableField(w, "N"), fieldLong(tableField(w, "N")) - amount);
                fieldAssign(tableField(w, "MATCH"), vx::Format("U%05u", unsigned(r() % 50000)).c_str());
                tableGo(w, to);
                fieldAssignLong(tableField(w, "N"), fieldLong(tableField(w, "N")) + amount);
            } else if (op == 2) {
                long rec = long(r() % unsigned(count)) + 1;
                tableGo(w, rec);
                unsigned size = r() % 1500;
                std::string memo = size % 7 == 0 ? std::string() : MemoFor(rec, size);
                fieldMemoAssignN(tableField(w, "M"), memo.data(), uint32_t(memo.size()));
            } else {
                long rec = kFirst + long(r() % unsigned(std::max(count - kFirst, 1L))) + 1;
                if (rec <= count) {
                    tableGo(w, rec);
                    tableDelete(w);
                    fieldAssign(tableField(w, "MATCH"), vx::Format("D%05ld", rec).c_str());
                }
            }
            if (tableFlush(w) != 0) ::_exit(6);
            if (cfg.log && engineTranCommit(&c, true) != 0) ::_exit(7);
            progress(op == 0 ? 'A' : '+');
        }
    }

    // Every tag lists each record once, in key order, with the record's key.
    void ExpectTagsAgree(TableHandle* t, const std::string& where) {
        long count = tableRecCount(t);
        for (const char* name : {"PRIMARY", "AMOUNT"}) {
            TagHandle* th = tableTag(t, name);
            ASSERT_NE(th, nullptr) << where;
            tableTagSelect(t, th);
            bool amount = std::string(name) == "AMOUNT";
            std::set<long> seen;
            std::string lastMatch;
            long lastN = 0;
            for (int rc = tableTop(t); rc == 0 && !tableEof(t); rc = tableSkip(t, 1)) {
                long rec = tableRecNo(t);
                EXPECT_TRUE(seen.insert(rec).second) << where << ": " << name << " lists " << rec << " twice";
                if (amount) {
                    long n = fieldLong(tableField(t, "N"));
                    if (seen.size() > 1) {
                        EXPECT_GE(lastN, n) << where << ": " << name;
                    }
                    lastN = n;
                } else {
                    std::string m = fieldStr(tableField(t, "MATCH"));
                    EXPECT_EQ(std::string(reinterpret_cast<const char*>(TagKeyData(th->tagFile)), m.size()), m)
                        << where;
                    EXPECT_LE(lastMatch, m) << where;
                    lastMatch = m;
                }
            }
            EXPECT_EQ(long(seen.size()), count) << where << ": " << name;
        }
        tableTagSelect(t, nullptr);
    }

    // No record points at a free memo block or shows another record's memo.
    void ExpectMemosOwn(TableHandle* t, const std::string& where) {
        std::vector<MemoChainEntry> runs;
        long end = 0;
        ASSERT_EQ(memoFileFreeRuns(&t->file->memo, runs, &end), 0) << where;
        long fileBlocks = long(fileLen(&t->file->memo.file) / t->file->memo.blockSize);
        Field* m = tableField(t, "M");
        for (long r = 1; r <= tableRecCount(t); ++r) {
            ASSERT_EQ(tableGo(t, r), 0) << where;
            long block = std::atol(std::string(tableRecord(t) + m->offset, m->len).c_str());
            std::string text(fieldMemoPtr(m), fieldMemoLen(m));
            if (block == 0) continue;
            EXPECT_LT(block, fileBlocks) << where << ": record " << r;
            for (const auto& run : runs)
                EXPECT_FALSE(block >= run.block && block < run.block + run.count)
                    << where << ": record " << r << " on free block " << block;
            std::string own = "rec " + std::to_string(r) + ":";
            EXPECT_EQ(text.substr(0, own.size()), own) << where << ": record " << r;
        }
    }
};

TEST_F(CrashTest, AWriterKilledAtFiftyPointsLeavesAWholeTable) {
    CreateTable();
    const Config configs[] = {{false, 0}, {false, 1}, {true, 0}, {true, 1}};
    std::mt19937 random(20261209);
    long acknowledged = kFirst;
    for (int run = 0; run < 50; ++run) {
        Config cfg = configs[run % 4];
        long after = 1 + long(random() % 10);
        bool hold = random() % 4 == 0;
        unsigned seed = unsigned(random());
        std::string where = "run " + std::to_string(run) + (cfg.log ? ", log" : "") +
                            (cfg.mode ? ", exclusive" : ", shared") + (hold ? ", held" : "");
        std::string path = dir;
        test::KilledWriter w = test::RunKilledWriter(
            after, hold, [&](const test::Progress& progress) { Writer(path, cfg, seed, progress); });
        ASSERT_TRUE(w.killed()) << where << ": writer ended with " << WEXITSTATUS(w.status);
        ASSERT_EQ(w.reported(), after) << where;
        acknowledged += long(std::count(w.reports.begin(), w.reports.end(), 'A'));
        if (cfg.log) {
            ASSERT_EQ(engineLogOpen(&ctx, Path("TRANS.LOG").c_str(), "CHECK"), 0) << where;
        }
        ctx.accessMode = cfg.mode;
        TableHandle* t = tableOpen(&ctx, Path("KUNDE"));
        ctx.accessMode = 0;
        ASSERT_NE(t, nullptr) << where << ": " << ctx.errorCode;
        long count = tableRecCount(t);
        ASSERT_GE(count, acknowledged) << where;
        acknowledged = count;
        std::string file = Read("KUNDE.DBF");
        EXPECT_EQ(file.size(), size_t(test::Word(file, 8)) + size_t(count) * test::Word(file, 10) + 1) << where;
        if (cfg.log) {
            // Amounts move inside transactions only: none is half done.
            long total = 0;
            for (long r = 1; r <= kFirst; ++r) {
                ASSERT_EQ(tableGo(t, r), 0);
                total += fieldLong(tableField(t, "N"));
            }
            EXPECT_EQ(total, kTotal) << where;
        }
        ExpectTagsAgree(t, where);
        ExpectMemosOwn(t, where);
        ASSERT_EQ(tableClose(t), 0) << where;
        if (cfg.log) {
            ASSERT_EQ(engineLogClose(&ctx), 0) << where;
        }
        // Without the log a half-done move may change the sum: start again from it.
        if (!cfg.log) {
            t = tableOpen(&ctx, Path("KUNDE"));
            ASSERT_NE(t, nullptr);
            long total = 0;
            for (long r = 1; r <= kFirst; ++r) {
                ASSERT_EQ(tableGo(t, r), 0);
                total += fieldLong(tableField(t, "N"));
            }
            ASSERT_EQ(tableGo(t, 1), 0);
            fieldAssignLong(tableField(t, "N"), fieldLong(tableField(t, "N")) + kTotal - total);
            ASSERT_EQ(tableClose(t), 0);
        }
        if (HasFailure()) break;
    }
}

// A pack killed anywhere leaves the table as it was before the pack or as
// the pack leaves it: every live record once, each with its own memo, and
// tags that agree with the records.
TEST_F(CrashTest, APackKilledAtFiftyPointsLeavesTheTableBeforeOrAfterIt) {
    constexpr long kRecords = 3000;
    const FieldInfo fields[] = {{"MATCH", 'C', 10, 0, 0}, {"N", 'N', 8, 0, 0}, {"M", 'M', 10, 0, 0}, {}};
    const TagInfo tags[] = {{"PRIMARY", "MATCH", nullptr, 0, 0}, {"AMOUNT", "N", nullptr, 0, 10}, {}};
    std::mt19937 random(20261210);
    std::vector<std::string> all, kept;
    std::vector<bool> deleted;
    {
        TableHandle* t = tableCreate(&ctx, Path("PACKT"), fields, tags);
        ASSERT_NE(t, nullptr);
        for (long i = 1; i <= kRecords; ++i) {
            // Keys in random order, each record's its own.
            std::string match = vx::Format("%c%04ld%05ld", char('A' + random() % 26), long(random() % 10000), i);
            ASSERT_EQ(tableAppendStart(t, false), 0);
            fieldAssign(tableField(t, "MATCH"), match.c_str());
            fieldAssignLong(tableField(t, "N"), long(random() % 5000));
            if (random() % 3 != 0) {
                std::string memo = match + ":" + std::string(random() % 700, char('a' + i % 26));
                fieldMemoAssignN(tableField(t, "M"), memo.data(), uint32_t(memo.size()));
            }
            ASSERT_EQ(tableAppend(t), 0);
            all.push_back(match);
        }
        for (long i = 1; i <= kRecords; ++i) {
            bool drop = i > 40 && random() % 3 == 0;
            deleted.push_back(drop);
            if (!drop) {
                kept.push_back(all[size_t(i - 1)]);
                continue;
            }
            ASSERT_EQ(tableGo(t, i), 0);
            ASSERT_EQ(tableDelete(t), 0);
        }
        ASSERT_EQ(tableClose(t), 0);
    }
    const std::string dbf = Read("PACKT.DBF"), mdx = Read("PACKT.MDX"), dbt = Read("PACKT.DBT");
    auto restore = [&]() {
        Write("PACKT.DBF", dbf);
        Write("PACKT.MDX", mdx);
        Write("PACKT.DBT", dbt);
    };
    auto pack = [&](int mode) {
        return [this, mode](const std::function<void()>& arm) {
            EngineContext c;
            engineInit(&c);
            c.accessMode = mode;
            // Small buffers give the pack many steps to be killed at.
            c.packBufferSize = 2048;
            c.fileBufferSize = 1024;
            TableHandle* t = tableOpen(&c, Path("PACKT"));
            if (!t) ::_exit(3);
            arm();
            if (tablePack(t) != 0) ::_exit(4);
        };
    };
    int before = 0, after = 0;
    for (int mode : {0, 2}) {
        const std::string how = mode == 0 ? "shared" : "exclusive";
        restore();
        test::FileChanges whole = test::DiesAtChange(0, pack(mode));
        ASSERT_FALSE(whole.died);
        const auto& ch = whole.changes;
        ASSERT_GT(ch.size(), 20u) << how;
        // The kills spread over the copy to the side file, the moving of the
        // records, the cut of the data file and the rebuild of the tags.
        long cut = 0;
        for (size_t i = 0; i < ch.size() && !cut; ++i)
            if (ch[i] == "DBF t") cut = long(i) + 1;
        ASSERT_GT(cut, 0) << how;
        std::vector<long> side, moving, cutting, rebuild, any;
        for (long i = 1; i <= long(ch.size()); ++i) {
            const std::string& c = ch[size_t(i - 1)];
            any.push_back(i);
            if (c.rfind("PCK", 0) == 0) side.push_back(i);
            if (c == "DBF w" && i < cut) moving.push_back(i);
            if (std::abs(i - cut) <= 2) cutting.push_back(i);
            if (c.rfind("MDX", 0) == 0 && i > cut) rebuild.push_back(i);
        }
        ASSERT_GT(moving.size(), 10u) << how;
        ASSERT_GT(rebuild.size(), 10u) << how;
        std::vector<long> points;
        auto pick = [&](const std::vector<long>& from, int n) {
            const std::vector<long>& in = from.empty() ? any : from;
            for (int k = 0; k < n; ++k) points.push_back(in[random() % in.size()]);
        };
        pick(side, 8);
        pick(moving, 15);
        pick(cutting, 5);
        pick(rebuild, 17);
        pick(any, 5);
        for (long point : points) {
            std::string where = how + ", killed at change " + std::to_string(point) + " of " +
                                std::to_string(ch.size()) + " (" + ch[size_t(point - 1)] + ")";
            restore();
            ASSERT_TRUE(test::DiesAtChange(point, pack(mode)).died) << where;
            ctx.accessMode = mode;
            TableHandle* t = tableOpen(&ctx, Path("PACKT"));
            ctx.accessMode = 0;
            ASSERT_NE(t, nullptr) << where << ": " << ctx.errorCode;
            EXPECT_FALSE(FileExists(Path("PACKT.PCK"))) << where;
            long count = tableRecCount(t);
            ASSERT_TRUE(count == kRecords || count == long(kept.size()))
                << where << ": " << count << " records, " << ctx.errorCode;
            (count == kRecords ? before : after)++;
            std::string file = Read("PACKT.DBF");
            EXPECT_EQ(file.size(), size_t(test::Word(file, 8)) + size_t(count) * test::Word(file, 10) + 1) << where;
            // Each record is the one of the state it is in; its memo is its
            // own and no other record's.
            std::set<long> blocks;
            Field* m = tableField(t, "M");
            for (long r = 1; r <= count; ++r) {
                ASSERT_EQ(tableGo(t, r), 0) << where;
                std::string match = fieldStr(tableField(t, "MATCH"));
                bool gone = tableDeleted(t) != 0;
                if (count == kRecords) {
                    EXPECT_EQ(match, all[size_t(r - 1)]) << where << ": record " << r;
                    EXPECT_EQ(gone, bool(deleted[size_t(r - 1)])) << where << ": record " << r;
                } else {
                    EXPECT_EQ(match, kept[size_t(r - 1)]) << where << ": record " << r;
                    EXPECT_FALSE(gone) << where << ": record " << r;
                }
                long block = std::atol(std::string(tableRecord(t) + m->offset, m->len).c_str());
                if (block == 0) continue;
                EXPECT_TRUE(blocks.insert(block).second) << where << ": memo block " << block << " twice";
                std::string text(fieldMemoPtr(m), fieldMemoLen(m));
                EXPECT_EQ(text.substr(0, match.size() + 1), match + ":") << where << ": record " << r;
            }
            ExpectTagsAgree(t, where);
            ASSERT_EQ(tableClose(t), 0) << where;
            if (HasFailure()) return;
        }
    }
    std::printf("pack killed %d times: %d left as before, %d as after\n", before + after, before, after);
}

} // namespace
} // namespace vx
