#include "model/DocValue.h"

#include <gtest/gtest.h>

namespace {

class FakeDocument : public DocValueSource {
public:
    int32_t GetDocValue(int code, int index) override { return code == 19 ? 1 : code == 39 ? index * 10 : 0; }
};

TEST(DocValue, WithoutApplicationThereIsNoDocument) {
    SetDocValueSource(nullptr);
    EXPECT_EQ(GetDocValue(19), -1);
}

TEST(DocValue, InstalledSourceAnswers) {
    FakeDocument doc;
    SetDocValueSource(&doc);
    EXPECT_EQ(GetDocValue(19), 1);
    EXPECT_EQ(GetDocValue(39, 3), 30);
    EXPECT_EQ(GetDocValue(60), 0);
    SetDocValueSource(nullptr);
}

} // namespace
