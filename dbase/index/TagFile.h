// Walking a tag: the path of block buffers from the root to the current
// leaf entry, positioning by key, skipping, and the operations on one block.
#pragma once

#include <string>

#include "dbase/index/IndexFile.h"

namespace vx {

// -310 for a tag found damaged; during a walk without the lock only a sign
// that the walk must start again.
int TagDamaged(TagFile* tag);

// Block operations.
// Reads the block into buf and checks it against parent (entry curPos of
// the parent led here; none for the root): 0, 2 when it shows a change made
// by another process, or an error (-310 when this process holds the lock).
int indexReadBlock(IndexFileState* state, long block, const IndexBlock* parent, IndexBlock* buf);
// The check of indexReadBlock for a block already in memory.
int indexCheckBlock(IndexFileState* state, const IndexBlock* parent, const IndexBlock* buf);
// Smallest index whose key is >= key over len bytes; n when none. The
// block's current entry moves there; returns 0 on an exact match, else 2.
int BlockSeek(IndexBlock* b, const void* key, int len);
// Moves the current entry up to n entries; returns the count moved.
int BlockSkip(IndexBlock* b, int n);
// Inserts {number, key} at the current entry. 0, or -310 when full.
int BlockInsert(IndexBlock* b, const void* key, uint32_t number);
void BlockRemove(IndexBlock* b);
// Moves the lower (n + 1) / 2 entries into a new block, returned in *out.
int BlockSplit(TagFile* tag, IndexBlock* b, IndexBlock** out);
bool BlockIsLeaf(const IndexBlock* b);
IndexBlock* BlockAlloc(TagFile* tag, long number);
void BlockFree(IndexBlock* b);
int BlockFlush(IndexBlock* b);

// Tag navigation.
int TagTop(TagFile* tag);
int TagBottom(TagFile* tag);
int TagEof(TagFile* tag);
long TagSkip(TagFile* tag, long n);
int TagSeek(TagFile* tag, const void* key, int len);
int TagGo(TagFile* tag, const void* key, long recNo);
long TagRecNo(TagFile* tag);
// The current entry's key (key length bytes), or null.
const unsigned char* TagKeyData(TagFile* tag);
// The key of the current entry, or null at the end of the tag.
const unsigned char* tagFileKey(TagFile* tag);
bool TagIsEof(TagFile* tag);
double TagPosition(TagFile* tag);
int TagFlush(TagFile* tag);
int TagReleaseBlocks(TagFile* tag);
// Forgets every block and the cached root without writing (the file changed).
void TagDiscardBlocks(TagFile* tag);
// The root block, read from the tag header when not cached.
long TagRoot(TagFile* tag);

// Internal to the tag layer: one level down; 0, 1 at a leaf, 2 refresh needed.
int TagDown(TagFile* tag);
int TagRefresh(TagFile* tag);
// Moves the path into the saved list.
void TagReleasePath(TagFile* tag);

} // namespace vx
