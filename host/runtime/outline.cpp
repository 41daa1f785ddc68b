// The region commands with GDI's rules, and the window's outline they make, once for every
// backend: a backend only shows the finished outline (ApplyOutline).
#include <utility>

#include "host/runtime/runtime.h"

namespace tarvik {

// Whether the backend refuses a region command before it runs. Like the platform's, these
// commands report a failure by their result, never by throwing.
bool FormsRuntime::Refused(const char* command) {
    try {
        BeforeCommand(command);
        return false;
    } catch (const Failure&) {
        return true;
    }
}

// A new handle the program owns.
HRGN FormsRuntime::NewRegion(Region region) {
    const HRGN handle = nextRegion_++;
    regions_.emplace(handle, std::move(region));
    return handle;
}

// The layout's rectangle with each edge at its device position.
HRGN FormsRuntime::CreateRectRgn(int x1, int y1, int x2, int y2) {
    RegionCallMade("CreateRectRgn", {x1, y1, x2, y2});
    if (Refused("CreateRectRgn")) return 0;
    const DisplayScale& s = DeviceScale();
    return NewRegion(Region::Rect(s.ToDevice(x1), s.ToDevice(y1), s.ToDevice(x2), s.ToDevice(y2)));
}

// Cut at the device's resolution, yet within the layout ellipse enlarged (ellipse.h), so that
// none of the artwork's corner fill shows along the curve.
HRGN FormsRuntime::CreateEllipticRgn(int x1, int y1, int x2, int y2) {
    RegionCallMade("CreateEllipticRgn", {x1, y1, x2, y2});
    if (Refused("CreateEllipticRgn")) return 0;
    return NewRegion(Region::Ellipse(x1, y1, x2, y2, DeviceScale()));
}

// Only RGN_OR is supported; an unknown handle or another mode gives ERROR, as GDI does.
int FormsRuntime::CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
    RegionCallMade("CombineRgn", {mode});
    if (Refused("CombineRgn")) return kRegionError;
    const auto d = regions_.find(dst), a = regions_.find(src1), b = regions_.find(src2);
    if (mode != RGN_OR || d == regions_.end() || a == regions_.end() || b == regions_.end()) return kRegionError;
    if (d == a) {
        d->second.Union(b->second);
    } else {
        Region merged = a->second;
        merged.Union(b->second);
        d->second = std::move(merged);
    }
    if (d->second.Empty()) return kNullRegion;
    return d->second.IsRectangle() ? kSimpleRegion : kComplexRegion;
}

int FormsRuntime::DeleteObject(HRGN region) {
    RegionCallMade("DeleteObject", {});
    if (Refused("DeleteObject")) return 0;
    return regions_.erase(region) ? 1 : 0;
}

// The window takes the region, which is no longer the program's, and drops its old one; a null
// region makes it rectangular. Another window refuses it, and it stays the program's. A refusal
// of the window's own (the backend's failure) releases it instead: the program has handed its
// outline over and never deletes it, so each layout would leak one.
int FormsRuntime::SetWindowRgn(HWND hwnd, HRGN region, int redraw) {
    RegionCallMade("SetWindowRgn", {redraw});
    if (Refused("SetWindowRgn")) {
        regions_.erase(region);
        return 0;
    }
    if (hwnd != Handle()) return 0;
    std::unique_ptr<Region> taken;
    if (region != 0) {
        const auto it = regions_.find(region);
        if (it == regions_.end()) return 0;
        taken = std::make_unique<Region>(std::move(it->second));
        regions_.erase(it);
    }
    const bool same = taken && outline_ ? *taken == *outline_ : taken == outline_;
    outline_ = std::move(taken);
    outlineChanged_ = outlineChanged_ || !same;
    outlineRedraw_ = redraw != 0;
    if (eventDepth_ == 0) FlushOutline();
    return 1;
}

// Cleared before the backend is called: a backend that gives the system the outline at once
// may come back here.
void FormsRuntime::FlushOutline() {
    if (!outlineChanged_ || closed_) return;
    outlineChanged_ = false;
    ApplyOutline(outline_.get(), outlineRedraw_);
}

}  // namespace tarvik
