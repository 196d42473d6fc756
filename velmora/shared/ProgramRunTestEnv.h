// For tests that run a program as a user starts it: a copy of the sample
// data as the current directory, a settings store of the test's own, and the
// main window closed through its real close path (the program's test-close
// timer).
#pragma once

#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/System.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

class ProgramRunTest : public ::testing::Test {
protected:
    // name: the program's name, that of its settings store too.
    ProgramRunTest(std::string name, std::string closeVariable)
        : name_(std::move(name)), closeVariable_(std::move(closeVariable)) {}

    void SetUp() override {
        std::string prefix = "vx";
        for (char c : name_) prefix += char(std::tolower(static_cast<unsigned char>(c)));
        root_ = std::filesystem::temp_directory_path() /
                (prefix + "-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "config");
        const char* source = std::getenv("VX_SOURCE_DIR");
        ASSERT_NE(source, nullptr);
        std::filesystem::copy(std::filesystem::path(source) / "data", root_ / "data",
                              std::filesystem::copy_options::recursive);
        setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
        vx::MakeDirs(vx::DirName(UserIni()));
    }
    void TearDown() override {
        unsetenv("XDG_CONFIG_HOME");
        unsetenv(closeVariable_.c_str());
        unsetenv("VX_QUORVEL_LOG");
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    // Runs program with the arguments in the data copy; the main window is
    // closed closeMs after start. With a screenshot name, the screen is taken
    // into the artefact directory while the window is up. The exit status.
    int Run(const std::string& program, const std::string& args, int closeMs = 2500,
            const std::string& screenshot = "") {
        setenv(closeVariable_.c_str(), std::to_string(closeMs).c_str(), 1);
        // These runs are about the program: the real library's first-start
        // dialogs would wait for a user, so a test names its library or none.
        if (args.find("cdstart") == std::string::npos && !vx::IniFile(UserIni()).Find("Quorvel", "DLL")) {
            vx::MakeDirs(vx::DirName(UserIni()));
            vx::IniFile(UserIni()).WriteString("Quorvel", "DLL", "");
        }
        std::string script = "cd '" + (root_ / "data").string() + "' && '" + program + "' " + args + " 2>'" +
                             (root_ / "stderr.txt").string() + "' & pid=$!; ";
        const char* artefacts = std::getenv("VX_ARTEFACT_DIR");
        if (!screenshot.empty() && artefacts) {
            std::filesystem::create_directories(artefacts);
            script += "sleep 1.5; import -window root '" + (std::filesystem::path(artefacts) / screenshot).string() +
                      "'; ";
        }
        // The library's start dialogs are cancelled by Escape, as a user in a hurry would.
        if (escapeDialogs) script += "(while kill -0 $pid 2>/dev/null; do xdotool key Escape; sleep 0.3; done) & ";
        script += "wait $pid";
        return vx::RunProgram("/bin/sh", {"-c", script});
    }
    std::string UserIni() const { return (root_ / "config" / "Trevalen Software GmbH" / (name_ + ".ini")).string(); }
    std::string Stderr() const {
        std::string text;
        vx::ReadWholeFile((root_ / "stderr.txt").string(), text);
        return text;
    }

    std::filesystem::path root_;
    bool escapeDialogs = false;

private:
    std::string name_;
    std::string closeVariable_;
};
