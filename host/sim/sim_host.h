// The simulated host: a real in-memory backend for tests and tools. It keeps the window's
// outer geometry in twips, its state, the screen and the region, draws the face with the
// shared cairo painter, and raises the same events in the same order as the windowed hosts.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/cairo/cairo_painter.h"
#include "host/runtime/runtime.h"
#include "host/sim/sim_region.h"

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
    // A hidden window on a screen of the given pixel size.
    SimHost(int screenWidth, int screenHeight);
    ~SimHost() override;
    SimHost(const SimHost&) = delete;
    SimHost& operator=(const SimHost&) = delete;

    // --- Window commands ------------------------------------------------------------------
    float Left() override;
    float Top() override;
    float Width() override;
    float Height() override;
    void SetWidth(float width) override;
    void SetHeight(float height) override;
    void Move(float left, float top) override;
    int WindowState() override;
    HWND hWnd() override;
    std::string Caption() override;
    Color BackColor() override;
    void SetForeColor(Color color) override;
    void SetCurrentX(float x) override;
    void SetCurrentY(float y) override;
    void Line(float x1, float y1, float x2, float y2, Color color, LineKind kind) override;
    void PaintPicture(Picture picture, float dx, float dy, float dw, float dh, float sx, float sy, float sw,
                      float sh) override;
    void Print(const std::string& text) override;
    float ScreenWidth() override;
    float ScreenHeight() override;
    void Unload() override;
    int GetCursorPos(POINT* point) override;
    std::intptr_t SendMessageA(HWND hwnd, unsigned msg, std::uintptr_t wparam, std::intptr_t lparam) override;
    HRGN CreateRectRgn(int x1, int y1, int x2, int y2) override;
    HRGN CreateEllipticRgn(int x1, int y1, int x2, int y2) override;
    int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) override;
    int SetWindowRgn(HWND hwnd, HRGN region, int redraw) override;
    int DeleteObject(HRGN region) override;

    // --- What the user and the system do ------------------------------------------------
    // The pointer moves to a screen pixel.
    void PointerTo(int x, int y);
    // A mouse button goes down or up at the pointer.
    void ButtonDown(int button, int shift);
    void ButtonUp(int button, int shift);
    // The clock advances.
    void Wait(std::uint64_t ms);
    // The system sets the window's outer size in pixels (one Resize).
    void ResizeOuter(int width, int height);
    // The system brings a minimized window back to the state it had.
    void RestoreFromMinimized();
    // The system changes the window's state on its own (system menu, keyboard, window manager).
    void SystemSetState(int state);
    // The system's double-click time and box from now on.
    void SetDoubleClickRule(const DoubleClickMetrics& rule) { doubleClick_ = rule; }
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
    // Returns ARGB32 (premultiplied) pixels, row by row, of the window's pixel size; nothing
    // (0 x 0) for a window of more than kMaxSnapshotPixels.
    std::vector<std::uint32_t> Snapshot(int* width, int* height) const;
    // Writes the snapshot as an RGBA PNG; false if it cannot be written.
    bool WriteSnapshot(const std::string& path) const;
    // The platform calls of the last outline, in order.
    const std::vector<std::string>& LastOutline() const { return lastOutline_; }
    // Region handles the program has created and still owns.
    std::size_t LiveRegions() const { return regions_.size(); }
    // The window's region, if one is set.
    const Region* WindowRegion() const { return windowRegion_.get(); }
    // The window's geometry in twips and its state, read without the failure injection.
    struct Geometry {
        float left, top, width, height;
        int state;
    };
    Geometry WindowGeometry() const { return {left_, top_, width_, height_, state_}; }
    // The window's pixel position and size on the screen.
    int PixelLeft() const;
    int PixelTop() const;
    int PixelWidth() const;
    int PixelHeight() const;
    // The unhandled failure that ended the program, or "".
    const std::string& FailureMessage() const { return failureMessage_; }
    // How many unhandled failures were reported (at most one).
    int FailureReports() const { return reports_; }
    // Number of Resize events raised so far.
    int ResizeCount() const { return resizeCount_; }
    // Counts every change to what the user sees (drawing, elements, outline, size).
    std::uint64_t Generation() const { return generation_; }
    // Whether the system's move is following the pointer.
    bool SystemMoveActive() const { return systemMove_; }
    // A monitor in screen pixels: its rectangle and its work area, which a maximized window fills.
    struct Monitor {
        int x, y, width, height;
        int workX, workY, workWidth, workHeight;
    };
    // Adds a monitor, the primary one (at 0, 0, the screen's size) first. Without any, the screen
    // is the one monitor, all of it work area.
    void AddMonitor(const Monitor& monitor);

protected:
    void ShowWindow() override;
    void ApplyWindowState(int state) override;
    DoubleClickMetrics DoubleClickRule() const override { return doubleClick_; }
    void ElementChanged(Elem elem) override;
    void PlatformCapture(bool take) override;
    void ReportUnhandled(const UnhandledFailure& failure) override;

private:
    void Check(const char* command) const;
    bool Failing(const char* command) const;
    void SizeChanged();
    void ApplySize(float width, float height);
    void ChangeState(int state);
    Monitor MonitorOfWindow() const;
    void ClientPoint(int* x, int* y, bool* inside) const;
    HRGN NewRegion(Region region, std::string call);
    void Log(std::string call);

    int screenWidth_, screenHeight_;
    std::vector<Monitor> monitors_;  // the primary first; none: the screen alone
    float left_ = 0, top_ = 0, width_, height_;
    float restoredLeft_ = 0, restoredTop_ = 0, restoredWidth_, restoredHeight_;
    int state_ = kNormal;
    int stateBeforeMinimize_ = kNormal;
    bool shown_ = false;
    int resizeCount_ = 0;
    std::uint64_t generation_ = 0;

    // The face, persistent between layouts.
    cairo::Painter painter_;
    Color foreColor_;
    float currentX_ = 0, currentY_ = 0;

    // Regions: handles the program owns, and the one the window owns.
    std::map<HRGN, Region> regions_;
    HRGN nextRegion_ = 0x2000;
    std::unique_ptr<Region> windowRegion_;
    std::vector<std::string> outlineLog_;
    std::vector<std::string> lastOutline_;

    // Pointer, clock, the double-click rule and the system move.
    int pointerX_ = 0, pointerY_ = 0;
    DoubleClickMetrics doubleClick_;
    std::uint64_t clockMs_ = 0;
    bool systemMove_ = false;
    int moveAnchorX_ = 0, moveAnchorY_ = 0;
    float moveStartLeft_ = 0, moveStartTop_ = 0;

    std::vector<std::string> failing_;
    std::string failureMessage_;
    int reports_ = 0;
};

}  // namespace tarvik::sim
