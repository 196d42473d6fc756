// A wait that keeps the windows painted and nothing else: no input, timer or
// quit request is taken from the queue meanwhile, so none is lost and no
// handler can start work in the middle of the caller's. The table engine
// waits with it between two tries of a busy lock.
#pragma once

namespace vx {

void WaitRepainting(int hundredths);

// Paints what a closed menu or dialog uncovered before long work begins;
// keys and clicks stay queued for afterwards.
void RepaintBeforeWork();

} // namespace vx
