// Bitmaps of record numbers for queries: one bit per record number from 0 to
// the record count at the time the bitmap was made, and an inverted flag that
// says the stored bits are the complement.
#pragma once

#include <vector>

namespace vx {

struct EngineContext;

struct Bitmap {
    EngineContext* ctx = nullptr;
    long count = 0; // the highest record number it covers
    std::vector<unsigned char> bits;
    bool inverted = false;
};

// Room for records 0 to count (count / 8 + 2 bytes), all clear; -920 when
// memory is short (not reported: the caller falls back to a scan).
int bitmapInit(Bitmap* map, EngineContext* ctx, long count);
void bitmapSet(Bitmap* map, long recNo);
// The stored bit, before the inverted flag.
bool bitmapStored(const Bitmap* map, long recNo);
// Records outside the bitmap (written after it was made) never pass.
bool bitmapPasses(const Bitmap* map, long recNo);
// The first passing record from recNo on in the direction (+1 or -1), or 0.
long bitmapNext(const Bitmap* map, long recNo, int direction);
// out = a AND b, a OR b; the three are the same size (out may be a or b).
void bitmapAnd(Bitmap* out, const Bitmap& a, const Bitmap& b);
void bitmapOr(Bitmap* out, const Bitmap& a, const Bitmap& b);
void bitmapNot(Bitmap* map);

} // namespace vx
