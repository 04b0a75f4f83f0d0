#pragma once

// An eventfd that one thread signals to wake another out of poll().
class ZvWakeFd {
public:
    ZvWakeFd();
    ~ZvWakeFd();
    ZvWakeFd(const ZvWakeFd&) = delete;
    ZvWakeFd& operator=(const ZvWakeFd&) = delete;

    int fd() const { return fd_; }
    void signal();
    void drain();
    // Blocks until signalled, then drains.
    void wait();

private:
    int fd_;
};
