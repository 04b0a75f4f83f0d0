#pragma once

#include "telephony/serial/ZvWakeFd.h"

#include <QSocketNotifier>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// Runs the port's worker threads' deliveries on the user-interface thread
// (the thread that made it) and lets the worker wait until its delivery
// has run. A delivery carries only an event word (received bytes are
// read when it runs), so one may be put off without changing what the
// users see. Deliveries never nest: one that arrives while another runs
// (say, under a message box's event loop) waits until that one returns.
class ZvHandover {
public:
    enum Source { EventThread, WriteThread };

    ZvHandover();

    // Worker side: returns once fn has run, or once the user-interface
    // thread has let the worker go on without it (fn then runs later).
    void call(Source source, std::function<void()> fn);
    // Worker side: changes what a wait of the user-interface thread is for.
    void update(const std::function<void()>& change);

    // User-interface side: waits until done() holds (checked under the
    // handover's lock) or the timeout passes, running the source's
    // deliveries meanwhile. Inside a delivery they cannot run, and the
    // source's worker may be the one waiting for the delivery we are in:
    // the worker is let go on instead.
    bool serveUntil(Source source, const std::function<bool()>& done,
                    std::chrono::milliseconds timeout = std::chrono::milliseconds::max());
    // The same, but the source's worker is always let go on and nothing
    // runs here, so no user code can run inside the caller.
    bool waitUntil(Source source, const std::function<bool()>& done,
                   std::chrono::milliseconds timeout);
    // Forgets the deliveries that were put off (the port has closed).
    void discardPending();

private:
    struct Request {
        Source source;
        std::function<void()> fn;
        bool finished = false;
        bool released = false;
    };

    void serve();
    void run(std::unique_lock<std::mutex>& lock, const std::shared_ptr<Request>& request);
    bool wait(Source source, const std::function<bool()>& done, std::chrono::milliseconds timeout,
              bool mayRun);

    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::shared_ptr<Request>> pending_;
    std::shared_ptr<Request> running_;
    ZvWakeFd wake_;
    QSocketNotifier notifier_;
};
