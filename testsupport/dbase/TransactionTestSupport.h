// The transaction tests' fixture: a clean log in the scratch directory,
// tables of numbered records, and the log's entries read back.
#pragma once

#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "dbase/data/Table.h"
#include "dbase/trans/Transaction.h"

#include <string>
#include <vector>

namespace vx::test {

struct LoggedEntry {
    unsigned long length;
    std::string data;
    long id, client, owner0, owner1;
    int type;
    long time;
};

class TransactionTest : public EngineTest {
protected:
    void SetUp() override {
        test::EngineTest::SetUp();
        Write("TRANS.LOG", CleanLog());
    }
    int OpenLog(const char* user = "TESTER") { return engineLogOpen(&ctx, Path("TRANS.LOG").c_str(), user); }
    // Every entry of the log, read from the front.
    std::vector<LoggedEntry> Entries() const {
        std::string s = Read("TRANS.LOG");
        std::vector<LoggedEntry> out;
        size_t pos = 0;
        while (pos + 32 <= s.size()) {
            LoggedEntry e;
            e.length = test::Dword(s, pos);
            EXPECT_GE(e.length, 32u);
            EXPECT_LE(pos + e.length, s.size());
            if (e.length < 32 || pos + e.length > s.size()) break;
            size_t h = pos + e.length - 28;
            e.data = s.substr(pos + 4, e.length - 32);
            e.id = long(test::Dword(s, h));
            e.client = long(test::Dword(s, h + 4));
            e.owner0 = long(test::Dword(s, h + 8));
            e.owner1 = long(test::Dword(s, h + 12));
            e.type = int(test::Word(s, h + 16));
            EXPECT_EQ(test::Word(s, h + 18), 0u);
            EXPECT_EQ(test::Dword(s, h + 20), e.length - 32);
            e.time = long(test::Dword(s, h + 24));
            out.push_back(e);
            pos += e.length;
        }
        EXPECT_EQ(pos, s.size());
        return out;
    }
    std::vector<int> Types() const {
        std::vector<int> t;
        for (const auto& e : Entries()) t.push_back(e.type);
        return t;
    }
    // A table of n records whose field N holds "r1", "r2", ...
    TableHandle* MakeTable(const char* name, int n, bool memo = false) {
        const FieldInfo plain[] = {{"N", 'C', 4, 0, 0}, {}};
        const FieldInfo withMemo[] = {{"N", 'C', 4, 0, 0}, {"M", 'M', 10, 0, 0}, {}};
        TableHandle* t = tableCreate(&ctx, Path(name), memo ? withMemo : plain);
        EXPECT_NE(t, nullptr);
        if (!t) return nullptr;
        for (int i = 1; i <= n; ++i) {
            tableAppendStart(t, false);
            fieldAssign(tableField(t, "N"), ("r" + std::to_string(i)).c_str());
            if (memo) {
                std::string m = "memo " + std::to_string(i);
                fieldMemoAssignN(tableField(t, "M"), m.data(), uint32_t(m.size()));
            }
            EXPECT_EQ(tableAppend(t), 0);
        }
        return t;
    }
    std::string N(TableHandle* t, long rec) {
        EXPECT_EQ(tableGo(t, rec), 0);
        return fieldStr(tableField(t, "N"));
    }
};

} // namespace vx::test
