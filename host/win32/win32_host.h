// The Win32 backend: one borderless top-level window whose face is a persistent memory
// bitmap, pointer input fed to the shared forms runtime, a comctl32 tooltip control, and the
// user32 and gdi32 calls forwarded unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/runtime/runtime.h"
#include "host/win32/win32_accessible.h"
#include "host/win32/win32_face.h"
#include "host/win32/win32_pictures.h"
#include "host/win32/win32_tooltips.h"
#include "host/win32/win32_api.h"

namespace tarvik::win32 {

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

    // --- Window commands ------------------------------------------------------------------
    float Left() override;
    float Top() override;
    float Width() override;
    float Height() override;
    void SetWidth(float width) override;
    void SetHeight(float height) override;
    void Move(float left, float top) override;
    int WindowState() override;
    tarvik::HWND hWnd() override;
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
    int GetCursorPos(tarvik::POINT* point) override;
    std::intptr_t SendMessageA(tarvik::HWND hwnd, unsigned msg, std::uintptr_t wparam, std::intptr_t lparam) override;
    tarvik::HRGN CreateRectRgn(int x1, int y1, int x2, int y2) override;
    tarvik::HRGN CreateEllipticRgn(int x1, int y1, int x2, int y2) override;
    int CombineRgn(tarvik::HRGN dst, tarvik::HRGN src1, tarvik::HRGN src2, int mode) override;
    int SetWindowRgn(tarvik::HWND hwnd, tarvik::HRGN region, int redraw) override;
    int DeleteObject(tarvik::HRGN region) override;

    // --- What tests observe ---------------------------------------------------------------
    ::HWND Window() const { return hwnd_; }
    // The face pixel at (x, y) as 0x00BBGGRR.
    Color FacePixel(int x, int y) const { return face_.Pixel(x, y); }
    // What the window shows at a face pixel: the face with the visible images' pictures on top.
    Color ShownPixel(int x, int y);
    // The tooltip control's text for the element's tool (UTF-8), "" if it has no tool.
    std::string ToolText(Elem elem) const { return tips_ ? tips_->Text(elem) : std::string(); }
    ::HWND ToolTipWindow() const { return tips_ ? tips_->Window() : nullptr; }
    // Number of Resize events raised so far.
    int ResizeCount() const { return resizeCount_; }
    // The face's pixel size: the window's, or less where that much memory was not to be had.
    int FaceWidth() const { return face_.Width(); }
    int FaceHeight() const { return face_.Height(); }
    // Instead of a message box, unhandled failures are only recorded (for tests).
    void QuietFailures() { quietFailures_ = true; }
    // The last unhandled failure's message, "" if none.
    const std::string& FailureMessage() const { return failureMessage_; }
    // Destroys the window once the program has ended (after Unload or an unhandled failure).
    void EndIfStopped();
    // The window as its accessible children depend on it.
    AccessibleWindow AccessibleView() const;

protected:
    void ShowWindow() override;
    void ApplyWindowState(int state) override;
    DoubleClickMetrics DoubleClickRule() const override;
    void ElementChanged(Elem elem) override;
    void PlatformCapture(bool take) override;
    void ReportUnhandled(const UnhandledFailure& failure) override;
    void ShowWindowMenu(int x, int y) override;

private:
    // What the last Resize was raised for: a change of either raises the next one.
    struct Shape {
        int state = -1;
        int width = 0, height = 0;
        bool operator==(const Shape&) const = default;
    };

    static LRESULT CALLBACK WindowProc(::HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    LRESULT Handle(UINT msg, WPARAM wparam, LPARAM lparam);
    template <class N, class F> void Guard(N&& where, F&& step);
    void Create(CreationFault fault);
    void Release();
    bool HandlePointer(UINT msg, WPARAM wparam, LPARAM lparam);
    void Paint(HDC dc, const RECT& area);
    void ComposeImages(HDC dc, int originX, int originY);
    void Invalidate(const RECT& area);
    RECT ShownRect(Elem elem);
    RECT OuterRect() const;
    Shape CurrentShape() const;
    void SizeChanged(bool raise);
    void CheckSizable(const char* what) const;
    void SetOuterSize(float width, float height);
    bool InsideRegion(int x, int y);
    std::uint64_t Clock(DWORD messageTime);
    void SetWindowPixels(int x, int y, int width, int height, UINT flags);
    bool LeftButtonHeld() const;
    void ShowSystemMenu(std::optional<::POINT> at = std::nullopt);
    LRESULT CaptionHitTest(LPARAM screenPoint);
    bool HandleCaptionButton(UINT msg, WPARAM wparam, LPARAM lparam);
    bool PointerOnWindow() const;
    void KeepMaximizeOnItsMonitor(WINDOWPOS* pos);

    HINSTANCE instance_;
    ::HWND hwnd_ = nullptr;
    HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
    HFONT font_ = nullptr;
    Face face_;
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

    // Geometry: the last values the program set, kept while the pixels still equal their rounding.
    std::optional<float> setLeft_, setTop_, setWidth_, setHeight_;
    RECT lastRestoredRect_{};  // the outer rect before the window was minimized
    Shape shape_;
    bool ownChange_ = false;
    bool shown_ = false;
    int resizeCount_ = 0;

    Color foreColor_;
    float currentX_ = 0, currentY_ = 0;

    // Input bookkeeping.
    bool releasing_ = false;
    bool tracking_ = false;
    bool ncTracking_ = false;  // the pointer's leave is tracked over the maximize button (non-client)
    int lastX_ = 0, lastY_ = 0;
    std::uint64_t clockMs_ = 0;
    DWORD lastTick_ = 0;
    int depth_ = 0;
    bool destroying_ = false;

    bool quietFailures_ = false;
    std::string failureMessage_;
};

}  // namespace tarvik::win32
