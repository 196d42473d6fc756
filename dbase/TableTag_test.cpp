#include "dbase/TableTag.h"

#include "dbase/EngineTestSupport.h"
#include "dbase/Field.h"
#include "dbase/Table.h"
#include "dbase/TestWorkers.h"

#include <string>
#include <vector>

#include <unistd.h>

namespace vx {
namespace {

class TagWalkTest : public test::EngineTest {
protected:
    void SetUp() override {
        test::EngineTest::SetUp();
        const FieldInfo fields[] = {{"KEY", 'C', 8, 0, 0}, {"CNT", 'N', 10, 0, 0}, {}};
        const TagInfo tags[] = {{"BYKEY", "KEY", nullptr, 0, 0}, {}};
        TableHandle* t = tableCreate(&ctx, Path("WALK"), fields, tags);
        ASSERT_NE(t, nullptr);
        ASSERT_EQ(tableClose(t), 0);
    }
};

// Keys spread over the whole tag, so that every part of the tree splits.
std::string KeyOf(int writer, int seq) {
    std::string digits = std::to_string(100000 + (seq * 7919) % 100000).substr(1);
    return digits + char('a' + writer) + "00";
}

// One walk through the tag: the keys ascend, and every record that was
// counted before the walk began is met exactly once. 0, or what went wrong.
int Walk(TableHandle* t, TagHandle* tag) {
    long before = tableRecCount(t);
    if (before < 0) return 10;
    tableTagSelect(t, tag);
    std::vector<int> seen(size_t(before) + 1, 0);
    std::string last;
    int rc = tableTop(t);
    for (; rc == 0; rc = tableSkip(t, 1)) {
        std::string key = fieldStr(tableField(t, "KEY"));
        if (!last.empty() && key <= last) return 11;
        last = key;
        long n = tableRecNo(t);
        if (n <= before && ++seen[size_t(n)] > 1) return 12;
    }
    if (rc != r4eof) return 13;
    for (long n = 1; n <= before; ++n)
        if (seen[size_t(n)] != 1) return 14;
    return 0;
}

TEST_F(TagWalkTest, ReadersWalkingWhileOthersAppendMissNoKey) {
    constexpr int kWriters = 2, kReaders = 2, kAppends = 2500;
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    test::TestWorkers workers;
    std::vector<int> writers;
    for (int r = 0; r < kReaders; ++r)
        workers.Start([&] {
            EngineContext c;
            engineInit(&c);
            c.lockDelay = 0;
            TableHandle* t = tableOpen(&c, Path("WALK"));
            if (!t) return 1;
            TagHandle* tag = tableTag(t, "BYKEY");
            int walks = 0;
            do {
                if (int rc = Walk(t, tag)) return rc;
                // The writers begin once every reader is walking.
                if (++walks == 1)
                    for (int w = 0; w < kWriters; ++w) (void)!::write(go[1], "g", 1);
                test::TestWorkers::Tick();
            } while (!test::TestWorkers::Stopping() || walks < 2);
            return engineInitUndo(&c) == 0 ? 0 : 2;
        });
    for (int w = 0; w < kWriters; ++w)
        writers.push_back(workers.Start([&, w] {
            char b;
            for (int r = 0; r < kReaders; ++r)
                if (::read(go[0], &b, 1) != 1) return 1;
            EngineContext c;
            engineInit(&c);
            c.lockDelay = 0;
            TableHandle* t = tableOpen(&c, Path("WALK"));
            if (!t) return 2;
            for (int i = 0; i < kAppends; ++i) {
                tableAppendStart(t, false);
                fieldAssign(tableField(t, "KEY"), KeyOf(w, i).c_str());
                if (tableAppend(t) != 0) return 3;
                test::TestWorkers::Tick();
            }
            return engineInitUndo(&c) == 0 ? 0 : 4;
        }));
    ::close(go[0]);
    ::close(go[1]);
    ASSERT_TRUE(workers.Wait(writers));
    workers.Stop();
    ASSERT_TRUE(workers.Wait());
    for (int r = 0; r < kReaders; ++r) EXPECT_EQ(workers.Result(r), 0) << "reader " << r;
    for (int w : writers) EXPECT_EQ(workers.Result(w), 0) << "writer " << w;
    TableHandle* t = tableOpen(&ctx, Path("WALK"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(tableRecCount(t), kWriters * kAppends);
    EXPECT_EQ(Walk(t, tableTag(t, "BYKEY")), 0);
    tableClose(t);
}

} // namespace
} // namespace vx
