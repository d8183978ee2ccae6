// The rendering thread: one background made from its own snapshot into its own result,
// and the end handed back to the UI thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "background/BGRender.h"

// The UI thread's side of a rendering, as the picture library sees it.
class TRenderHost {
public:
    virtual ~TRenderHost() = default;
    // Runs the task later on the UI thread. Callable from any thread; after the UI has gone
    // the task is dropped without running.
    virtual void PostToUi(std::function<void()> task) = 0;
    // The hand-over: asks the main window for a full refresh and returns once it is done.
    virtual void SendWindowReset() = 0;
    // The UI is going (UI thread): tasks posted from now on are dropped.
    virtual void Close() {}
};

using TRenderFunction =
    std::function<void(const TRenderSnapshot& snapshot, TRenderOutput& output, const std::atomic<bool>& stop)>;

// Shared by the UI thread and the worker; the worker keeps it alive as long as it runs, so an
// ended program never leaves it pointing at freed memory.
class TBGThread : public std::enable_shared_from_this<TBGThread> {
public:
    using TEndHandler = std::function<void(const std::shared_ptr<TBGThread>&)>;

    TBGThread(TRenderSnapshot snapshot, TRenderFunction render)
        : snapshot_(std::move(snapshot)), render_(std::move(render)) {}
    TBGThread(const TBGThread&) = delete;
    TBGThread& operator=(const TBGThread&) = delete;

    // Renders on a new thread; then onEnd runs through the host on the UI thread, also after
    // a termination request or an exception. Raises std::system_error when no thread starts.
    void Start(std::shared_ptr<TRenderHost> host, TEndHandler onEnd);
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    // True once the rendering has ended, waiting at most that long.
    bool WaitFor(int milliseconds);

    const TRenderSnapshot& Snapshot() const { return snapshot_; }
    // The result: the UI thread's once the end handler runs.
    TRenderOutput& Output() { return output_; }
    bool Failed() const { return failed_; }  // something was raised inside

private:
    void Run(const std::shared_ptr<TRenderHost>& host, const TEndHandler& onEnd);

    const TRenderSnapshot snapshot_;
    TRenderFunction render_;
    TRenderOutput output_;
    std::atomic<bool> terminated_{false};
    bool failed_ = false;
    std::mutex mutex_;
    std::condition_variable endedSignal_;
    bool ended_ = false;
};
