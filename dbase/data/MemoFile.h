// Memo files (".DBT"): contents of memo fields in runs of whole blocks, with
// a chain of free runs that is walked first fit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbase/file/EngineFile.h"

namespace vx {

struct EngineContext;

// A run of blocks whose contents no record needs once the record that held
// them is written.
struct MemoRun {
    long block = 0;
    long count = 0;
};

// The free chain as last read, so that a write need not read it again. It
// stands while the header's head, the change counter behind the header and
// the file length are what they were when it was read; every writer of the
// chain raises the counter under the memo lock before it changes anything.
struct MemoChain {
    bool valid = false;
    long head = 0;
    uint32_t stamp = 0;
    int64_t length = 0;
    std::vector<MemoRun> runs; // in chain order, ascending
    // The link of the last run (of the header without runs). A tail inside
    // the file names an entry that is not a sound free run.
    long tail = 0;
    // The counter was raised in the locked operation under way.
    bool raised = false;
};

struct MemoFile {
    EngineFile file;
    int blockSize = 0;
    // dBASE III memos have no block header and end with 0x1A.
    bool dbase3 = false;
    // The table that holds the memo lock, 0 for none.
    long lockOwner = 0;
    MemoChain chain;
};

// Where the chain's change counter stands: the header block's padding, which
// no reader of the format looks at.
constexpr int kMemoStampOffset = 24;

constexpr int64_t kMemoLockStart = 0xEFFFFFFE;
constexpr int64_t kMemoLockLen = 2;

// Creates the memo file for the data file dataName (its name part goes into
// the header). name "" creates a temporary file. The block size is the
// context's memSizeBlock, raised to a multiple of 512.
int memoFileCreate(MemoFile* memo, EngineContext* ctx, const std::string& dataName, const std::string& name);
// Opens the memo file and reads its block size.
int memoFileOpen(MemoFile* memo, EngineContext* ctx, const std::string& name, bool dbase3);
int memoFileClose(MemoFile* memo);

// Reads the contents at block into out (terminated; len without the terminator).
int memoFileRead(MemoFile* memo, long block, std::vector<char>& out, uint32_t* len);
// Writes contents for a field whose block number is *block (0: none) and
// stores the new block number there. Holds the memo lock while it works.
// With freeLater the runs the old contents leave are listed there instead of
// freed: the record still points at them until it is written.
int memoFileWrite(MemoFile* memo, long* block, const char* data, uint32_t len,
                  std::vector<MemoRun>* freeLater = nullptr);
// Returns runs listed by memoFileWrite to the free chain.
int memoFileRelease(MemoFile* memo, const std::vector<MemoRun>& runs);

// One step along the free chain: entry holds the block of a free run; next
// and count are read from it. Past the end of the file both become -1.
struct MemoChainEntry {
    long block = 0;
    long next = 0;
    long count = 0;
};
int memoFileChainSkip(MemoFile* memo, MemoChainEntry* entry);

// The free runs along the chain (block, count) and the final position; for
// checks. -1110 when the chain is not ascending or leaves the file.
int memoFileFreeRuns(MemoFile* memo, std::vector<MemoChainEntry>& runs, long* end);

} // namespace vx
