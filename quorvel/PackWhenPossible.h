// Removing deleted records from a table that other programs share. A pack
// renumbers the records under everyone who has the table open, so it runs
// only while nobody else has it open; otherwise the records stay marked
// (the dialogs pass over them) and the pack waits for the next opportunity.
// Nothing of this is ever shown to the user.
#pragma once

#include "quorvel/QuorvelTables.h"

// Packs the table now if no other program has it open, else remembers the
// pack. 1 packed, 0 put off, negative when the table could not be opened
// again afterwards (its handle is then empty). The table is left without a
// current record.
int PackWhenPossible(CQuorvelTable& table);
// The same, but only when an earlier pack was put off; 0 otherwise.
int PackIfPending(CQuorvelTable& table);

// The first record not marked deleted, in the selected tag's order: 0, or
// the engine's end-of-file code when there is none.
int GoFirstLive(vx::TableHandle* t);
// Skips by one record forward (dir > 0) or back, passing over deleted ones:
// the engine's code of the last skip.
int SkipLive(vx::TableHandle* t, int dir);
