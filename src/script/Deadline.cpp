#include "script/Deadline.h"

namespace script {

void Deadline::start(int timeoutMs)
{
    std::lock_guard lock(mutex_);
    if (depth_++ > 0)
        return;
    pauses_ = 0;
    aborted_.reset();
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
    return aborted_ || (limited_ && pauses_ == 0 && Clock::now() >= due_);
}

std::optional<Deadline::Clock::time_point> Deadline::due() const
{
    std::lock_guard lock(mutex_);
    if (aborted_)
        return Clock::now();
    if (!limited_ || pauses_ > 0)
        return std::nullopt;
    return due_;
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
    if (pauses_ > 0 && --pauses_ == 0)
        due_ += Clock::now() - pausedAt_;
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

}  // namespace script
