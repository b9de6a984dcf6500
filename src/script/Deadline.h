#pragma once

#include <chrono>
#include <mutex>
#include <optional>

namespace script {

// The time limit of one Run, Eval or Exec. Time spent while paused (a
// message or input box is open) does not count. The interpreter asks
// expired() now and then; the JScript watchdog thread waits for due().
// Calls made while a call is running (a script that lets events run) share
// the outer call's limit.
class Deadline {
public:
    using Clock = std::chrono::steady_clock;

    // 0 ms means no limit.
    void start(int timeoutMs);
    void stop();
    bool expired() const;
    // The moment the limit runs out; nullopt while there is none or while
    // paused.
    std::optional<Clock::time_point> due() const;

    void pause();
    void resume();

    // Ends the running call at its next check, whatever its limit, as when
    // the console closes while a script waits in a host function. The next
    // outermost start() forgets it.
    void cancel();
    bool cancelled() const;

private:
    mutable std::mutex mutex_;
    int depth_ = 0;
    int pauses_ = 0;
    bool limited_ = false;
    bool cancelled_ = false;
    Clock::time_point due_;
    Clock::time_point pausedAt_;
};

// Pauses a deadline for as long as it lives.
class DeadlinePause {
public:
    explicit DeadlinePause(Deadline &deadline) : deadline_(deadline) { deadline_.pause(); }
    ~DeadlinePause() { deadline_.resume(); }
    DeadlinePause(const DeadlinePause &) = delete;
    DeadlinePause &operator=(const DeadlinePause &) = delete;

private:
    Deadline &deadline_;
};

}  // namespace script
