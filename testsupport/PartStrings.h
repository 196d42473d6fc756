// The string tables of some parts for one test, as a program loads them;
// the process's table is as before once the test ends.
#pragma once

#include "platform/Files.h"
#include "platform/StringTable.h"

#include <gtest/gtest.h>

#include <initializer_list>

class ScopedPartStrings {
public:
    explicit ScopedPartStrings(std::initializer_list<const char*> parts) : saved_(vx::Strings()) {
        for (const char* part : parts)
            EXPECT_TRUE(vx::Strings().LoadFile(vx::JoinPath(vx::JoinPath(vx::ResourceDir(), part), "strings.txt")))
                << part;
    }
    ~ScopedPartStrings() { vx::Strings() = saved_; }
    ScopedPartStrings(const ScopedPartStrings&) = delete;
    ScopedPartStrings& operator=(const ScopedPartStrings&) = delete;

private:
    vx::StringTable saved_;
};
