// The GTK 3 backend: one undecorated top-level window on X11 whose face is a persistent cairo
// image drawn by the shared painter, shaped to the program's region for drawing and input,
// with pointer input, grabs, sizing cursors and real GTK tooltips fed through the shared runtime.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>

#include "host/cairo/cairo_painter.h"
#include "host/runtime/runtime.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _GdkCursor GdkCursor;
typedef union _GdkEvent GdkEvent;
typedef struct _cairo_region cairo_region_t;

namespace tarvik::gtk {

class GtkHost final : public FormsRuntime {
public:
    // Creates the window, hidden and realized, with its design size, caption and icon.
    explicit GtkHost(const FormDesign& design);
    ~GtkHost() override;
    GtkHost(const GtkHost&) = delete;
    GtkHost& operator=(const GtkHost&) = delete;

    // Starts the program (Load, then the first show) and runs the main loop to its end; the exit status.
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

    // The top-level GtkWindow.
    GtkWidget* Window() const { return window_; }
    // The window as its accessible children depend on it.
    AccessibleWindow AccessibleView() const;
    // A screen reader's click on a caption button, run as an event of its own.
    void RunDefaultAction(Elem elem);

protected:
    void ShowWindow() override;
    void ApplyWindowState(int state) override;
    DoubleClickMetrics DoubleClickRule() const override;
    void ElementChanged(Elem elem) override;
    void PlatformCapture(bool take) override;
    void ReportUnhandled(const UnhandledFailure& failure) override;
    void ShowWindowMenu(int x, int y) override;

private:
    struct Size {
        int width = 0, height = 0;
        bool operator==(const Size&) const = default;
    };

    // Signal handlers (gtk_events.cpp), each a static trampoline to the member that follows.
    void ConnectSignals();
    void Draw(void* cr);
    void Configured(int x, int y, int width, int height);
    void StateEvent(int newState);
    void Button(const GdkEvent* event, bool down);
    void Motion(const GdkEvent* event);
    void LeftWindow(const GdkEvent* event);
    void GrabBroken();
    bool QueryToolTip(int x, int y, void* tooltip);
    void CloseRequested();

    // The window menu (gtk_window_menu.cpp): Alt+Space, and the menu at a root point.
    void ConnectWindowMenu();
    void OpenWindowMenu(const GdkEvent* event, int rootX, int rootY);

    // Geometry and state (gtk_host.cpp).
    void CheckSizable(const char* what) const;
    void SetOuterSize(float width, float height);
    void RequestSize(Size size);
    void SizeChanged();
    void SystemStateChange(int from, int to);
    Size WorkArea(int* x, int* y) const;
    bool InsideWindow(int x, int y) const;
    std::uint64_t Clock(std::uint32_t eventTime);
    void ShowCursor();
    void EndIfStopped();
    void QueueAnnouncement();

    GtkWidget* window_ = nullptr;
    cairo::Painter painter_;
    Color foreColor_;
    float currentX_ = 0, currentY_ = 0;

    // Geometry in pixels as the program last made it or the window manager last reported it,
    // and the twips the program set, kept while the pixels still equal their rounding.
    int x_ = 0, y_ = 0;
    Size size_;
    int restoredX_ = 0, restoredY_ = 0;
    Size restoredSize_;
    std::optional<float> setLeft_, setTop_, setWidth_, setHeight_;
    int state_ = kNormal;
    // Sizes and states the program asked for whose notifications have not come back yet: they
    // are laid out already and must not be laid out again.
    std::deque<Size> pendingSizes_;
    std::deque<int> pendingStates_;
    bool shown_ = false;

    // Regions the program owns, and the one the window owns.
    std::map<HRGN, cairo_region_t*> regions_;
    HRGN nextRegion_ = 0x2000;
    cairo_region_t* windowRegion_ = nullptr;

    // Input.
    std::array<GdkCursor*, 4> cursors_{};
    int shownCursor_ = -1;
    const GdkEvent* currentEvent_ = nullptr;  // the press being handled, for the grab and the move
    std::uint32_t lastPressTime_ = 0;
    double lastPressRootX_ = 0, lastPressRootY_ = 0;
    int lastX_ = 0, lastY_ = 0;
    std::uint32_t lastMotionTime_ = 0;
    std::uint64_t lastButtonKey_ = 0;  // time, button and direction of the last button event handled
    bool grabbed_ = false;
    std::uint64_t clockMs_ = 0;
    std::uint32_t lastTime_ = 0;
    bool clockStarted_ = false;
    std::array<std::string, kElemCount> tipTexts_;
    bool quitting_ = false;
    unsigned announceSource_ = 0;  // the idle that tells screen readers what changed, if queued
    bool reporting_ = false;  // the failure dialog is up
};

}  // namespace tarvik::gtk
