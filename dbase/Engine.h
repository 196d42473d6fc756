// Starting and ending the engine: the context with its transaction block,
// and closing everything it has open. It reaches every layer, so it sits on
// top of them.
#pragma once

#include "dbase/file/EngineContext.h"

namespace vx {

int engineInit(EngineContext* ctx, int libraryVersion = kEngineVersion);
int engineInitUndo(EngineContext* ctx);
int engineCloseAll(EngineContext* ctx);
int engineIndexFormat(EngineContext* ctx);

} // namespace vx
