#include "dbase/data/TransactionLog.h"

#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "dbase/data/Table.h"

namespace vx {
namespace {

// Records where the data-file operations reach the log.
class RecordingLog : public TransactionLog {
public:
    int OpenIfPresent(EngineContext*) override { return Note("log", 0); }
    int TableOpened(TableHandle* t) override { return Note("open " + t->alias, 0); }
    int TableClosing(TableHandle* t, bool* defer) override {
        *defer = deferClose;
        return Note("close " + t->alias, 0);
    }
    int AppendStarting(TableHandle*, long recNo) override {
        return Note("append " + std::to_string(recNo), refuseAppend ? -1240 : 0);
    }
    int AppendDone(TableHandle*, int result) override { return Note("appended " + std::to_string(result), result); }
    int RecordWriting(TableHandle* t) override {
        // The old image is still there to be logged.
        return Note("write " + std::string(t->oldRecord.data(), 2) + ">" + std::string(t->record.data(), 2), 0);
    }
    int PackStarting(TableHandle*) override { return Note("pack", 0); }
    void ShuttingDown(EngineContext*) override { Note("shutdown", 0); }

    int Note(const std::string& what, int rc) {
        events.push_back(what);
        return rc;
    }
    std::vector<std::string> events;
    bool deferClose = false;
    bool refuseAppend = false;
};

class TransactionLogTest : public test::EngineTest {
protected:
    RecordingLog log;
};

TEST_F(TransactionLogTest, DataFileOperationsReachTheLog) {
    const FieldInfo fields[] = {{"N", 'C', 1, 0, 0}, {}};
    ctx.tranLog = &log;
    TableHandle* t = tableCreate(&ctx, Path("LOG"), fields);
    ASSERT_NE(t, nullptr);
    tableAppendStart(t, false);
    fieldAssign(tableField(t, "N"), "a");
    ASSERT_EQ(tableAppend(t), 0);
    fieldAssign(tableField(t, "N"), "b");
    ASSERT_EQ(tableUpdate(t), 0);
    ASSERT_EQ(tablePack(t), 0);
    tableClose(t);
    EXPECT_EQ(log.events, (std::vector<std::string>{"log", "log", "open LOG", "append 1", "appended 0", "write  a> b",
                                                     "pack", "close LOG"}));
    ctx.tranLog = nullptr;
}

TEST_F(TransactionLogTest, ARefusedAppendWritesNothing) {
    const FieldInfo fields[] = {{"N", 'C', 1, 0, 0}, {}};
    TableHandle* t = tableCreate(&ctx, Path("LOG"), fields);
    ctx.tranLog = &log;
    log.refuseAppend = true;
    EXPECT_EQ(tableAppendBlank(t), -1240);
    EXPECT_EQ(tableRecNo(t), 0);
    ctx.tranLog = nullptr;
    tableClose(t);
    EXPECT_EQ(Read("LOG.DBF").size(), 66u);
}

TEST_F(TransactionLogTest, ACloseCanWaitForTheEndOfTheTransaction) {
    const FieldInfo fields[] = {{"N", 'C', 1, 0, 0}, {}};
    TableHandle* t = tableCreate(&ctx, Path("LOG"), fields);
    ctx.tranLog = &log;
    log.deferClose = true;
    EXPECT_EQ(tableClose(t), 0);
    // It has left the context's tables, its file still open.
    EXPECT_TRUE(ctx.tables.empty());
    EXPECT_EQ(ctx.dataFiles.size(), 1u);
    ctx.tranLog = nullptr;
    EXPECT_EQ(tableClose(t), 0);
    EXPECT_TRUE(ctx.dataFiles.empty());
}

} // namespace
} // namespace vx
