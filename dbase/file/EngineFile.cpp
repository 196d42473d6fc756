#include "dbase/file/EngineFile.h"

#include "dbase/file/EngineContext.h"
#include "platform/Files.h"
#include "platform/NumText.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {
namespace {

FileSystemCalls g_systemCalls;
FileSystemCalls* g_calls = &g_systemCalls;

// Share modes live on bytes past 4 GiB, above every lock offset of the engine.
constexpr int64_t kShareBase = int64_t(1) << 32;
constexpr int64_t kShareGate = kShareBase;
constexpr int64_t kHasRead = kShareBase + 1;
constexpr int64_t kHasWrite = kShareBase + 2;
constexpr int64_t kDenyWrite = kShareBase + 3;
constexpr int64_t kDenyRead = kShareBase + 4;

struct flock MakeLock(short type, int64_t start, int64_t len) {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = len;
    return fl;
}

bool SetLock(int fd, short type, int64_t start, int64_t len) {
    struct flock fl = MakeLock(type, start, len);
    return fileSystemCalls().Lock(fd, F_OFD_SETLK, &fl) == 0;
}

// True when another handle holds a lock on the byte.
bool HeldElsewhere(int fd, int64_t byte) {
    struct flock fl = MakeLock(F_WRLCK, byte, 1);
    if (fileSystemCalls().Lock(fd, F_OFD_GETLK, &fl) != 0) return true;
    return fl.l_type != F_UNLCK;
}

// Emulates the Windows share check: the new handle's access against the
// others' share modes, and its share mode against the others' access.
bool ShareCheck(int fd, bool write, int accessMode) {
    // A handle opened for reading cannot take a write lock; it checks without the gate.
    bool gate = !write;
    for (int i = 0; i < 400 && !gate; ++i) {
        gate = SetLock(fd, F_WRLCK, kShareGate, 1);
        if (!gate) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!gate) return false;
    bool ok = !HeldElsewhere(fd, kDenyRead);
    if (ok && write) ok = !HeldElsewhere(fd, kDenyWrite);
    if (ok && accessMode >= 1) ok = !HeldElsewhere(fd, kHasWrite);
    if (ok && accessMode >= 2) ok = !HeldElsewhere(fd, kHasRead);
    if (ok) {
        ok = SetLock(fd, F_RDLCK, kHasRead, 1);
        if (ok && write) ok = SetLock(fd, F_RDLCK, kHasWrite, 1);
        if (ok && accessMode >= 1) ok = SetLock(fd, F_RDLCK, kDenyWrite, 1);
        if (ok && accessMode >= 2) ok = SetLock(fd, F_RDLCK, kDenyRead, 1);
    }
    if (write) SetLock(fd, F_UNLCK, kShareGate, 1);
    return ok;
}

int MapOpenError(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR: return e4fileFind;
    case EACCES:
    case EPERM:
    case EROFS: return e4permiss;
    case EMFILE:
    case ENFILE: return e4numFiles;
    default: return e4open;
    }
}

int OpenFailed(EngineContext* ctx, int code, const std::string& name) {
    if (ctx->errOpen) return engineError(ctx, code, L4fileOpen, PathForDisplay(name).c_str());
    ctx->errorCode = r4noOpen;
    return r4noOpen;
}

// Keeps the system's errno: a temporary name is retried only when it exists.
int CreateFailed(EngineContext* ctx, const std::string& name, const char* desc = nullptr) {
    int err = errno;
    int rc = r4noCreate;
    if (ctx->errCreate) rc = engineError(ctx, e4create, L4fileCreate, PathForDisplay(name).c_str(), desc);
    else ctx->errorCode = r4noCreate;
    errno = err;
    return rc;
}

void ResetFile(EngineFile* file, EngineContext* ctx) {
    *file = EngineFile{};
    file->ctx = ctx;
}

bool Overlaps(const EngineFile* f, int64_t start, int64_t len) {
    for (const auto& r : f->locks)
        if (start < r.start + r.len && r.start < start + len) return true;
    return false;
}

int LockLoop(EngineFile* file, int64_t start, int64_t len, int attempts) {
    EngineContext* ctx = file->ctx;
    if (len == 0 || file->readOnly || file->accessMode != 0) return 0;
    if (!file->isOpen)
        return engineError(ctx, e4parm, L4fileLock, EngineText(IDS_SPERRVERSUCH_UNGEOEFFNET));
    // A second, overlapping lock on the same handle would merge with the
    // first; Windows refuses it, and so do we.
    if (Overlaps(file, start, len)) return r4locked;
    for (int tries = 1;; ++tries) {
        struct flock fl = MakeLock(F_WRLCK, start, len);
        if (fileSystemCalls().Lock(file->fd, F_OFD_SETLK, &fl) == 0) {
            file->locks.push_back({start, len});
            return 0;
        }
        if (errno != EAGAIN && errno != EACCES)
            return engineError(ctx, e4lock, L4fileLock, PathForDisplay(file->name).c_str());
        if (attempts >= 0 && tries >= std::max(attempts, 1)) return r4locked;
        enginePump(ctx->lockDelay);
    }
}

} // namespace

ssize_t FileSystemCalls::Pread(int fd, void* buf, size_t len, off_t pos) { return ::pread(fd, buf, len, pos); }
ssize_t FileSystemCalls::Pwrite(int fd, const void* buf, size_t len, off_t pos) {
    return ::pwrite(fd, buf, len, pos);
}
int FileSystemCalls::Lock(int fd, int cmd, struct flock* fl) { return ::fcntl(fd, cmd, fl); }
int FileSystemCalls::Truncate(int fd, off_t len) { return ::ftruncate(fd, len); }
int FileSystemCalls::Sync(int fd) { return ::fsync(fd); }
int FileSystemCalls::FileSize(int fd, int64_t* size) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return -1;
    *size = st.st_size;
    return 0;
}

FileSystemCalls& fileSystemCalls() { return *g_calls; }
void setFileSystemCalls(FileSystemCalls* calls) { g_calls = calls ? calls : &g_systemCalls; }

std::string fileResolveName(const std::string& name) { return ResolveNoCase(NormalizeSlashes(name)); }

int fileOpen(EngineFile* file, EngineContext* ctx, const std::string& name) {
    if (!file || !ctx) return engineError(ctx, e4parm, L4fileOpen);
    if (engineInError(ctx)) return e4codeBase;
    ResetFile(file, ctx);
    if (name.empty()) return engineError(ctx, e4parm, L4fileOpen);
    int mode = ctx->accessMode;
    std::string path = fileResolveName(name);
    if (mode < 0 || mode > 2) return OpenFailed(ctx, e4open, path);
    std::string fs = ToFsName(path);
    bool readOnly = ctx->readOnly != 0;
    int fd = -1;
    if (!readOnly) {
        fd = ::open(fs.c_str(), O_RDWR | O_CLOEXEC);
        // A file without write permission opens for reading, as a file with
        // the read-only attribute does.
        if (fd < 0 && (errno == EACCES || errno == EROFS) && ::access(fs.c_str(), R_OK) == 0) readOnly = true;
        else if (fd < 0) return OpenFailed(ctx, MapOpenError(errno), path);
    }
    if (readOnly) {
        fd = ::open(fs.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return OpenFailed(ctx, MapOpenError(errno), path);
    }
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return OpenFailed(ctx, e4permiss, path);
    }
    if (!ShareCheck(fd, !readOnly, mode)) {
        ::close(fd);
        return OpenFailed(ctx, e4open, path);
    }
    file->fd = fd;
    file->name = path;
    file->readOnly = readOnly;
    file->accessMode = mode;
    file->isOpen = true;
    return 0;
}

int fileCreate(EngineFile* file, EngineContext* ctx, const std::string& name) {
    if (!file || !ctx) return engineError(ctx, e4parm, L4fileCreate);
    if (engineInError(ctx)) return e4codeBase;
    if (name.empty()) return fileTempLow(file, ctx, ctx->createTemp != 0);
    ResetFile(file, ctx);
    int mode = ctx->accessMode;
    if (mode < 0 || mode > 2) return r4noCreate;
    std::string path = NormalizeSlashes(name);
    // An existing file of another case is the same file.
    std::string existing = ResolveNoCase(path);
    if (FileExists(existing)) path = existing;
    std::string fs = ToFsName(path);
    int fd = -1;
    if (ctx->safety) {
        fd = ::open(fs.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) return CreateFailed(ctx, path);
    } else {
        if (FileExists(path)) {
            // Nobody may have it open while it is replaced.
            int probe = ::open(fs.c_str(), O_RDWR | O_CLOEXEC);
            if (probe < 0) return CreateFailed(ctx, path);
            bool alone = ShareCheck(probe, true, 2);
            ::close(probe);
            if (!alone) return CreateFailed(ctx, path);
        }
        fd = ::open(fs.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) return CreateFailed(ctx, path);
    }
    if (!ShareCheck(fd, true, mode)) {
        ::close(fd);
        return CreateFailed(ctx, path);
    }
    file->fd = fd;
    file->name = path;
    file->accessMode = mode;
    file->isOpen = true;
    file->isTemp = ctx->createTemp != 0;
    return 0;
}

int fileTempLow(EngineFile* file, EngineContext* ctx, bool removeWhenClosed) {
    if (!file || !ctx) return engineError(ctx, e4parm, L4fileTempLow);
    const char* dir = std::getenv("TEMP");
    if (!dir || !*dir) dir = std::getenv("TMP");
    std::string base = dir && *dir ? NormalizeSlashes(dir) : std::string(".");
    int savedMode = ctx->accessMode, savedErr = ctx->errCreate, savedSafety = ctx->safety,
        savedTemp = ctx->createTemp;
    ctx->accessMode = 1;
    ctx->errCreate = 0;
    ctx->safety = 1;
    ctx->createTemp = 0;
    int rc = r4noCreate;
    for (int attempt = 0; attempt < 100; ++attempt) {
        int number = int(std::time(nullptr) % 10000);
        std::string name = JoinPath(base, Format("TEMP%04d.TMP", number));
        errno = 0;
        rc = fileCreate(file, ctx, name);
        if (rc == 0) break;
        if (rc < 0) break;
        ctx->errorCode = 0;
        // A missing or closed folder does not get better by waiting.
        if (errno != EEXIST) break;
        enginePump(50);
    }
    ctx->accessMode = savedMode;
    ctx->errCreate = savedErr;
    ctx->safety = savedSafety;
    ctx->createTemp = savedTemp;
    if (rc == r4noCreate)
        return engineError(ctx, e4create, L4fileTempLow, EngineText(IDS_ARBEITSDATEI_FEHLER));
    if (rc < 0) return rc;
    file->isTemp = removeWhenClosed;
    return 0;
}

int fileClose(EngineFile* file) {
    if (!file) return e4parmNull;
    if (!file->isOpen) return 0;
    EngineContext* ctx = file->ctx;
    int rc = 0;
    if (::close(file->fd) != 0) rc = engineError(ctx, e4close, L4fileClose, PathForDisplay(file->name).c_str());
    if (file->isTemp) ::unlink(ToFsName(file->name).c_str());
    file->fd = -1;
    file->isOpen = false;
    file->locks.clear();
    if (rc == 0 && ctx && engineInError(ctx)) rc = -1;
    return rc;
}

int fileReadError(EngineFile* file, int64_t pos, size_t len, const char* routine) {
    std::string where = Format("%19d %19d", pos, int64_t(len));
    return engineError(file->ctx, e4read, L4fileReadError, PathForDisplay(file->name).c_str(), where.c_str(), routine);
}

int64_t fileRead(EngineFile* file, int64_t pos, void* buf, size_t len) {
    if (!file || pos < 0 || !buf) return engineError(file ? file->ctx : nullptr, e4parmNull, L4fileRead);
    if (engineInError(file->ctx) || len == 0) return 0;
    if (!file->isOpen) return engineError(file->ctx, e4parm, L4fileRead);
    size_t done = 0;
    while (done < len) {
        ssize_t n = fileSystemCalls().Pread(file->fd, static_cast<char*>(buf) + done, len - done, pos + done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fileReadError(file, pos, len, "fileReadLow");
        if (n == 0) break;
        done += size_t(n);
    }
    return int64_t(done);
}

int fileReadAll(EngineFile* file, int64_t pos, void* buf, size_t len) {
    int64_t n = fileRead(file, pos, buf, len);
    if (n < 0) return int(n);
    if (size_t(n) != len) {
        if (engineInError(file->ctx)) return e4codeBase;
        return fileReadError(file, pos, len, "fileReadAll");
    }
    return 0;
}

int fileWrite(EngineFile* file, int64_t pos, const void* data, size_t len) {
    if (!file) return engineError(nullptr, e4parm, L4fileWrite);
    EngineContext* ctx = file->ctx;
    if (engineInError(ctx)) return e4codeBase;
    if (pos < 0 || (!data && len) || !file->isOpen) return engineError(ctx, e4parm, L4fileWrite);
    if (file->readOnly)
        return engineError(ctx, e4write, L4fileWrite, EngineText(IDS_SCHREIBVERSUCH_NURLESE),
                           PathForDisplay(file->name).c_str());
    size_t done = 0;
    while (done < len) {
        ssize_t n = fileSystemCalls().Pwrite(file->fd, static_cast<const char*>(data) + done, len - done,
                                             pos + done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return engineError(ctx, e4write, L4fileWrite, PathForDisplay(file->name).c_str());
        done += size_t(n);
    }
    if (ctx->writeThrough) return fileFlush(file);
    return 0;
}

int64_t fileLen(EngineFile* file) {
    if (!file) return engineError(nullptr, e4parmNull, L4fileLen);
    if (engineInError(file->ctx)) return e4codeBase;
    int64_t size = 0;
    if (!file->isOpen || fileSystemCalls().FileSize(file->fd, &size) != 0)
        return engineError(file->ctx, e4len, L4fileLen, PathForDisplay(file->name).c_str());
    return size;
}

int fileLenSet(EngineFile* file, int64_t len) {
    if (!file || len < 0) return engineError(file ? file->ctx : nullptr, e4parmNull, L4fileLenSet);
    if (engineInError(file->ctx)) return e4codeBase;
    if (file->readOnly)
        return engineError(file->ctx, e4parm, L4fileLenSet, EngineText(IDS_LAENGENAENDERUNG_NURLESE));
    if (!file->isOpen || fileSystemCalls().Truncate(file->fd, len) != 0)
        return engineError(file->ctx, e4lenSet, L4fileLenSet, PathForDisplay(file->name).c_str());
    return 0;
}

int fileFlush(EngineFile* file) {
    if (!file) return e4parmNull;
    if (file->readOnly || !file->isOpen) return 0;
    if (fileSystemCalls().Sync(file->fd) != 0)
        return engineError(file->ctx, e4optFlush, L4fileFlush, PathForDisplay(file->name).c_str());
    return 0;
}

int fileRefresh(EngineFile*) { return 0; }

int fileOptimize(EngineFile* file, int wish) {
    if (!file) return engineError(nullptr, e4parmNull, L4fileOptimize);
    file->optimize = wish;
    return 0;
}

int fileOptimizeWrite(EngineFile* file, int wish) {
    if (!file) return engineError(nullptr, e4parmNull, L4fileOptimizeWrite);
    file->optimizeWrite = wish;
    return 0;
}

int fileLock(EngineFile* file, int64_t start, int64_t len) {
    if (!file) return e4parmNull;
    return LockLoop(file, start, len, file->ctx->lockAttempts);
}

int fileLockWait(EngineFile* file, int64_t start, int64_t len) {
    if (!file) return e4parmNull;
    return LockLoop(file, start, len, -1);
}

bool fileLockedElsewhere(const EngineFile* file, int64_t start, int64_t len) {
    if (!file->isOpen) return false;
    // A read lock conflicts with every write lock and is allowed on any handle.
    struct flock fl = MakeLock(F_RDLCK, start, len);
    if (fileSystemCalls().Lock(file->fd, F_OFD_GETLK, &fl) != 0) return false;
    return fl.l_type != F_UNLCK;
}

int fileUnlock(EngineFile* file, int64_t start, int64_t len) { return fileUnlockFrom(file, start, len, start); }

int fileUnlockFrom(EngineFile* file, int64_t start, int64_t len, int64_t from) {
    if (!file) return e4parmNull;
    if (len == 0 || file->readOnly || file->accessMode != 0) return 0;
    // Only exact ranges: a partial unlock would open a hole in a larger lock.
    auto it = std::find_if(file->locks.begin(), file->locks.end(),
                           [&](const EngineFile::Range& r) { return r.start == start && r.len == len; });
    if (it == file->locks.end() || !file->isOpen)
        return engineError(file->ctx, e4unlock, L4fileUnlock, PathForDisplay(file->name).c_str());
    file->locks.erase(it);
    if (from > start) from = start;
    struct flock fl = MakeLock(F_UNLCK, from, start + len - from);
    if (fileSystemCalls().Lock(file->fd, F_OFD_SETLK, &fl) != 0)
        return engineError(file->ctx, e4unlock, L4fileUnlock, PathForDisplay(file->name).c_str());
    return 0;
}

namespace {
size_t SeqSize(size_t size) { return (size % 65536) / 1024 * 1024; }
size_t FirstTransfer(int64_t start, size_t size) {
    size_t off = size_t(start % 1024);
    return off < size ? size - off : size;
}
} // namespace

int fileSeqReadInit(FileSeqRead* r, EngineFile* file, int64_t start, char* buffer, size_t size) {
    *r = FileSeqRead{};
    r->file = file;
    r->pos = start;
    r->buffer = buffer;
    r->size = SeqSize(size);
    r->nextRead = FirstTransfer(start, r->size);
    return 0;
}

int64_t fileSeqRead(FileSeqRead* r, void* out, size_t len) {
    char* dst = static_cast<char*>(out);
    size_t done = 0;
    while (done < len) {
        if (r->avail == 0) {
            if (r->size == 0) {
                int64_t n = fileRead(r->file, r->pos, dst + done, len - done);
                if (n < 0) return n;
                r->pos += n;
                return int64_t(done) + n;
            }
            int64_t n = fileRead(r->file, r->pos, r->buffer, r->nextRead);
            if (n < 0) return n;
            r->pos += n;
            r->nextRead = r->size;
            r->avail = size_t(n);
            r->working = 0;
            if (n == 0) break;
        }
        size_t take = std::min(r->avail, len - done);
        std::memcpy(dst + done, r->buffer + r->working, take);
        r->working += take;
        r->avail -= take;
        done += take;
    }
    return int64_t(done);
}

int fileSeqReadAll(FileSeqRead* r, void* out, size_t len) {
    int64_t start = r->pos - int64_t(r->avail);
    int64_t n = fileSeqRead(r, out, len);
    if (n < 0) return int(n);
    if (size_t(n) != len) return fileReadError(r->file, start, len, "fileSeqReadAll");
    return 0;
}

int fileSeqWriteInit(FileSeqWrite* w, EngineFile* file, int64_t start, char* buffer, size_t size) {
    *w = FileSeqWrite{};
    w->file = file;
    w->pos = start;
    w->buffer = buffer;
    w->size = SeqSize(size);
    w->avail = FirstTransfer(start, w->size);
    return 0;
}

int fileSeqWriteFlush(FileSeqWrite* w) {
    if (w->working == 0) return 0;
    int rc = fileWrite(w->file, w->pos, w->buffer, w->working);
    if (rc < 0) return rc;
    w->pos += int64_t(w->working);
    w->working = 0;
    w->avail = w->size;
    return 0;
}

int fileSeqWrite(FileSeqWrite* w, const void* data, size_t len) {
    const char* src = static_cast<const char*>(data);
    if (w->size == 0) {
        int rc = fileWrite(w->file, w->pos, src, len);
        if (rc < 0) return rc;
        w->pos += int64_t(len);
        return 0;
    }
    while (len > 0) {
        size_t take = std::min(w->avail, len);
        std::memcpy(w->buffer + w->working, src, take);
        w->working += take;
        w->avail -= take;
        src += take;
        len -= take;
        if (w->avail == 0) {
            int rc = fileSeqWriteFlush(w);
            if (rc < 0) return rc;
        }
    }
    return 0;
}

int fileSeqWriteRepeat(FileSeqWrite* w, int64_t count, char byte) {
    char chunk[512];
    std::memset(chunk, byte, sizeof chunk);
    while (count > 0) {
        size_t n = size_t(std::min<int64_t>(count, 512));
        int rc = fileSeqWrite(w, chunk, n);
        if (rc < 0) return rc;
        count -= int64_t(n);
    }
    return 0;
}

} // namespace vx
