// Files and directories. A path is not text: it holds the bytes the file
// system gives (a "\" from a caller is taken as "/"). Where a path meets the
// system's code-page-1252 text, it is converted: for a display, from typed or
// stored text, and into the settings and lists that keep paths.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// The Linux file name of a system path.
std::string ToFsName(std::string_view path);
// The system path of a Linux file name.
std::string FromFsName(std::string_view fsName);
// A path in a code-page-1252 text (a message, a print): a character the code
// page has not got shows as "?". Only for showing, never to open.
std::string PathForDisplay(std::string_view path);
// The path a code-page-1252 text names (a typed name, a text of the program).
std::string PathFromText(std::string_view cp1252);
// A path as the settings and lists keep it: in code page 1252, as they always
// held it, when every character has a place there; else the file system's
// bytes unchanged. PathFromStored reads both forms back.
std::string PathToStored(std::string_view path);
std::string PathFromStored(std::string_view stored);
// The path of a "file:" URI ("file:///a/b%20c" or "file://localhost/..."), as
// launchers pass it; "" when text is no local file URI.
std::string PathFromFileUri(std::string_view text);
// "\" becomes "/".
std::string NormalizeSlashes(std::string_view path);
// a + "/" + b without doubling the separator.
std::string JoinPath(std::string_view dir, std::string_view name);
// The directory part of a path ("" when it has none) and the last component.
std::string DirName(std::string_view path);
std::string BaseName(std::string_view path);

bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
bool RemoveFile(const std::string& path);
bool ReadWholeFile(const std::string& path, std::string& out);
enum class ReadLimited { Read, TooLarge, Failed };
// Reads a whole file of at most limit bytes; a larger one is not read at all.
ReadLimited ReadFileUpTo(const std::string& path, std::string& out, size_t limit);
// Writes data to a temporary file in the same directory, flushes it and
// renames it over path, so that a failure leaves the old file as it was.
// A symbolic link stays: the file it leads to is replaced.
bool WriteFileAtomic(const std::string& path, std::string_view data);
// The name of the entry of dir that equals name ignoring ASCII case, the exact
// name first; "" when there is none.
std::string FindFileNoCase(const std::string& dir, std::string_view name);
// path itself when it exists, else its last component looked up case-insensitively.
std::string ResolveNoCase(const std::string& path);

// The directory of the running program, without a trailing "/".
std::string ProgramDir();
// $TMPDIR or "/tmp".
std::string TempDir();
// The user's configuration directory: $XDG_CONFIG_HOME or ~/.config.
std::string ConfigHomeDir();
bool MakeDirs(const std::string& path);

// An exclusive lock on a directory, for the few steps in which a process
// creates files there that another one must never find half-written. Tries
// without blocking and calls wait between tries; after `tries` it goes on
// without the lock, as it does where the file system has no such locks.
class DirectoryLock {
public:
    DirectoryLock(const std::string& dir, const std::function<void()>& wait, int tries);
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;
    bool held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

} // namespace vx
