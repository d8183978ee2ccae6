// The library's start / restart / hand-over rules, with the test's own thread as the UI
// thread and a queue standing in for its messages.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>

#include "background/BGprofile.h"

namespace {

class FakeUi : public TRenderHost {
public:
    void PostToUi(std::function<void()> task) override {
        std::lock_guard<std::mutex> lock(mutex_);
        tasks_.push_back(std::move(task));
        posted_.notify_all();
    }
    void SendWindowReset() override {
        ++resets;
        if (onReset) onReset();
    }
    // Runs the next posted task; false when none came in time.
    bool RunNext(int milliseconds = 5000) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!posted_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return !tasks_.empty(); }))
            return false;
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
        return true;
    }
    int resets = 0;
    std::function<void()> onReset;

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
};

// Renderings that wait at a gate until the test opens it or a stop is asked for.
class GatedRenderer {
public:
    TRenderFunction Function() {
        return [this](const TRenderSnapshot& s, TRenderOutput& out, const std::atomic<bool>& stop) {
            std::unique_lock<std::mutex> lock(mutex_);
            sizes_.emplace_back(s.Width, s.Height);
            changed_.notify_all();
            while (!open_ && !(stopEnds_ && stop)) changed_.wait_for(lock, std::chrono::milliseconds(2));
            sawStop_ = sawStop_ || stop;
            if (throws_) throw std::bad_alloc();
            out.Bitmap.Allocate(s.Width, s.Height, 32);
        };
    }
    void Open() {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void WaitForStarts(std::size_t n) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return sizes_.size() >= n; });
    }
    std::vector<std::pair<int, int>> Sizes() {
        std::lock_guard<std::mutex> lock(mutex_);
        return sizes_;
    }
    bool SawStop() {
        std::lock_guard<std::mutex> lock(mutex_);
        return sawStop_;
    }
    void SetThrows() { throws_ = true; }
    void SetStopEnds() { stopEnds_ = true; }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::pair<int, int>> sizes_;
    bool open_ = false, sawStop_ = false, throws_ = false, stopEnds_ = false;
};

class RenderStates : public ::testing::Test {
protected:
    RenderStates() {
        library.SetDataFolderPath("/nonexistent-memorail/");
        library.LoadPictureList();
        library.SetRenderHost(ui);
        library.SetRenderer(renderer.Function());
    }
    ~RenderStates() override {
        renderer.Open();
        library.Shutdown(2000);
    }
    std::shared_ptr<FakeUi> ui = std::make_shared<FakeUi>();
    GatedRenderer renderer;
    TColorsList colors;
    TBGprofile library{colors};
};

TEST_F(RenderStates, RequestsDuringARenderingMergeIntoOneRestartWithTheLastSize) {
    library.StartRender(100, 50);
    renderer.WaitForStarts(1);
    library.StartRender(200, 60);
    library.StartRender(300, 70);
    library.StartRender(400, 80);
    EXPECT_TRUE(library.RestartPending());
    renderer.Open();
    ASSERT_TRUE(ui->RunNext());  // the first ends: its result is dropped, the last size starts
    EXPECT_EQ(ui->resets, 0);
    ASSERT_TRUE(ui->RunNext());  // the restart ends: handed over
    EXPECT_EQ(renderer.Sizes(), (std::vector<std::pair<int, int>>{{100, 50}, {400, 80}}));
    EXPECT_TRUE(renderer.SawStop());
    EXPECT_EQ(ui->resets, 1);
    EXPECT_EQ(library.Background().Width(), 400);
    EXPECT_FALSE(library.Rendering());
    EXPECT_FALSE(ui->RunNext(100));
}

TEST_F(RenderStates, TheHandOversRefreshStartsNothingMore) {
    ui->onReset = [&] { library.StartRender(500, 90); };  // the window's refresh asks again
    library.StartRender(100, 50);
    renderer.Open();
    ASSERT_TRUE(ui->RunNext());
    EXPECT_EQ(ui->resets, 1);
    EXPECT_FALSE(library.Rendering());
    EXPECT_FALSE(ui->RunNext(200));
    EXPECT_EQ(renderer.Sizes().size(), 1u);
    EXPECT_EQ(library.RequestedWidth(), 500);
}

TEST_F(RenderStates, AnExceptionInsideStillReachesTheEndHandler) {
    renderer.SetThrows();
    library.StartRender(100, 50);
    renderer.Open();
    ASSERT_TRUE(ui->RunNext());
    EXPECT_EQ(ui->resets, 1);
    EXPECT_FALSE(library.Rendering());
    EXPECT_TRUE(library.Background().Empty());
}

TEST_F(RenderStates, ShutdownAsksTheRenderingToStopAndHandsNothingOver) {
    renderer.SetStopEnds();
    library.StartRender(100, 50);
    renderer.WaitForStarts(1);
    library.Shutdown(2000);
    EXPECT_TRUE(renderer.SawStop());
    ui->RunNext(500);  // the end arrives after all, and is ignored
    EXPECT_EQ(ui->resets, 0);
    library.StartRender(100, 50);
    EXPECT_FALSE(ui->RunNext(100));
}

TEST_F(RenderStates, ARenderingThatWillNotStopIsReportedUntilItEnds) {
    library.StartRender(100, 50);
    renderer.WaitForStarts(1);
    library.Shutdown(50);  // the gate stays shut: the stop is not seen
    EXPECT_TRUE(library.RenderLeftRunning());
    renderer.Open();
    ui->RunNext(2000);
    EXPECT_FALSE(library.RenderLeftRunning());
}

TEST_F(RenderStates, ZeroSizeStartsNothing) {
    library.StartRender(0, 50);
    EXPECT_FALSE(library.Rendering());
    EXPECT_EQ(library.RequestedWidth(), 0);
}

}  // namespace
