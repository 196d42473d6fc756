// Where the transaction log joins the data-file operations. A context has no
// log until one is installed; every call point then does nothing.
#pragma once

namespace vx {

struct EngineContext;
struct TableHandle;

class TransactionLog {
public:
    virtual ~TransactionLog() = default;
    // Before the first table is opened or created while logOpen is set.
    virtual int OpenIfPresent(EngineContext*) { return 0; }
    // After a table has been opened.
    virtual int TableOpened(TableHandle*) { return 0; }
    // Before a table is closed; setting *defer keeps it open until the
    // active transaction ends.
    virtual int TableClosing(TableHandle*, bool* defer) {
        *defer = false;
        return 0;
    }
    // Around an append: before the record is written, with its new number,
    // and after it, with the result.
    virtual int AppendStarting(TableHandle*, long) { return 0; }
    virtual int AppendDone(TableHandle*, int result) { return result; }
    // Before a changed record is written over its old image.
    virtual int RecordWriting(TableHandle*) { return 0; }
    // Before a table is packed.
    virtual int PackStarting(TableHandle*) { return 0; }
    // At shutdown, before the tables are closed.
    virtual void ShuttingDown(EngineContext*) {}
};

} // namespace vx
