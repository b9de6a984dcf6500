#pragma once

#include "script/Deadline.h"

#include <QtGlobal>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace script {

// A thread that watches an armed call from outside: when its deadline has
// passed, or the memory the process took since the call began exceeds the
// limit (the deadline is then aborted with Out of memory), it calls
// onExpired(Soon), and onExpired(Now) a grace period later if the call is
// still armed, for engines that cannot stop themselves inside a long
// operation (JScript's interrupt request). Soon lets an engine stop at its
// next host call, where it can still tell the line that was running. The
// interpreter of VBScript sees the aborted deadline at its next check.
class Watchdog {
public:
    enum class Stage { Soon, Now };
    static constexpr std::chrono::milliseconds kGrace{150};

    Watchdog(Deadline &deadline, std::function<void(Stage)> onExpired);
    // Bytes; 0 for no limit. Takes effect at the next outermost arm().
    void setMemoryLimit(qint64 bytes);
    qint64 memoryLimit() const;
    // What the process has in memory now (resident), in bytes; 0 where it
    // cannot be read.
    static qint64 residentBytes();
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
    std::function<void(Stage)> onExpired_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    int armed_ = 0;
    qint64 memoryLimit_ = 0;
    qint64 memoryAtArm_ = 0;
    enum class Fired { No, Once, Twice };
    Fired fired_ = Fired::No;
    Deadline::Clock::time_point firedAt_;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace script
