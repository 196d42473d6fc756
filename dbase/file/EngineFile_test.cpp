#include "dbase/file/EngineFile.h"

#include "testsupport/dbase/EngineTestSupport.h"
#include "platform/NumText.h"

#include <cerrno>
#include <ctime>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vx {
namespace {

using test::EngineTest;

// Records every transfer and can fail them, as a full disk or a bad sector would.
class FaultyCalls : public FileSystemCalls {
public:
    ssize_t Pread(int fd, void* buf, size_t len, off_t pos) override {
        reads.push_back(len);
        if (shortReadBy && len > size_t(shortReadBy)) len -= size_t(shortReadBy);
        return FileSystemCalls::Pread(fd, buf, len, pos);
    }
    ssize_t Pwrite(int fd, const void* buf, size_t len, off_t pos) override {
        if (diskFull) {
            errno = ENOSPC;
            return -1;
        }
        return FileSystemCalls::Pwrite(fd, buf, len, pos);
    }
    int Lock(int fd, int cmd, struct flock* fl) override {
        if (cmd == F_OFD_SETLK && fl->l_type == F_WRLCK && fl->l_start == heldStart) {
            ++heldTries;
            errno = EAGAIN;
            return -1;
        }
        return FileSystemCalls::Lock(fd, cmd, fl);
    }
    int Sync(int fd) override {
        ++syncs;
        return FileSystemCalls::Sync(fd);
    }
    std::vector<size_t> reads;
    int shortReadBy = 0;
    bool diskFull = false;
    int64_t heldStart = -1;
    int heldTries = 0;
    int syncs = 0;
};

struct ScopedCalls {
    explicit ScopedCalls(FileSystemCalls* c) { setFileSystemCalls(c); }
    ~ScopedCalls() { setFileSystemCalls(nullptr); }
};

TEST_F(EngineTest, OpenErrorsMapToTheirCodes) {
    EngineFile f;
    EXPECT_EQ(fileOpen(&f, &ctx, Path("MISSING.DBF")), -64);
    EXPECT_EQ(Shown().size(), 1u);
    EXPECT_NE(Shown()[0].text.find("MISSING.DBF"), std::string::npos);
    ctx.errorCode = 0;
    ctx.errOpen = 0;
    EXPECT_EQ(fileOpen(&f, &ctx, Path("MISSING.DBF")), 70);
    EXPECT_EQ(ctx.errorCode, 70);
    EXPECT_EQ(Shown().size(), 1u);
    if (::geteuid() != 0) {
        Write("SECRET.DBF", "x");
        ::chmod(Path("SECRET.DBF").c_str(), 0);
        ctx.errOpen = 1;
        ctx.errorCode = 0;
        EXPECT_EQ(fileOpen(&f, &ctx, Path("SECRET.DBF")), -61);
    }
}

TEST_F(EngineTest, NamesAreFoundIgnoringCaseAndBackslashes) {
    Write("lower.dbf", "abc");
    EngineFile f;
    ASSERT_EQ(fileOpen(&f, &ctx, dir + "\\LOWER.DBF"), 0);
    char buf[3];
    EXPECT_EQ(fileReadAll(&f, 0, buf, 3), 0);
    EXPECT_EQ(std::string(buf, 3), "abc");
    EXPECT_EQ(fileClose(&f), 0);
}

TEST_F(EngineTest, CreateHonoursOverwriteSafety) {
    Write("A.DBF", "old");
    EngineFile f;
    ctx.errCreate = 0;
    EXPECT_EQ(fileCreate(&f, &ctx, Path("a.dbf")), 60);
    EXPECT_EQ(ctx.errorCode, 60);
    ctx.errorCode = 0;
    ctx.errCreate = 1;
    EXPECT_EQ(fileCreate(&f, &ctx, Path("A.DBF")), -20);
    ctx.errorCode = 0;
    ctx.safety = 0;
    ASSERT_EQ(fileCreate(&f, &ctx, Path("A.DBF")), 0);
    EXPECT_EQ(fileLen(&f), 0);
    fileClose(&f);
}

TEST_F(EngineTest, ReplacingAFileThatAnotherHandleHasOpenFails) {
    Write("A.DBF", "old");
    EngineFile holder, f;
    ASSERT_EQ(fileOpen(&holder, &ctx, Path("A.DBF")), 0);
    ctx.safety = 0;
    EXPECT_EQ(fileCreate(&f, &ctx, Path("A.DBF")), -20);
    EXPECT_EQ(Read("A.DBF"), "old");
    fileClose(&holder);
}

TEST_F(EngineTest, TemporaryFilesAreNamedAfterTheClockAndRemovedOnClose) {
    ::setenv("TEMP", dir.c_str(), 1);
    EngineFile f;
    ASSERT_EQ(fileTempLow(&f, &ctx, true), 0);
    std::string base = BaseName(f.name);
    ASSERT_EQ(base.size(), 12u);
    EXPECT_EQ(base.substr(0, 4), "TEMP");
    EXPECT_EQ(base.substr(8), ".TMP");
    EXPECT_EQ(DirName(f.name), dir);
    EXPECT_TRUE(FileExists(f.name));
    fileClose(&f);
    EXPECT_FALSE(FileExists(f.name));
    ::unsetenv("TEMP");
}

TEST_F(EngineTest, TheHundredthTemporaryNameCollisionFails) {
    ::setenv("TEMP", dir.c_str(), 1);
    long now = long(std::time(nullptr));
    for (long s = now - 1; s < now + 5; ++s) Write(Format("TEMP%04d.TMP", s % 10000), "");
    EngineFile f;
    EXPECT_EQ(fileTempLow(&f, &ctx, true), -20);
    EXPECT_EQ(waits.size(), 100u);
    EXPECT_EQ(waits[0], 50);
    EXPECT_NE(Shown().back().text.find("Fehler bei Erzeugung einer temporären Arbeitsdatei"), std::string::npos);
    ::unsetenv("TEMP");
}

// Only a name that exists is worth another try; a folder that is missing or
// is no folder fails at once, without waiting.
TEST_F(EngineTest, ATemporaryFileInAMissingFolderFailsAtOnce) {
    Write("PLAIN", "");
    for (const std::string& temp : {Path("MISSING"), Path("PLAIN/SUB")}) {
        ::setenv("TEMP", temp.c_str(), 1);
        waits.clear();
        EngineFile f;
        EXPECT_EQ(fileTempLow(&f, &ctx, true), -20) << temp;
        EXPECT_TRUE(waits.empty()) << temp << ": " << waits.size() << " waits";
        EXPECT_EQ(ctx.errorCode, -20);
        EXPECT_NE(Shown().back().text.find("Fehler bei Erzeugung einer temporären Arbeitsdatei"), std::string::npos);
        ctx.errorCode = 0;
    }
    ::unsetenv("TEMP");
}

TEST_F(EngineTest, WritingAReadOnlyFileFailsAndLeavesItUnchanged) {
    Write("R.DBF", "abc");
    ctx.readOnly = 1;
    EngineFile f;
    ASSERT_EQ(fileOpen(&f, &ctx, Path("R.DBF")), 0);
    EXPECT_EQ(fileWrite(&f, 0, "xyz", 3), -120);
    EXPECT_EQ(Read("R.DBF"), "abc");
    ctx.errorCode = 0;
    EXPECT_EQ(fileFlush(&f), 0);
    fileClose(&f);
}

TEST_F(EngineTest, FullDiskAndShortReadGiveErrorCodes) {
    EngineFile f;
    ASSERT_EQ(fileCreate(&f, &ctx, Path("F.DBF")), 0);
    ASSERT_EQ(fileWrite(&f, 0, "0123456789", 10), 0);
    FaultyCalls calls;
    ScopedCalls scope(&calls);
    calls.diskFull = true;
    EXPECT_EQ(fileWrite(&f, 10, "x", 1), -120);
    ctx.errorCode = 0;
    calls.diskFull = false;
    calls.shortReadBy = 9;
    char buf[10];
    // A short read returns fewer bytes; the "all" form reports it.
    EXPECT_EQ(fileReadAll(&f, 0, buf, 10), 0); // the rest comes with the second read
    calls.shortReadBy = 0;
    EXPECT_EQ(fileRead(&f, 5, buf, 10), 5);
    EXPECT_EQ(fileReadAll(&f, 5, buf, 10), -70);
    EXPECT_NE(Shown().back().text.find("fileReadAll"), std::string::npos);
    EXPECT_NE(Shown().back().text.find("                  5                  10"), std::string::npos);
    ctx.errorCode = 0;
    fileClose(&f);
}

TEST_F(EngineTest, WriteThroughFlushesEveryWrite) {
    EngineFile f;
    ASSERT_EQ(fileCreate(&f, &ctx, Path("W.DBF")), 0);
    FaultyCalls calls;
    ScopedCalls scope(&calls);
    fileWrite(&f, 0, "a", 1);
    EXPECT_EQ(calls.syncs, 0);
    ctx.writeThrough = 1;
    fileWrite(&f, 0, "a", 1);
    EXPECT_EQ(calls.syncs, 1);
    fileClose(&f);
}

TEST_F(EngineTest, LengthAndSetLength) {
    EngineFile f;
    ASSERT_EQ(fileCreate(&f, &ctx, Path("L.DBF")), 0);
    EXPECT_EQ(fileLenSet(&f, 1000), 0);
    EXPECT_EQ(fileLen(&f), 1000);
    EXPECT_EQ(fileLenSet(&f, 10), 0);
    EXPECT_EQ(fileLen(&f), 10);
    fileClose(&f);
}

TEST_F(EngineTest, SequentialReaderAlignsItsTransfers) {
    std::string data(20000, 0);
    for (size_t i = 0; i < data.size(); ++i) data[i] = char(i * 7);
    Write("S.DAT", data);
    EngineFile f;
    ASSERT_EQ(fileOpen(&f, &ctx, Path("S.DAT")), 0);
    FaultyCalls calls;
    ScopedCalls scope(&calls);
    std::vector<char> buffer(4096);
    FileSeqRead r;
    fileSeqReadInit(&r, &f, 1500, buffer.data(), buffer.size());
    std::string got(10000, 0);
    ASSERT_EQ(fileSeqReadAll(&r, got.data(), got.size()), 0);
    EXPECT_EQ(got, data.substr(1500, 10000));
    ASSERT_GE(calls.reads.size(), 3u);
    EXPECT_EQ(calls.reads[0], 3620u);
    EXPECT_EQ(calls.reads[1], 4096u);
    EXPECT_EQ(calls.reads[2], 4096u);
    std::string rest(20000, 0);
    EXPECT_EQ(fileSeqRead(&r, rest.data(), rest.size()), 20000 - 11500);
    EXPECT_EQ(fileSeqReadAll(&r, rest.data(), 1), -70);
    ctx.errorCode = 0;
    fileClose(&f);
}

TEST_F(EngineTest, SequentialWriterBuffersAndRepeats) {
    EngineFile f;
    ASSERT_EQ(fileCreate(&f, &ctx, Path("W.DAT")), 0);
    std::vector<char> buffer(2048 + 100); // rounded down to 2048
    FileSeqWrite w;
    fileSeqWriteInit(&w, &f, 10, buffer.data(), buffer.size());
    EXPECT_EQ(w.size, 2048u);
    EXPECT_EQ(w.avail, 2038u);
    std::string text(3000, 'a');
    ASSERT_EQ(fileSeqWrite(&w, text.data(), text.size()), 0);
    ASSERT_EQ(fileSeqWriteRepeat(&w, 1300, 'b'), 0);
    ASSERT_EQ(fileSeqWriteFlush(&w), 0);
    fileClose(&f);
    EXPECT_EQ(Read("W.DAT"), std::string(10, '\0') + text + std::string(1300, 'b'));
}

// One lock or unlock on handle a or b: the range and what the call returns.
enum LockCall { Lock, Unlock };
struct LockStep {
    char handle;
    LockCall call;
    int64_t start, len;
    int rc;
};

// Two handles of this process on one file, each lock tried once, take the
// steps in turn; every step builds on the ones before.
void ExpectLockSteps(EngineContext& ctx, const std::string& path, std::initializer_list<LockStep> steps) {
    EngineFile a, b;
    ASSERT_EQ(fileOpen(&a, &ctx, path), 0);
    ASSERT_EQ(fileOpen(&b, &ctx, path), 0);
    ctx.lockAttempts = 1;
    for (const LockStep& s : steps) {
        SCOPED_TRACE(std::string(1, s.handle) + (s.call == Lock ? " locks " : " unlocks ") +
                     std::to_string(s.start));
        EngineFile* f = s.handle == 'a' ? &a : &b;
        ASSERT_EQ(s.call == Lock ? fileLock(f, s.start, s.len) : fileUnlock(f, s.start, s.len), s.rc);
        if (s.rc < 0) ctx.errorCode = 0;
    }
    fileClose(&a);
    fileClose(&b);
}

TEST_F(EngineTest, TwoHandlesInOneProcessConflict) {
    Write("T.DBF", "x");
    ExpectLockSteps(ctx, Path("T.DBF"),
                    {{'a', Lock, 0xEFFFFFF9, 1, 0},
                     {'b', Lock, 0xEFFFFFF9, 1, 50},
                     {'b', Lock, 0xEFFFFFF8, 1, 0},
                     {'a', Unlock, 0xEFFFFFF9, 1, 0},
                     {'b', Lock, 0xEFFFFFF9, 1, 0}});
}

TEST_F(EngineTest, OneHandleRefusesOverlapsAndUnlocksOnlyExactRanges) {
    Write("T.DBF", "x");
    ExpectLockSteps(ctx, Path("T.DBF"),
                    {{'a', Lock, 0x40000000, 0xB0000000, 0},
                     {'a', Lock, 0xEFFFFFF0, 1, 50},
                     // A partial unlock would open a hole in the file lock.
                     {'a', Unlock, 0xEFFFFFF0, 1, -110},
                     {'b', Lock, 0xEFFFFFF0, 1, 50},
                     {'a', Unlock, 0x40000000, 0xB0000000, 0},
                     {'b', Lock, 0xEFFFFFF0, 1, 0}});
}

TEST_F(EngineTest, LockAttemptsDecideTheRetries) {
    Write("T.DBF", "x");
    EngineFile a;
    ASSERT_EQ(fileOpen(&a, &ctx, Path("T.DBF")), 0);
    FaultyCalls calls;
    ScopedCalls scope(&calls);
    calls.heldStart = 0xEFFFFFF9;
    ctx.lockAttempts = 3;
    EXPECT_EQ(fileLock(&a, 0xEFFFFFF9, 1), 50);
    EXPECT_EQ(calls.heldTries, 3);
    EXPECT_EQ(waits, (std::vector<int>{100, 100}));
    ctx.lockAttempts = 0;
    calls.heldTries = 0;
    EXPECT_EQ(fileLock(&a, 0xEFFFFFF9, 1), 50);
    EXPECT_EQ(calls.heldTries, 1);
    // A zero length, a read-only file and a non-zero access mode need no lock.
    EXPECT_EQ(fileLock(&a, 0xEFFFFFF9, 0), 0);
    a.accessMode = 2;
    EXPECT_EQ(fileLock(&a, 0xEFFFFFF9, 1), 0);
    fileClose(&a);
}

// Runs body in a child process and returns its exit status.
template <typename Body> int InChild(Body body) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

TEST_F(EngineTest, AnExclusiveOpenFailsWhileAnotherProcessHasTheFileOpen) {
    Write("T.DBF", "x");
    int ready[2], done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        EngineContext c;
        engineInit(&c);
        EngineFile f;
        int rc = fileOpen(&f, &c, Path("T.DBF"));
        char b = rc == 0 ? 'y' : 'n';
        (void)!::write(ready[1], &b, 1);
        (void)!::read(done[0], &b, 1);
        ::_exit(0);
    }
    char b = 0;
    ASSERT_EQ(::read(ready[0], &b, 1), 1);
    ASSERT_EQ(b, 'y');
    EngineFile f;
    // Exclusive use is refused, and read-only sharing too, since the other
    // process may write.
    for (int mode : {2, 1}) {
        SCOPED_TRACE(mode);
        ctx.accessMode = mode;
        EXPECT_EQ(fileOpen(&f, &ctx, Path("T.DBF")), -60);
        ctx.errorCode = 0;
    }
    ctx.accessMode = 0;
    EXPECT_EQ(fileOpen(&f, &ctx, Path("T.DBF")), 0);
    fileClose(&f);
    (void)!::write(done[1], &b, 1);
    ::waitpid(pid, nullptr, 0);
    ctx.accessMode = 2;
    EXPECT_EQ(fileOpen(&f, &ctx, Path("T.DBF")), 0);
    // And while we hold it exclusively, nobody else gets in.
    EXPECT_EQ(InChild([&] {
                  EngineContext c;
                  engineInit(&c);
                  c.errOpen = 0;
                  EngineFile g;
                  return fileOpen(&g, &c, Path("T.DBF"));
              }),
              70);
    fileClose(&f);
    for (int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);
}

TEST_F(EngineTest, DenyWriteLetsOthersReadOnly) {
    Write("T.DBF", "x");
    EngineFile a, b;
    ctx.accessMode = 1;
    ASSERT_EQ(fileOpen(&a, &ctx, Path("T.DBF")), 0);
    ctx.accessMode = 0;
    ctx.errOpen = 0;
    EXPECT_EQ(fileOpen(&b, &ctx, Path("T.DBF")), 70);
    ctx.errorCode = 0;
    ctx.readOnly = 1;
    EXPECT_EQ(fileOpen(&b, &ctx, Path("T.DBF")), 0);
    fileClose(&b);
    fileClose(&a);
}

} // namespace
} // namespace vx
