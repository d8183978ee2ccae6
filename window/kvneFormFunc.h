// What a frame would give a borderless window: dragging anywhere moves it, its edges size it,
// it snaps to the screen's edges, its corners are cut, it keeps its z-order band, its place
// and size outlive the run (application.ini), it takes dropped files, and it closes cleanly
// when Windows ends the session. It sits in front of its owner's message handling.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Form.h"
#include "window/RegionUtils.h"

enum TwindowPosition { wpNormal, wpTop, wpBottom };

class TkvneFormFunc {
public:
    TkvneFormFunc() = default;
    ~TkvneFormFunc();
    TkvneFormFunc(const TkvneFormFunc&) = delete;
    TkvneFormFunc& operator=(const TkvneFormFunc&) = delete;

    // Puts the component in front of the form's handling; the form's window must exist.
    void Attach(TForm& owner);

    bool Preserve = false;
    bool EraseBackGround = false;
    bool KeepSize = false;
    bool KeepLocation = false;
    bool DropNamesEnabled = false;
    bool WindowDrag = false;
    bool WindowResize = false;
    bool ClipDraw = false;  // painting clipped to ClipRegion
    int FitScreenPx = 0;
    void SetDragDrop(bool on);
    bool DragDrop() const { return dragDrop_; }
    void SetWindowRound(bool on);
    bool WindowRound() const { return windowRound_; }
    void SetWindowPosition(TwindowPosition position);
    TwindowPosition WindowPosition() const { return windowPosition_; }

    std::function<void()> OnWindowMoved, OnWindowReset, OnEraseBackGround;
    // After a drop: the dropped names in order (with DropNamesEnabled; else none).
    std::function<void(const std::vector<std::string>& names)> OnDropFinish;
    std::function<void(const std::string& fileName)> OnDropFile;
    // Client coordinates of the press; setting dragMove to false keeps the window in place.
    std::function<void(int mouseX, int mouseY, bool& dragMove)> OnCanDragMove;

    TRegion ClipRegion;

    // Restores place and size from application.ini; the owner calls it while it is created.
    void LoadPosition();
    // Whether application.ini holds a place for the window (KeepLocation).
    bool LocationStored() const;
    // Stores them; runs by itself when the owner's window is destroyed.
    void SavePosition();
    void ApplyWindowRound();

private:
    bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void DragStart(LPARAM lParam);
    void ClipPaintToRegion();
    void Snap(RECT& proposed);
    void DropFiles(HDROP drop);
    std::string Section() const;

    TForm* owner_ = nullptr;
    HWND hwnd_ = nullptr;
    int hookId_ = 0;
    bool dragDrop_ = false, windowRound_ = false;
    TwindowPosition windowPosition_ = wpNormal;
    bool maximised_ = false;
    RECT normalRect_{};
    RECT moveStartRect_{};
    POINT moveStartCursor_{};
    bool saved_ = false;
    std::string dockSite_;
};

// A window on no monitor comes back centred on the primary screen.
void EnsureOnScreen(HWND window);
// A window moved to lie inside the work area of its monitor, and shrunk to it where larger (a
// size kept from a larger screen would hide its bottom under the taskbar).
void FitToWorkArea(HWND window);
