#include "window/RegionUtils.h"

#include "framework/Handles.h"

namespace {

HRGN NewEmptyRegion(const char* message) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (!region) throw ERgnError(message);
    return region;
}

int CombineModeOf(TRegionMode mode) {
    switch (mode) {
    case rmAnd: return RGN_AND;
    case rmCopy: return RGN_COPY;
    case rmDiff: return RGN_DIFF;
    case rmOr: return RGN_OR;
    case rmXor: return RGN_XOR;
    }
    return RGN_COPY;
}

}  // namespace

TRegion::TRegion() : handle_(NewEmptyRegion("TRegion.Add: Cannot Create Region")) {}

TRegion::~TRegion() { DeleteObject(handle_); }

void TRegion::Add(HRGN source, TRegionMode mode) {
    TRegionHandle combined(NewEmptyRegion("TRegion.Add: Cannot Create Region"));
    const int result = mode == rmCopy ? CombineRgn(combined.Get(), source, nullptr, RGN_COPY)
                                      : CombineRgn(combined.Get(), handle_, source, CombineModeOf(mode));
    if (result == ERROR) throw ERgnError("TRegion.Add: Add Failed");
    DeleteObject(handle_);
    handle_ = combined.Release();
}

namespace {

// Combines a freshly made shape into the region and deletes it in every case.
void AddShape(TRegion& region, HRGN made, TRegionMode mode, const char* cannotCreate) {
    TRegionHandle shape(made);
    if (!shape) throw ERgnError(cannotCreate);
    region.Add(shape.Get(), mode);
}

}  // namespace

void TRegion::AddRect(int x1, int y1, int x2, int y2, TRegionMode mode) {
    AddShape(*this, CreateRectRgn(x1, y1, x2, y2), mode, "TRegion.AddRect: Cannot Create Region");
}

void TRegion::AddEllipse(int x1, int y1, int x2, int y2, TRegionMode mode) {
    AddShape(*this, CreateEllipticRgn(x1, y1, x2, y2), mode, "TRegion.AddEllipse: Cannot Create Region");
}

HRGN TRegion::CopyHandle() const {
    TRegionHandle copy(NewEmptyRegion("TRegion.Add: Cannot Create Region"));
    if (CombineRgn(copy.Get(), handle_, nullptr, RGN_COPY) == ERROR)
        throw ERgnError("TRegion.CopyHandle: Cannot Create Region");
    return copy.Release();
}

void TRegion::Move(int dx, int dy) {
    if (OffsetRgn(handle_, dx, dy) == ERROR) throw ERgnError("TRegion.Move Failed");
}
