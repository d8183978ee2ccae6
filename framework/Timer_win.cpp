#include "framework/Timer.h"

void TTimer::SetInterval(UINT milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    Stop();  // a new interval counts from now
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Update();
}

bool TTimer::Handle(WPARAM timerId) {
    if (timerId != id_ || !running_) return false;
    if (OnTimer) OnTimer();
    return true;
}

void TTimer::Stop() {
    if (running_ && owner_) KillTimer(owner_, id_);
    running_ = false;
}

void TTimer::Update() {
    if (!enabled_ || interval_ == 0 || !owner_) {
        Stop();
        return;
    }
    if (!running_) running_ = SetTimer(owner_, id_, interval_, nullptr) != 0;
}
