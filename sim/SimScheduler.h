#pragma once
// Runs delayed actions of the simulated module on one thread of its own.
#include <windows.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace zen::sim {

class SimScheduler {
public:
    SimScheduler();
    ~SimScheduler();
    SimScheduler(const SimScheduler&) = delete;
    SimScheduler& operator=(const SimScheduler&) = delete;

    // Runs `action` after `delayMs`; actions due at the same time run in the
    // order they were given. Returns an id for Cancel.
    unsigned After(DWORD delayMs, std::function<void()> action);
    void Cancel(unsigned id);
    // Drops every action that has not run yet.
    void CancelAll();
    // Drops every action, waits for the one running (unless called from it)
    // and runs none after, not even one that the running action adds.
    void Stop();

private:
    using Clock = std::chrono::steady_clock;
    struct Item {
        unsigned id;
        std::function<void()> action;
    };
    void Run();

    std::mutex lock_;
    std::condition_variable changed_;
    std::multimap<Clock::time_point, Item> items_;
    unsigned nextId_ = 1;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace zen::sim
