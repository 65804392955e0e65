#include "sim/SimScheduler.h"

namespace zen::sim {

SimScheduler::SimScheduler() : thread_([this] { Run(); }) {}

SimScheduler::~SimScheduler()
{
    Stop();
    if (thread_.joinable())
        thread_.detach();  // called from an action: never do that, but do not abort
}

void SimScheduler::Stop()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
        items_.clear();
    }
    changed_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

unsigned SimScheduler::After(DWORD delayMs, std::function<void()> action)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (stop_)
        return 0;
    unsigned id = nextId_++;
    items_.emplace(Clock::now() + std::chrono::milliseconds(delayMs), Item{id, std::move(action)});
    changed_.notify_all();
    return id;
}

void SimScheduler::Cancel(unsigned id)
{
    std::lock_guard<std::mutex> hold(lock_);
    for (auto it = items_.begin(); it != items_.end(); ++it) {
        if (it->second.id == id) {
            items_.erase(it);
            return;
        }
    }
}

void SimScheduler::CancelAll()
{
    std::lock_guard<std::mutex> hold(lock_);
    items_.clear();
}

void SimScheduler::Run()
{
    std::unique_lock<std::mutex> hold(lock_);
    while (!stop_) {
        if (items_.empty()) {
            changed_.wait(hold);
            continue;
        }
        auto first = items_.begin();
        if (first->first > Clock::now()) {
            changed_.wait_until(hold, first->first);
            continue;
        }
        std::function<void()> action = std::move(first->second.action);
        items_.erase(first);
        hold.unlock();
        action();
        hold.lock();
    }
}

}  // namespace zen::sim
