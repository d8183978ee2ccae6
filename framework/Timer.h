// A window timer with an interval and an enabled switch. Setting either to the value it
// already has changes nothing, so a timer that is set again and again (every window reset)
// still fires, and one that was stopped stays stopped until it is enabled again.
#pragma once

#include <windows.h>

#include <functional>

class TTimer {
public:
    TTimer(HWND owner, UINT_PTR id) : owner_(owner), id_(id) {}
    ~TTimer() { Stop(); }
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    void SetOwner(HWND owner) {
        Stop();
        owner_ = owner;
        Update();
    }
    void SetInterval(UINT milliseconds);
    void SetEnabled(bool enabled);
    UINT Interval() const { return interval_; }
    bool Enabled() const { return enabled_; }
    UINT_PTR Id() const { return id_; }
    bool Running() const { return running_; }

    // The owner's WM_TIMER: true when it was this timer's.
    bool Handle(WPARAM timerId);
    std::function<void()> OnTimer;

private:
    void Stop();
    void Update();

    HWND owner_;
    UINT_PTR id_;
    UINT interval_ = 1000;
    bool enabled_ = true;
    bool running_ = false;
};
