// The engine's one kind of file handle: open and create with share modes,
// reads and writes at absolute positions, byte-range locks, temporary files
// and a buffered sequential reader and writer.
//
// Locks are open-file-description locks, so that two handles of one process
// conflict as two handles do on Windows. Share modes are emulated with locks
// on reserved bytes past every lock offset the engine uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/types.h>

namespace vx {

struct EngineContext;

struct EngineFile {
    EngineContext* ctx = nullptr;
    int fd = -1;
    std::string name;
    bool readOnly = false;
    int accessMode = 0;
    bool isOpen = false;
    bool isTemp = false;
    // The wishes for a block cache in front of the file. No cache is ever
    // switched on, so they change nothing.
    int optimize = 0;
    int optimizeWrite = 0;
    // Byte ranges this handle holds, so that overlaps are refused and only
    // exact ranges are released.
    struct Range {
        int64_t start, len;
    };
    std::vector<Range> locks;
};

// The system calls under the file layer; tests install their own to inject a
// full disk, a short read or a lock held elsewhere.
class FileSystemCalls {
public:
    virtual ~FileSystemCalls() = default;
    virtual ssize_t Pread(int fd, void* buf, size_t len, off_t pos);
    virtual ssize_t Pwrite(int fd, const void* buf, size_t len, off_t pos);
    // F_OFD_SETLK / F_OFD_GETLK; returns -1 with errno on failure.
    virtual int Lock(int fd, int cmd, struct flock* fl);
    virtual int Truncate(int fd, off_t len);
    virtual int Sync(int fd);
    virtual int FileSize(int fd, int64_t* size);
};
FileSystemCalls& fileSystemCalls();
// Installs calls (not owned); nullptr goes back to the system's.
void setFileSystemCalls(FileSystemCalls* calls);

// The Linux path of a caller's name: "\" becomes "/"; an existing file is
// found ignoring the case of its last component.
std::string fileResolveName(const std::string& name);

int fileOpen(EngineFile* file, EngineContext* ctx, const std::string& name);
int fileCreate(EngineFile* file, EngineContext* ctx, const std::string& name);
int fileClose(EngineFile* file);
int64_t fileRead(EngineFile* file, int64_t pos, void* buf, size_t len);
int fileReadAll(EngineFile* file, int64_t pos, void* buf, size_t len);
int fileWrite(EngineFile* file, int64_t pos, const void* data, size_t len);
int64_t fileLen(EngineFile* file);
int fileLenSet(EngineFile* file, int64_t len);
int fileFlush(EngineFile* file);
int fileRefresh(EngineFile* file);
// Record the file's wishes for read and write caching; every transfer still
// goes straight to the file.
int fileOptimize(EngineFile* file, int wish);
int fileOptimizeWrite(EngineFile* file, int wish);
// A temporary file "TEMPnnnn.TMP" in $TEMP, $TMP or the current directory.
int fileTempLow(EngineFile* file, EngineContext* ctx, bool removeWhenClosed);
int fileReadError(EngineFile* file, int64_t pos, size_t len, const char* routine);

// Byte-range locks with the context's attempts and retry delay: 0, 50 or an error.
int fileLock(EngineFile* file, int64_t start, int64_t len);
// Waits for ever, whatever the context's attempts say.
int fileLockWait(EngineFile* file, int64_t start, int64_t len);
int fileUnlock(EngineFile* file, int64_t start, int64_t len);
// fileUnlock, and with it, in the same call, the bytes from `from` up to
// start, which the caller locked without this file's list.
int fileUnlockFrom(EngineFile* file, int64_t start, int64_t len, int64_t from);
// True when another handle, of this process or another, holds a lock that
// overlaps the range. Only asks; takes nothing.
bool fileLockedElsewhere(const EngineFile* file, int64_t start, int64_t len);

struct FileSeqRead {
    EngineFile* file = nullptr;
    int64_t pos = 0;
    char* buffer = nullptr;
    size_t size = 0;
    size_t nextRead = 0;
    size_t avail = 0;
    size_t working = 0; // index of the next unread byte
};
int fileSeqReadInit(FileSeqRead* r, EngineFile* file, int64_t start, char* buffer, size_t size);
// Returns the number of bytes read (fewer at end of file), or a negative error.
int64_t fileSeqRead(FileSeqRead* r, void* out, size_t len);
int fileSeqReadAll(FileSeqRead* r, void* out, size_t len);

struct FileSeqWrite {
    EngineFile* file = nullptr;
    int64_t pos = 0;
    char* buffer = nullptr;
    size_t size = 0;
    size_t working = 0; // bytes pending in the buffer
    size_t avail = 0;   // bytes free in the buffer
};
int fileSeqWriteInit(FileSeqWrite* w, EngineFile* file, int64_t start, char* buffer, size_t size);
int fileSeqWrite(FileSeqWrite* w, const void* data, size_t len);
int fileSeqWriteFlush(FileSeqWrite* w);
int fileSeqWriteRepeat(FileSeqWrite* w, int64_t count, char byte);

} // namespace vx
