#include "dbase/trans/Transaction.h"

#include "testsupport/dbase/TransactionTestSupport.h"
#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "dbase/index/IndexFile.h"
#include "dbase/index/TagFile.h"
#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <random>
#include <set>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vx {
namespace {

using test::CleanLog;
using test::TransactionTest;

TEST_F(TransactionTest, EntriesHaveTheDocumentedLayout) {
    long before = long(std::time(nullptr));
    ASSERT_EQ(OpenLog("A_VERY_LONG_NAME"), 0);
    EXPECT_EQ(ctx.tranState, 110);
    EXPECT_EQ(OpenLog(), 170);
    TableHandle* t = MakeTable("LOGGED", 0);
    ASSERT_NE(t, nullptr);
    tableAppendStart(t, false);
    fieldAssign(tableField(t, "N"), "abc");
    ASSERT_EQ(tableAppend(t), 0);
    ASSERT_EQ(tableClose(t), 0);
    ASSERT_EQ(engineLogClose(&ctx), 0);
    EXPECT_EQ(ctx.tranState, 0);
    auto e = Entries();
    // Join, open, the implicit transaction around the append, close, leave, clean.
    ASSERT_EQ(Types(), (std::vector<int>{16, 15, 1, 4, 9, 6, 3, 18, 16}));
    EXPECT_EQ(e[1].data, std::string("\0\0\x0A\0A_VERY_LON", 14));
    EXPECT_EQ(e[1].client, 1);
    std::string full = dir + "/LOGGED.DBF";
    ASSERT_EQ(e[2].data.size(), 2 + full.size() + 4 + 2 + 4 + 4 + 3);
    EXPECT_EQ(test::Word(e[2].data, 0), full.size());
    EXPECT_EQ(e[2].data.substr(2, full.size()), full);
    EXPECT_EQ(test::Dword(e[2].data, 2 + full.size()), 5u);     // record length
    EXPECT_EQ(test::Word(e[2].data, 6 + full.size()), 1u);      // fields
    EXPECT_EQ(test::Dword(e[2].data, 8 + full.size()), 0u);     // records
    EXPECT_EQ(test::Byte(e[2].data, 16 + full.size()), 0x03u); // version
    // The first transaction of slot 1 has the id 1; the append names the record.
    EXPECT_EQ(e[3].id, 1);
    EXPECT_EQ(e[4].id, 1);
    EXPECT_EQ(e[4].data, std::string("\1\0\0\0 abc ", 9));
    EXPECT_EQ(e[4].owner0, e[2].owner0);
    EXPECT_EQ(e[5].id, 1);
    EXPECT_EQ(e[8].owner1, 1);
    EXPECT_GE(e[8].time, before);
    EXPECT_LE(e[8].time, long(std::time(nullptr)));
}

TEST_F(TransactionTest, EachTransactionOfASlotGetsTheNextId) {
    ASSERT_EQ(OpenLog(), 0);
    TableHandle* t = MakeTable("IDS", 2);
    ASSERT_EQ(engineTranStart(&ctx), 0);
    ASSERT_EQ(engineTranCommit(&ctx, true), 0);
    ASSERT_EQ(engineTranStart(&ctx), 0);
    ASSERT_EQ(engineTranRollback(&ctx), 0);
    tableClose(t);
    engineLogClose(&ctx);
    std::vector<long> starts;
    for (const auto& e : Entries())
        if (e.type == kLogStart) starts.push_back(e.id);
    EXPECT_EQ(starts, (std::vector<long>{1, 1001, 2001, 3001}));
    // A later user of the same slot goes on from the last id in the log.
    ASSERT_EQ(OpenLog(), 0);
    ASSERT_EQ(engineTranStart(&ctx), 0);
    ASSERT_EQ(engineTranCommit(&ctx, true), 0);
    engineLogClose(&ctx);
    starts.clear();
    for (const auto& e : Entries())
        if (e.type == kLogStart) starts.push_back(e.id);
    EXPECT_EQ(starts.back(), 4001);
}

TEST_F(TransactionTest, RollingBackTwoAppendsRestoresTheCount) {
    ASSERT_EQ(OpenLog(), 0);
    TableHandle* t = MakeTable("TWO", 3);
    size_t size = Read("TWO.DBF").size();
    ASSERT_EQ(engineTranStart(&ctx), 0);
    EXPECT_EQ(ctx.unlockAuto, 0);
    ASSERT_EQ(tableAppendBlank(t), 0);
    ASSERT_EQ(tableAppendBlank(t), 0);
    EXPECT_EQ(tableRecCount(t), 5);
    ASSERT_EQ(engineTranRollback(&ctx), 0);
    EXPECT_EQ(ctx.unlockAuto, 1);
    EXPECT_EQ(ctx.tranState, 110);
    EXPECT_EQ(tableRecCount(t), 3);
    EXPECT_EQ(tableRecNo(t), -1);
    EXPECT_EQ(Read("TWO.DBF").size(), size);
    EXPECT_EQ(test::Dword(Read("TWO.DBF"), 4), 3u);
    EXPECT_EQ(Read("TWO.DBF").back(), '\x1A');
    // The append lock went with the rollback.
    EXPECT_EQ(t->file->appendLockOwner, 0);
    EXPECT_TRUE(t->file->recordLocks.empty());
    EXPECT_EQ(N(t, 3), "r3  ");
    auto types = Types();
    EXPECT_EQ(std::vector<int>(types.end() - 4, types.end()), (std::vector<int>{4, 9, 9, 7}));
    tableClose(t);
}

TEST_F(TransactionTest, RollbackWritesBackOldRecordsAndMemos) {
    ASSERT_EQ(OpenLog(), 0);
    TableHandle* t = MakeTable("MEMO", 3, true);
    ASSERT_EQ(engineTranStart(&ctx), 0);
    ASSERT_EQ(tableGo(t, 2), 0);
    fieldAssign(tableField(t, "N"), "new");
    std::string longer(2000, 'x');
    fieldMemoAssignN(tableField(t, "M"), longer.data(), uint32_t(longer.size()));
    ASSERT_EQ(tableGo(t, 3), 0);
    fieldAssign(tableField(t, "N"), "and");
    ASSERT_EQ(tableGo(t, 1), 0);
    EXPECT_EQ(N(t, 2), "new ");
    EXPECT_EQ(fieldMemoLen(tableField(t, "M")), 2000u);
    // Both records stay locked until the transaction ends.
    EXPECT_EQ(tableUnlock(t), -1200);
    ctx.errorCode = 0;
    EXPECT_EQ(tableLockTest(t, 2), 1);
    EXPECT_EQ(tableLockTest(t, 3), 1);
    ASSERT_EQ(engineTranRollback(&ctx), 0);
    EXPECT_EQ(N(t, 2), "r2  ");
    EXPECT_EQ(std::string(fieldMemoStr(tableField(t, "M"))), "memo 2");
    EXPECT_EQ(N(t, 3), "r3  ");
    EXPECT_EQ(std::string(fieldMemoStr(tableField(t, "M"))), "memo 3");
    EXPECT_EQ(tableRecCount(t), 3);
    tableClose(t);
    // Reopened from the files.
    t = tableOpen(&ctx, Path("MEMO"));
    EXPECT_EQ(N(t, 2), "r2  ");
    EXPECT_EQ(std::string(fieldMemoStr(tableField(t, "M"))), "memo 2");
    tableClose(t);
}

// Each tag walked in its order: the record numbers it lists.
std::vector<std::vector<long>> TagOrders(TableHandle* t) {
    std::vector<std::vector<long>> out;
    for (TagHandle* th = tableTagNext(t, nullptr); th; th = tableTagNext(t, th)) {
        tableTagSelect(t, th);
        std::vector<long> recs;
        for (int rc = tableTop(t); rc == 0 && !tableEof(t); rc = tableSkip(t, 1)) recs.push_back(tableRecNo(t));
        out.push_back(recs);
    }
    tableTagSelect(t, nullptr);
    return out;
}

TEST_F(TransactionTest, RollingBackAppendsAndUpdatesRestoresEveryTag) {
    ASSERT_EQ(OpenLog(), 0);
    const FieldInfo fields[] = {{"N", 'C', 4, 0, 0}, {"K", 'C', 6, 0, 0}, {}};
    const TagInfo tags[] = {{"BYN", "N", nullptr, 0, 0}, {"BYK", "K", "K >= 'k3'", 0, 0}, {}};
    TableHandle* t = tableCreate(&ctx, Path("KEYED"), fields, tags);
    ASSERT_NE(t, nullptr);
    for (int i = 1; i <= 6; ++i) {
        tableAppendStart(t, false);
        fieldAssign(tableField(t, "N"), ("r" + std::to_string(7 - i)).c_str());
        fieldAssign(tableField(t, "K"), ("k" + std::to_string(i)).c_str());
        ASSERT_EQ(tableAppend(t), 0);
    }
    auto before = TagOrders(t);
    ASSERT_EQ(before.size(), 2u);
    EXPECT_EQ(before[0], (std::vector<long>{6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(before[1], (std::vector<long>{3, 4, 5, 6}));
    ASSERT_EQ(engineTranStart(&ctx), 0);
    for (int i = 0; i < 3; ++i) {
        tableAppendStart(t, false);
        fieldAssign(tableField(t, "N"), ("a" + std::to_string(i)).c_str());
        fieldAssign(tableField(t, "K"), ("z" + std::to_string(i)).c_str());
        ASSERT_EQ(tableAppend(t), 0);
    }
    // Keys moved, a record leaving the filter and one entering it, twice over.
    const char* changes[][3] = {{"2", "zz", "k9"}, {"5", "b", "k1"}, {"2", "c", "k0"}, {"8", "d", "k3"}};
    for (auto& c : changes) {
        ASSERT_EQ(tableGo(t, std::atol(c[0])), 0);
        fieldAssign(tableField(t, "N"), c[1]);
        fieldAssign(tableField(t, "K"), c[2]);
        ASSERT_EQ(tableFlush(t), 0);
    }
    EXPECT_NE(TagOrders(t), before);
    ASSERT_EQ(engineTranRollback(&ctx), 0);
    EXPECT_EQ(tableRecCount(t), 6);
    EXPECT_EQ(TagOrders(t), before);
    ASSERT_EQ(tableReindex(t), 0);
    EXPECT_EQ(TagOrders(t), before);
    tableClose(t);
}

TEST_F(TransactionTest, UniqueTagsKeepOldKeysUntilTheTransactionEnds) {
    ASSERT_EQ(OpenLog(), 0);
    const FieldInfo fields[] = {{"K", 'C', 4, 0, 0}, {}};
    const TagInfo tags[] = {{"UK", "K", nullptr, r4unique, 0}, {}};
    TableHandle* t = tableCreate(&ctx, Path("UNIQ"), fields, tags);
    ASSERT_NE(t, nullptr);
    TagHandle* th = tableTag(t, "UK");
    ASSERT_NE(th, nullptr);
    th->uniqueCode = r4unique;
    for (const char* k : {"k1", "k2", "k3"}) {
        tableAppendStart(t, false);
        fieldAssign(tableField(t, "K"), k);
        ASSERT_EQ(tableAppend(t), 0);
    }
    auto rewrite = [&](long rec, const char* k) {
        ASSERT_EQ(tableGo(t, rec), 0);
        fieldAssign(tableField(t, "K"), k);
        ASSERT_EQ(tableFlush(t), 0);
    };
    auto before = TagOrders(t);
    EXPECT_EQ(before[0], (std::vector<long>{1, 2, 3}));
    // The old key stays in the tag and is listed; a rollback drops the list.
    ASSERT_EQ(engineTranStart(&ctx), 0);
    rewrite(1, "k9");
    ASSERT_EQ(th->pending.size(), 1u);
    EXPECT_EQ(th->pending[0].recNo, 1);
    EXPECT_EQ(th->pending[0].key, "k1  ");
    TagFile* tf = th->tagFile;
    EXPECT_EQ(TagGo(tf, "k1  ", 1), 0);
    ASSERT_EQ(engineTranRollback(&ctx), 0);
    EXPECT_TRUE(th->pending.empty());
    EXPECT_EQ(TagOrders(t), before);
    // A new key equal to a listed one takes its place; commit removes the rest.
    ASSERT_EQ(engineTranStart(&ctx), 0);
    rewrite(1, "k9");
    rewrite(2, "k1");
    EXPECT_EQ(th->pending.size(), 1u);
    rewrite(3, "k7");
    ASSERT_EQ(engineTranCommit(&ctx, true), 0);
    EXPECT_TRUE(th->pending.empty());
    auto after = TagOrders(t);
    EXPECT_EQ(after[0], (std::vector<long>{2, 3, 1}));
    ASSERT_EQ(tableReindex(t), 0);
    EXPECT_EQ(TagOrders(t), after);
    tableClose(t);
}

TEST_F(TransactionTest, AWriteUndoneByALaterTagGivesBackTheListedKeyItTook) {
    ASSERT_EQ(OpenLog(), 0);
    const FieldInfo fields[] = {{"K", 'C', 4, 0, 0}, {"L", 'C', 4, 0, 0}, {}};
    const TagInfo tags[] = {{"UK", "K", nullptr, r4unique, 0}, {"UL", "L", nullptr, r4unique, 0}, {}};
    TableHandle* t = tableCreate(&ctx, Path("TWICE"), fields, tags);
    ASSERT_NE(t, nullptr);
    for (const char* k : {"1", "2", "3"}) {
        tableAppendStart(t, false);
        fieldAssign(tableField(t, "K"), (std::string("k") + k).c_str());
        fieldAssign(tableField(t, "L"), (std::string("l") + k).c_str());
        ASSERT_EQ(tableAppend(t), 0);
    }
    TagHandle* uk = tableTag(t, "UK");
    auto entries = [&] {
        TagFile* tag = uk->tagFile;
        std::string out;
        if (TagTop(tag) < 0 || TagIsEof(tag)) return out;
        do out += std::string(reinterpret_cast<const char*>(TagKeyData(tag)), 2) + std::to_string(TagRecNo(tag)) + " ";
        while (TagSkip(tag, 1) == 1);
        return out;
    };
    auto before = TagOrders(t);
    ASSERT_EQ(engineTranStart(&ctx), 0);
    ASSERT_EQ(tableGo(t, 1), 0);
    fieldAssign(tableField(t, "K"), "k9");
    ASSERT_EQ(tableUpdate(t), 0);
    // Record 2 takes the listed k1, but its new l3 is refused in the later tag.
    ASSERT_EQ(tableGo(t, 2), 0);
    fieldAssign(tableField(t, "K"), "k1");
    fieldAssign(tableField(t, "L"), "l3");
    ASSERT_EQ(tableUpdate(t), r4unique);
    // Nor does a commit pass over the refused record: the transaction goes on.
    EXPECT_EQ(engineTranCommit(&ctx, true), r4unique);
    EXPECT_EQ(ctx.tranState, 120);
    tableChanged(t, 0);
    EXPECT_EQ(entries(), "k11 k22 k33 k91 ");
    ASSERT_EQ(uk->pending.size(), 1u);
    EXPECT_EQ(uk->pending[0].recNo, 1);
    EXPECT_EQ(uk->pending[0].key, "k1  ");
    // So k1 stays taken for every other user until the transaction ends.
    EngineContext other;
    ASSERT_EQ(engineInit(&other), 0);
    TableHandle* u = tableOpen(&other, Path("TWICE"));
    ASSERT_NE(u, nullptr);
    tableTag(u, "UK")->uniqueCode = r4unique;
    ASSERT_EQ(tableGo(u, 3), 0);
    fieldAssign(tableField(u, "K"), "k1");
    EXPECT_EQ(tableUpdate(u), r4unique);
    tableChanged(u, 0);
    tableClose(u);
    engineInitUndo(&other);
    ASSERT_EQ(engineTranRollback(&ctx), 0);
    EXPECT_TRUE(uk->pending.empty());
    EXPECT_EQ(entries(), "k11 k22 k33 ");
    EXPECT_EQ(TagOrders(t), before);
    tableClose(t);
}

TEST_F(TransactionTest, CommitKeepsChangesAndClosesDeferredTables) {
    ASSERT_EQ(OpenLog(), 0);
    TableHandle* t = MakeTable("KEEP", 2);
    ASSERT_EQ(engineTranStart(&ctx), 0);
    ASSERT_EQ(tableGo(t, 1), 0);
    fieldAssign(tableField(t, "N"), "one");
    ASSERT_EQ(tableAppendBlank(t), 0);
    EXPECT_EQ(tableClose(t), 0);
    EXPECT_TRUE(ctx.tables.empty()); // waits for the end of the transaction
    EXPECT_EQ(ctx.dataFiles.size(), 1u);
    ASSERT_EQ(engineTranCommit(&ctx, true), 0);
    EXPECT_TRUE(ctx.dataFiles.empty());
    t = tableOpen(&ctx, Path("KEEP"));
    EXPECT_EQ(tableRecCount(t), 3);
    EXPECT_EQ(N(t, 1), "one ");
    auto types = Types();
    EXPECT_EQ(std::vector<int>(types.end() - 6, types.end()), (std::vector<int>{4, 8, 9, 6, 3, 1}));
    tableClose(t);
}

TEST_F(TransactionTest, TransactionErrors) {
    EXPECT_EQ(engineTranStart(&ctx), -1210); // no log in the current directory
    EXPECT_NE(Shown().back().text.find("Transaktionen/Logging nicht eingeschaltet"), std::string::npos);
    ctx.errorCode = 0;
    ctx.logOpen = 0;
    EXPECT_EQ(engineTranStart(&ctx), -1210);
    EXPECT_NE(Shown().back().text.find("kann Transaktion nicht beginnen da EngineContext::logOpen den Wert NULL hat"),
              std::string::npos);
    ctx.errorCode = 0;
    EXPECT_EQ(engineTranRollback(&ctx), -1210);
    ctx.errorCode = 0;
    ASSERT_EQ(OpenLog(), 0);
    EXPECT_EQ(engineTranCommit(&ctx, true), 0); // nothing to commit
    EXPECT_EQ(engineTranRollback(&ctx), -1210);
    EXPECT_NE(Shown().back().text.find("Keine aktive Transaktion für Rollback"), std::string::npos);
    ctx.errorCode = 0;
    TableHandle* t = MakeTable("ERR", 2);
    ASSERT_EQ(engineTranStart(&ctx), 0);
    EXPECT_EQ(engineTranStart(&ctx), -1210);
    ctx.errorCode = 0;
    EXPECT_EQ(tablePack(t), -1200);
    EXPECT_NE(Shown().back().text.find("tablePack wegen Transaktionskonflikt nicht möglich"), std::string::npos);
    ctx.errorCode = 0;
    EXPECT_EQ(engineTranRollback(&ctx), 0);
    // Outside a transaction a pack is logged.
    ASSERT_EQ(tablePack(t), 0);
    EXPECT_EQ(Types().back(), kLogPack);
    tableClose(t);
}

TEST_F(TransactionTest, AMissingLogLeavesTablesUnlogged) {
    ::unlink(Path("TRANS.LOG").c_str());
    EXPECT_EQ(OpenLog(), 70);
    EXPECT_EQ(ctx.errorCode, 0);
    TableHandle* t = MakeTable("NOLOG", 1);
    ASSERT_NE(t, nullptr);
    EXPECT_FALSE(t->logChanges);
    EXPECT_EQ(ctx.tranState, 0);
    EXPECT_FALSE(std::filesystem::exists(Path("TRANS.LOG")));
    tableClose(t);
}

TEST_F(TransactionTest, TheFirstOpenFindsTheLogInTheCurrentDirectory) {
    auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    TableHandle* t = MakeTable("HERE", 1);
    std::filesystem::current_path(cwd);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(ctx.tranState, 110);
    EXPECT_TRUE(t->logChanges);
    tableClose(t);
    EXPECT_EQ(Types(), (std::vector<int>{16, 15, 1, 4, 9, 6, 3}));
}

TEST_F(TransactionTest, ShutdownRollsBackAnActiveTransaction) {
    ASSERT_EQ(OpenLog(), 0);
    TableHandle* t = MakeTable("DOWN", 2);
    ASSERT_EQ(engineTranStart(&ctx), 0);
    ASSERT_EQ(tableAppendBlank(t), 0);
    ASSERT_EQ(tableGo(t, 1), 0);
    fieldAssign(tableField(t, "N"), "gone");
    ASSERT_EQ(engineInitUndo(&ctx), 0);
    auto types = Types();
    EXPECT_EQ(std::vector<int>(types.end() - 6, types.end()), (std::vector<int>{4, 9, 7, 3, 18, 16}));
    ASSERT_EQ(engineInit(&ctx), 0);
    t = tableOpen(&ctx, Path("DOWN"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(tableRecCount(t), 2);
    EXPECT_EQ(N(t, 1), "r1  ");
    tableClose(t);
}

TEST_F(TransactionTest, AClosedTableIsRolledBackAndThenClosedUnwritten) {
    ASSERT_EQ(OpenLog(), 0);
    TableHandle* t = MakeTable("LATE", 2);
    ASSERT_EQ(engineTranStart(&ctx), 0);
    ASSERT_EQ(tableGo(t, 2), 0);
    fieldAssign(tableField(t, "N"), "xx");
    ASSERT_EQ(tableClose(t), 0);
    ASSERT_EQ(ctx.dataFiles.size(), 1u);
    ASSERT_EQ(engineTranRollback(&ctx), 0);
    EXPECT_TRUE(ctx.dataFiles.empty());
    t = tableOpen(&ctx, Path("LATE"));
    EXPECT_EQ(N(t, 2), "r2  ");
    tableClose(t);
}

// A table closed in a transaction has left the context's tables: its file
// opens again before the transaction ends, and only a table still open
// refuses a second one. The rollback then undoes what both wrote.
TEST_F(TransactionTest, ATableClosedInATransactionOpensAgainBeforeItEnds) {
    ASSERT_EQ(OpenLog(), 0);
    // The closed table keeps its locks (of record 3 from its last append, and
    // of record 1) until the transaction ends; the new one writes record 2.
    TableHandle* t = MakeTable("AGAIN", 3);
    ASSERT_EQ(engineTranStart(&ctx), 0);
    ASSERT_EQ(tableGo(t, 1), 0);
    fieldAssign(tableField(t, "N"), "one");
    ASSERT_EQ(tableClose(t), 0);
    TableHandle* u = tableOpen(&ctx, Path("AGAIN"));
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(ctx.errorCode, 0);
    EXPECT_EQ(N(u, 1), "one ");
    EXPECT_EQ(tableOpen(&ctx, Path("AGAIN")), nullptr);
    EXPECT_EQ(ctx.errorCode, -69);
    ctx.errorCode = 0;
    ASSERT_EQ(tableGo(u, 2), 0);
    fieldAssign(tableField(u, "N"), "two");
    ASSERT_EQ(tableGo(u, 1), 0);
    ASSERT_EQ(engineTranRollback(&ctx), 0);
    ASSERT_EQ(ctx.tables.size(), 1u);
    EXPECT_EQ(N(u, 1), "r1  ");
    EXPECT_EQ(N(u, 2), "r2  ");
    ASSERT_EQ(tableClose(u), 0);
    EXPECT_TRUE(ctx.dataFiles.empty());
}

TEST_F(TransactionTest, AFailedRollbackRefusesEveryLaterTransaction) {
    ASSERT_EQ(OpenLog(), 0);
    TableHandle* t = MakeTable("FAIL", 2);
    ASSERT_EQ(engineTranStart(&ctx), 0);
    ASSERT_EQ(tableAppendBlank(t), 0);
    // The append's entry gets a type no rollback knows.
    std::string log = Read("TRANS.LOG");
    log[log.size() - 12] = 99;
    Write("TRANS.LOG", log);
    EXPECT_EQ(engineTranRollback(&ctx), -1220);
    EXPECT_NE(Shown().back().text.find("korrupte Transaktionsdatei"), std::string::npos);
    ctx.errorCode = 0;
    EXPECT_EQ(engineTranStart(&ctx), -1210);
    EXPECT_NE(Shown().back().text.find("Hilfsprogramm zur Wiederherstellung"), std::string::npos);
    ctx.errorCode = 0;
    tableClose(t);
}

TEST_F(TransactionTest, TablesOpenedBeforeTheLogAreNotLogged) {
    TableHandle* before = MakeTable("EARLY", 1);
    ASSERT_EQ(OpenLog(), 0);
    TableHandle* after = MakeTable("LATER", 1);
    EXPECT_FALSE(before->logChanges);
    EXPECT_TRUE(after->logChanges);
    ASSERT_EQ(engineTranStart(&ctx), 0);
    ASSERT_EQ(tableAppendBlank(before), 0);
    ASSERT_EQ(tableAppendBlank(after), 0);
    ASSERT_EQ(engineTranRollback(&ctx), 0);
    EXPECT_EQ(tableRecCount(before), 2);
    EXPECT_EQ(tableRecCount(after), 1);
    tableClose(before);
    tableClose(after);
}

TEST_F(TransactionTest, TheThousandAndFirstUserIsRefused) {
    int release[2], ready[2];
    ASSERT_EQ(::pipe(release), 0);
    ASSERT_EQ(::pipe(ready), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        // Someone holds every slot.
        int fd = ::open(Path("TRANS.LOG").c_str(), O_RDWR);
        struct flock fl = {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = kLogSlotFirst;
        fl.l_len = kLogSlots;
        char b = ::fcntl(fd, F_OFD_SETLK, &fl) == 0 ? 'y' : 'n';
        (void)!::write(ready[1], &b, 1);
        (void)!::read(release[0], &b, 1);
        ::_exit(0);
    }
    char b = 0;
    (void)!::read(ready[0], &b, 1);
    ASSERT_EQ(b, 'y');
    EXPECT_EQ(OpenLog(), -1400);
    EXPECT_NE(Shown().back().text.find("Maximale Benutzerzahl für Transaktionsdatei überschritten"), std::string::npos);
    EXPECT_EQ(ctx.tranState, 0);
    ctx.errorCode = 0;
    (void)!::write(release[1], "x", 1);
    ::waitpid(pid, nullptr, 0);
    for (int fd : {release[0], release[1], ready[0], ready[1]}) ::close(fd);
    EXPECT_EQ(OpenLog(), 0);
}

// Fails every write to one file once armed.
class FailingWrites : public FileSystemCalls {
public:
    ssize_t Pwrite(int fd, const void* buf, size_t len, off_t pos) override {
        if (fd == failFd) {
            errno = ENOSPC;
            return -1;
        }
        return FileSystemCalls::Pwrite(fd, buf, len, pos);
    }
    int failFd = -1;
};

TEST_F(TransactionTest, AFailedAppendIsLoggedAndItsImplicitTransactionEnds) {
    ASSERT_EQ(OpenLog(), 0);
    TableHandle* t = MakeTable("FULL", 1);
    FailingWrites calls;
    calls.failFd = t->file->data.fd;
    setFileSystemCalls(&calls);
    EXPECT_EQ(tableAppendBlank(t), -120);
    setFileSystemCalls(nullptr);
    ctx.errorCode = 0;
    EXPECT_EQ(ctx.tranState, 110);
    EXPECT_EQ(ctx.unlockAuto, 1);
    EXPECT_EQ(t->file->appendLockOwner, 0);
    auto types = Types();
    EXPECT_EQ(std::vector<int>(types.end() - 4, types.end()), (std::vector<int>{4, 9, 10, 7}));
    EXPECT_EQ(tableRecCount(t), 1);
    ASSERT_EQ(tableAppendBlank(t), 0);
    EXPECT_EQ(tableRecCount(t), 2);
    tableClose(t);
}

TEST_F(TransactionTest, TwoUsersAppendingAtOnceKeepTheLogWhole) {
    ASSERT_EQ(OpenLog(), 0);
    tableClose(MakeTable("BOTH", 0));
    engineLogClose(&ctx);
    auto work = [&](const char* who) {
        EngineContext c;
        engineInit(&c);
        c.lockDelay = 0;
        if (engineLogOpen(&c, Path("TRANS.LOG").c_str(), who) != 0) return 1;
        TableHandle* t = tableOpen(&c, Path("BOTH"));
        for (int i = 0; t && i < 60; ++i) {
            tableAppendStart(t, false);
            fieldAssign(tableField(t, "N"), who);
            if (tableAppend(t) != 0) return 2;
        }
        return t && engineInitUndo(&c) == 0 ? 0 : 3;
    };
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(work("a"));
    EXPECT_EQ(work("b"), 0);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    auto entries = Entries();
    int appends = 0, commits = 0;
    std::set<long> clients;
    for (const auto& e : entries) {
        appends += e.type == kLogAppend;
        commits += e.type == kLogCommit;
        if (e.type == kLogJoin) clients.insert(e.client);
    }
    EXPECT_EQ(appends, 120);
    EXPECT_EQ(commits, 120);
    EXPECT_EQ(clients, (std::set<long>{1, 2}));
    EXPECT_EQ(entries.back().type, kLogClean);
    TableHandle* t = tableOpen(&ctx, Path("BOTH"));
    EXPECT_EQ(tableRecCount(t), 120);
    tableClose(t);
}

} // namespace
} // namespace vx
