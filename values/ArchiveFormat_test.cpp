#include "values/ArchiveFormat.h"

#include "platform/Archive.h"

#include <gtest/gtest.h>

namespace {

TEST(ArchiveFormat, StoringAlwaysUsesTheCurrentFormat) {
    vx::g_FileFormat = 19;
    auto out = vx::Archive::ForStoring();
    auto in = vx::Archive::ForLoading({});
    EXPECT_EQ(ArchiveFormat(out), 42);
    EXPECT_EQ(ArchiveFormat(in), 19);
    vx::g_FileFormat = vx::kFileFormatCurrent;
}

} // namespace
