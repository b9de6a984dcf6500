#include "script/Deadline.h"

namespace script {

void Deadline::start(int timeoutMs)
{
    std::lock_guard lock(mutex_);
    if (depth_++ > 0)
        return;
    pauses_ = 0;
    cancelled_ = false;
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
    return cancelled_ || (limited_ && pauses_ == 0 && Clock::now() >= due_);
}

std::optional<Deadline::Clock::time_point> Deadline::due() const
{
    std::lock_guard lock(mutex_);
    if (cancelled_)
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

}  // namespace script

namespace script {

void Deadline::cancel()
{
    std::lock_guard lock(mutex_);
    if (depth_ > 0)
        cancelled_ = true;
}

bool Deadline::cancelled() const
{
    std::lock_guard lock(mutex_);
    return cancelled_;
}

}  // namespace script
