#pragma once

#include <deque>
#include <vector>

#include "text/OverlayRegistry.h"

// What the overlay itself reads of the registry.
const std::vector<TCallback*>& RegisteredCallbacks();
std::deque<OverlayLine>& QueuedLines();
// Empties the registry; for tests that build several overlays in one process.
void ClearOverlayRegistry();
