#include "dbase/Table.h"

#include "dbase/EngineTestSupport.h"
#include "dbase/Field.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vx {
namespace {

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
    bool HeldByOther(int64_t byte) {
        int fd = ::open(Path("LOCKS.DBF").c_str(), O_RDWR);
        struct flock fl = {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = byte;
        fl.l_len = 1;
        ::fcntl(fd, F_OFD_GETLK, &fl);
        ::close(fd);
        return fl.l_type != F_UNLCK;
    }
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

} // namespace
} // namespace vx
