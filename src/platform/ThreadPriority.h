#pragma once

// Lowers the calling thread's scheduling priority below the main thread's,
// so that background work gives way whenever a frame wants the processor.
// Harmless where the system refuses.
void LowerThreadPriority();
