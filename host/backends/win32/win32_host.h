// The Win32 backend, the shipping program Tarvik.exe: one frameless top-level window whose
// face is a persistent memory bitmap, composed with the images' pictures when painted.
//
// Implements: sizes and states through SetWindowPos and ShowWindow (their WM_SIZE echoes are
//   dropped; the system's own changes are laid out); the late redraw as a window timer;
//   a sizable style with no visible frame, so
//   that window managers and Windows' snap can maximize it; the runtime's outline as a region
//   (ExtCreateRegion) given to SetWindowRgn;
//   the system move (the window moved by the pointer's way past the drag distance, then
//   WM_NCLBUTTONDOWN/HTCAPTION); SetCapture (also while the runtime arms the move);
//   sizing cursors; comctl32 tooltips (the runtime's are not shown); MSAA accessibility
//   (win32_accessible.h); the system's double-click rule; the system menu on Alt+Space; a
//   message box for failures; each drawing call invalidates only its own rectangle; the
//   window's DPI (per monitor, WM_DPICHANGED followed): the runtime's layout pixels become
//   device pixels at the window's scale, the face is drawn at device resolution (the layout
//   face enlarged, the caption text in the font at the scaled size), and the icons follow;
//   HTMAXBUTTON over the maximize button (snap layouts); the window menu on the title bar's
//   right click; the grips' smallest size as the minimum tracking size; a maximize on the
//   window's own monitor; the size and outline an event asks for given to the system once, when
//   it returns, at most one size a frame and painted at once (a drag under Wine).
// Leaves out: icon images beyond the icon group's 16 and 32 pixels (the system scales those
//   to the DPI's icon sizes).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/runtime/display_scale.h"
#include "host/runtime/restore_place.h"
#include "host/runtime/runtime.h"
#include "host/backends/win32/win32_accessible.h"
#include "host/backends/win32/win32_face.h"
#include "host/backends/win32/win32_pictures.h"
#include "host/backends/win32/win32_tooltips.h"
#include "host/backends/win32/win32_api.h"

namespace tarvik::win32 {

// A frame of a display refreshed hz times a second, in milliseconds: a screen shows no more
// than one size a frame. 0 or 1 (the hardware's default, a virtual screen) is taken as 60 Hz.
DWORD FrameMsAt(DWORD hz);

class Win32Host final : public FormsRuntime {
public:
    // Test aid: where creation fails as if the system had refused a resource.
    enum class CreationFault { None, AfterWindow };

    // Creates the window, hidden, with its design size, caption, icon and font. On failure it
    // throws, with everything it had made (window, font, icons) already released.
    Win32Host(const FormDesign& design, HINSTANCE instance, CreationFault fault = CreationFault::None);
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    // Starts the program (Load, then the first show) and runs the message loop to its end.
    int Run();


    // --- What tests observe ---------------------------------------------------------------
    ::HWND Window() const { return hwnd_; }
    // The face pixel at device pixel (x, y) as 0x00BBGGRR.
    Color FacePixel(int x, int y) const { return DeviceFace().Pixel(x, y); }
    // What the window shows at a device pixel: the face with the visible images' pictures on top.
    Color ShownPixel(int x, int y);
    // The tooltip control's text for the element's tool (UTF-8), "" if it has no tool.
    std::string ToolText(Elem elem) const { return tips_ ? tips_->Text(elem) : std::string(); }
    ::HWND ToolTipWindow() const { return tips_ ? tips_->Window() : nullptr; }
    // The face's device pixel size: the window's, or less where that much memory was not to be had.
    int FaceWidth() const { return DeviceFace().Width(); }
    int FaceHeight() const { return DeviceFace().Height(); }
    // Device pixels per layout pixel, from the window's DPI.
    const DisplayScale& Scale() const { return scale_; }
    // Instead of a message box, unhandled failures are only recorded (for tests).
    void QuietFailures() { quietFailures_ = true; }

protected:
    PixelRect WindowPixels() const override;
    int PlatformState() const override;
    tarvik::HWND Handle() const override { return reinterpret_cast<tarvik::HWND>(hwnd_); }
    LayoutSize ScreenPixels() const override;
    void ShowWindow() override;
    void ResizeWindow(int width, int height) override;
    void MoveWindow(double x, double y) override;
    void ApplyWindowState(int state) override;
    void RedrawLater() override;
    void CloseWindow() override;
    bool ResizeFace(int width, int height) override;
    void DrawLine(float x1, float y1, float x2, float y2, Color color, LineKind kind) override;
    void DrawPicture(Picture picture, float dx, float dy, float dw, float dh, float sx, float sy, float sw,
                     float sh) override;
    int PrintText(const std::string& text, float x, float y, Color color) override;
    void ElementChanged(Elem elem) override;
    void PlatformCapture(bool take) override;
    DoubleClickMetrics DoubleClickRule() const override;
    std::optional<tarvik::POINT> PointerOnScreen() const override;
    PixelSize DragDistance() const override;
    void StartSystemMove(int x, int y) override;
    std::intptr_t OtherMessage(tarvik::HWND hwnd, unsigned msg, std::uintptr_t wparam, std::intptr_t lparam) override;
    void ShowFailure(const std::string& message) override;
    void ShowWindowMenu(int x, int y) override;
    const DisplayScale& DeviceScale() const override { return scale_; }
    void ApplyOutline(const Region* outline, bool redraw) override;

private:
    static constexpr UINT kSizeFlags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;  // a size from the grips
    static constexpr UINT_PTR kFrameTimer = 1;
    static constexpr UINT_PTR kLateRedrawTimer = 2;

    static LRESULT CALLBACK WindowProc(::HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    LRESULT Handle(UINT msg, WPARAM wparam, LPARAM lparam);
    void Create(CreationFault fault);
    void Release();
    bool HandlePointer(UINT msg, WPARAM wparam, LPARAM lparam);
    void Paint(HDC dc, const RECT& area);
    void ComposeImages(const ShownPictures& pictures, const MemoryBitmap& target, int width, int height, int originX,
                       int originY);
    void Invalidate(const RECT& area);
    RECT ShownRect(Elem elem);
    RECT OuterRect() const;
    bool InsideRegion(int x, int y);
    void SetWindowPixels(int x, int y, int width, int height, UINT flags);
    // The window's outer rectangle now, for the place a minimized window reports.
    void FollowPlace();
    void ApplyPending(bool force = false);
    // Puts a size waiting for the outline's SetWindowPos into that change (WM_WINDOWPOSCHANGING).
    void CarrySize(WINDOWPOS* pos);
    void DiscardPending();
    // One frame of the monitor the window is on, in milliseconds.
    DWORD FrameMs();
    const Face& DeviceFace() const { return scale_.IsOne() ? face_ : deviceFace_; }
    void EnlargeFace(const PixelRect& layout);
    int WindowDpi() const;
    void ApplyDpi(int dpi);
    void LoadIcons(int dpi);
    void DpiChanged(int dpi, const RECT& suggested);
    void ShowSystemMenu(std::optional<::POINT> at = std::nullopt);
    LRESULT CaptionHitTest(LPARAM screenPoint);
    bool HandleCaptionButton(UINT msg, WPARAM wparam, LPARAM lparam);
    bool PointerOnWindow() const;
    void KeepMaximizeOnItsMonitor(WINDOWPOS* pos);

    HINSTANCE instance_;
    ::HWND hwnd_ = nullptr;
    HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
    HFONT font_ = nullptr;        // the caption's font at the layout's 96 DPI, for the layout face
    HFONT deviceFont_ = nullptr;  // the same at the window's DPI, for the device face; none at scale 1
    DisplayScale scale_;
    int dpi_ = 0;
    int iconDpi_ = 0;  // the DPI the icons were loaded for
    Face face_;        // in layout pixels, drawn as at 96 DPI
    Face deviceFace_;  // in device pixels, the layout face enlarged with sharp text; unused at scale 1
    MemoryBitmap paintTile_;  // where a paint composes, one tile at a time
    // Where each element's picture shows on the face, as last invalidated for.
    struct Shown {
        RECT rect{};
        Picture picture = Picture::None;
    };
    std::array<Shown, kElemCount> pictureShown_{};
    Pictures pictures_;
    std::unique_ptr<ToolTips> tips_;
    Accessibility accessibility_{*this};
    bool comReady_ = false;
    ::HRGN scratchRegion_ = nullptr;

    RestorePlace<RECT> restore_{RECT{}};  // the system restores; what a minimized window reports is kept here
    // Inside an event the window's size and outline are only recorded, and given to the system
    // once the outermost event returns, at most once a frame (ApplyPending): a corner move asks
    // for a width and a height and cuts the outline after each layout, and each of those calls
    // is a round trip through the window manager under Wine.
    std::optional<SIZE> pendingSize_;  // device pixels
    std::optional<::HRGN> pendingRegion_;  // null: no outline
    bool pendingRedraw_ = false;
    std::optional<SIZE> carriedSize_;  // the size that the outline's own SetWindowPos takes along
    DWORD lastSizeTicks_ = 0;  // GetTickCount when the last size was given
    ::HMONITOR frameMonitor_ = nullptr;  // the monitor frameMs_ was read from; null: read again
    DWORD frameMs_ = 0;
    bool wholeInvalid_ = false;  // the whole window waits for its paint: no part needs marking
    bool destroying_ = false;

    // Input bookkeeping.
    bool tracking_ = false;
    bool ncTracking_ = false;  // the pointer's leave is tracked over the maximize button (non-client)
    int lastX_ = 0, lastY_ = 0;

    bool quietFailures_ = false;
};

}  // namespace tarvik::win32
