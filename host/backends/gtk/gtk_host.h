// The GTK 3 backend, the native Linux program: one undecorated top-level window on Wayland or
// X11 (GDK's choice: Wayland where the session offers it) whose face is a persistent cairo image
// drawn by the shared painter.
//
// Implements: sizes and states through the window manager, laid out before they return (the
//   notifications of sizes asked for are not laid out again); the runtime's outline as the
//   window's shape for drawing and input; the title bar's move as the window manager's own move (the runtime
//   starts it past gtk-dnd-drag-threshold); a seat grab as the capture (and while the move is armed); sizing cursors; GTK's
//   own tooltips (the runtime's are not shown); ATK accessibility (gtk_accessible.h); GTK's
//   double-click time and distance; a failure dialog; the window menu on the title bar's right
//   click and Alt+Space (gtk_window_menu.cpp); the grips' smallest size as a geometry hint; the
//   window's scale factor (GDK_SCALE, followed when it changes): the face and the outline in
//   device pixels, the outline given to X directly; a display without a window manager (none
//   at the start, or gone since): the program maximizes and restores itself (gtk_display.cpp),
//   and a minimize is refused; the lost X connection named on stderr (status 1); the late
//   redraw as a GLib timeout.
// On Wayland (gtk_wayland.cpp): the outline drawn with transparent corners and given as the
//   input region; client-side decorations announced; maximize and restore as requests whose
//   answer (or none) the look follows; the program's own window menu where the desktop is not
//   known to show one. What only X11 has is left out there: the window's own place (Left/Top
//   are the last place asked, to the whole pixel once the compositor placed or moved the
//   window), window shapes, EWMH's window-manager check (the compositor always manages it).
// Leaves out: fractional scales (GTK 3 has whole ones only).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "host/backends/cairo/cairo_painter.h"
#include "host/runtime/restore_place.h"
#include "host/runtime/runtime.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _GdkCursor GdkCursor;
typedef union _GdkEvent GdkEvent;
typedef struct _cairo_region cairo_region_t;
typedef struct _cairo cairo_t;

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

    // --- The platform calls (pixels) ------------------------------------------------------

    // The top-level GtkWindow.
    GtkWidget* Window() const { return window_; }
    // A screen reader's click on a caption button, run as an event of its own.
    void RunDefaultAction(Elem elem);
    // An X event on its way to GDK (the display's filter): watches the window manager come and go.
    void DisplayEvent(const void* xevent);

protected:
    PixelRect WindowPixels() const override { return {x_, y_, size_.width, size_.height}; }
    int PlatformState() const override { return state_; }
    HWND Handle() const override;
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
    std::optional<POINT> PointerOnScreen() const override;
    PixelSize DragDistance() const override;
    void StartSystemMove(int x, int y) override;
    void ShowFailure(const std::string& message) override;
    void ShowWindowMenu(int x, int y) override;
    const DisplayScale& DeviceScale() const override { return scale_; }
    void ApplyOutline(const Region* outline, bool redraw) override;

private:
    using Size = PixelSize;

    // Signal handlers (gtk_events.cpp), each a static trampoline to the member that follows.
    void ConnectSignals();
    void Draw(void* cr);
    void Configured(bool placeUnknown, int x, int y, int width, int height);
    void StateEvent(int newState);
    void Button(const GdkEvent* event, bool down);
    void Motion(const GdkEvent* event);
    void MovedTo(double windowX, double windowY, std::uint32_t time, bool inside, std::optional<int> buttons = std::nullopt);
    // Asks GTK for the tooltip again once its delay is past, if none shows for the element still under the pointer.
    void RetryToolTip();
    void Crossing(const GdkEvent* event);
    bool OverOwnToolTip(double rootX, double rootY) const;
    // Where this program's tooltips on show are on the screen.
    std::vector<PixelRect> ShownToolTips() const;
    void GrabBroken();
    bool QueryToolTip(int x, int y, void* tooltip);
    void CloseRequested();

    // The window menu (gtk_window_menu.cpp): Alt+Space, and the menu at a root point.
    void ConnectWindowMenu();
    void OpenWindowMenu(const GdkEvent* event, int rootX, int rootY);
    // A state chosen from the program's own window menu, as the window manager's choice.
    void MenuState(int state);

    // The display (gtk_display.cpp): the window manager's coming and going, the program's own
    // maximize and restore where none runs, the lost connection.
    void WatchDisplay();
    void UnwatchDisplay();
    bool WindowManagerRuns();
    void QueueWindowManagerCheck();
    void WindowManagerChanged();
    void TakeOverState();
    void ApplyStateItself(int state);
    void RestoreWhereTheManagerKeptTheMaximizedSize();
    void AskGeometry(int x, int y, Size size);
    void ClearMaximizedMark();

    // The display's kind, and what differs on Wayland (gtk_wayland.cpp).
    bool OnX11() const;
    bool OnWayland() const;
    void PrepareWaylandWindow();
    void AnnounceOwnFrame();
    HWND WaylandHandle() const;
    void ApplyWaylandOutline();
    void ClipToOutline(cairo_t* cr) const;
    bool WindowMenuRequestShows() const;
    void AskWaylandState(int state);
    void CheckAskedState();

    // Geometry and state (gtk_host.cpp).
    void SystemStateChange(int to);
    void ScaleChanged();
    void PaintDirect();
    void ApplyShape();
    Size WorkArea(int* x, int* y) const;
    bool FillsWorkArea(int x, int y, Size size) const;
    bool InsideWindow(int x, int y) const;
    bool LeftButtonHeld() const;
    void ShowCursor();
    void QueueAnnouncement();

    GtkWidget* window_ = nullptr;
    cairo::Painter painter_;
    DisplayScale scale_;  // the window's scale factor: device pixels per layout (GTK) pixel

    // Geometry in pixels as the program last made it or the window manager last reported it.
    int x_ = 0, y_ = 0;
    Size size_;
    RestorePlace<PixelRect> restore_{PixelRect{0, 0, 0, 0}};
    // The size a restore from maximized comes back to.
    Size RestoredSize() const { return {restore_.Normal().w, restore_.Normal().h}; }
    Size configured_;  // the size the window manager last reported
    int state_ = kNormal;
    // Sizes and states the program asked for whose notifications have not come back yet: they
    // are laid out already and must not be laid out again.
    std::deque<Size> pendingSizes_;
    std::deque<int> pendingStates_;
    // Wayland: the state last asked of the compositor, and the idle that checks its answer.
    int askedState_ = kNormal;
    unsigned stateCheckSource_ = 0;
    bool restoreAsked_ = false;  // the program asked the window manager for a restore from maximized
    bool shown_ = false;

    // The window manager: whether one ran at the last check, its EWMH check window (watched for
    // its end), and the idle that checks again once the events of a change have arrived.
    bool managed_ = true;
    unsigned long wmCheck_ = 0;
    unsigned wmCheckSource_ = 0;

    // The window's shape, the runtime's outline as last given, in device pixels.
    cairo_region_t* windowRegion_ = nullptr;

    // Input.
    std::array<GdkCursor*, 4> cursors_{};
    int shownCursor_ = -1;
    const GdkEvent* currentEvent_ = nullptr;  // the press being handled, for the grab and the move
    int lastX_ = 0, lastY_ = 0;
    std::uint32_t lastMotionTime_ = 0;
    std::optional<Elem> tipUnder_;  // the element with a tooltip under the pointer at its last move
    std::uint64_t lastButtonKey_ = 0;  // time, button and direction of the last button event handled
    bool grabbed_ = false;
    std::array<std::string, kElemCount> tipTexts_;
    unsigned announceSource_ = 0;  // the idle that tells screen readers what changed, if queued
    unsigned tipRetrySource_ = 0;  // the timeout that asks GTK for a tooltip again, if set
    unsigned lateRedrawSource_ = 0;  // the timeout that draws the window once more, if set
};

}  // namespace tarvik::gtk
