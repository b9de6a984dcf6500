#pragma once

#include "script/ScriptError.h"

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

    // Ends the running call at its next check, whatever its limit, with
    // the error why: Script stopped (the console's Stop, or the console
    // closing while a script waits in a host function), Out of memory (the
    // watchdog). The first reason stays; the next outermost start()
    // forgets it.
    void abort(RuntimeError why);
    void cancel() { abort(RuntimeError::ScriptStopped); }
    bool cancelled() const { return aborted().has_value(); }
    std::optional<RuntimeError> aborted() const;
    // True while a call runs (between the outermost start and stop).
    bool running() const;

private:
    mutable std::mutex mutex_;
    int depth_ = 0;
    int pauses_ = 0;
    bool limited_ = false;
    std::optional<RuntimeError> aborted_;
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
