// A small lock for the data store's allocators: their critical sections are a
// few dozen instructions, so spinning briefly is cheaper than a kernel mutex.
// A waiter yields its time slice after a short spin, so a holder that was
// preempted gets to run (the machine may have fewer cores than threads).
#pragma once

#include <atomic>
#include <thread>

namespace zor {

class SpinLock {
public:
    constexpr SpinLock() = default;
    SpinLock(const SpinLock&) = delete;
    SpinLock& operator=(const SpinLock&) = delete;

    void lock() noexcept {
        while (held.exchange(true, std::memory_order_acquire)) waitForRelease();
    }
    void unlock() noexcept { held.store(false, std::memory_order_release); }

private:
    static constexpr int spinsBeforeYield = 64;

    void waitForRelease() noexcept {
        for (int spins = 0; held.load(std::memory_order_relaxed); ++spins) {
            if (spins < spinsBeforeYield) {
#if defined(__x86_64__) || defined(__i386__)
                __builtin_ia32_pause();
#endif
            } else {
                std::this_thread::yield();
            }
        }
    }

    std::atomic<bool> held{false};
};

}  // namespace zor
