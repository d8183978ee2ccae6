#include "background/BGThread.h"

#include <thread>

void TBGThread::Start(std::shared_ptr<TRenderHost> host, TEndHandler onEnd) {
    std::thread([self = shared_from_this(), host = std::move(host), onEnd = std::move(onEnd)] {
        self->Run(host, onEnd);
    }).detach();
}

void TBGThread::Run(const std::shared_ptr<TRenderHost>& host, const TEndHandler& onEnd) {
    try {
        render_(snapshot_, output_, terminated_);
    } catch (...) {  // nothing may leave the thread; what was made so far is still handed over
        failed_ = true;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ended_ = true;
    }
    endedSignal_.notify_all();
    try {
        host->PostToUi([self = shared_from_this(), onEnd] { onEnd(self); });
    } catch (...) {
    }
}

bool TBGThread::WaitFor(int milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return endedSignal_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return ended_; });
}
