#include "velmora/shared/WebAddress.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

TEST(WebAddress, HttpPutInFrontOnlyWhenMissing) {
    EXPECT_EQ(WebAddressToOpen("www.trevalen.example"), "http://www.trevalen.example");
    EXPECT_EQ(WebAddressToOpen("http://www.trevalen.example/"), "http://www.trevalen.example/");
    // An https address is not one the rule knows: it gets the prefix too.
    EXPECT_EQ(WebAddressToOpen("https://x"), "http://https://x");
}

// A stand-in "xdg-open" on PATH writes down what it was asked to open.
TEST(WebAddress, OpenedWithXdgOpen) {
    const std::string dir = vx::JoinPath(vx::TempDir(), "vxweb-" + std::to_string(::getpid()));
    vx::MakeDirs(dir);
    const std::string out = vx::JoinPath(dir, "opened.txt");
    const std::string script = vx::JoinPath(dir, "xdg-open");
    vx::WriteFileAtomic(script, "#!/bin/sh\nprintf '%s' \"$1\" > \"" + out + ".tmp\" && mv \"" + out + ".tmp\" \"" +
                                    out + "\"\n");
    ::chmod(script.c_str(), 0755);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (dir + ":" + oldPath).c_str(), 1);

    ASSERT_TRUE(OpenWebAddress("www.trevalen.example"));
    std::string opened;
    for (int i = 0; i < 500 && !vx::ReadWholeFile(out, opened); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(opened, "http://www.trevalen.example");

    ::setenv("PATH", "/nonexistent-vx", 1);
    EXPECT_FALSE(OpenWebAddress("www.trevalen.example"));
    ::setenv("PATH", oldPath.c_str(), 1);
    vx::RemoveFile(out);
    vx::RemoveFile(script);
    ::rmdir(dir.c_str());
}
