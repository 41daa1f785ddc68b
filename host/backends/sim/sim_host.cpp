#include "host/backends/sim/sim_host.h"

#include <cairo.h>

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <string_view>

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

// Whether a test asked this command to fail.
bool SimHost::Failing(const char* command) const {
    return std::find(failing_.begin(), failing_.end(), command) != failing_.end();
}

// Throws if a test asked this command to fail: the window's commands fail so, and the runtime
// turns the region commands' refusal into their failure result. The platform calls here report
// failure by their result, never by throwing.
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

// The bitmap is what shows: no compositor stands between it and the tests to miss a frame.
void SimHost::RedrawLater() {}

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

// --- The outline ---------------------------------------------------------------------------

// Written as the calls read: "CreateRectRgn(0, 26, 400, 274)", "CombineRgn(2)", "DeleteObject";
// SetWindowRgn ends an outline's log.
void SimHost::RegionCallMade(const char* name, std::initializer_list<int> args) {
    std::string call = name;
    const char* separator = "(";
    for (const int a : args) {
        call += separator + std::to_string(a);
        separator = ", ";
    }
    if (args.size() > 0) call += ')';
    outlineLog_.push_back(std::move(call));
    if (std::string_view(name) != "SetWindowRgn") return;
    lastOutline_.swap(outlineLog_);  // both keep their room for the next outline
    outlineLog_.clear();
}

void SimHost::ApplyOutline(const Region* outline, bool redraw) {
    (void)redraw;  // a snapshot always shows the outline
    ++generation_;
    windowRegion_ = outline ? std::make_unique<Region>(*outline) : nullptr;
}

// --- Pointer, clock and the system move ---------------------------------------------------

std::optional<POINT> SimHost::PointerOnScreen() const { return POINT{scale_.ToLayout(pointerX_), scale_.ToLayout(pointerY_)}; }

// The system's move: from now on the window follows the pointer until the left button goes up,
// keeping the offset it had from the press; the system does not move a maximized window.
void SimHost::StartSystemMove(int x, int y) {
    if (state_ != kNormal) return;
    systemMove_ = true;
    moveAnchorX_ = scale_.ToDevice(x);
    moveAnchorY_ = scale_.ToDevice(y);
    moveStartX_ = deviceX_;
    moveStartY_ = deviceY_;
    FollowSystemMove();
}

// The moving window's place for the pointer's: the press's offset kept, in device pixels.
void SimHost::FollowSystemMove() {
    PlaceAt(std::int64_t{moveStartX_} + pointerX_ - moveAnchorX_, std::int64_t{moveStartY_} + pointerY_ - moveAnchorY_);
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
        FollowSystemMove();
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
