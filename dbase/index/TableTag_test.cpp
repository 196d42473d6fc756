#include "dbase/index/TableTag.h"

#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "dbase/data/Table.h"
#include "testsupport/dbase/TestWorkers.h"

#include <map>
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
            ::close(go[0]);
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
                    for (int w = 0; w < kWriters; ++w)
                        (void)!::write(go[1], "g", 1);
                test::TestWorkers::Tick();
            } while (!test::TestWorkers::Stopping() || walks < 2);
            return engineInitUndo(&c) == 0 ? 0 : 2;
        });
    for (int w = 0; w < kWriters; ++w)
        writers.push_back(workers.Start([&, w] {
            // A reader that fails early closes the pipe: no writer waits for ever.
            ::close(go[1]);
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
    for (int r = 0; r < kReaders; ++r)
        EXPECT_EQ(workers.Result(r), 0) << "reader " << r;
    for (int w : writers)
        EXPECT_EQ(workers.Result(w), 0) << "writer " << w;
    TableHandle* t = tableOpen(&ctx, Path("WALK"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(tableRecCount(t), kWriters * kAppends);
    EXPECT_EQ(Walk(t, tableTag(t, "BYKEY")), 0);
    tableClose(t);
}

TEST_F(TagWalkTest, UsersCountingAppendingAndWalkingAtOnceLoseNothing) {
    constexpr int kCounters = 8, kRounds = 1000;
    auto counterOf = [](int user, int round) { return 1 + (user * 3 + round) % kCounters; };
    auto appendedKey = [](int user, int round) {
        return std::string("A") + char('a' + user) + std::to_string(1000000 + round).substr(1);
    };
    for (int users : {2, 4, 8}) {
        SCOPED_TRACE(users);
        std::string name = Path("SHARE" + std::to_string(users));
        const FieldInfo fields[] = {{"KEY", 'C', 8, 0, 0}, {"CNT", 'N', 10, 0, 0}, {}};
        const TagInfo tags[] = {{"BYKEY", "KEY", nullptr, 0, 0}, {}};
        TableHandle* made = tableCreate(&ctx, name, fields, tags);
        ASSERT_NE(made, nullptr);
        for (int i = 1; i <= kCounters; ++i) {
            tableAppendStart(made, false);
            fieldAssign(tableField(made, "KEY"),
                        ("C" + std::to_string(10000000 + i).substr(1)).c_str());
            fieldAssignLong(tableField(made, "CNT"), 0);
            ASSERT_EQ(tableAppend(made), 0);
        }
        ASSERT_EQ(tableClose(made), 0);
        test::TestWorkers workers;
        for (int w = 0; w < users; ++w)
            workers.Start([&, w] {
                EngineContext c;
                engineInit(&c);
                c.lockDelay = 0;
                TableHandle* t = tableOpen(&c, name);
                if (!t) return 1;
                TagHandle* tag = tableTag(t, "BYKEY");
                for (int i = 0; i < kRounds; ++i) {
                    tableTagSelect(t, nullptr);
                    long r = counterOf(w, i);
                    if (tableLock(t, r) != 0 || tableGo(t, r) != 0) return 2;
                    fieldAssignLong(tableField(t, "CNT"), fieldLong(tableField(t, "CNT")) + 1);
                    if (tableUnlock(t) != 0) return 3;
                    if (i % 2 == 0) {
                        tableAppendStart(t, false);
                        fieldAssign(tableField(t, "KEY"), appendedKey(w, i).c_str());
                        fieldAssignLong(tableField(t, "CNT"), 0);
                        if (tableAppend(t) != 0) return 4;
                    }
                    if (i % 100 == 50)
                        if (int rc = Walk(t, tag)) return rc;
                    test::TestWorkers::Tick();
                }
                return engineInitUndo(&c) == 0 ? 0 : 5;
            });
        ASSERT_TRUE(workers.Wait()) << "the users wait for each other";
        for (int w = 0; w < users; ++w)
            EXPECT_EQ(workers.Result(w), 0) << "user " << w;
        std::vector<long> want(kCounters + 1, 0);
        std::map<std::string, int> appended;
        for (int w = 0; w < users; ++w)
            for (int i = 0; i < kRounds; ++i) {
                ++want[size_t(counterOf(w, i))];
                if (i % 2 == 0) appended[appendedKey(w, i)] = 0;
            }
        TableHandle* t = tableOpen(&ctx, name);
        ASSERT_NE(t, nullptr);
        ASSERT_EQ(tableRecCount(t), long(kCounters + appended.size()));
        for (long n = 1; n <= tableRecCount(t); ++n) {
            ASSERT_EQ(tableGo(t, n), 0);
            ASSERT_EQ(tableDeleted(t), 0) << n;
            std::string key = fieldStr(tableField(t, "KEY"));
            long count = fieldLong(tableField(t, "CNT"));
            if (n <= kCounters) {
                EXPECT_EQ(count, want[size_t(n)]) << n;
            } else {
                ASSERT_EQ(appended.count(key), 1u) << key;
                EXPECT_EQ(++appended[key], 1) << key;
                EXPECT_EQ(count, 0) << key;
            }
        }
        EXPECT_EQ(Walk(t, tableTag(t, "BYKEY")), 0);
        ASSERT_EQ(tableClose(t), 0);
    }
}

} // namespace
} // namespace vx
