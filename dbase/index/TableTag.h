// A table's tags: choosing one, seeking and moving in its order, and
// rebuilding the table's index files.
#pragma once

#include <functional>

#include "dbase/index/IndexFile.h"
#include "dbase/index/KeyWrite.h"

namespace vx {

struct TableHandle;
struct TableIndex;

// Tags and seeks: a table without index files has no tags, and a seek
// answers "no tag" (80).
TagHandle* tableTag(TableHandle* t, const char* name);
TagHandle* tableTagDefault(TableHandle* t);
TagHandle* tableTagNext(TableHandle* t, TagHandle* tag);
TagHandle* tableTagPrev(TableHandle* t, TagHandle* tag);
void tableTagSelect(TableHandle* t, TagHandle* tag);
TagHandle* tableTagSelected(TableHandle* t);
int tableSeek(TableHandle* t, const char* text);
int tableSeekN(TableHandle* t, const char* text, int len);
int tableSeekNext(TableHandle* t, const char* text);
int tableSeekNextN(TableHandle* t, const char* text, int len);

int tableReindex(TableHandle* t);
int tableFreeBlocks(TableHandle* t);

// Top (bottom) in the selected tag's order.
int tableTagTop(TableHandle* t, bool bottom);
int tableTagSkip(TableHandle* t, long n);
// Closes every index file of the table.
int tableIndexClose(TableHandle* t);
int tableIndexFlush(TableHandle* t);

// Runs a move in the tag so that it sees the tag as one user left it, even
// while others change the index file; returns what the move returned, 50
// when the index stayed locked, or an error.
int tableTagSteady(TableHandle* t, TagHandle* th, const std::function<int()>& move);
// Skips n entries from where the tag stands, as tableTagSteady moves;
// returns the count moved and puts the status into *rc.
long tableTagStep(TableHandle* t, TagHandle* th, long n, int* rc);

// The calls through which the data layer reaches the index files, for the
// context's tableIndex.
const TableIndex* tableIndexCalls();

// A tag handle the project library binds its columns to.
class TagRef {
public:
    TagRef() = default;
    TagRef(TableHandle* table, const char* name = nullptr) { init(table, name); }
    // The tag of that name; without a name the selected tag, else the first.
    int init(TableHandle* table, const char* name = nullptr);
    TagHandle* tag() const { return tag_; }
    bool isValid() const { return tag_ != nullptr; }

private:
    TagHandle* tag_ = nullptr;
};

} // namespace vx
