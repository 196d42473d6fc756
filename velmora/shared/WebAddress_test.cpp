#include "velmora/shared/WebAddress.h"

#include "testsupport/velmora/XdgOpenStandIn.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(WebAddress, HttpPutInFrontOnlyWhenMissing) {
    EXPECT_EQ(WebAddressToOpen("www.trevalen.example"), "http://www.trevalen.example");
    EXPECT_EQ(WebAddressToOpen("http://www.trevalen.example/"), "http://www.trevalen.example/");
    // An https address is not one the rule knows: it gets the prefix too.
    EXPECT_EQ(WebAddressToOpen("https://x"), "http://https://x");
}

// A stand-in "xdg-open" on PATH writes down what it was asked to open.
TEST(WebAddress, OpenedWithXdgOpen) {
    XdgOpenStandIn opener("vxweb-");

    ASSERT_TRUE(OpenWebAddress("www.trevalen.example"));
    EXPECT_EQ(opener.Opened(), "http://www.trevalen.example");

    ::setenv("PATH", "/nonexistent-vx", 1);
    EXPECT_FALSE(OpenWebAddress("www.trevalen.example"));
}
