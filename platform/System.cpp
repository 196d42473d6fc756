#include "platform/System.h"

#include "platform/Files.h"

#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vx {

bool SharedLibrary::Open(const std::string& path) {
    Close();
    handle_ = ::dlopen(ToFsName(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* e = ::dlerror();
        error_ = e ? e : "dlopen";
        return false;
    }
    error_.clear();
    return true;
}

void SharedLibrary::Close() {
    if (handle_) ::dlclose(handle_);
    handle_ = nullptr;
}

void* SharedLibrary::Symbol(const char* name) const {
    if (!handle_) return nullptr;
    return ::dlsym(handle_, name);
}

namespace {

int Spawn(const std::string& program, const std::string* workDir, const std::vector<std::string>& args,
          pid_t* pidOut, int outputFd = -1) {
    std::string prog = ToFsName(program);
    std::vector<std::string> argv{prog};
    for (const auto& a : args) argv.push_back(ToFsName(a));
    std::vector<char*> ptrs;
    for (auto& a : argv) ptrs.push_back(a.data());
    ptrs.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    std::string dir;
    if (workDir && !workDir->empty()) {
        dir = ToFsName(*workDir);
        posix_spawn_file_actions_addchdir_np(&fa, dir.c_str());
    }
    if (outputFd >= 0) posix_spawn_file_actions_adddup2(&fa, outputFd, STDOUT_FILENO);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, prog.c_str(), &fa, nullptr, ptrs.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    if (rc == 0 && pidOut) *pidOut = pid;
    return rc;
}

} // namespace

int StartProgram(const std::string& program, const std::string& workDir, const std::string& argument) {
    pid_t pid = 0;
    int rc = Spawn(program, &workDir, {argument}, &pid);
    if (rc != 0) return rc;
    // posix_spawn reports a failed exec only as exit status 127 of the child;
    // a child that is gone at once with 127 did not start.
    int status = 0;
    for (int i = 0; i < 20; ++i) {
        pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return ENOEXEC;
            return 0;
        }
        if (r < 0) return 0;
        ::usleep(5000);
    }
    // Nobody waits for the program; a thread collects its end so that it
    // leaves no zombie behind while this process runs on.
    std::thread([pid] {
        int ended = 0;
        while (::waitpid(pid, &ended, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return 0;
}

namespace {

// Runs the program, found on PATH when it names no folder, to its end; its
// standard output goes into *output when one is given.
int RunToEnd(const std::string& program, const std::vector<std::string>& args, std::string* output) {
    std::string path = program.find('/') == std::string::npos ? FindProgramOnPath(program) : program;
    if (path.empty()) return -1;
    int fds[2] = {-1, -1};
    if (output && ::pipe2(fds, O_CLOEXEC) != 0) return -1;
    pid_t pid = 0;
    const int rc = Spawn(path, nullptr, args, &pid, fds[1]);
    if (output) ::close(fds[1]);
    if (rc != 0) {
        if (output) ::close(fds[0]);
        return -1;
    }
    if (output) {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
            if (n > 0) output->append(buffer, size_t(n));
            else if (n == 0 || errno != EINTR) break;
        }
        ::close(fds[0]);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

int RunProgram(const std::string& program, const std::vector<std::string>& args) {
    return RunToEnd(program, args, nullptr);
}

int ProgramOutput(const std::string& program, const std::vector<std::string>& args, std::string& output) {
    output.clear();
    return RunToEnd(program, args, &output);
}

std::vector<std::string> CommandLineArguments() {
    std::string all;
    if (!ReadWholeFile("/proc/self/cmdline", all)) return {};
    std::vector<std::string> args;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos) end = all.size();
        args.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    if (!args.empty()) args.erase(args.begin());
    return args;
}

std::string FindProgramOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string p = path ? path : "/usr/bin:/bin";
    size_t pos = 0;
    while (pos <= p.size()) {
        size_t end = p.find(':', pos);
        std::string dir = p.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? p.size() + 1 : end + 1;
        if (dir.empty()) dir = ".";
        std::string full = JoinPath(dir, name);
        if (::access(ToFsName(full).c_str(), X_OK) == 0 && FileExists(full)) return full;
    }
    return "";
}

} // namespace vx
