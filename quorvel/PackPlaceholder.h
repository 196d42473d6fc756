// PLACEHOLDER: stands in for the shared "pack when possible" helper of the
// address dialogs until that is merged; then this file goes.
#pragma once

#include "dbase/Table.h"

inline void PackWhenPossible(vx::TableHandle* t) {
    if (t) vx::tablePack(t);
}
