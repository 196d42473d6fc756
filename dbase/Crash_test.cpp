// A writer killed at random points of its work, shared and exclusive, with
// and without the transaction log, and a pack killed at random points while
// a second user appends: after each kill the table opens whole.
#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "dbase/index/IndexFile.h"
#include "dbase/index/TagFile.h"
#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"
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

// A second user of the table in another process: it opens the table (at
// once, or only when told to go), and when told appends records with memos,
// reporting the key of each append that returned 0.
class SecondUser {
public:
    SecondUser(const std::string& table, bool openFirst, int run) {
        int go[2], report[2];
        if (::pipe(go) != 0 || ::pipe(report) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(go[1]);
            ::close(report[0]);
            EngineContext c;
            engineInit(&c);
            c.errOff = 1;
            TableHandle* t = openFirst ? tableOpen(&c, table) : nullptr;
            if (openFirst && !t) ::_exit(3);
            char byte = 'R';
            if (::write(report[1], &byte, 1) != 1 || ::read(go[0], &byte, 1) != 1) ::_exit(4);
            if (!t) t = tableOpen(&c, table);
            // A refused append is tried once more after the table is opened again.
            bool reopened = false;
            for (int k = 0; t && k < 3; ++k) {
                std::string key = vx::Format("B%04d%03d", run, k);
                std::string memo = key + ":" + std::string(size_t(50 * k), 'b');
                key.resize(10, ' ');
                bool done = tableAppendStart(t, false) == 0 &&
                            fieldAssign(tableField(t, "MATCH"), key.c_str()) == 0 &&
                            fieldAssignLong(tableField(t, "N"), k) == 0 &&
                            fieldMemoAssignN(tableField(t, "M"), memo.data(), uint32_t(memo.size())) == 0 &&
                            tableAppend(t) == 0 && tableFlush(t) == 0;
                if (!done && reopened) break;
                if (!done) {
                    if (::write(report[1], "!", 1) != 1) ::_exit(5);
                    c.errorCode = 0;
                    tableClose(t);
                    c.errorCode = 0;
                    t = tableOpen(&c, table);
                    reopened = true;
                    --k;
                    continue;
                }
                if (::write(report[1], key.data(), key.size()) != ssize_t(key.size())) ::_exit(5);
            }
            ::_exit(0);
        }
        ::close(go[0]);
        ::close(report[1]);
        go_ = go[1];
        report_ = report[0];
        char byte = 0;
        ready_ = ::read(report_, &byte, 1) == 1 && byte == 'R';
    }
    bool ready() const { return ready_; }
    // Whether an append was refused and tried again after a new open.
    bool refused() const { return refused_; }
    // Lets it append; the keys of the appends it was told succeeded.
    std::vector<std::string> Append() {
        std::string text;
        char byte = 'G', buf[256];
        if (::write(go_, &byte, 1) == 1) {
            for (ssize_t got; (got = ::read(report_, buf, sizeof buf)) != 0;) {
                if (got > 0) text.append(buf, size_t(got));
                else if (errno != EINTR) break;
            }
        }
        ::waitpid(pid_, &status_, 0);
        pid_ = -1;
        refused_ = text.find('!') != std::string::npos;
        text.erase(std::remove(text.begin(), text.end(), '!'), text.end());
        std::vector<std::string> keys;
        for (size_t at = 0; at + 10 <= text.size(); at += 10) keys.push_back(text.substr(at, 10));
        return keys;
    }
    ~SecondUser() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (go_ >= 0) ::close(go_);
        if (report_ >= 0) ::close(report_);
    }

private:
    pid_t pid_ = -1;
    int go_ = -1, report_ = -1, status_ = 0;
    bool ready_ = false, refused_ = false;
};

// A pack killed anywhere leaves the table as it was before the pack or as
// the pack leaves it: every live record once, each with its own memo, and
// tags that agree with the records. A second user that had the table open
// (or opens it after the kill, when the pack had it alone) appends after the
// kill: every append it was told succeeded is there once, behind them.
TEST_F(CrashTest, APackKilledAtFiftyPointsLeavesTheTableBeforeOrAfterIt) {
    constexpr long kRecords = 3000;
    const FieldInfo fields[] = {{"MATCH", 'C', 10, 0, 0}, {"N", 'N', 8, 0, 0}, {"M", 'M', 10, 0, 0}, {}};
    const TagInfo tags[] = {{"PRIMARY", "MATCH", nullptr, 0, 0}, {"AMOUNT", "N", nullptr, 0, 10}, {}};
    std::mt19937 random(20261210);
    int runs = 0;
    for (bool tagged : {true, false}) {
        std::vector<std::string> all, kept;
        std::vector<bool> deleted;
        for (const char* ext : {"DBF", "MDX", "DBT"}) RemoveFile(Path(std::string("PACKT.") + ext));
        {
            TableHandle* t = tableCreate(&ctx, Path("PACKT"), fields, tagged ? tags : nullptr);
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
        const std::string dbf = Read("PACKT.DBF"), mdx = tagged ? Read("PACKT.MDX") : "", dbt = Read("PACKT.DBT");
        auto restore = [&]() {
            Write("PACKT.DBF", dbf);
            if (tagged) Write("PACKT.MDX", mdx);
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
        for (int mode : {0, 2}) {
            const std::string how =
                std::string(mode == 0 ? "shared" : "exclusive") + (tagged ? ", tags" : ", no tags");
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
            if (tagged) {
                ASSERT_GT(rebuild.size(), 10u) << how;
            }
            std::vector<long> points;
            auto pick = [&](const std::vector<long>& from, int n) {
                const std::vector<long>& in = from.empty() ? any : from;
                for (int k = 0; k < n; ++k) points.push_back(in[random() % in.size()]);
            };
            pick(side, 8);
            pick(moving, tagged ? 15 : 22);
            pick(cutting, tagged ? 5 : 10);
            if (tagged) pick(rebuild, 17);
            pick(any, tagged ? 5 : 10);
            int asBefore = 0, asAfter = 0;
            long secondAppended = 0;
            int refused = 0;
            for (long point : points) {
                std::string where = how + ", killed at change " + std::to_string(point) + " of " +
                                    std::to_string(ch.size()) + " (" + ch[size_t(point - 1)] + ")";
                restore();
                // Exclusive: the second user can open only once the pack is dead.
                SecondUser second(Path("PACKT"), mode == 0, runs++);
                ASSERT_TRUE(second.ready()) << where;
                ASSERT_TRUE(test::DiesAtChange(point, pack(mode)).died) << where;
                const std::vector<std::string> acked = second.Append();
                ctx.accessMode = mode;
                TableHandle* t = tableOpen(&ctx, Path("PACKT"));
                ctx.accessMode = 0;
                ASSERT_NE(t, nullptr) << where << ": " << ctx.errorCode;
                EXPECT_FALSE(FileExists(Path("PACKT.PCK"))) << where;
                const long count = tableRecCount(t), base = count - long(acked.size());
                ASSERT_TRUE(base == kRecords || base == long(kept.size()))
                    << where << ": " << count << " records with " << acked.size() << " appended, " << ctx.errorCode;
                (base == kRecords ? asBefore : asAfter)++;
                secondAppended += long(acked.size());
                refused += second.refused();
                std::string file = Read("PACKT.DBF");
                EXPECT_EQ(file.size(), size_t(test::Word(file, 8)) + size_t(count) * test::Word(file, 10) + 1)
                    << where;
                // Each record is the one of the state it is in, the second
                // user's behind; its memo is its own and no other record's.
                std::set<long> blocks;
                Field* m = tableField(t, "M");
                for (long r = 1; r <= count; ++r) {
                    ASSERT_EQ(tableGo(t, r), 0) << where;
                    std::string match = fieldStr(tableField(t, "MATCH"));
                    bool gone = tableDeleted(t) != 0;
                    if (r > base) {
                        EXPECT_EQ(match, acked[size_t(r - base - 1)]) << where << ": record " << r;
                        EXPECT_FALSE(gone) << where << ": record " << r;
                        while (!match.empty() && match.back() == ' ') match.pop_back();
                    } else if (base == kRecords) {
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
                if (tagged) ExpectTagsAgree(t, where);
                ASSERT_EQ(tableClose(t), 0) << where;
                if (HasFailure()) return;
            }
            std::printf("%s: pack killed %d times, %d left as before, %d as after; %ld records appended after the "
                        "kills, %d times after a refusal and a new open\n",
                        how.c_str(), asBefore + asAfter, asBefore, asAfter, secondAppended, refused);
        }
    }
}

} // namespace
} // namespace vx
