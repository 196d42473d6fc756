// Shared by the parts of the transaction log (Transaction.cpp,
// TransactionRecover.cpp) and by no one else.
#pragma once

#include "dbase/file/EngineFile.h"
#include "dbase/util/Bytes.h"

#include <cstdint>

namespace vx {

// Tries a lock once, whatever the context's attempts say.
int TryLock(EngineFile* f, int64_t start, int64_t len);

} // namespace vx
