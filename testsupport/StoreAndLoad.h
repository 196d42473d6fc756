// A file save and open in miniature: what one object stores, another loads.
#pragma once

#include "platform/Archive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// Loads into `into` what `from` stores and expects every byte read; gives
// the bytes for checks of their layout.
template <typename From, typename Into>
std::vector<uint8_t> StoreAndLoad(From& from, Into& into) {
    auto out = vx::Archive::ForStoring();
    from.Serialize(out);
    auto in = vx::Archive::ForLoading(out.Bytes());
    into.Serialize(in);
    EXPECT_TRUE(in.AtEnd()) << in.Remaining() << " bytes not read";
    return out.Bytes();
}
