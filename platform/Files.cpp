#include "platform/Files.h"

#include "platform/CodePage.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {

std::string ToFsName(std::string_view path) { return NormalizeSlashes(path); }

std::string FromFsName(std::string_view fsName) { return std::string(fsName); }

std::string PathForDisplay(std::string_view path) { return Utf8ToCp1252(path); }

std::string PathFromText(std::string_view cp1252) { return Cp1252ToUtf8(cp1252); }

namespace {

// True when text is well-formed UTF-8 and holds a character beyond ASCII: no
// stored code-page-1252 path of a real folder looks like that.
bool IsUtf8BeyondAscii(std::string_view text) {
    bool beyond = false;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        const size_t n = c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : 0;
        if (n == 0 || i + n >= text.size()) return false;
        for (size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        beyond = true;
        i += n + 1;
    }
    return beyond;
}

} // namespace

std::string PathToStored(std::string_view path) {
    const std::string cp1252 = Utf8ToCp1252(path);
    return Cp1252ToUtf8(cp1252) == path ? cp1252 : std::string(path);
}

std::string PathFromStored(std::string_view stored) {
    return IsUtf8BeyondAscii(stored) ? std::string(stored) : Cp1252ToUtf8(stored);
}

std::string PathFromFileUri(std::string_view text) {
    constexpr std::string_view scheme = "file://";
    if (text.size() < scheme.size() || strncasecmp(text.data(), scheme.data(), scheme.size()) != 0) return "";
    text.remove_prefix(scheme.size());
    constexpr std::string_view localhost = "localhost";
    if (text.size() >= localhost.size() && strncasecmp(text.data(), localhost.data(), localhost.size()) == 0)
        text.remove_prefix(localhost.size());
    // Another host's file is none of ours.
    if (text.empty() || text.front() != '/') return "";
    auto hex = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    std::string path;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '?' || text[i] == '#') break;
        if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            path += char(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            path += text[i];
        }
    }
    return path;
}

std::string NormalizeSlashes(std::string_view path) {
    std::string s(path);
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

std::string JoinPath(std::string_view dir, std::string_view name) {
    if (dir.empty()) return std::string(name);
    std::string s(dir);
    if (s.back() != '/' && s.back() != '\\') s += '/';
    while (!name.empty() && (name.front() == '/' || name.front() == '\\')) name.remove_prefix(1);
    s += name;
    return s;
}

std::string DirName(std::string_view path) {
    std::string p = NormalizeSlashes(path);
    size_t k = p.rfind('/');
    if (k == std::string::npos) return "";
    if (k == 0) return "/";
    return p.substr(0, k);
}

std::string BaseName(std::string_view path) {
    std::string p = NormalizeSlashes(path);
    size_t k = p.rfind('/');
    return k == std::string::npos ? p : p.substr(k + 1);
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(ToFsName(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirExists(const std::string& path) {
    struct stat st;
    return ::stat(ToFsName(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(const std::string& path) { return ::unlink(ToFsName(path).c_str()) == 0; }

bool ReadWholeFile(const std::string& path, std::string& out) {
    return ReadFileUpTo(path, out, std::string().max_size()) == ReadLimited::Read;
}

ReadLimited ReadFileUpTo(const std::string& path, std::string& out, size_t limit) {
    out.clear();
    int fd = ::open(ToFsName(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ReadLimited::Failed;
    auto failed = [&] {
        int e = errno;
        ::close(fd);
        out.clear();
        errno = e;
        return ReadLimited::Failed;
    };
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        if (uint64_t(st.st_size) > limit) {
            ::close(fd);
            return ReadLimited::TooLarge;
        }
        try {
            out.reserve(size_t(st.st_size));
        } catch (const std::exception&) {
            errno = ENOMEM;
            return failed();
        }
    }
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return failed();
        }
        if (n == 0) break;
        // The file may grow while it is read.
        if (size_t(n) > limit - out.size()) {
            ::close(fd);
            out.clear();
            return ReadLimited::TooLarge;
        }
        try {
            out.append(buf, size_t(n));
        } catch (const std::exception&) {
            errno = ENOMEM;
            return failed();
        }
    }
    ::close(fd);
    return ReadLimited::Read;
}

namespace {

// Where a write to the Linux file name lands: the name itself, or the end of
// its chain of symbolic links.
std::string WriteTarget(std::string target) {
    // Links may be relative to their own folder; a loop ends like the kernel's.
    for (int i = 0; i < 40; ++i) {
        struct stat st;
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        std::string link(size_t(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
        ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n <= 0 || size_t(n) >= link.size()) break;
        link.resize(size_t(n));
        if (link.front() == '/') {
            target = link;
        } else {
            const size_t slash = target.rfind('/');
            target = slash == std::string::npos ? link : target.substr(0, slash + 1) + link;
        }
    }
    return target;
}

} // namespace

bool WriteFileAtomic(const std::string& path, std::string_view data) {
    const std::string target = WriteTarget(ToFsName(path));
    std::string tmp = target + ".tmpXXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) return false;
    auto fail = [&] {
        int e = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        errno = e;
        return false;
    };
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail();
        }
        done += size_t(n);
    }
    // Keep the mode of the file we replace; a new file gets the usual 0644 less umask.
    struct stat st;
    if (::stat(target.c_str(), &st) == 0) {
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (::fsync(fd) != 0) return fail();
    if (::close(fd) != 0) {
        int e = errno;
        ::unlink(tmp.c_str());
        errno = e;
        return false;
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        int e = errno;
        ::unlink(tmp.c_str());
        errno = e;
        return false;
    }
    return true;
}

std::string FindFileNoCase(const std::string& dir, std::string_view name) {
    std::string d = dir.empty() ? std::string(".") : dir;
    std::string exact = JoinPath(d, name);
    struct stat st;
    if (::stat(ToFsName(exact).c_str(), &st) == 0) return std::string(name);
    DIR* dp = ::opendir(ToFsName(d).c_str());
    if (!dp) return "";
    std::string wanted = ToFsName(name);
    std::string found;
    while (dirent* e = ::readdir(dp)) {
        if (::strcasecmp(e->d_name, wanted.c_str()) == 0) {
            found = FromFsName(e->d_name);
            break;
        }
    }
    ::closedir(dp);
    return found;
}

std::string ResolveNoCase(const std::string& path) {
    std::string p = NormalizeSlashes(path);
    struct stat st;
    if (::stat(ToFsName(p).c_str(), &st) == 0) return p;
    std::string dir = DirName(p);
    std::string name = FindFileNoCase(dir, BaseName(p));
    if (name.empty()) return p;
    return dir.empty() ? name : JoinPath(dir, name);
}

std::string ProgramDir() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    buf[n] = 0;
    return DirName(FromFsName(buf));
}

std::string TempDir() {
    const char* t = std::getenv("TMPDIR");
    if (t && *t) {
        std::string s = FromFsName(t);
        while (s.size() > 1 && s.back() == '/') s.pop_back();
        return s;
    }
    return "/tmp";
}

std::string ConfigHomeDir() {
    const char* x = std::getenv("XDG_CONFIG_HOME");
    if (x && *x == '/') return FromFsName(x);
    const char* h = std::getenv("HOME");
    return JoinPath(FromFsName(h && *h ? h : "/tmp"), ".config");
}

bool MakeDirs(const std::string& path) {
    std::string p = ToFsName(path);
    if (p.empty()) return false;
    for (size_t i = 1; i <= p.size(); ++i) {
        if (i == p.size() || p[i] == '/') {
            std::string part = p.substr(0, i);
            if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        }
    }
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

DirectoryLock::DirectoryLock(const std::string& dir, const std::function<void()>& wait, int tries) {
    fd_ = ::open(ToFsName(dir.empty() ? "." : dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) return;
    for (int i = 0; i < tries; ++i) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            held_ = true;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) return;
        if (wait) wait();
    }
}

DirectoryLock::~DirectoryLock() {
    // Closing the descriptor releases the lock.
    if (fd_ >= 0) ::close(fd_);
}

} // namespace vx
