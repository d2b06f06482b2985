#pragma once

#include <functional>

// The hardware threads of this machine, at least one.
unsigned HardwareThreads();

// Runs work on `threads` threads, the calling one included, and waits for
// all of them. A thread that cannot be started leaves its share to the rest;
// what one of them throws is thrown again here once all have ended.
void RunOnThreads(unsigned threads, const std::function<void()>& work);
