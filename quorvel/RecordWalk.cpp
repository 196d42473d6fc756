#include "quorvel/RecordWalk.h"

#include "dbase/Table.h"

using namespace vx;

bool OnLiveRecord(TableHandle* t) {
    if (!t || tableEof(t) || tableBof(t)) return false;
    const long rec = tableRecNo(t);
    return rec >= 1 && rec <= tableRecCount(t) && !tableDeleted(t);
}

int TopLive(TableHandle* t) {
    int rc = tableTop(t);
    while (rc == 0 && !tableEof(t) && tableDeleted(t)) rc = tableSkip(t, 1);
    return rc;
}

bool NextLive(TableHandle* t) {
    if (!t || tableEof(t)) return true;
    const long from = tableRecNo(t);
    int rc = 0;
    do {
        rc = tableSkip(t, 1);
    } while (rc == 0 && !tableEof(t) && tableDeleted(t));
    if (rc == 0 && !tableEof(t)) return false;
    tableGo(t, from);
    return true;
}

bool PreviousLive(TableHandle* t) {
    if (!t || tableBof(t)) return true;
    int rc = 0;
    do {
        rc = tableSkip(t, -1);
    } while (rc == 0 && !tableBof(t) && tableDeleted(t));
    if (rc == 0 && !tableBof(t)) return false;
    TopLive(t);
    return true;
}
