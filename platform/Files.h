// Files and directories. Paths in the system are code-page-1252 text with
// "/" (a "\" from a caller is taken as "/"); they become UTF-8 only here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vx {

// The Linux file name of a system path.
std::string ToFsName(std::string_view path);
// The system path of a Linux file name.
std::string FromFsName(std::string_view fsName);
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
// Writes data to a temporary file in the same directory, flushes it and
// renames it over path, so that a failure leaves the old file as it was.
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

} // namespace vx
