#pragma once

#include <functional>

// The hardware threads of this machine, at least one.
unsigned HardwareThreads();

// Runs work on `threads` threads, the calling one included, and waits for
// all of them. A thread that cannot be started leaves its share to the rest;
// what one of them throws is thrown again here once all have ended. Storage
// that runs out on any of them ends the program from the calling thread,
// after the others have ended, with the out-of-memory message.
void RunOnThreads(unsigned threads, const std::function<void()>& work);
