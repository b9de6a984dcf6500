#include "script/js/Watchdog.h"

#include <cstdio>
#include <unistd.h>

namespace script {

Watchdog::Watchdog(Deadline &deadline, std::function<void(Stage)> onExpired)
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

void Watchdog::setMemoryLimit(qint64 bytes)
{
    std::lock_guard lock(mutex_);
    memoryLimit_ = std::max<qint64>(0, bytes);
}

qint64 Watchdog::memoryLimit() const
{
    std::lock_guard lock(mutex_);
    return memoryLimit_;
}

qint64 Watchdog::residentBytes()
{
    // The second field of statm: resident pages.
    std::FILE *f = std::fopen("/proc/self/statm", "r");
    if (!f)
        return 0;
    long long size = 0, resident = 0;
    const bool read = std::fscanf(f, "%lld %lld", &size, &resident) == 2;
    std::fclose(f);
    return read ? qint64(resident) * qint64(sysconf(_SC_PAGESIZE)) : 0;
}

void Watchdog::arm()
{
    {
        std::lock_guard lock(mutex_);
        if (armed_++ == 0) {
            fired_ = Fired::No;
            memoryAtArm_ = memoryLimit_ > 0 ? residentBytes() : 0;
        }
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
        if (armed_ == 0 || fired_ == Fired::Twice) {
            wake_.wait(lock);
            continue;
        }
        if (fired_ == Fired::Once) {
            // The engine had its grace to stop where it can say where it
            // was; now it is stopped wherever it is.
            if (Deadline::Clock::now() < firedAt_ + kGrace) {
                wake_.wait_until(lock, firedAt_ + kGrace);
                continue;
            }
            fired_ = Fired::Twice;
            onExpired_(Stage::Now);
            continue;
        }
        // Look again at least every 20 ms: a pause, a resumption or a
        // cancel changes the deadline without telling, and memory grows.
        const auto soon = Deadline::Clock::now() + std::chrono::milliseconds(20);
        if (memoryLimit_ > 0 && residentBytes() - memoryAtArm_ > memoryLimit_)
            deadline_.abort(RuntimeError::OutOfMemory);
        const auto due = deadline_.due();
        if (!due || *due > Deadline::Clock::now()) {
            wake_.wait_until(lock, due ? std::min(*due, soon) : soon);
            continue;
        }
        if (deadline_.expired()) {
            fired_ = Fired::Once;
            firedAt_ = Deadline::Clock::now();
            onExpired_(Stage::Soon);
        }
    }
}

}  // namespace script
