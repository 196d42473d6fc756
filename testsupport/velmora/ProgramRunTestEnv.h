// For tests that run a program as a user starts it: a copy of the sample
// data as the current directory, a settings store of the test's own, and the
// main window closed through its real close path (the program's test-close
// timer).
#pragma once

#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/System.h"
#include "velmora/shared/FramePlacement.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

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
        return vx::RunProgram("/bin/sh", {"-c", Script(program, args, closeMs, screenshot) + "wait $pid"});
    }
    // The shell lines of Run up to the wait; the program's process id is in $pid.
    std::string Script(const std::string& program, const std::string& args, int closeMs,
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
        return script;
    }
    struct StartedWindow {
        int width = 0, height = 0;  // the main window on the screen, without the window manager's frame
        std::string rect;           // the saved "Rect" after the start
    };
    // Starts program three times under a window manager of its own: first
    // with fresh settings and the library beside the program, whose
    // first-start dialogs come before the main window (cancelled by Escape),
    // then twice more without the library.
    std::vector<StartedWindow> StartsUnderAWindowManager(const std::string& program) {
        std::vector<StartedWindow> starts;
        if (vx::FindProgramOnPath("openbox").empty()) return starts;
        std::filesystem::remove(UserIni());
        vx::WriteFileAtomic(UserIni(), "[Quorvel]\nDLL=" + vx::JoinPath(vx::DirName(program), "libquorvel.so") + "\n");
        const std::string size = (root_ / "window.txt").string();
        for (int start = 0; start < 3; ++start) {
            if (start == 1) vx::IniFile(UserIni()).WriteString("Quorvel", "DLL", "");
            escapeDialogs = start == 0;
            std::filesystem::remove(size);
            // The manager is up once it has named its check window on the root.
            const std::string script =
                "openbox >/dev/null 2>&1 & wm=$!; n=0; "
                "until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do "
                "n=$((n+1)); [ $n -gt 200 ] && { kill $wm; exit 3; }; sleep 0.05; done; " +
                Script(program, "", 6000) +
                // The program's window with the main window's title: without
                // --all, xdotool takes any window of the program (a dialog).
                // A search ends with an X error when a dialog goes meanwhile,
                // so it is asked again while the program runs; xwininfo
                // without a window would wait for a click.
                "w=; while [ -z \"$w\" ] && kill -0 $pid 2>/dev/null; do "
                "w=$(xdotool search --all --onlyvisible --pid $pid --name ' - " + name_ +
                "$' 2>/dev/null | head -1); [ -n \"$w\" ] || sleep 0.1; done; "
                "[ -n \"$w\" ] && xwininfo -id \"$w\" >'" + size + "'; wait $pid; rc=$?; kill $wm; wait $wm; exit $rc";
            if (vx::RunProgram("/bin/sh", {"-c", script}) != 0) return {};
            StartedWindow window;
            std::string text;
            vx::ReadWholeFile(size, text);
            const auto field = [&text](const std::string& key) {
                const size_t at = text.find(key);
                return at == std::string::npos ? 0 : int(vx::ParseLong(text.substr(at + key.size())));
            };
            window.width = field("Width: ");
            window.height = field("Height: ");
            window.rect = vx::IniFile(UserIni()).GetString("Window size", "Rect");
            starts.push_back(window);
        }
        return starts;
    }
    // The window's size from the first start on: what was saved is what is
    // seen, and every start sees it again.
    void ExpectTheWindowKeepsItsSize(const std::string& program) {
        const std::vector<StartedWindow> starts = StartsUnderAWindowManager(program);
        ASSERT_EQ(starts.size(), 3u) << Stderr();
        int left = 0, top = 0, right = 0, bottom = 0;
        ParsePlacementRect(starts[0].rect, left, top, right, bottom);
        EXPECT_GT(starts[0].width, 0);
        EXPECT_EQ(right - left, starts[0].width);
        EXPECT_EQ(bottom - top, starts[0].height);
        for (const StartedWindow& start : starts) {
            EXPECT_EQ(start.width, starts[0].width);
            EXPECT_EQ(start.height, starts[0].height);
            EXPECT_EQ(start.rect, starts[0].rect);
        }
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
