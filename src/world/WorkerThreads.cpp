#include "world/WorkerThreads.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/ErrorMessage.h"

unsigned HardwareThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

void RunOnThreads(unsigned threads, const std::function<void()>& work) {
    std::exception_ptr failure;
    std::mutex failureMutex;
    std::atomic<bool> outOfMemory{false};
    const auto guarded = [&] {
        const WorkerThreadScope worker;
        try {
            work();
        } catch (const OutOfMemoryOnWorker&) {
            outOfMemory = true;
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureMutex);
            if (!failure) {
                failure = std::current_exception();
            }
        }
    };
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < threads; ++i) {
        try {
            helpers.emplace_back(guarded);
        } catch (const std::system_error&) {
            break;
        }
    }
    guarded();
    for (std::thread& helper : helpers) {
        helper.join();
    }
    if (outOfMemory) {
        ExitOutOfMemory();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}
