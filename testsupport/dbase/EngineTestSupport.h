// Shared by the engine's tests: a scratch directory, a context with the
// message box and the fatal exit captured, and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "dbase/Engine.h"
#include "dbase/file/EngineFile.h"
#include "dbase/trans/Transaction.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "testsupport/ScratchDir.h"

namespace vx::test {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = scratch_.Path();
        ASSERT_FALSE(dir.empty());
        engineHooksReset();
        engineHooks().pump = [this](int h) { waits.push_back(h); };
        engineHooks().fatalExit = [this](int code) { fatal.push_back(code); };
        ASSERT_EQ(engineInit(&ctx), 0);
    }
    void TearDown() override {
        ctx.errorCode = 0;
        engineInitUndo(&ctx);
        engineHooksReset();
    }
    std::string Path(const std::string& name) const { return dir + "/" + name; }
    std::string Read(const std::string& name) const {
        std::string out;
        ReadWholeFile(Path(name), out);
        return out;
    }
    void Write(const std::string& name, const std::string& data) const {
        FILE* f = std::fopen(Path(name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(data.data(), 1, data.size(), f);
        std::fclose(f);
    }
    // The message boxes shown so far.
    const std::vector<ScriptedMessageService::Shown>& Shown() const { return messages.service.shown; }

    ScratchDir scratch_{"vxdbase"};
    std::string dir;
    EngineContext ctx;
    ScopedScriptedMessages messages;
    std::vector<int> waits;
    std::vector<int> fatal;
};

// A writer in a child process that calls progress() after each unit of its
// work; the parent kills it once it has seen `after` reports, whatever the
// machine's speed. With hold the writer waits at that report and dies there;
// otherwise it works on and the kill lands wherever it has got to. A report
// may carry a byte saying what was done.
struct KilledWriter {
    std::string reports; // the bytes the parent saw
    int status = 0;      // as waitpid gives it
    long reported() const { return long(reports.size()); }
    bool killed() const { return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL; }
};

class Progress {
public:
    Progress(int fd, long after, bool hold) : fd_(fd), after_(after), hold_(hold) {}
    void operator()(char what = '+') const {
        if (::write(fd_, &what, 1) != 1) ::_exit(90);
        if (++done_ == after_ && hold_)
            for (;;) ::pause();
    }

private:
    int fd_;
    long after_;
    bool hold_;
    mutable long done_ = 0;
};

inline KilledWriter RunKilledWriter(long after, bool hold, const std::function<void(const Progress&)>& work) {
    KilledWriter out;
    int fds[2];
    if (::pipe(fds) != 0) return out;
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        work(Progress(fds[1], after, hold));
        ::_exit(91); // a writer never ends by itself
    }
    ::close(fds[1]);
    char buf[64];
    while (out.reported() < after) {
        ssize_t n = ::read(fds[0], buf, size_t(std::min<long>(after - out.reported(), long(sizeof buf))));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break; // the writer ended early
        out.reports.append(buf, size_t(n));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &out.status, 0);
    ::close(fds[0]);
    return out;
}

// Runs work in a child process that dies, as a kill would leave its files,
// just before its n-th file write after arm(). True when it died there,
// false when the work ended first.
inline bool DiesAtWrite(long n, const std::function<void(const std::function<void()>& arm)>& work) {
    struct Dying : FileSystemCalls {
        long left = 0;
        bool armed = false;
        ssize_t Pwrite(int fd, const void* buf, size_t len, off_t pos) override {
            if (armed && --left == 0) ::_exit(77);
            return FileSystemCalls::Pwrite(fd, buf, len, pos);
        }
    };
    pid_t pid = ::fork();
    if (pid == 0) {
        static Dying calls;
        calls.left = n;
        setFileSystemCalls(&calls);
        work([&]() { calls.armed = true; });
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 77;
}

// The changes a child process made to files after arm(), one line each: the
// file's extension and "w" (write), "t" (length change) or "s" (sync).
struct FileChanges {
    bool died = false; // it died where it was told to
    std::vector<std::string> changes;
};

// Runs work in a child process that dies, as a kill would leave its files,
// just before its n-th change to a file after arm(); with n = 0 it runs to
// its end, so that a test learns the changes a piece of work makes.
inline FileChanges DiesAtChange(long n, const std::function<void(const std::function<void()>& arm)>& work) {
    struct Dying : FileSystemCalls {
        int report = -1;
        long left = 0;
        bool armed = false;
        void Change(int fd, char op) {
            if (!armed) return;
            if (left > 0 && --left == 0) ::_exit(77);
            char link[4096];
            ssize_t len = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), link, sizeof link - 1);
            std::string name(link, size_t(std::max<ssize_t>(len, 0)));
            size_t dot = name.find_last_of("./");
            std::string ext = dot != std::string::npos && name[dot] == '.' ? name.substr(dot + 1) : "";
            std::string line = ext + " " + op + "\n";
            if (::write(report, line.data(), line.size()) != ssize_t(line.size())) ::_exit(90);
        }
        ssize_t Pwrite(int fd, const void* buf, size_t len, off_t pos) override {
            Change(fd, 'w');
            return FileSystemCalls::Pwrite(fd, buf, len, pos);
        }
        int Truncate(int fd, off_t len) override {
            Change(fd, 't');
            return FileSystemCalls::Truncate(fd, len);
        }
        int Sync(int fd) override {
            Change(fd, 's');
            return FileSystemCalls::Sync(fd);
        }
    };
    FileChanges out;
    int fds[2];
    if (::pipe(fds) != 0) return out;
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        static Dying calls;
        calls.report = fds[1];
        calls.left = n;
        setFileSystemCalls(&calls);
        work([&]() { calls.armed = true; });
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string text;
    char buf[4096];
    for (;;) {
        ssize_t got = ::read(fds[0], buf, sizeof buf);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        text.append(buf, size_t(got));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    out.died = WIFEXITED(status) && WEXITSTATUS(status) == 77;
    for (size_t at = 0, nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1)
        out.changes.push_back(text.substr(at, nl - at));
    return out;
}

// How long a fuzz loop runs: the suite runs a short part with a fixed seed;
// VX_FUZZ_SECONDS (and VX_FUZZ_SEED) turn it into a long run by hand.
class FuzzBudget {
public:
    FuzzBudget(long rounds, unsigned seed) : rounds_(rounds), seed_(seed) {
        if (const char* s = std::getenv("VX_FUZZ_SECONDS")) seconds_ = std::atol(s);
        if (const char* s = std::getenv("VX_FUZZ_SEED")) seed_ = unsigned(std::strtoul(s, nullptr, 10));
        start_ = std::chrono::steady_clock::now();
    }
    unsigned seed() const { return seed_; }
    bool timed() const { return seconds_ > 0; }
    // Whether round number `round` is still to be run.
    bool more(long round) const {
        if (seconds_ <= 0) return round < rounds_;
        return std::chrono::steady_clock::now() - start_ < std::chrono::seconds(seconds_);
    }
    // Seconds since the start, for the long run's report.
    double elapsed() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    long rounds_;
    unsigned seed_;
    long seconds_ = 0;
    std::chrono::steady_clock::time_point start_;
};

// A transaction log its last user left clean: one type-16 header.
inline std::string CleanLog() {
    unsigned char head[kLogHeaderLen];
    LogEntryHeader h;
    h.type = kLogClean;
    h.owner[1] = 1;
    logHeaderEncode(h, head);
    return std::string("\x20\0\0\0", 4) + std::string(reinterpret_cast<char*>(head), kLogHeaderLen);
}

inline unsigned Byte(const std::string& s, size_t i) { return static_cast<unsigned char>(s.at(i)); }
inline unsigned Word(const std::string& s, size_t i) { return Byte(s, i) | Byte(s, i + 1) << 8; }
inline unsigned long Dword(const std::string& s, size_t i) {
    return Word(s, i) | static_cast<unsigned long>(Word(s, i + 2)) << 16;
}

} // namespace vx::test
