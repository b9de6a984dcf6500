#include "script/Deadline.h"

namespace script {

void Deadline::start(int timeoutMs)
{
    std::lock_guard lock(mutex_);
    if (depth_++ > 0)
        return;
    pauses_ = 0;
    aborted_.reset();
    abortAt_.reset();
    startedAt_ = lastPump_ = Clock::now();
    paused_ = {};
    limited_ = timeoutMs > 0;
    due_ = Clock::now() + std::chrono::milliseconds(timeoutMs);
}

void Deadline::stop()
{
    std::lock_guard lock(mutex_);
    if (depth_ > 0 && --depth_ == 0)
        limited_ = false;
}

bool Deadline::expired() const
{
    std::lock_guard lock(mutex_);
    if (abortAt_ && !aborted_ && Clock::now() >= abortAt_->second)
        const_cast<Deadline *>(this)->aborted_ = abortAt_->first;
    return aborted_ || (limited_ && pauses_ == 0 && Clock::now() >= due_);
}

std::optional<Deadline::Clock::time_point> Deadline::due() const
{
    std::lock_guard lock(mutex_);
    if (aborted_)
        return Clock::now();
    std::optional<Clock::time_point> due;
    if (limited_ && pauses_ == 0)
        due = due_;
    if (abortAt_ && (!due || abortAt_->second < *due))
        due = abortAt_->second;
    return due;
}

void Deadline::pause()
{
    std::lock_guard lock(mutex_);
    if (pauses_++ == 0)
        pausedAt_ = Clock::now();
}

void Deadline::resume()
{
    std::lock_guard lock(mutex_);
    if (pauses_ > 0 && --pauses_ == 0) {
        due_ += Clock::now() - pausedAt_;
        paused_ += Clock::now() - pausedAt_;
    }
}


void Deadline::abort(RuntimeError why)
{
    std::lock_guard lock(mutex_);
    if (depth_ > 0 && !aborted_)
        aborted_ = why;
}

std::optional<RuntimeError> Deadline::aborted() const
{
    std::lock_guard lock(mutex_);
    return aborted_;
}

bool Deadline::running() const
{
    std::lock_guard lock(mutex_);
    return depth_ > 0;
}

void Deadline::abortAfter(RuntimeError why, int ms)
{
    std::lock_guard lock(mutex_);
    if (depth_ > 0 && !abortAt_)
        abortAt_ = std::pair(why, Clock::now() + std::chrono::milliseconds(ms));
}

void Deadline::changeLimit(int timeoutMs)
{
    std::lock_guard lock(mutex_);
    if (depth_ == 0)
        return;
    limited_ = timeoutMs > 0;
    due_ = startedAt_ + paused_ + std::chrono::milliseconds(timeoutMs);
    if (pauses_ > 0)
        due_ += Clock::now() - pausedAt_;
}

void Deadline::poll()
{
    if (!pump_ || pumping_)
        return;
    const Clock::time_point now = Clock::now();
    if (now - lastPump_ < std::chrono::milliseconds(50))
        return;
    lastPump_ = now;
    pumping_ = true;
    pump_();
    pumping_ = false;
}

}  // namespace script
