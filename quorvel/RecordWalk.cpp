#include "quorvel/RecordWalk.h"

#include "dbase/data/Table.h"
#include "quorvel/PackWhenPossible.h"

using namespace vx;

bool OnLiveRecord(TableHandle* t) {
    if (!t || tableEof(t) || tableBof(t)) return false;
    const long rec = tableRecNo(t);
    return rec >= 1 && rec <= tableRecCount(t) && !tableDeleted(t);
}

bool NextLive(TableHandle* t) {
    if (!t || tableEof(t)) return true;
    const long from = tableRecNo(t);
    if (SkipLive(t, 1) == 0 && !tableEof(t)) return false;
    tableGo(t, from);
    return true;
}

bool PreviousLive(TableHandle* t) {
    if (!t || tableBof(t)) return true;
    if (SkipLive(t, -1) == 0 && !tableBof(t)) return false;
    GoFirstLive(t);
    return true;
}
