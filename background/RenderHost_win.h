// The rendering thread's way into the UI thread: a hidden message-only window of that thread,
// which every message loop (modal ones too) dispatches to.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "background/BGThread.h"

class TWin32RenderHost : public TRenderHost {
public:
    // On the UI thread; the hand-over message goes to mainWindow.
    explicit TWin32RenderHost(HWND mainWindow);
    ~TWin32RenderHost() override { Close(); }
    TWin32RenderHost(const TWin32RenderHost&) = delete;
    TWin32RenderHost& operator=(const TWin32RenderHost&) = delete;

    void PostToUi(std::function<void()> task) override;
    void SendWindowReset() override;
    void Close() override;
    HWND Window() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND mainWindow_;
    std::atomic<HWND> window_{nullptr};
};
