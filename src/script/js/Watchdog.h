#pragma once

#include "script/Deadline.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace script {

// A thread that calls onExpired once when the deadline of an armed call has
// passed, for engines that cannot watch the clock themselves.
class Watchdog {
public:
    Watchdog(Deadline &deadline, std::function<void()> onExpired);
    ~Watchdog();
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

    // Calls nest; the watch lasts until the outermost call disarms.
    void arm();
    // After this returns onExpired is not running and will not run.
    void disarm();

private:
    void loop();

    Deadline &deadline_;
    std::function<void()> onExpired_;
    std::mutex mutex_;
    std::condition_variable wake_;
    int armed_ = 0;
    bool fired_ = false;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace script
