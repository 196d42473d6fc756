// Shared libraries loaded by name and programs started from the system. A
// program's arguments go to it as bytes: a caller turns text into UTF-8.
#pragma once

#include <string>
#include <vector>

namespace vx {

// A library loaded at run time. Exports are looked up by name at each use.
class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary() { Close(); }
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }
    // nullptr when the library is not loaded or has no such export.
    void* Symbol(const char* name) const;
    template <typename Fn> Fn Function(const char* name) const {
        return reinterpret_cast<Fn>(Symbol(name));
    }
    const std::string& LastError() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string error_;
};

// Starts program with working directory workDir and the whole of argument as
// its one argument; does not wait. 0 on success, else the system error code.
int StartProgram(const std::string& program, const std::string& workDir, const std::string& argument);
// Starts program with arguments and waits for it; its exit status, or -1.
int RunProgram(const std::string& program, const std::vector<std::string>& args);
// Starts program with arguments, waits for it and gives what it wrote to its
// standard output in output; its exit status, or -1.
int ProgramOutput(const std::string& program, const std::vector<std::string>& args, std::string& output);
// The arguments after the program's name as the process got them, bytes
// unchanged; empty when they cannot be read.
std::vector<std::string> CommandLineArguments();
// The full path of an executable found on PATH, or "".
std::string FindProgramOnPath(const std::string& name);

} // namespace vx
