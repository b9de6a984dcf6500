#include "script/js/Watchdog.h"

namespace script {

Watchdog::Watchdog(Deadline &deadline, std::function<void()> onExpired)
    : deadline_(deadline), onExpired_(std::move(onExpired)), thread_([this] { loop(); })
{
}

Watchdog::~Watchdog()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void Watchdog::arm()
{
    {
        std::lock_guard lock(mutex_);
        if (armed_++ == 0)
            fired_ = false;
    }
    wake_.notify_all();
}

void Watchdog::disarm()
{
    {
        std::lock_guard lock(mutex_);
        if (armed_ > 0)
            --armed_;
    }
    wake_.notify_all();
}

void Watchdog::loop()
{
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (armed_ == 0 || fired_) {
            wake_.wait(lock);
            continue;
        }
        // Look again at least every 20 ms: a pause, a resumption or a
        // cancel changes the deadline without telling.
        const auto soon = Deadline::Clock::now() + std::chrono::milliseconds(20);
        const auto due = deadline_.due();
        if (!due || *due > Deadline::Clock::now()) {
            wake_.wait_until(lock, due ? std::min(*due, soon) : soon);
            continue;
        }
        if (deadline_.expired()) {
            fired_ = true;
            onExpired_();
        }
    }
}

}  // namespace script
