// The simulated backend: a window system in memory, for tests and tools. It raises the same
// events in the same order as the windowed backends and draws with the shared cairo painter
// into a face that tests read back.
//
// Implements: window geometry and state in pixels on one screen (maximized fills it: no taskbar),
//   held to X11's 16-bit range; the face (cairo); the window's outline as the runtime cuts it, and
//   a log of each outline's region calls; the title bar's system move (the window follows the pointer
//   once the runtime starts it, until the left release; the drag distance 4 pixels unless set); the pointer, buttons and clock
//   as a scenario plays them; the runtime's own tooltips (ShownToolTip); the system's state
//   changes and a taken capture; failure injection for any host command (FailCommand).
// Leaves out: a screen; native tooltips; a window menu; screen readers (the shared description
//   is tested directly); real time (the clock moves only by Wait).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/backends/cairo/cairo_painter.h"
#include "host/runtime/restore_place.h"
#include "host/runtime/runtime.h"
#include "host/runtime/region.h"

namespace tarvik::sim {

inline constexpr HWND kSimWindow = 0x10010;

// Like a real window system (X11 keeps them in 16 bits), the simulated window's outer size is
// held within 0..kMaxWindowPixels and its position within -(kMaxWindowPixels + 1)..kMaxWindowPixels
// pixels each way: a larger size or position is taken as the nearest one within.
inline constexpr int kMaxWindowPixels = 32767;
// A snapshot holds at most this many pixels (256 MB of RGBA).
inline constexpr std::int64_t kMaxSnapshotPixels = std::int64_t{8192} * 8192;

class SimHost final : public FormsRuntime {
public:
    // A hidden window on a screen of the given device pixel size, at a display scale.
    SimHost(int screenWidth, int screenHeight, DisplayScale scale = DisplayScale());
    ~SimHost() override;
    SimHost(const SimHost&) = delete;
    SimHost& operator=(const SimHost&) = delete;

    // --- The platform calls (pixels) ------------------------------------------------------

    // --- What the user and the system do ------------------------------------------------
    // The pointer moves to a screen pixel (device pixels).
    void PointerTo(int x, int y);
    // A mouse button goes down or up at the pointer.
    void ButtonDown(int button, int shift);
    void ButtonUp(int button, int shift);
    // The clock advances.
    void Wait(std::uint64_t ms);
    // The system sets the window's outer size in device pixels (one Resize).
    void ResizeOuter(int width, int height);
    // The system brings a minimized window back to the state it had.
    void RestoreFromMinimized();
    // The system changes the window's state on its own (system menu, keyboard, window manager).
    void SystemSetState(int state);
    // The system's double-click time and box from now on.
    void SetDoubleClickRule(const DoubleClickMetrics& rule) { doubleClick_ = rule; }
    // The system's drag distance (layout pixels either way) from now on.
    void SetDragDistance(PixelSize distance) { dragDistance_ = distance; }
    // Whether the system's move has the pointer.
    bool SystemMoveRuns() const { return systemMove_; }
    // The system takes the pointer capture away.
    void TakeCapture();
    // Makes every later call of the named host command fail (for failure-handling tests).
    void FailCommand(const std::string& command) { failing_.push_back(command); }
    // Whether FailCommand knows the name: the commands above that can be made to fail.
    static bool FailableCommand(const std::string& command);
    // The failable command names, for messages.
    static std::string FailableCommands();

    // --- What can be observed -----------------------------------------------------------
    // What the user sees: face, visible elements' pictures, transparent outside the region.
    // Returns ARGB32 (premultiplied) pixels, row by row, of the window's device pixel size;
    // nothing (0 x 0) for a window of more than kMaxSnapshotPixels.
    std::vector<std::uint32_t> Snapshot(int* width, int* height) const;
    // Writes the snapshot as an RGBA PNG; false if it cannot be written.
    bool WriteSnapshot(const std::string& path) const;
    // The region calls of the last outline, in order, up to its SetWindowRgn.
    const std::vector<std::string>& LastOutline() const { return lastOutline_; }
    // The window's region, if one is set (device pixels).
    const Region* WindowRegion() const { return windowRegion_.get(); }
    // The window's position and size in layout pixels (device pixels at scale 1).
    int PixelLeft() const { return rect_.x; }
    int PixelTop() const { return rect_.y; }
    int PixelWidth() const { return rect_.w; }
    int PixelHeight() const { return rect_.h; }
    // The window on the screen in device pixels.
    PixelRect DeviceRect() const;
    // Counts every change to what the user sees (drawing, elements, outline, size).
    std::uint64_t Generation() const { return generation_; }
    // A monitor in screen (device) pixels: its rectangle and its work area, which a maximized window fills.
    struct Monitor {
        int x, y, width, height;
        int workX, workY, workWidth, workHeight;
    };
    // Adds a monitor, the primary one (at 0, 0, the screen's size) first. Without any, the screen
    // is the one monitor, all of it work area.
    void AddMonitor(const Monitor& monitor);

protected:
    PixelRect WindowPixels() const override { return rect_; }
    int PlatformState() const override { return state_; }
    HWND Handle() const override { return kSimWindow; }
    LayoutSize ScreenPixels() const override;
    void ShowWindow() override;
    void ResizeWindow(int width, int height) override;
    void MoveWindow(double x, double y) override;
    void ApplyWindowState(int state) override;
    void RedrawLater() override;
    void CloseWindow() override { shown_ = false; }
    bool ResizeFace(int width, int height) override;
    void DrawLine(float x1, float y1, float x2, float y2, Color color, LineKind kind) override;
    void DrawPicture(Picture picture, float dx, float dy, float dw, float dh, float sx, float sy, float sw,
                     float sh) override;
    int PrintText(const std::string& text, float x, float y, Color color) override;
    void ElementChanged(Elem elem) override;
    void PlatformCapture(bool take) override;
    DoubleClickMetrics DoubleClickRule() const override { return doubleClick_; }
    std::optional<POINT> PointerOnScreen() const override;
    PixelSize DragDistance() const override { return dragDistance_; }
    void StartSystemMove(int x, int y) override;
    bool CallFails(const char* call) const override { return Failing(call); }
    void ShowFailure(const std::string& message) override;
    void BeforeCommand(const char* command) override;
    int MaxWindowPixels() const override { return kMaxWindowPixels; }
    const DisplayScale& DeviceScale() const override { return scale_; }
    void ApplyOutline(const Region* outline, bool redraw) override;
    void RegionCallMade(const char* name, std::initializer_list<int> args) override;

private:
    bool Failing(const char* command) const;
    void ChangeState(int state);
    void PlaceAt(std::int64_t deviceX, std::int64_t deviceY);
    Monitor MonitorOfWindow() const;
    void ClientPoint(int* x, int* y, bool* inside) const;
    void FollowSystemMove();

    int screenWidth_, screenHeight_;  // device pixels
    std::vector<Monitor> monitors_;  // the primary first; none: the screen alone (device pixels)
    DisplayScale scale_;
    PixelRect rect_;  // layout pixels: the size, and the layout pixel that holds the place
    int deviceX_ = 0, deviceY_ = 0;  // the place on the screen, device pixels
    // The window's rectangle with its place in device pixels, as a restore brings it back.
    struct Place {
        PixelRect rect;
        int deviceX, deviceY;
    };
    RestorePlace<Place> restore_;
    int state_ = kNormal;
    bool shown_ = false;
    std::uint64_t generation_ = 0;

    // The face, persistent between layouts.
    cairo::Painter painter_;

    // The window's outline as last given, and the region calls of the outline being cut.
    std::unique_ptr<Region> windowRegion_;
    std::vector<std::string> outlineLog_;
    std::vector<std::string> lastOutline_;

    // Pointer (device pixels), clock, the double-click rule, the drag distance (Windows' default)
    // and the system move: the press it moves from (layout pixels) and the window's place then.
    int pointerX_ = 0, pointerY_ = 0;
    DoubleClickMetrics doubleClick_;
    PixelSize dragDistance_{4, 4};
    std::uint64_t clockMs_ = 0;
    bool systemMove_ = false;
    int moveAnchorX_ = 0, moveAnchorY_ = 0;
    int moveStartX_ = 0, moveStartY_ = 0;  // device pixels

    std::vector<std::string> failing_;
};

}  // namespace tarvik::sim
