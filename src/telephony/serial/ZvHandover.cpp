#include "telephony/serial/ZvHandover.h"

#include "telephony/serial/ZvExceptionHandler.h"

#include <algorithm>

ZvHandover::ZvHandover() : notifier_(wake_.fd(), QSocketNotifier::Read) {
    QObject::connect(&notifier_, &QSocketNotifier::activated, &notifier_, [this] { serve(); });
}

void ZvHandover::call(Source source, std::function<void()> fn) {
    auto request = std::make_shared<Request>(Request{source, std::move(fn)});
    std::unique_lock lock(mutex_);
    pending_.push_back(request);
    wake_.signal();
    cv_.notify_all();
    cv_.wait(lock, [&] { return request->finished || request->released; });
}

void ZvHandover::update(const std::function<void()>& change) {
    std::lock_guard lock(mutex_);
    change();
    cv_.notify_all();
}

void ZvHandover::discardPending() {
    std::lock_guard lock(mutex_);
    pending_.clear();
}

void ZvHandover::serve() {
    wake_.drain();
    std::unique_lock lock(mutex_);
    while (!running_ && !pending_.empty()) {
        const auto request = pending_.front();
        pending_.pop_front();
        run(lock, request);
    }
}

void ZvHandover::run(std::unique_lock<std::mutex>& lock,
                     const std::shared_ptr<Request>& request) {
    running_ = request;
    lock.unlock();
    try {
        request->fn();
    } catch (...) {
        handleZvException();
    }
    lock.lock();
    running_.reset();
    request->finished = true;
    cv_.notify_all();
    // A serve() that ran meanwhile left these for us; the notifier must
    // fire again for those this runner does not take.
    if (!pending_.empty())
        wake_.signal();
}

bool ZvHandover::serveUntil(Source source, const std::function<bool()>& done,
                            std::chrono::milliseconds timeout) {
    return wait(source, done, timeout, true);
}

bool ZvHandover::waitUntil(Source source, const std::function<bool()>& done,
                           std::chrono::milliseconds timeout) {
    return wait(source, done, timeout, false);
}

bool ZvHandover::wait(Source source, const std::function<bool()>& done,
                      std::chrono::milliseconds timeout, bool mayRun) {
    const bool forever = timeout == std::chrono::milliseconds::max();
    const auto deadline = forever ? std::chrono::steady_clock::time_point()
                                  : std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(mutex_);
    for (;;) {
        if (done())
            return true;
        const auto mine = std::find_if(pending_.begin(), pending_.end(),
                                       [&](const auto& r) { return r->source == source; });
        if (mayRun && !running_ && mine != pending_.end()) {
            const auto request = *mine;
            pending_.erase(mine);
            run(lock, request);
            continue;
        }
        if (running_ && running_->source == source)
            running_->released = true;
        for (const auto& r : pending_)
            if (r->source == source)
                r->released = true;
        cv_.notify_all();
        if (forever)
            cv_.wait(lock);
        else if (cv_.wait_until(lock, deadline) == std::cv_status::timeout)
            return done();
    }
}
