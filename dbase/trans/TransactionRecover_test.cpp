// Recovery from the log: the consistency check at open, transactions of
// writers that crashed or died rolled back, and the log marked clean.
#include "dbase/trans/Transaction.h"

#include "testsupport/dbase/TransactionTestSupport.h"
#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "dbase/index/IndexFile.h"
#include "dbase/index/TagFile.h"
#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <functional>
#include <cstring>
#include <ctime>
#include <random>
#include <set>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vx {
namespace {

using test::CleanLog;
using test::TransactionTest;

// The transactions the log records as rolled back.
long RolledBack(const std::vector<int>& types) { return long(std::count(types.begin(), types.end(), kLogRolledBack)); }

// A writer in a child process opens the table with the log, starts a
// transaction, does its work and ends without a rollback or leaving the log.
// Returns once the child has ended.
void CrashInsideATransaction(const std::string& log, const std::string& table,
                             const std::function<void(TableHandle*)>& work) {
    pid_t pid = ::fork();
    if (pid == 0) {
        EngineContext c;
        engineInit(&c);
        engineLogOpen(&c, log.c_str(), "KID");
        TableHandle* t = tableOpen(&c, table);
        engineTranStart(&c);
        work(t);
        tableFlush(t);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(TransactionTest, ConsistencyCheck) {
    Write("TRANS.LOG", std::string("\x21\0\0\0", 4) + CleanLog().substr(4));
    EXPECT_EQ(OpenLog(), -70);
    ctx.errorCode = 0;
    std::string backup = CleanLog();
    backup[4 + 16] = 17;
    Write("TRANS.LOG", backup);
    EXPECT_EQ(OpenLog(), -1210);
    EXPECT_NE(Shown().back().text.find("Backup-Version"), std::string::npos);
    ctx.errorCode = 0;
    Write("TRANS.LOG", "");
    EXPECT_EQ(OpenLog(), -70);
    ctx.errorCode = 0;
    EXPECT_EQ(ctx.tranState, 0);
    // Not left clean, and not one whole entry to recover from.
    std::string broken = CleanLog();
    broken[4 + 16] = kLogJoin;
    broken[4 + 20] = 5;
    Write("TRANS.LOG", broken);
    EXPECT_EQ(OpenLog(), -1210);
    EXPECT_NE(Shown().back().text.find("Hilfsprogramm zur Wiederherstellung"), std::string::npos);
    ctx.errorCode = 0;
    EXPECT_EQ(Read("TRANS.LOG"), broken);
}

TEST_F(TransactionTest, ALogLeftByACrashIsRolledBackAtTheNextOpen) {
    {
        ASSERT_EQ(OpenLog(), 0);
        TableHandle* t = MakeTable("CRASH", 3, true);
        tableClose(t);
        engineLogClose(&ctx);
    }
    size_t size = Read("CRASH.DBF").size();
    ASSERT_NO_FATAL_FAILURE(CrashInsideATransaction(Path("TRANS.LOG"), Path("CRASH"), [](TableHandle* t) {
        tableGo(t, 2);
        fieldAssign(tableField(t, "N"), "bad");
        fieldMemoAssignN(tableField(t, "M"), "gone", 4);
        tableAppendBlank(t);
    }));
    EXPECT_NE(Types().back(), kLogClean);
    const long rolledBefore = RolledBack(Types());
    ASSERT_EQ(OpenLog(), 0);
    EXPECT_EQ(RolledBack(Types()), rolledBefore + 1);
    TableHandle* t = tableOpen(&ctx, Path("CRASH"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(tableRecCount(t), 3);
    EXPECT_EQ(N(t, 2), "r2  ");
    EXPECT_EQ(std::string(fieldMemoStr(tableField(t, "M"))), "memo 2");
    EXPECT_EQ(Read("CRASH.DBF").size(), size);
    tableClose(t);
    auto types = Types();
    // Rolled back, marked clean, then joined.
    auto rolled = std::find(types.begin(), types.end(), kLogRolledBack);
    ASSERT_NE(rolled, types.end());
    EXPECT_EQ(*(rolled + 1), kLogClean);
    EXPECT_EQ(*(rolled + 2), kLogJoin);
}

// User B dies inside a transaction while A is in the log. B's changes go as
// soon as B can be told dead: at A's close when A is the last one, or when a
// third user joins while A still holds a transaction, which stays A's.
TEST_F(TransactionTest, ADeadUsersTransactionIsRolledBackWhileOthersAreInTheLog) {
    for (bool aHoldsATransaction : {false, true}) {
        SCOPED_TRACE(aHoldsATransaction ? "A commits after B's death" : "A closes after B's death");
        const std::string name = aHoldsATransaction ? "DEAD2" : "DEAD1";
        tableClose(MakeTable(name.c_str(), 4, true));
        ASSERT_EQ(OpenLog("A"), 0);
        TableHandle* a = tableOpen(&ctx, Path(name));
        ASSERT_NE(a, nullptr);
        if (aHoldsATransaction) {
            ASSERT_EQ(engineTranStart(&ctx), 0);
            ASSERT_EQ(tableGo(a, 1), 0);
            ASSERT_EQ(fieldAssign(tableField(a, "N"), "A1"), 0);
            ASSERT_EQ(tableFlush(a), 0);
        }
        int ready[2], hold[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(hold), 0);
        pid_t pid = ::fork();
        if (pid == 0) {
            EngineContext c;
            engineInit(&c);
            bool ok = engineLogOpen(&c, Path("TRANS.LOG").c_str(), "B") == 0;
            TableHandle* t = tableOpen(&c, Path(name));
            ok = ok && t && engineTranStart(&c) == 0 && tableGo(t, 3) == 0 &&
                 fieldAssign(tableField(t, "N"), "bad") == 0 && fieldMemoAssignN(tableField(t, "M"), "gone", 4) == 0 &&
                 tableAppendBlank(t) == 0 && tableFlush(t) == 0;
            char b = ok ? 'R' : 'F';
            (void)!::write(ready[1], &b, 1);
            (void)!::read(hold[0], &b, 1); // killed here
            ::_exit(3);
        }
        char b = 0;
        ASSERT_EQ(::read(ready[0], &b, 1), 1);
        ASSERT_EQ(b, 'R');
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        for (int fd : {ready[0], ready[1], hold[0], hold[1]}) ::close(fd);
        const auto before = Types();
        const auto rolledBefore = std::count(before.begin(), before.end(), kLogRolledBack);

        if (aHoldsATransaction) {
            // A third user's join rolls B back and leaves A's transaction be.
            EngineContext other;
            ASSERT_EQ(engineInit(&other), 0);
            ASSERT_EQ(engineLogOpen(&other, Path("TRANS.LOG").c_str(), "C"), 0);
            EXPECT_EQ(RolledBack(Types()), rolledBefore + 1);
            TableHandle* c = tableOpen(&other, Path(name));
            ASSERT_NE(c, nullptr);
            EXPECT_EQ(tableRecCount(c), 4);
            EXPECT_EQ(N(c, 3), "r3  ");
            EXPECT_EQ(std::string(fieldMemoStr(tableField(c, "M"))), "memo 3");
            tableClose(c);
            EXPECT_EQ(engineLogClose(&other), 0);
            engineInitUndo(&other);
            EXPECT_EQ(engineTranCommit(&ctx, true), 0);
        }
        EXPECT_EQ(tableClose(a), 0);
        EXPECT_EQ(engineLogClose(&ctx), 0);
        EXPECT_EQ(Types().back(), kLogClean);

        // The next user finds nothing left to do, and the tables as they were
        // but for A's committed change.
        const long rolledAfter = RolledBack(Types());
        ASSERT_EQ(OpenLog("D"), 0);
        EXPECT_EQ(RolledBack(Types()), rolledAfter);
        TableHandle* t = tableOpen(&ctx, Path(name));
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(tableRecCount(t), 4);
        EXPECT_EQ(N(t, 1), aHoldsATransaction ? "A1  " : "r1  ");
        EXPECT_EQ(N(t, 3), "r3  ");
        EXPECT_EQ(std::string(fieldMemoStr(tableField(t, "M"))), "memo 3");
        tableClose(t);
        auto types = Types();
        EXPECT_EQ(std::count(types.begin(), types.end(), kLogRolledBack), rolledBefore + 1);
        EXPECT_EQ(engineLogClose(&ctx), 0);
    }
}

// A crash inside a transaction that changed keys: after the recovery every
// tag holds exactly the keys of the records as they were before it.
TEST_F(TransactionTest, ARecoveryPutsTheTagsBackWithTheRecords) {
    const FieldInfo fields[] = {{"N", 'C', 4, 0, 0}, {}};
    const TagInfo tags[] = {{"NAME", "N", nullptr, 0, 0}, {"DOWN", "N", nullptr, 0, 10}, {}};
    {
        TableHandle* t = tableCreate(&ctx, Path("TAGGED"), fields, tags);
        ASSERT_NE(t, nullptr) << ctx.errorCode;
        for (int i = 1; i <= 5; ++i) {
            tableAppendStart(t, false);
            fieldAssign(tableField(t, "N"), ("r" + std::to_string(i)).c_str());
            ASSERT_EQ(tableAppend(t), 0);
        }
        tableClose(t);
    }
    ASSERT_NO_FATAL_FAILURE(CrashInsideATransaction(Path("TRANS.LOG"), Path("TAGGED"), [](TableHandle* t) {
        tableGo(t, 2);
        fieldAssign(tableField(t, "N"), "bad");
        tableGo(t, 3);
        fieldAssign(tableField(t, "N"), "a0");
        tableAppendStart(t, false);
        fieldAssign(tableField(t, "N"), "new");
        tableAppend(t);
    }));
    const long rolledBefore = RolledBack(Types());
    ASSERT_EQ(OpenLog(), 0);
    EXPECT_EQ(RolledBack(Types()), rolledBefore + 1);
    // Opened exclusively, the tags are taken as they stand.
    ctx.accessMode = 1;
    TableHandle* t = tableOpen(&ctx, Path("TAGGED"));
    ctx.accessMode = 0;
    ASSERT_NE(t, nullptr) << ctx.errorCode << " " << (Shown().empty() ? "" : Shown().back().text);
    ASSERT_EQ(tableRecCount(t), 5);
    for (const char* name : {"NAME", "DOWN"}) {
        SCOPED_TRACE(name);
        TagHandle* th = tableTag(t, name);
        ASSERT_NE(th, nullptr);
        tableTagSelect(t, th);
        std::string walked;
        for (int rc = tableTop(t); rc == 0 && !tableEof(t); rc = tableSkip(t, 1)) {
            std::string n = fieldStr(tableField(t, "N"));
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(TagKeyData(th->tagFile)), 4), n);
            walked += n.substr(1, 1);
        }
        EXPECT_EQ(walked, std::string(name) == "NAME" ? "12345" : "54321");
    }
    tableTagSelect(t, tableTag(t, "NAME"));
    EXPECT_NE(tableSeek(t, "bad"), 0);
    EXPECT_NE(tableSeek(t, "new"), 0);
    EXPECT_NE(tableSeek(t, "a0"), 0);
    EXPECT_EQ(tableSeek(t, "r2"), 0);
    EXPECT_EQ(tableRecNo(t), 2);
    tableClose(t);
}

TEST_F(TransactionTest, ALogLeftOpenWithoutATransactionIsMarkedClean) {
    Write("TRANS.LOG", CleanLog() + CleanLog().substr(0, 20)); // a torn last entry
    std::string s = Read("TRANS.LOG");
    s.replace(4 + 16, 1, "\x0F"); // the first entry becomes a join
    Write("TRANS.LOG", s);
    ASSERT_EQ(OpenLog(), 0);
    EXPECT_EQ(Types(), (std::vector<int>{15, 16, 15}));
}

TEST_F(TransactionTest, UsersShareTheLogAndTheLastOneMarksItClean) {
    ASSERT_EQ(OpenLog(), 0);
    EngineContext second;
    ASSERT_EQ(engineInit(&second), 0);
    ASSERT_EQ(engineLogOpen(&second, Path("TRANS.LOG").c_str(), "ZWEI"), 0);
    EXPECT_EQ(ctx.tranBlock->Slot(), 1);
    EXPECT_EQ(second.tranBlock->Slot(), 2);
    // The first leaves while the second works on.
    ASSERT_EQ(engineLogClose(&ctx), 0);
    EXPECT_EQ(Types().back(), kLogLeave);
    // A third user joins while the log is in use: no check, the free slot 1.
    ASSERT_EQ(OpenLog(), 0);
    EXPECT_EQ(ctx.tranBlock->Slot(), 1);
    ASSERT_EQ(engineLogClose(&ctx), 0);
    ASSERT_EQ(engineInitUndo(&second), 0);
    EXPECT_EQ(Types(), (std::vector<int>{16, 15, 15, 18, 15, 18, 18, 16}));
}

// A writer moves amounts between records and appends a record per
// transaction; killed anywhere, the next open finds the total unchanged and
// every record whole.
TEST_F(TransactionTest, AWriterKilledAnywhereLeavesAWholeTable) {
    const FieldInfo fields[] = {{"A", 'N', 8, 0, 0}, {"B", 'N', 8, 0, 0}, {}};
    ASSERT_EQ(OpenLog(), 0);
    TableHandle* t = tableCreate(&ctx, Path("BANK"), fields);
    ASSERT_NE(t, nullptr);
    for (int i = 0; i < 10; ++i) {
        tableAppendStart(t, false);
        fieldAssignLong(tableField(t, "A"), 1000);
        fieldAssignLong(tableField(t, "B"), -1000);
        ASSERT_EQ(tableAppend(t), 0);
    }
    tableClose(t);
    engineLogClose(&ctx);
    std::mt19937 random(12345);
    int recovered = 0, heldInside = 0;
    long committed = 0;
    for (int run = 0; run < 60; ++run) {
        // Two reports per transaction: inside it, and after its commit.
        long after = 1 + long(random() % 16);
        bool hold = random() % 3 == 0;
        unsigned seed = unsigned(random());
        test::KilledWriter w = test::RunKilledWriter(after, hold, [&](const test::Progress& progress) {
            EngineContext c;
            engineInit(&c);
            engineLogOpen(&c, Path("TRANS.LOG").c_str(), "");
            TableHandle* wt = tableOpen(&c, Path("BANK"));
            std::mt19937 r(seed);
            for (;;) {
                if (engineTranStart(&c) != 0) ::_exit(2);
                long from = long(r() % 10) + 1, to = long(r() % 10) + 1, amount = long(r() % 100);
                tableGo(wt, from);
                fieldAssignLong(tableField(wt, "A"), fieldLong(tableField(wt, "A")) - amount);
                fieldAssignLong(tableField(wt, "B"), fieldLong(tableField(wt, "B")) + amount);
                tableGo(wt, to);
                progress();
                fieldAssignLong(tableField(wt, "A"), fieldLong(tableField(wt, "A")) + amount);
                fieldAssignLong(tableField(wt, "B"), fieldLong(tableField(wt, "B")) - amount);
                tableAppendStart(wt, false);
                fieldAssignLong(tableField(wt, "A"), 7);
                fieldAssignLong(tableField(wt, "B"), -7);
                if (tableAppend(wt) != 0) ::_exit(3);
                if (engineTranCommit(&c, true) != 0) ::_exit(4);
                progress();
            }
        });
        ASSERT_TRUE(w.killed()) << "writer ended with " << WEXITSTATUS(w.status);
        ASSERT_EQ(w.reported(), after);
        committed += after / 2;
        if (hold && after % 2 == 1) ++heldInside;
        const long rolledBefore = RolledBack(Types());
        ASSERT_EQ(OpenLog(), 0) << "run " << run;
        recovered += int(RolledBack(Types()) - rolledBefore);
        t = tableOpen(&ctx, Path("BANK"));
        ASSERT_NE(t, nullptr) << "run " << run;
        long total = 0;
        long count = tableRecCount(t);
        // Every committed transaction keeps its appended record.
        ASSERT_GE(count, 10 + committed) << "run " << run;
        committed = count - 10;
        for (long i = 1; i <= count; ++i) {
            ASSERT_EQ(tableGo(t, i), 0);
            long a = fieldLong(tableField(t, "A")), b = fieldLong(tableField(t, "B"));
            ASSERT_EQ(a, -b) << "record " << i << " run " << run;
            if (i <= 10) total += a;
            else ASSERT_EQ(a, 7);
        }
        EXPECT_EQ(total, 10000) << "run " << run;
        std::string file = Read("BANK.DBF");
        EXPECT_EQ(file.size(), 97 + size_t(count) * 17 + 1);
        tableClose(t);
        engineLogClose(&ctx);
    }
    // A writer stopped inside its transaction is always rolled back.
    EXPECT_GT(heldInside, 0);
    EXPECT_GE(recovered, heldInside);
}

} // namespace
} // namespace vx
