#include "host/sim/sim_host.h"

#include <cairo.h>

#include <algorithm>
#include <cassert>
#include <cstdio>

#include "host/twips.h"

namespace tarvik::sim {

namespace {

constexpr const char* kBackend = "sim";

// The host commands FailCommand can make fail: the window's, which throw, and the platform
// calls, which report failure by their result.
constexpr const char* kFailable[] = {
    "Left", "Top", "Width", "Height", "SetWidth", "SetHeight", "Move", "WindowState", "SetWindowState", "hWnd",
    "Caption", "BackColor", "SetForeColor", "SetCurrentX", "SetCurrentY", "Line", "PaintPicture", "Print",
    "ScreenWidth", "ScreenHeight", "Unload", "GetCursorPos", "SendMessageA", "CreateRectRgn", "CreateEllipticRgn",
    "CombineRgn", "SetWindowRgn", "DeleteObject"};

// A pixel position held within the window system's range.
int HeldPosition(std::int64_t pixels) {
    return static_cast<int>(std::clamp<std::int64_t>(pixels, -(kMaxWindowPixels + 1), kMaxWindowPixels));
}

// A pixel difference of 64-bit operands as an int, held within the pixel range of twips.h.
int HeldPixels(std::int64_t pixels) { return static_cast<int>(std::clamp<std::int64_t>(pixels, -kPixelLimit, kPixelLimit)); }

// A call with four arguments as the outline log writes it, made in one piece.
std::string Call(const char* name, int a, int b, int c, int d) {
    char text[96];
    std::snprintf(text, sizeof text, "%s(%d, %d, %d, %d)", name, a, b, c, d);
    return text;
}

}  // namespace

SimHost::SimHost(int screenWidth, int screenHeight, DisplayScale scale)
    : FormsRuntime(Form1Design(), kBackend),
      screenWidth_(screenWidth),
      screenHeight_(screenHeight),
      scale_(scale),
      rect_{0, 0, TwipsToPixels(Form1Design().clientWidth), TwipsToPixels(Form1Design().clientHeight)},
      restore_(Place{rect_, 0, 0}),
      painter_(Form1Design()) {
    assert(screenWidth > 0 && screenHeight > 0 && "screen size must be positive");
    painter_.SetScale(scale_);
    ResizeFace(rect_.w, rect_.h);
}

LayoutSize SimHost::ScreenPixels() const {
    return {screenWidth_ / scale_.Factor(), screenHeight_ / scale_.Factor()};
}

PixelRect SimHost::DeviceRect() const { return {deviceX_, deviceY_, scale_.ToDevice(rect_.w), scale_.ToDevice(rect_.h)}; }

SimHost::~SimHost() = default;

bool SimHost::FailableCommand(const std::string& command) {
    return std::find(std::begin(kFailable), std::end(kFailable), command) != std::end(kFailable);
}

std::string SimHost::FailableCommands() {
    std::string all;
    for (const char* name : kFailable) all += (all.empty() ? "" : ", ") + std::string(name);
    return all;
}

// Throws if a test asked this command to fail.
void SimHost::BeforeCommand(const char* command) {
    if (Failing(command)) Fail(std::string(command) + " failed");
}

// --- The window ------------------------------------------------------------------------------

// Grows or shrinks the face, keeping what was drawn at its top-left; new parts get the back colour.
bool SimHost::ResizeFace(int width, int height) {
    ++generation_;
    return painter_.Resize(width, height);
}

void SimHost::ResizeWindow(int width, int height) {
    rect_.w = std::clamp(width, 0, kMaxWindowPixels);
    rect_.h = std::clamp(height, 0, kMaxWindowPixels);
}

void SimHost::ResizeOuter(int width, int height) {
    if (!Running() || state_ != kNormal) return;
    HandleEvent([&] {
        ResizeWindow(scale_.ToLayoutLength(width), scale_.ToLayoutLength(height));
        SystemResized();
    });
}

void SimHost::MoveWindow(double x, double y) { PlaceAt(scale_.ToDevice(x), scale_.ToDevice(y)); }

// Puts the window's top-left corner at a screen pixel, held within the window system's range;
// its layout place is the layout pixel that holds it.
void SimHost::PlaceAt(std::int64_t deviceX, std::int64_t deviceY) {
    deviceX_ = HeldPosition(deviceX);
    deviceY_ = HeldPosition(deviceY);
    rect_.x = scale_.ToLayout(deviceX_);
    rect_.y = scale_.ToLayout(deviceY_);
}

void SimHost::ApplyWindowState(int state) { ChangeState(state); }

void SimHost::SystemSetState(int state) {
    assert(state >= kNormal && state <= kMaximized && "invalid window state");
    if (!Running() || !shown_ || state == state_) return;
    HandleEvent([&] {
        ChangeState(state);
        WindowChanged();
    });
}

void SimHost::AddMonitor(const Monitor& monitor) {
    assert(monitor.width > 0 && monitor.height > 0 && monitor.workWidth > 0 && monitor.workHeight > 0 &&
           "a monitor and its work area must not be empty");
    monitors_.push_back(monitor);
}

// The monitor holding the window's centre, else the one nearest to it, as Windows picks it.
SimHost::Monitor SimHost::MonitorOfWindow() const {
    const PixelRect d = DeviceRect();
    const double cx = d.x + d.w / 2.0, cy = d.y + d.h / 2.0;
    const Monitor screen{0, 0, screenWidth_, screenHeight_, 0, 0, screenWidth_, screenHeight_};
    Monitor best = screen;
    double bestDistance = -1;
    for (const Monitor& m : monitors_.empty() ? std::vector<Monitor>{screen} : monitors_) {
        // Distances to the monitor's first and last pixel: a centre on the boundary is the next monitor's.
        const double dx = std::max({m.x - cx, 0.0, cx - (m.x + m.width - 1)});
        const double dy = std::max({m.y - cy, 0.0, cy - (m.y + m.height - 1)});
        const double distance = dx * dx + dy * dy;
        if (bestDistance < 0 || distance < bestDistance) {
            best = m;
            bestDistance = distance;
        }
    }
    return best;
}

// Maximized fills the work area of the window's monitor; minimized keeps the geometry it had,
// and the restored geometry waits for the way back.
void SimHost::ChangeState(int state) {
    restore_.Follow(state_, {rect_, deviceX_, deviceY_});
    if (state == kMaximized) {
        const Monitor m = MonitorOfWindow();
        rect_.w = scale_.ToLayoutLength(m.workWidth);
        rect_.h = scale_.ToLayoutLength(m.workHeight);
        PlaceAt(m.workX, m.workY);
    }
    if (state == kNormal) {
        const Place& normal = restore_.Normal();
        rect_ = normal.rect;
        deviceX_ = normal.deviceX;
        deviceY_ = normal.deviceY;
    }
    state_ = state;
}

void SimHost::RestoreFromMinimized() {
    if (!Running() || state_ != kMinimized) return;
    SystemSetState(restore_.StateBeforeMinimize());
}

void SimHost::ShowWindow() {
    shown_ = true;
    WindowChanged();
}

// --- Drawing on the face -------------------------------------------------------------------

void SimHost::DrawLine(float x1, float y1, float x2, float y2, Color color, LineKind kind) {
    ++generation_;
    painter_.Line(x1, y1, x2, y2, color, kind);
}

void SimHost::DrawPicture(Picture picture, float dx, float dy, float dw, float dh, float sx, float sy, float sw,
                          float sh) {
    ++generation_;
    painter_.PaintPicture(picture, dx, dy, dw, dh, sx, sy, sw, sh);
}

int SimHost::PrintText(const std::string& text, float x, float y, Color color) {
    ++generation_;
    return painter_.Print(text, x, y, color);
}

// --- Regions -------------------------------------------------------------------------------

void SimHost::Log(std::string call) { outlineLog_.push_back(std::move(call)); }

HRGN SimHost::NewRegion(Region region, std::string call) {
    Log(std::move(call));
    const HRGN handle = nextRegion_++;
    regions_.emplace(handle, std::move(region));
    return handle;
}

// The platform calls report failure by their result, never by throwing.
bool SimHost::Failing(const char* command) const {
    return std::find(failing_.begin(), failing_.end(), command) != failing_.end();
}

HRGN SimHost::CreateRectRgn(int x1, int y1, int x2, int y2) {
    if (Failing("CreateRectRgn")) {
        Log(Call("CreateRectRgn", x1, y1, x2, y2));
        return 0;
    }
    // Regions live in device pixels: a curve is cut at the device's resolution.
    return NewRegion(Region::Rect(scale_.ToDevice(x1), scale_.ToDevice(y1), scale_.ToDevice(x2), scale_.ToDevice(y2)),
                     Call("CreateRectRgn", x1, y1, x2, y2));
}

HRGN SimHost::CreateEllipticRgn(int x1, int y1, int x2, int y2) {
    if (Failing("CreateEllipticRgn")) {
        Log(Call("CreateEllipticRgn", x1, y1, x2, y2));
        return 0;
    }
    return NewRegion(Region::Ellipse(x1, y1, x2, y2, scale_), Call("CreateEllipticRgn", x1, y1, x2, y2));
}

// Only RGN_OR is supported; unknown handles fail with 0 (ERROR) as GDI does.
int SimHost::CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
    Log("CombineRgn(" + std::to_string(mode) + ")");
    if (Failing("CombineRgn")) return 0;
    const auto d = regions_.find(dst), a = regions_.find(src1), b = regions_.find(src2);
    if (mode != RGN_OR || d == regions_.end() || a == regions_.end() || b == regions_.end()) return 0;
    if (d == a) {
        d->second.Union(b->second);
    } else {
        Region merged = a->second;
        merged.Union(b->second);
        d->second = std::move(merged);
    }
    return d->second.Empty() ? 1 : 3;  // NULLREGION or COMPLEXREGION
}

int SimHost::DeleteObject(HRGN region) {
    Log("DeleteObject");
    if (Failing("DeleteObject")) return 0;
    return regions_.erase(region) ? 1 : 0;
}

// The window takes the region and drops its old one; a null region makes it rectangular. A
// region refused stays the caller's, as the platform documents: it is released here, or each
// refusal would leak one.
int SimHost::SetWindowRgn(HWND hwnd, HRGN region, int redraw) {
    Log("SetWindowRgn(" + std::to_string(redraw) + ")");
    lastOutline_.swap(outlineLog_);  // both keep their room for the next outline
    outlineLog_.clear();
    ++generation_;
    if (Failing("SetWindowRgn") || hwnd != kSimWindow) {
        regions_.erase(region);
        return 0;
    }
    if (region == 0) {
        windowRegion_.reset();
        return 1;
    }
    const auto it = regions_.find(region);
    if (it == regions_.end()) return 0;
    windowRegion_ = std::make_unique<Region>(std::move(it->second));
    regions_.erase(it);
    return 1;
}

// --- Pointer, clock and the system move ---------------------------------------------------

int SimHost::GetCursorPos(POINT* point) {
    if (Failing("GetCursorPos")) return 0;
    point->x = scale_.ToLayout(pointerX_);
    point->y = scale_.ToLayout(pointerY_);
    return 1;
}

// The title bar's move: from now on the window follows the pointer until the left button goes up.
std::intptr_t SimHost::SendMessageA(HWND hwnd, unsigned msg, std::uintptr_t wparam, std::intptr_t lparam) {
    if (Failing("SendMessageA")) return 0;
    (void)lparam;
    if (hwnd != kSimWindow || msg != WM_NCLBUTTONDOWN || wparam != HTCAPTION) return 0;
    if (state_ != kNormal) return 0;  // the system does not move a maximized window
    systemMove_ = true;
    moveAnchorX_ = pointerX_;
    moveAnchorY_ = pointerY_;
    moveStartX_ = deviceX_;
    moveStartY_ = deviceY_;
    return 0;
}

// The pointer in the window's layout pixels, and whether it is on the window (in device pixels).
void SimHost::ClientPoint(int* x, int* y, bool* inside) const {
    const PixelRect d = DeviceRect();
    const int dx = HeldPixels(static_cast<std::int64_t>(pointerX_) - d.x);
    const int dy = HeldPixels(static_cast<std::int64_t>(pointerY_) - d.y);
    *inside = shown_ && state_ != kMinimized && dx >= 0 && dy >= 0 && dx < d.w && dy < d.h &&
              (!windowRegion_ || windowRegion_->Contains(dx, dy));
    *x = scale_.ToLayout(dx);
    *y = scale_.ToLayout(dy);
}

void SimHost::PointerTo(int x, int y) {
    pointerX_ = x;
    pointerY_ = y;
    if (!Running()) return;
    if (systemMove_) {
        PlaceAt(std::int64_t{moveStartX_} + x - moveAnchorX_, std::int64_t{moveStartY_} + y - moveAnchorY_);
        HandleEvent([&] { SystemMoving(scale_.ToLayout(x), scale_.ToLayout(y)); });
        return;
    }
    int cx, cy;
    bool inside;
    ClientPoint(&cx, &cy, &inside);
    HandleEvent([&] { PointerMove(cx, cy, inside, clockMs_); });
}

void SimHost::ButtonDown(int button, int shift) {
    if (!Running() || systemMove_) return;
    int cx, cy;
    bool inside;
    ClientPoint(&cx, &cy, &inside);
    if (inside || HasCapture()) HandleEvent([&] { PointerDown(button, shift, cx, cy, clockMs_); });
}

void SimHost::ButtonUp(int button, int shift) {
    if (!Running()) return;
    if (systemMove_) {
        // The system's move loop takes this release; the window gets no MouseUp.
        if (button == kLeftButton) systemMove_ = false;
        return;
    }
    int cx, cy;
    bool inside;
    ClientPoint(&cx, &cy, &inside);
    HandleEvent([&] { PointerUp(button, shift, cx, cy, inside, clockMs_); });
}

void SimHost::Wait(std::uint64_t ms) {
    clockMs_ += ms;
    HandleEvent([&] { Tick(clockMs_); });
}

void SimHost::TakeCapture() {
    HandleEvent([&] { CaptureLost(); });
}

void SimHost::ElementChanged(Elem) { ++generation_; }
void SimHost::PlatformCapture(bool) {}

// Prints the report where a windowed host shows its message box; like that box, the report
// takes the pointer capture, which the ended program must not answer.
void SimHost::ShowFailure(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    CaptureLost();
}

// --- Snapshots -----------------------------------------------------------------------------

std::vector<std::uint32_t> SimHost::Snapshot(int* width, int* height) const {
    const int w = DeviceRect().w, h = DeviceRect().h;
    *width = *height = 0;
    if (w == 0 || h == 0 || static_cast<std::int64_t>(w) * h > kMaxSnapshotPixels) return {};
    cairo_surface_t* shot = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(shot) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(shot);
        return {};
    }
    cairo_t* cr = cairo_create(shot);
    painter_.Compose(cr, Elements());
    cairo_destroy(cr);
    cairo_surface_flush(shot);
    const unsigned char* data = cairo_image_surface_get_data(shot);
    const std::size_t stride = static_cast<std::size_t>(cairo_image_surface_get_stride(shot));
    const std::size_t perRow = static_cast<std::size_t>(w);
    std::vector<std::uint32_t> out(perRow * static_cast<std::size_t>(h), 0);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
        std::uint32_t* to = out.data() + static_cast<std::size_t>(y) * perRow;
        // Outside the region stays transparent.
        if (!windowRegion_) {
            std::copy(row, row + w, to);
        } else {
            for (const Region::Span& s : windowRegion_->Row(y)) {
                const int from = std::max(s.x1, 0), until = std::min(s.x2, w);
                if (from < until) std::copy(row + from, row + until, to + from);
            }
        }
    }
    cairo_surface_destroy(shot);
    *width = w;
    *height = h;
    return out;
}

bool SimHost::WriteSnapshot(const std::string& path) const {
    int w = 0, h = 0;
    std::vector<std::uint32_t> pixels = Snapshot(&w, &h);
    if (w == 0 || h == 0) return false;
    cairo_surface_t* shot = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                                CAIRO_FORMAT_ARGB32, w, h, w * 4);  // w <= 32767
    const bool ok = cairo_surface_write_to_png(shot, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(shot);
    return ok;
}

}  // namespace tarvik::sim
