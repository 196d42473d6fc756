// Where the data files reach their index files. The index layer sits above
// this one, so it installs these calls in the context (engineInit does);
// the data layer reaches its tables' tags and keys only through them.
#pragma once

namespace vx {

struct TableHandle;
struct TagInfo;

// A header byte of an index file the format leaves zero: set on disk while
// the keys may disagree with the records, cleared once both are written. A
// pack's replay sets it in a file it does not open as an index.
constexpr int kIndexChangingByte = 47;

struct TableIndex {
    // Opens the production index of a table just opened; false with the
    // error set.
    bool (*openProduction)(TableHandle* t);
    // Creates the table's production index with the given tags; false with
    // the error set, or with none when it did not come about.
    bool (*createProduction)(TableHandle* t, const TagInfo* tags);
    // Marks the table's index files to go when they are closed.
    void (*markTemporary)(TableHandle* t);
    // Gives the table's tags the unique codes of their descriptions; returns
    // the description whose tag the table lacks, or null.
    const TagInfo* (*takeUniqueCodes)(TableHandle* t, const TagInfo* tags);
    int (*close)(TableHandle* t);
    int (*flush)(TableHandle* t);

    // Top (bottom) and skips in the order of the selected tag.
    int (*top)(TableHandle* t, bool bottom);
    int (*skip)(TableHandle* t, long n);

    // The keys of a record around its write (see index/KeyWrite.h).
    int (*appendKeys)(TableHandle* t, long recNo);
    int (*appendKeysUndo)(TableHandle* t, long recNo);
    int (*writeKeys)(TableHandle* t, long recNo);
    int (*unwriteKeys)(TableHandle* t, long recNo);
    int (*keysDone)(TableHandle* t);

    // The locks of all index files of the table, all or none.
    int (*lockAll)(TableHandle* t, bool* took);
    int (*unlockAll)(TableHandle* t);

    // Around a pack: the tags are marked as being changed before a record
    // moves, and rebuilt after.
    int (*markChanging)(TableHandle* t);
    int (*reindex)(TableHandle* t);
};

} // namespace vx
