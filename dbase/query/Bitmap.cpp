#include "dbase/query/Bitmap.h"

#include <new>

#include "dbase/file/EngineContext.h"

namespace vx {

int bitmapInit(Bitmap* map, EngineContext* ctx, long count) {
    map->ctx = ctx;
    map->count = count < 0 ? 0 : count;
    map->inverted = false;
    try {
        map->bits.assign(size_t(map->count / 8 + 2), 0);
    } catch (const std::bad_alloc&) {
        map->bits.clear();
        return e4memory;
    }
    return 0;
}

void bitmapSet(Bitmap* map, long recNo) {
    if (recNo < 0 || recNo > map->count) return;
    map->bits[size_t(recNo / 8)] |= static_cast<unsigned char>(1u << (recNo % 8));
}

bool bitmapStored(const Bitmap* map, long recNo) {
    if (recNo < 0 || recNo > map->count) return false;
    return (map->bits[size_t(recNo / 8)] >> (recNo % 8)) & 1u;
}

bool bitmapPasses(const Bitmap* map, long recNo) {
    if (recNo < 1 || recNo > map->count) return false;
    return bitmapStored(map, recNo) != map->inverted;
}

long bitmapNext(const Bitmap* map, long recNo, int direction) {
    if (direction >= 0) {
        if (recNo < 1) recNo = 1;
        while (recNo <= map->count) {
            unsigned char b = map->bits[size_t(recNo / 8)];
            if (map->inverted) b = static_cast<unsigned char>(~b);
            // A byte without a passing bit is passed over whole.
            if (recNo % 8 == 0 && b == 0) {
                recNo += 8;
                continue;
            }
            if ((b >> (recNo % 8)) & 1u) return recNo;
            ++recNo;
        }
        return 0;
    }
    if (recNo > map->count) recNo = map->count;
    while (recNo >= 1) {
        unsigned char b = map->bits[size_t(recNo / 8)];
        if (map->inverted) b = static_cast<unsigned char>(~b);
        if (recNo % 8 == 7 && b == 0) {
            recNo -= 8;
            continue;
        }
        if ((b >> (recNo % 8)) & 1u) return recNo;
        --recNo;
    }
    return 0;
}

void bitmapAnd(Bitmap* out, const Bitmap& a, const Bitmap& b) {
    size_t n = a.bits.size() < b.bits.size() ? a.bits.size() : b.bits.size();
    bool ai = a.inverted, bi = b.inverted;
    std::vector<unsigned char> r(n);
    for (size_t i = 0; i < n; ++i) {
        unsigned x = a.bits[i], y = b.bits[i];
        // Stored inverted only when both are: not(x) and not(y) = not(x or y).
        if (ai && bi) r[i] = static_cast<unsigned char>(x | y);
        else if (ai) r[i] = static_cast<unsigned char>(~x & y);
        else if (bi) r[i] = static_cast<unsigned char>(x & ~y);
        else r[i] = static_cast<unsigned char>(x & y);
    }
    out->count = a.count < b.count ? a.count : b.count;
    out->bits.swap(r);
    out->inverted = ai && bi;
}

void bitmapOr(Bitmap* out, const Bitmap& a, const Bitmap& b) {
    size_t n = a.bits.size() < b.bits.size() ? a.bits.size() : b.bits.size();
    bool ai = a.inverted, bi = b.inverted;
    std::vector<unsigned char> r(n);
    for (size_t i = 0; i < n; ++i) {
        unsigned x = a.bits[i], y = b.bits[i];
        // Stored inverted when either is: not(x) or y = not(x and not(y)).
        if (ai && bi) r[i] = static_cast<unsigned char>(x & y);
        else if (ai) r[i] = static_cast<unsigned char>(x & ~y);
        else if (bi) r[i] = static_cast<unsigned char>(~x & y);
        else r[i] = static_cast<unsigned char>(x | y);
    }
    out->count = a.count < b.count ? a.count : b.count;
    out->bits.swap(r);
    out->inverted = ai || bi;
}

void bitmapNot(Bitmap* map) { map->inverted = !map->inverted; }

} // namespace vx
