// For the tests of two programs on the same tables: the test and a child
// process it forks, each waiting for the other's word, one character at a
// time through a pipe, so that every step is reached in order.
#pragma once

#include <gtest/gtest.h>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

class TwoProcesses {
public:
    TwoProcesses() = default;
    ~TwoProcesses() {
        for (int fd : {toChild_[0], toChild_[1], toParent_[0], toParent_[1]})
            if (fd >= 0) ::close(fd);
    }
    TwoProcesses(const TwoProcesses&) = delete;
    TwoProcesses& operator=(const TwoProcesses&) = delete;

    // Makes both pipes; false when that failed.
    bool Open() { return ::pipe(toChild_) == 0 && ::pipe(toParent_) == 0; }

    // Forks like fork(); each side keeps only its own ends, so that a side
    // that ends is seen by the other instead of waited for.
    pid_t Fork() {
        pid_ = ::fork();
        if (pid_ == 0) {
            Drop(toChild_[1]);
            Drop(toParent_[0]);
        } else if (pid_ > 0) {
            Drop(toChild_[0]);
            Drop(toParent_[1]);
        }
        return pid_;
    }

    // The child's side: false when the word could not be passed.
    bool ChildSays(char c) { return ::write(toParent_[1], &c, 1) == 1; }
    bool ChildAwaits(char want) {
        char c = 0;
        return ::read(toChild_[0], &c, 1) == 1 && c == want;
    }

    // The test's side.
    void Say(char c) { ASSERT_EQ(::write(toChild_[1], &c, 1), 1); }
    void Expect(char want) {
        char c = 0;
        ASSERT_EQ(::read(toParent_[0], &c, 1), 1);
        ASSERT_EQ(c, want);
    }
    // Waits for the child to end and expects it to have ended well.
    void ExpectChildSucceeded() {
        int status = -1;
        ASSERT_EQ(::waitpid(pid_, &status, 0), pid_);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }

private:
    static void Drop(int& fd) {
        ::close(fd);
        fd = -1;
    }

    int toChild_[2] = {-1, -1};
    int toParent_[2] = {-1, -1};
    pid_t pid_ = -1;
};
