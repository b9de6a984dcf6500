#pragma once

#include "script/ScriptError.h"

#include <chrono>
#include <functional>
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

    // Stops the running call with the error why once ms have passed (time
    // in boxes counts too), unless it ends first: the console's Stop gives a
    // script a second to see isStop and end by itself.
    void abortAfter(RuntimeError why, int ms);
    // A new limit for the running call, counted from its start.
    void changeLimit(int timeoutMs);

    // Lets a window answer while a call runs: engines call poll() as they
    // check the deadline (on their own thread), and at most every 50 ms it
    // calls the pump, which lets the window's Stop and time-out buttons act.
    void setPump(std::function<void()> pump) { pump_ = std::move(pump); }
    void poll();

private:
    mutable std::mutex mutex_;
    int depth_ = 0;
    int pauses_ = 0;
    bool limited_ = false;
    std::optional<RuntimeError> aborted_;
    Clock::time_point due_;
    Clock::time_point pausedAt_;
    Clock::time_point startedAt_;
    Clock::duration paused_{};  // paused time of the running call so far
    std::optional<std::pair<RuntimeError, Clock::time_point>> abortAt_;
    std::function<void()> pump_;
    Clock::time_point lastPump_;
    bool pumping_ = false;
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
