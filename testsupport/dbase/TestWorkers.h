// Worker processes for the engine's tests. Each worker reports its progress
// through a pipe; a test waits for its workers as long as they keep moving,
// however slow the machine, and gives up only on workers that stopped
// reporting altogether (a deadlock).
#pragma once

#include "dbase/file/EngineContext.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace vx::test {

class TestWorkers {
public:
    TestWorkers() { (void)!::pipe(stop_); }
    TestWorkers(const TestWorkers&) = delete;
    TestWorkers& operator=(const TestWorkers&) = delete;
    ~TestWorkers() {
        for (auto& w : workers_)
            if (w.running) {
                ::kill(w.pid, SIGKILL);
                ::waitpid(w.pid, nullptr, 0);
            }
        for (auto& w : workers_)
            if (w.progress >= 0) ::close(w.progress);
        if (stop_[1] >= 0) ::close(stop_[1]);
        ::close(stop_[0]);
    }

    // Runs work in a new process, which ends with its result; returns its id.
    int Start(const std::function<int()>& work) {
        int p[2];
        (void)!::pipe(p);
        pid_t pid = ::fork();
        if (pid == 0) {
            ::close(p[0]);
            if (stop_[1] >= 0) ::close(stop_[1]);
            ProgressFd() = p[1];
            StopFd() = stop_[0];
            // A worker waiting for a lock gives way to the others.
            engineHooks().pump = [](int) { std::this_thread::yield(); };
            ::_exit(work());
        }
        ::close(p[1]);
        workers_.push_back({pid, p[0], true, -1});
        return int(workers_.size()) - 1;
    }

    // Waits until the given workers (all when none are given) have ended.
    // False when none of them reported progress for `stallSeconds`: every
    // worker is then killed.
    bool Wait(std::vector<int> ids = {}, int stallSeconds = 300) {
        if (ids.empty())
            for (size_t i = 0; i < workers_.size(); ++i)
                ids.push_back(int(i));
        auto last = std::chrono::steady_clock::now();
        for (;;) {
            bool waiting = false;
            for (int id : ids) {
                Reap(workers_[size_t(id)]);
                waiting = waiting || workers_[size_t(id)].running;
            }
            if (!waiting) return true;
            std::vector<pollfd> fds;
            std::vector<size_t> which;
            for (size_t i = 0; i < workers_.size(); ++i)
                if (workers_[i].progress >= 0) {
                    fds.push_back({workers_[i].progress, POLLIN, 0});
                    which.push_back(i);
                }
            int n = ::poll(fds.data(), fds.size(), 200);
            for (size_t k = 0; n > 0 && k < fds.size(); ++k) {
                if (!(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
                Worker& w = workers_[which[k]];
                char buf[4096];
                ssize_t got = ::read(w.progress, buf, sizeof buf);
                if (got <= 0) {
                    ::close(w.progress);
                    w.progress = -1;
                }
                for (int id : ids)
                    if (size_t(id) == which[k] && got > 0) last = std::chrono::steady_clock::now();
            }
            if (std::chrono::steady_clock::now() - last > std::chrono::seconds(stallSeconds)) {
                KillAll();
                return false;
            }
        }
    }

    // Tells every worker that asks (Stopping) to finish.
    void Stop() {
        if (stop_[1] >= 0) ::close(stop_[1]);
        stop_[1] = -1;
    }

    // The exit code of a worker; -1 when it was killed or is still running.
    int Result(int id) const { return workers_[size_t(id)].result; }

    // In a worker: one step done.
    static void Tick() {
        char b = 1;
        if (ProgressFd() >= 0) (void)!::write(ProgressFd(), &b, 1);
    }
    // In a worker: whether the test wants it to finish.
    static bool Stopping() {
        pollfd p{StopFd(), POLLIN, 0};
        return StopFd() >= 0 && ::poll(&p, 1, 0) > 0;
    }

private:
    struct Worker {
        pid_t pid;
        int progress;
        bool running;
        int result;
    };
    static int& ProgressFd() {
        static int fd = -1;
        return fd;
    }
    static int& StopFd() {
        static int fd = -1;
        return fd;
    }
    void Reap(Worker& w) {
        if (!w.running) return;
        int status = 0;
        if (::waitpid(w.pid, &status, WNOHANG) != w.pid) return;
        w.running = false;
        w.result = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void KillAll() {
        for (auto& w : workers_)
            if (w.running) {
                ::kill(w.pid, SIGKILL);
                ::waitpid(w.pid, nullptr, 0);
                w.running = false;
            }
    }

    std::vector<Worker> workers_;
    int stop_[2] = {-1, -1};
};

} // namespace vx::test
