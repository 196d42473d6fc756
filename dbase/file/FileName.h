// File names of the engine. Callers may write "\" or "/"; results use "/".
// Only the last component of a path is upper-cased (ASCII letters only, so
// that the case-insensitive lookup of platform/Files.h finds the file):
// directories on Linux keep their case. Routines return 0 or an error code;
// the caller reports it through its context.
#pragma once

#include <string>
#include <string_view>

namespace vx {

// name (terminated, buffer of size bytes): trailing blanks removed; the
// extension added when the name has none, or replacing one when replace is
// set; a leading "." of extension is ignored; the file name upper-cased.
// -930 when the result does not fit into size bytes (name unchanged).
int utilNameExt(char* name, int size, const char* extension, bool replace);

// The full path of name into target (size bytes, terminated): "//server/..."
// and "/..." are kept; a drive letter with its colon is dropped (no drives
// here); any other name is taken from the current directory, each leading
// "../" removing one directory. The result goes through utilNameFix and its
// file name is upper-cased. -930 when it does not fit, -1420 from utilNameFix.
int utilNameCurrent(char* target, int size, const char* name);

// Removes each "../" together with the directory before it, and each "./"
// (name terminated, separators "/" or "\"). -1420 when a "../" does not
// follow a separator or has no directory before it.
int utilNameFix(char* name);

// The name part of path into target (size bytes, terminated, cut to fit):
// with or without its directory and its extension, upper-cased.
void utilNamePiece(char* target, int size, const char* path, bool keepDirectory,
                   bool keepExtension);

} // namespace vx
