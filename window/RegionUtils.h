// A GDI region built by combining rectangles and ellipses.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

class ERgnError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum TRegionMode { rmAnd, rmCopy, rmDiff, rmOr, rmXor };

class TRegion {
public:
    TRegion();
    ~TRegion();
    TRegion(const TRegion&) = delete;
    TRegion& operator=(const TRegion&) = delete;

    HRGN Handle() const { return handle_; }
    void Add(HRGN source, TRegionMode mode);
    void AddRect(int x1, int y1, int x2, int y2, TRegionMode mode);
    void AddRect(const RECT& rect, TRegionMode mode) { AddRect(rect.left, rect.top, rect.right, rect.bottom, mode); }
    void AddEllipse(int x1, int y1, int x2, int y2, TRegionMode mode);
    // A new region equal to the shape; the caller owns it.
    HRGN CopyHandle() const;
    void Move(int dx, int dy);

private:
    HRGN handle_;
};
