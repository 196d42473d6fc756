#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"

#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/util/Convert.h"
#include "dbase/data/Field.h"
#include "dbase/index/IndexFile.h"
#include "dbase/index/TagFile.h"
#include "testsupport/dbase/TestWorkers.h"
#include "dbase/trans/Transaction.h"

#include <fcntl.h>
#include <sys/wait.h>

#include <functional>
#include <random>
#include <unistd.h>

namespace vx {
namespace {

// Whether another handle holds a lock on the byte of the file.
bool HeldInFile(const std::string& path, int64_t byte) {
    int fd = ::open(path.c_str(), O_RDWR);
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = byte;
    fl.l_len = 1;
    ::fcntl(fd, F_OFD_GETLK, &fl);
    ::close(fd);
    return fl.l_type != F_UNLCK;
}

class LockTest : public test::EngineTest {
protected:
    void SetUp() override {
        test::EngineTest::SetUp();
        const FieldInfo fields[] = {{"NAME", 'C', 10, 0, 0}, {}};
        TableHandle* t = tableCreate(&ctx, Path("LOCKS"), fields);
        ASSERT_NE(t, nullptr);
        for (int i = 0; i < 6; ++i) ASSERT_EQ(tableAppendBlank(t), 0);
        tableClose(t);
    }
    // Another process appends one record.
    int InChildAppend() {
        pid_t pid = ::fork();
        if (pid == 0) {
            EngineContext c;
            engineInit(&c);
            TableHandle* t = tableOpen(&c, Path("LOCKS"));
            ::_exit(t && tableAppendBlank(t) == 0 && tableClose(t) == 0 ? 0 : 1);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
    }
    // Whether another process's handle holds a lock on the byte.
    bool HeldByOther(int64_t byte) { return HeldInFile(Path("LOCKS.DBF"), byte); }
};

// A child that opens the table, takes a lock and waits until told to end.
class Holder {
public:
    template <typename Take> Holder(const std::string& path, Take take) {
        (void)!::pipe(ready_);
        (void)!::pipe(done_);
        pid_ = ::fork();
        if (pid_ == 0) {
            EngineContext c;
            engineInit(&c);
            TableHandle* t = tableOpen(&c, path);
            char b = t && take(t) == 0 ? 'y' : 'n';
            (void)!::write(ready_[1], &b, 1);
            (void)!::read(done_[0], &b, 1);
            ::_exit(0);
        }
        char b = 0;
        (void)!::read(ready_[0], &b, 1);
        ok = b == 'y';
    }
    ~Holder() {
        char b = 'x';
        (void)!::write(done_[1], &b, 1);
        ::waitpid(pid_, nullptr, 0);
        for (int fd : {ready_[0], ready_[1], done_[0], done_[1]}) ::close(fd);
    }
    bool ok = false;

private:
    int ready_[2], done_[2];
    pid_t pid_ = 0;
};

TEST_F(LockTest, RecordFiveLocksItsByte) {
    TableHandle* t = tableOpen(&ctx, Path("LOCKS"));
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(tableLock(t, 5), 0);
    EXPECT_EQ(tableLockTest(t, 5), 1);
    EXPECT_EQ(tableLockTest(t, 4), 0);
    EXPECT_TRUE(HeldByOther(0xEFFFFFF9));
    EXPECT_FALSE(HeldByOther(0xEFFFFFFE)); // the gate is released again
    ASSERT_EQ(tableUnlockRecord(t, 5), 0);
    EXPECT_FALSE(HeldByOther(0xEFFFFFF9));
    ASSERT_EQ(tableLockAppend(t), 0);
    EXPECT_TRUE(HeldByOther(0xEFFFFFFF));
    ASSERT_EQ(tableLockFile(t), 0);
    EXPECT_TRUE(HeldByOther(0x40000000));
    EXPECT_TRUE(HeldByOther(0xEFFFFFFF));
    EXPECT_EQ(tableLockTest(t, 3), 1);
    tableClose(t);
    EXPECT_FALSE(HeldByOther(0x40000000));
}

TEST_F(LockTest, AHeldRecordIsTriedAsOftenAsTheAttemptsSay) {
    Holder other(Path("LOCKS"), [](TableHandle* t) { return tableLock(t, 3); });
    ASSERT_TRUE(other.ok);
    TableHandle* t = tableOpen(&ctx, Path("LOCKS"));
    ASSERT_NE(t, nullptr);
    ctx.lockAttempts = 3;
    EXPECT_EQ(tableLock(t, 3), 50);
    EXPECT_EQ(waits, (std::vector<int>{100, 100}));
    EXPECT_EQ(tableLockTest(t, 3), 0);
    EXPECT_EQ(tableLock(t, 4), 0);
    // Reading the record is still possible; appending is not blocked by it.
    EXPECT_EQ(tableGo(t, 3), 0);
    EXPECT_EQ(tableAppendBlank(t), 0);
    EXPECT_EQ(tableRecCount(t), 7);
    tableClose(t);
}

TEST_F(LockTest, AppendWaitsForTheAppendLockOfAnotherProcess) {
    Holder other(Path("LOCKS"), [](TableHandle* t) { return tableLockAppend(t); });
    ASSERT_TRUE(other.ok);
    TableHandle* t = tableOpen(&ctx, Path("LOCKS"));
    ctx.lockAttempts = 2;
    EXPECT_EQ(tableAppendBlank(t), 50);
    EXPECT_EQ(tableRecCount(t), 6);
    EXPECT_EQ(tableLockFile(t), 50);
    tableClose(t);
    EXPECT_EQ(Read("LOCKS.DBF").size(), 65u + 6 * 11 + 1);
}

TEST_F(LockTest, AnAppendLockTakenEarlyStillSeesOthersAppends) {
    TableHandle* t = tableOpen(&ctx, Path("LOCKS"));
    ASSERT_EQ(tableRecCount(t), 6);
    EXPECT_EQ(InChildAppend(), 0);
    ASSERT_EQ(tableLockAppend(t), 0);
    EXPECT_EQ(tableRecCount(t), 7);
    ASSERT_EQ(tableAppendBlank(t), 0);
    EXPECT_EQ(tableRecNo(t), 8);
    tableClose(t);
    EXPECT_EQ(Read("LOCKS.DBF").size(), 65u + 8 * 11 + 1);
}

TEST_F(LockTest, TwoTablesOfOneContextConflict) {
    ctx.singleOpen = 0;
    TableHandle* a = tableOpen(&ctx, Path("LOCKS"));
    TableHandle* b = tableOpen(&ctx, Path("LOCKS"));
    ASSERT_TRUE(a && b);
    ctx.unlockAuto = 2;
    ASSERT_EQ(tableLock(a, 1), 0);
    ctx.lockAttempts = 5;
    EXPECT_EQ(tableLock(b, 1), 50);
    EXPECT_TRUE(waits.empty()); // at once
    EXPECT_EQ(tableLockFile(b), 50);
    ctx.lockAttempts = -1;
    EXPECT_EQ(tableLock(b, 1), -50);
    EXPECT_NE(Shown().back().text.find("Endlos-Sperre in Konflikt mit eigener lokalen Sperre"), std::string::npos);
    ctx.errorCode = 0;
    EXPECT_EQ(tableLock(b, 2), 0);
    tableClose(b);
    tableClose(a);
}

// The context remembers no locks of its own: clearing its list leaves every
// lock of its tables held, here and for other users.
TEST_F(LockTest, ClearingTheContextsLockListKeepsHeldLocks) {
    TableHandle* a = tableOpen(&ctx, Path("LOCKS"));
    ASSERT_NE(a, nullptr);
    ctx.unlockAuto = 0;
    ASSERT_EQ(tableLock(a, 3), 0);
    ASSERT_EQ(tableLockAppend(a), 0);
    EXPECT_EQ(engineLockClear(&ctx), 0);
    EXPECT_EQ(tableLockTest(a, 3), 1);
    EngineContext second;
    ASSERT_EQ(engineInit(&second), 0);
    second.lockAttempts = 1;
    TableHandle* b = tableOpen(&second, Path("LOCKS"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(tableLock(b, 3), 50);
    EXPECT_EQ(tableLockAppend(b), 50);
    tableClose(b);
    engineInitUndo(&second);
    ctx.unlockAuto = 1;
    tableClose(a);
}

TEST_F(LockTest, TwoContextsInOneProcessConflictLikeTwoHandles) {
    EngineContext second;
    ASSERT_EQ(engineInit(&second), 0);
    TableHandle* a = tableOpen(&ctx, Path("LOCKS"));
    TableHandle* b = tableOpen(&second, Path("LOCKS"));
    ASSERT_TRUE(a && b);
    ASSERT_EQ(tableLock(a, 2), 0);
    second.lockAttempts = 1;
    EXPECT_EQ(tableLock(b, 2), 50);
    EXPECT_EQ(tableLock(b, 1), 0);
    tableClose(b);
    tableClose(a);
    engineInitUndo(&second);
}

TEST_F(LockTest, UnlockAutoReleasesOlderLocks) {
    TableHandle* t = tableOpen(&ctx, Path("LOCKS"));
    ASSERT_EQ(tableLock(t, 1), 0);
    ASSERT_EQ(tableLock(t, 2), 0);
    EXPECT_EQ(tableLockTest(t, 1), 0);
    EXPECT_FALSE(HeldByOther(lockOffsetRecord(1)));
    ctx.unlockAuto = 0;
    ASSERT_EQ(tableLock(t, 3), 0);
    EXPECT_EQ(tableLockTest(t, 2), 1);
    EXPECT_EQ(tableUnlock(t), 0); // does nothing in mode 0
    EXPECT_EQ(tableLockTest(t, 2), 1);
    ctx.unlockAuto = 1;
    EXPECT_EQ(tableUnlock(t), 0);
    EXPECT_EQ(tableLockTest(t, 2), 0);
    EXPECT_FALSE(HeldByOther(lockOffsetRecord(3)));
    tableClose(t);
}

TEST_F(LockTest, ExclusiveTablesTakeNoSystemLocks) {
    ctx.accessMode = 2;
    TableHandle* t = tableOpen(&ctx, Path("LOCKS"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(tableLockTest(t, 4), 1);
    EXPECT_EQ(tableLock(t, 4), 0);
    EXPECT_FALSE(HeldByOther(lockOffsetRecord(4)));
    ctx.accessMode = 0;
    // Another process cannot open the table while it is held exclusively.
    int status = 0;
    pid_t pid = ::fork();
    if (pid == 0) {
        EngineContext c;
        engineInit(&c);
        c.errOpen = 0;
        ::_exit(tableOpen(&c, Path("LOCKS")) == nullptr ? 0 : 1);
    }
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    tableClose(t);
}

TEST_F(LockTest, AnExclusiveOpenFailsWhileAnotherProcessHasTheTable) {
    Holder other(Path("LOCKS"), [](TableHandle*) { return 0; });
    ASSERT_TRUE(other.ok);
    ctx.accessMode = 2;
    ctx.errOpen = 0;
    EXPECT_EQ(tableOpen(&ctx, Path("LOCKS")), nullptr);
    EXPECT_EQ(ctx.errorCode, 70);
}

TEST_F(LockTest, AppendsFromTwoProcessesAllArrive) {
    auto worker = [&](char tag) {
        EngineContext c;
        engineInit(&c);
        TableHandle* t = tableOpen(&c, Path("LOCKS"));
        if (!t) return 1;
        for (int i = 0; i < 200; ++i) {
            tableAppendStart(t, false);
            tableBlank(t);
            fieldAssign(tableField(t, "NAME"), std::string(1, tag).c_str());
            if (tableAppend(t) != 0) return 2;
        }
        tableClose(t);
        engineInitUndo(&c);
        return 0;
    };
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(worker('a'));
    EXPECT_EQ(worker('b'), 0);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    TableHandle* t = tableOpen(&ctx, Path("LOCKS"));
    ASSERT_EQ(tableRecCount(t), 406);
    int a = 0, b = 0;
    for (int rc = tableTop(t); rc == 0; rc = tableSkip(t, 1)) {
        EXPECT_EQ(tableDeleted(t), 0);
        char c = fieldStr(tableField(t, "NAME"))[0];
        a += c == 'a';
        b += c == 'b';
    }
    EXPECT_EQ(a, 200);
    EXPECT_EQ(b, 200);
    tableClose(t);
    std::string f = Read("LOCKS.DBF");
    EXPECT_EQ(f.size(), 65u + 406 * 11 + 1);
}

// Runs work in a child and in this process at the same time; the child's
// exit code, or 99 when it did not end normally.
int BothAtOnce(const std::function<int(char)>& work, int* own) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(work('a'));
    *own = work('b');
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

TEST_F(LockTest, TheFileAndMemoRangesEndWhereTheyShould) {
    TableHandle* t = tableOpen(&ctx, Path("LOCKS"));
    ASSERT_EQ(tableLockFile(t), 0);
    EXPECT_FALSE(HeldByOther(0x3FFFFFFF));
    EXPECT_TRUE(HeldByOther(0x40000000));
    EXPECT_TRUE(HeldByOther(lockOffsetRecord(6)));
    EXPECT_TRUE(HeldByOther(0xEFFFFFFE));
    EXPECT_TRUE(HeldByOther(0xEFFFFFFF));
    EXPECT_FALSE(HeldByOther(0xF0000000));
    tableClose(t);
    const FieldInfo fields[] = {{"M", 'M', 10, 0, 0}, {}};
    t = tableCreate(&ctx, Path("MEMO"), fields);
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(tableLockAll(t), 0);
    std::string memo = Path("MEMO.DBT");
    EXPECT_FALSE(HeldInFile(memo, 0xEFFFFFFD));
    EXPECT_TRUE(HeldInFile(memo, 0xEFFFFFFE));
    EXPECT_TRUE(HeldInFile(memo, 0xEFFFFFFF));
    EXPECT_FALSE(HeldInFile(memo, 0xF0000000));
    EXPECT_TRUE(HeldInFile(Path("MEMO.DBF"), 0x40000000));
    ASSERT_EQ(tableUnlock(t), 0);
    EXPECT_FALSE(HeldInFile(memo, 0xEFFFFFFE));
    EXPECT_FALSE(HeldInFile(Path("MEMO.DBF"), 0x40000000));
    tableClose(t);
}

// Counts the lock calls on the engine's lock bytes (the share modes lie above 4 GiB).
class CountingCalls : public FileSystemCalls {
public:
    int Lock(int fd, int cmd, struct flock* fl) override {
        if (fl->l_start < (int64_t(1) << 32) && fl->l_type != F_UNLCK) ++locks;
        return FileSystemCalls::Lock(fd, cmd, fl);
    }
    int locks = 0;
};

TEST_F(LockTest, AccessModeTwoMakesNoSystemLockCall) {
    CountingCalls calls;
    setFileSystemCalls(&calls);
    auto lockEverything = [&](TableHandle* t) {
        EXPECT_EQ(tableLock(t, 2), 0);
        EXPECT_EQ(tableLockAppend(t), 0);
        EXPECT_EQ(tableAppendBlank(t), 0);
        EXPECT_EQ(tableLockFile(t), 0);
        EXPECT_EQ(tableLockAll(t), 0);
        EXPECT_EQ(tableLockTest(t, 5), 1);
        EXPECT_EQ(tableUnlock(t), 0);
    };
    ctx.accessMode = 2;
    TableHandle* t = tableOpen(&ctx, Path("LOCKS"));
    ASSERT_NE(t, nullptr);
    lockEverything(t);
    EXPECT_EQ(calls.locks, 0);
    tableClose(t);
    // The same calls in shared use do lock.
    ctx.accessMode = 0;
    t = tableOpen(&ctx, Path("LOCKS"));
    lockEverything(t);
    EXPECT_GE(calls.locks, 5);
    tableClose(t);
    setFileSystemCalls(nullptr);
}

TEST_F(LockTest, ByDefaultALockIsRetriedEverySecondUntilItIsFree) {
    EXPECT_EQ(ctx.lockAttempts, -1);
    EXPECT_EQ(ctx.lockDelay, 100);
    int release[2];
    ASSERT_EQ(::pipe(release), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        EngineContext c;
        engineInit(&c);
        TableHandle* t = tableOpen(&c, Path("LOCKS"));
        if (!t || tableLock(t, 3) != 0) ::_exit(1);
        char b;
        (void)!::read(release[0], &b, 1);
        ::_exit(0); // the lock goes with the process
    }
    TableHandle* t = tableOpen(&ctx, Path("LOCKS"));
    while (!HeldByOther(lockOffsetRecord(3))) ::usleep(1000);
    engineHooks().pump = [&](int h) {
        waits.push_back(h);
        if (waits.size() == 3) {
            (void)!::write(release[1], "x", 1);
            ::waitpid(pid, nullptr, 0);
        }
    };
    EXPECT_EQ(tableLock(t, 3), 0);
    EXPECT_EQ(waits, (std::vector<int>{100, 100, 100}));
    tableClose(t);
    ::close(release[0]);
    ::close(release[1]);
}

TEST_F(LockTest, TheReadLockSettingLocksEachRecordRead) {
    TableHandle* t = tableOpen(&ctx, Path("LOCKS"));
    ctx.readLock = 1;
    ASSERT_EQ(tableGo(t, 4), 0);
    EXPECT_TRUE(HeldByOther(lockOffsetRecord(4)));
    ASSERT_EQ(tableSkip(t, 1), 0);
    EXPECT_FALSE(HeldByOther(lockOffsetRecord(4))); // unlock-auto 1 let it go
    EXPECT_TRUE(HeldByOther(lockOffsetRecord(5)));
    {
        Holder other(Path("LOCKS"), [](TableHandle* o) { return tableLock(o, 2); });
        ctx.lockAttempts = 1;
        EXPECT_EQ(tableGo(t, 2), 50);
    }
    ctx.readLock = 0;
    tableClose(t);
}

TEST_F(LockTest, TwoProcessesAppendTenThousandRecordsEach) {
    const FieldInfo fields[] = {{"WHO", 'C', 1, 0, 0}, {"SEQ", 'N', 6, 0, 0}, {"CHK", 'N', 8, 0, 0}, {}};
    TableHandle* made = tableCreate(&ctx, Path("MANY"), fields);
    ASSERT_NE(made, nullptr);
    tableClose(made);
    auto work = [&](char who) {
        EngineContext c;
        engineInit(&c);
        c.lockDelay = 0;
        TableHandle* t = tableOpen(&c, Path("MANY"));
        if (!t) return 1;
        for (long i = 1; i <= 10000; ++i) {
            if (tableLockAppend(t) != 0) return 2;
            tableAppendStart(t, false);
            fieldAssign(tableField(t, "WHO"), std::string(1, who).c_str());
            fieldAssignLong(tableField(t, "SEQ"), i);
            fieldAssignLong(tableField(t, "CHK"), i * 7 + who);
            if (tableAppend(t) != 0) return 3;
            if (tableUnlockAppend(t) != 0) return 4;
        }
        return engineInitUndo(&c) == 0 ? 0 : 5;
    };
    int own = -1;
    EXPECT_EQ(BothAtOnce(work, &own), 0);
    EXPECT_EQ(own, 0);
    TableHandle* t = tableOpen(&ctx, Path("MANY"));
    ASSERT_EQ(tableRecCount(t), 20000);
    std::vector<int> seen(2 * 10001, 0);
    long switches = 0;
    char last = 0;
    for (int rc = tableTop(t); rc == 0; rc = tableSkip(t, 1)) {
        ASSERT_EQ(tableDeleted(t), 0);
        char who = fieldStr(tableField(t, "WHO"))[0];
        ASSERT_TRUE(who == 'a' || who == 'b');
        long seq = fieldLong(tableField(t, "SEQ"));
        ASSERT_TRUE(seq >= 1 && seq <= 10000);
        ASSERT_EQ(fieldLong(tableField(t, "CHK")), seq * 7 + who);
        ++seen[(who - 'a') * 10001 + seq];
        switches += last && who != last;
        last = who;
    }
    for (long i = 1; i <= 10000; ++i) {
        ASSERT_EQ(seen[i], 1) << i;
        ASSERT_EQ(seen[10001 + i], 1) << i;
    }
    // They really did take turns.
    EXPECT_GT(switches, 1);
    tableClose(t);
    EXPECT_EQ(Read("MANY.DBF").size(), 129u + 20000 * 16 + 1);
}

TEST_F(LockTest, TwoProcessesUpdateDistinctRecordsAtOnce) {
    const FieldInfo fields[] = {{"V", 'N', 8, 0, 0}, {"W", 'C', 4, 0, 0}, {}};
    TableHandle* t = tableCreate(&ctx, Path("PAIRS"), fields);
    ASSERT_NE(t, nullptr);
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(tableAppendBlank(t), 0);
    tableClose(t);
    auto work = [&](char who) {
        EngineContext c;
        engineInit(&c);
        c.lockDelay = 0;
        TableHandle* u = tableOpen(&c, Path("PAIRS"));
        if (!u) return 1;
        // a takes the odd records, b the even ones.
        for (int round = 1; round <= 5; ++round)
            for (long n = who == 'a' ? 1 : 2; n <= 2000; n += 2) {
                if (tableLock(u, n) != 0 || tableGo(u, n) != 0) return 2;
                fieldAssignLong(tableField(u, "V"), n * 10 + round);
                fieldAssign(tableField(u, "W"), std::string(4, who).c_str());
                if (tableUnlock(u) != 0) return 3;
            }
        return engineInitUndo(&c) == 0 ? 0 : 4;
    };
    int own = -1;
    EXPECT_EQ(BothAtOnce(work, &own), 0);
    EXPECT_EQ(own, 0);
    t = tableOpen(&ctx, Path("PAIRS"));
    ASSERT_EQ(tableRecCount(t), 2000);
    for (long n = 1; n <= 2000; ++n) {
        ASSERT_EQ(tableGo(t, n), 0);
        ASSERT_EQ(tableDeleted(t), 0) << n;
        ASSERT_EQ(fieldLong(tableField(t, "V")), n * 10 + 5) << n;
        ASSERT_EQ(std::string(fieldStr(tableField(t, "W"))), std::string(4, n % 2 ? 'a' : 'b')) << n;
    }
    tableClose(t);
}

TEST_F(LockTest, UpdatesOfOneRecordUnderItsLockLoseNothing) {
    auto work = [&](char) {
        EngineContext c;
        engineInit(&c);
        c.lockDelay = 0;
        TableHandle* u = tableOpen(&c, Path("LOCKS"));
        if (!u) return 1;
        for (int i = 0; i < 3000; ++i) {
            if (tableLock(u, 1) != 0 || tableGo(u, 1) != 0) return 2;
            long v = convertToLong(fieldStr(tableField(u, "NAME")), 10);
            EngineLongToAscii(v + 1, fieldAssignPtr(tableField(u, "NAME")), 10);
            if (tableUnlock(u) != 0) return 3;
        }
        return engineInitUndo(&c) == 0 ? 0 : 4;
    };
    int own = -1;
    EXPECT_EQ(BothAtOnce(work, &own), 0);
    EXPECT_EQ(own, 0);
    TableHandle* t = tableOpen(&ctx, Path("LOCKS"));
    ASSERT_EQ(tableGo(t, 1), 0);
    EXPECT_EQ(convertToLong(fieldStr(tableField(t, "NAME")), 10), 6000);
    ASSERT_EQ(tableGo(t, 2), 0);
    EXPECT_EQ(std::string(fieldStr(tableField(t, "NAME"))), std::string(10, ' '));
    tableClose(t);
}

long Counter(TableHandle* t) { return convertToLong(fieldStr(tableField(t, "NAME")), 10); }
int Increment(TableHandle* t, long recNo) {
    int rc = tableGo(t, recNo);
    if (rc != 0) return rc;
    EngineLongToAscii(Counter(t) + 1, fieldAssignPtr(tableField(t, "NAME")), 10);
    return 0;
}

TEST_F(LockTest, UsersLockingTheSameRecordsInTheSameOrderNeverWaitForEachOther) {
    constexpr int kUsers = 3, kRounds = 1500;
    test::TestWorkers workers;
    for (int w = 0; w < kUsers; ++w)
        workers.Start([&] {
            EngineContext c;
            engineInit(&c);
            c.lockDelay = 0; // waiting for ever, with no pause between tries
            TableHandle* u = tableOpen(&c, Path("LOCKS"));
            if (!u) return 1;
            for (int i = 0; i < kRounds; ++i) {
                c.unlockAuto = 0;
                for (long n : {1L, 2L, 3L})
                    if (tableLock(u, n) != 0 || Increment(u, n) != 0 || tableUpdate(u) != 0) return 2;
                c.unlockAuto = 1;
                if (tableUnlock(u) != 0) return 3;
                test::TestWorkers::Tick();
            }
            return engineInitUndo(&c) == 0 ? 0 : 4;
        });
    ASSERT_TRUE(workers.Wait()) << "the users wait for each other";
    for (int w = 0; w < kUsers; ++w) EXPECT_EQ(workers.Result(w), 0);
    TableHandle* t = tableOpen(&ctx, Path("LOCKS"));
    for (long n : {1L, 2L, 3L}) {
        ASSERT_EQ(tableGo(t, n), 0);
        EXPECT_EQ(Counter(t), kUsers * kRounds) << n;
    }
    tableClose(t);
}

TEST_F(LockTest, FourTransactionsLockingOverlappingRecordsAllFinish) {
    Write("TRANS.LOG", test::CleanLog());
    constexpr int kUsers = 4, kRounds = 500;
    // Each round locks three of the six records, in ascending order.
    auto picks = [](int user, int round) {
        std::mt19937 gen(unsigned(user * 100003 + round));
        std::vector<long> all{1, 2, 3, 4, 5, 6};
        std::shuffle(all.begin(), all.end(), gen);
        all.resize(3);
        std::sort(all.begin(), all.end());
        return all;
    };
    test::TestWorkers workers;
    for (int w = 0; w < kUsers; ++w)
        workers.Start([&, w] {
            EngineContext c;
            engineInit(&c);
            c.lockDelay = 0;
            std::string who = "U" + std::to_string(w);
            if (engineLogOpen(&c, Path("TRANS.LOG").c_str(), who.c_str()) != 0) return 1;
            TableHandle* u = tableOpen(&c, Path("LOCKS"));
            if (!u) return 2;
            for (int i = 0; i < kRounds; ++i) {
                if (engineTranStart(&c) != 0) return 3;
                for (long n : picks(w, i))
                    if (tableLock(u, n) != 0 || Increment(u, n) != 0 || tableUpdate(u) != 0) return 4;
                if (engineTranCommit(&c, true) != 0) return 5;
                test::TestWorkers::Tick();
            }
            return engineInitUndo(&c) == 0 ? 0 : 6;
        });
    ASSERT_TRUE(workers.Wait()) << "the transactions wait for each other";
    for (int w = 0; w < kUsers; ++w) EXPECT_EQ(workers.Result(w), 0);
    std::vector<long> want(7, 0);
    for (int w = 0; w < kUsers; ++w)
        for (int i = 0; i < kRounds; ++i)
            for (long n : picks(w, i)) ++want[size_t(n)];
    TableHandle* t = tableOpen(&ctx, Path("LOCKS"));
    for (long n = 1; n <= 6; ++n) {
        ASSERT_EQ(tableGo(t, n), 0);
        EXPECT_EQ(Counter(t), want[size_t(n)]) << n;
    }
    tableClose(t);
}

TEST_F(LockTest, UsersHoldingTheirIndexFilesInOppositeOrderNeverWaitForEachOther) {
    const FieldInfo fields[] = {{"A", 'C', 6, 0, 0}, {"B", 'C', 6, 0, 0}, {}};
    const TagInfo first[] = {{"TA", "A", nullptr, 0, 0}, {}};
    const TagInfo second[] = {{"TB", "B", nullptr, 0, 0}, {}};
    TableHandle* t = tableCreate(&ctx, Path("TWOIDX"), fields, first);
    ASSERT_NE(t, nullptr);
    ASSERT_NE(indexCreate(t, Path("SECOND").c_str(), second), nullptr);
    for (int i = 0; i < 4; ++i) ASSERT_EQ(tableAppendBlank(t), 0);
    ASSERT_EQ(tableClose(t), 0);
    constexpr int kRounds = 1500;
    test::TestWorkers workers;
    for (int w = 0; w < 2; ++w)
        workers.Start([&, w] {
            EngineContext c;
            engineInit(&c);
            c.lockDelay = 0;
            // One user has the production index first, the other the second file.
            c.autoOpen = w == 0 ? 1 : 0;
            TableHandle* u = tableOpen(&c, Path("TWOIDX"));
            if (!u || !indexOpen(u, Path("SECOND").c_str())) return 1;
            if (w == 1 && !indexOpen(u, nullptr)) return 2;
            for (int i = 0; i < kRounds; ++i) {
                long n = 1 + w * 2 + i % 2;
                if (tableLock(u, n) != 0 || tableGo(u, n) != 0) return 3;
                std::string v = std::to_string(100000 + i);
                fieldAssign(tableField(u, "A"), v.c_str());
                fieldAssign(tableField(u, "B"), v.c_str());
                if (tableUnlock(u) != 0) return 4;
                test::TestWorkers::Tick();
            }
            return engineInitUndo(&c) == 0 ? 0 : 5;
        });
    ASSERT_TRUE(workers.Wait()) << "the users wait for each other";
    EXPECT_EQ(workers.Result(0), 0);
    EXPECT_EQ(workers.Result(1), 0);
    t = tableOpen(&ctx, Path("TWOIDX"));
    ASSERT_NE(t, nullptr);
    ASSERT_NE(indexOpen(t, Path("SECOND").c_str()), nullptr);
    // Each tag holds one key per record, the one in the record.
    for (auto [name, field] : {std::pair{"TA", "A"}, std::pair{"TB", "B"}}) {
        TagFile* tag = tableTag(t, name)->tagFile;
        ASSERT_EQ(TagTop(tag), 0);
        int keys = 0;
        do {
            long n = TagRecNo(tag);
            ASSERT_EQ(tableGo(t, n), 0) << name;
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(TagKeyData(tag)), 6),
                      fieldStr(tableField(t, field))) << name << n;
            ++keys;
        } while (TagSkip(tag, 1) == 1);
        EXPECT_EQ(keys, 4) << name;
    }
    tableClose(t);
}

} // namespace
} // namespace vx
