// The library's side of the rendering thread: start, merged restarts, hand-over, exit.
#include <algorithm>
#include <system_error>

#include "background/BGprofile.h"
#include "framework/Dpi.h"

// The window places a picture of any other value at the top or left, and fits only at 0.
int PicturePlacement(int stored) { return stored >= 0 && stored <= 3 ? stored : 1; }
int PictureChoice(int stored) { return stored >= 0 && stored <= 3 ? stored : 0; }
int PictureZoom(int stored) { return std::clamp(stored, kMinPictureZoom, kMaxPictureZoom); }

TRenderSnapshot TBGprofile::MakeSnapshot(int width, int height, int dpi) {
    TRenderSnapshot s;
    s.Dpi = SaneDpi(dpi);
    s.PicturePath = currentPicture_;
    s.BackgroundColor = colors_.GetColor(kColorWindowBackground);
    s.Width = width;
    s.Height = height;
    s.VAlign = static_cast<std::uint8_t>(PicturePlacement(Read(keys::PictureVAlign)));
    s.HAlign = static_cast<std::uint8_t>(PicturePlacement(Read(keys::PictureHAlign)));
    s.OpacityReduction = OpacityReductionFromPercent(Read(keys::PictureAlpha));
    s.Zoom = ScaleForDpi(PictureZoom(Read(keys::PictureZoom)), s.Dpi);
    s.Effect = PictureChoice(Read(keys::PictureEffect));
    s.Rotation = PictureChoice(Read(keys::PictureRotation));
    return s;
}

void TBGprofile::StartRender(int width, int height, int dpi) {
    requestedWidth_ = width;
    requestedHeight_ = height;
    requestedDpi_ = dpi;
    if (width <= 0 || height <= 0 || shutDown_ || !host_) return;
    if (thread_) {
        restart_ = true;
        thread_->Terminate();
        return;
    }
    TRenderFunction render = render_;
    if (!render) {
        std::shared_ptr<TPictureCache> cache = cache_;  // the thread's own reference
        render = [cache](const TRenderSnapshot& snapshot, TRenderOutput& output, const std::atomic<bool>& stop) {
            TRenderOptions options;
            options.Cache = cache.get();
            RenderBackground(snapshot, output, stop, options);
        };
    }
    auto thread = std::make_shared<TBGThread>(MakeSnapshot(width, height, dpi), std::move(render));
    try {
        thread->Start(host_, [this, alive = std::weak_ptr<int>(alive_)](const std::shared_ptr<TBGThread>& ended) {
            if (alive.lock()) RenderEnded(ended);
        });
    } catch (const std::system_error&) {
        return;  // no thread to be had: the background stays as it is
    }
    thread_ = std::move(thread);
    restart_ = false;
}

void TBGprofile::RenderEnded(const std::shared_ptr<TBGThread>& thread) {
    if (shutDown_ || thread != thread_) return;
    if (restart_) {
        thread_.reset();
        StartRender(requestedWidth_, requestedHeight_, requestedDpi_);
        return;
    }
    TRenderOutput& output = thread->Output();
    background_ = std::move(output.Bitmap);
    // A renderer that makes the whole background leaves the place unset.
    const bool whole = output.FullWidth == 0;
    backgroundFullWidth_ = whole ? background_.Width() : output.FullWidth;
    backgroundFullHeight_ = whole ? background_.Height() : output.FullHeight;
    backgroundPart_ = {output.Left, output.Top, output.Left + background_.Width(), output.Top + background_.Height()};
    backgroundMessage_ = thread->Output().Message;
    // Still the current thread while the window refreshes: its StartRender only marks a
    // restart, so a finished rendering never starts another by itself.
    host_->SendWindowReset();
    thread_.reset();
}

void TBGprofile::Shutdown(int waitMilliseconds) {
    if (shutDown_) return;
    shutDown_ = true;
    if (thread_) {
        thread_->Terminate();
        if (!thread_->WaitFor(waitMilliseconds)) leftRunning_ = thread_;
        thread_.reset();
    }
    if (host_) host_->Close();
    host_.reset();
}

bool TBGprofile::RenderLeftRunning() const { return leftRunning_ && !leftRunning_->WaitFor(0); }
