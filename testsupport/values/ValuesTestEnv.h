// Test surroundings of the value layer: a profile file of the test's own,
// the undo size read afresh, the global separator and flag as at start.
#pragma once

#include "testsupport/platform/TestSupport.h"

#include "platform/Files.h"
#include "platform/Profile.h"
#include "values/CWerte.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <string>

#include <unistd.h>

class ValuesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("vxvalues-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        std::filesystem::create_directories(dir_);
        vx::Profile().Select(vx::ProfileStore::IniBesideProgram, "Velmora");
        vx::Profile().UseFile(Path("profile.ini"));
        CWerte::ForgetUndoSize();
        g_DecimalSeparator = ",";
        g_ResultsValid = 0;
    }
    void TearDown() override {
        CWerte::ForgetUndoSize();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    void SetUndoSize(const char* n) {
        vx::Profile().WriteString("Global", "UndoSize", n);
        CWerte::ForgetUndoSize();
    }

    std::filesystem::path dir_;
    static inline int counter_ = 0;
};

using vx::GermanNumeric;
