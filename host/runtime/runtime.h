// The forms runtime every backend shares, written once above them: the whole Host interface
// in twips (geometry remembered as set, validation, the text position, the element table),
// pointer capture, click and double-click synthesis, tooltips and pointer shapes, start-up,
// the event clock, the one re-entry rule and failure handling.
//
// A backend derives from FormsRuntime and implements the backend contract below (window,
// drawing, the outline, cursor, capture, dialog: pixels of its own platform), and feeds raw input
// in through the runtime inputs (face pixels, or screen pixels while the system moves the
// window; milliseconds).
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "host/design.h"
#include "host/host.h"
#include "host/runtime/accessibility.h"
#include "host/runtime/display_scale.h"
#include "host/runtime/hit_test.h"
#include "host/runtime/region.h"
#include "host/twips.h"

namespace tarvik {

inline constexpr std::uint64_t kToolTipDelayMs = 500;
// A window manager that composites (mutter on X11) may go on showing the frame from before a
// resize it made itself although the window has drawn its new one. The window is drawn once more
// this long after every size or state the system made; a second drawing is damage it does not miss.
inline constexpr unsigned kLateRedrawMs = 250;

// The system's double-click rule: a second press within ms of the first, and within a box of
// width x height pixels centred on it on the screen, which the pointer has not left in between
// (Windows: GetDoubleClickTime, SM_CXDOUBLECLK, SM_CYDOUBLECLK).
struct DoubleClickMetrics {
    std::uint64_t ms = 500;
    int width = 4;
    int height = 4;
};

// A size in pixels.
struct PixelSize {
    int width = 0, height = 0;
    bool operator==(const PixelSize&) const = default;
};

// A size in layout pixels, whole or not (a screen's at a scale that does not divide it).
struct LayoutSize {
    double width = 0, height = 0;
};

class FormsRuntime : public Host {
public:
    FormsRuntime(const FormDesign& design, std::string backend);

    // Connects the core that receives the events; must come before Start.
    void Attach(FormEvents* events);
    // Raises Load, then shows the window, which raises the first Resize.
    void Start();

    // --- Host commands, the same on every backend ---------------------------------------
    float Left() final;
    float Top() final;
    float Width() final;
    float Height() final;
    void SetWidth(float width) final;
    void SetHeight(float height) final;
    void Move(float left, float top) final;
    int WindowState() final;
    // The core's own state change: the backend's ApplyWindowState, then the layout; the system's
    // echo of it is the core's business and raises no OnWindowStateChanged.
    void SetWindowState(int state) final;
    HWND hWnd() final;
    std::string Caption() final;
    Color BackColor() final;
    void SetForeColor(Color color) final;
    void SetCurrentX(float x) final;
    void SetCurrentY(float y) final;
    void Line(float x1, float y1, float x2, float y2, Color color, LineKind kind) final;
    void PaintPicture(Picture picture, float dx, float dy, float dw, float dh, float sx, float sy, float sw,
                      float sh) final;
    void Print(const std::string& text) final;
    float ElemLeft(Elem elem) final;
    float ElemTop(Elem elem) final;
    float ElemWidth(Elem elem) final;
    float ElemHeight(Elem elem) final;
    void SetElemLeft(Elem elem, float left) final;
    void SetElemTop(Elem elem, float top) final;
    void SetElemWidth(Elem elem, float width) final;
    void SetElemHeight(Elem elem, float height) final;
    void SetVisible(Elem elem, bool visible) final;
    void SetToolTipText(Elem elem, const std::string& text) final;
    Picture GetPicture(Elem elem) final;
    void SetPicture(Elem elem, Picture picture) final;
    std::string Tag(Elem elem) final;
    void SetTag(Elem elem, const std::string& tag) final;
    Picture LoadPicture() final;
    float ScreenWidth() final;
    float ScreenHeight() final;
    void Unload() final;
    // The pointer on the screen, in layout pixels; 0 if the system cannot say.
    int GetCursorPos(POINT* point) final;
    int ReleaseCapture() final;
    // Regions with GDI's rules (outline.cpp): handles the program owns until it deletes them or
    // gives one to the window, cut in device pixels at the backend's scale.
    HRGN CreateRectRgn(int x1, int y1, int x2, int y2) final;
    HRGN CreateEllipticRgn(int x1, int y1, int x2, int y2) final;
    int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) final;
    int SetWindowRgn(HWND hwnd, HRGN region, int redraw) final;
    int DeleteObject(HRGN region) final;
    // (hWnd, WM_NCLBUTTONDOWN, HTCAPTION) arms the title bar's move: with the left button held,
    // the system's move starts once the pointer passes the system's drag distance from the
    // press, the button still down; a release, a lost capture or a move without the button
    // disarms it. Any other message goes to the backend's OtherMessage.
    std::intptr_t SendMessageA(HWND hwnd, unsigned msg, std::uintptr_t wparam, std::intptr_t lparam) final;

    // --- Runtime inputs, from the backend (face pixels; time in milliseconds) -----------
    // The pointer moved; inside says whether it is over the window (within its region), and
    // buttons, where the system says, which buttons it finds held (kLeftButton...).
    void PointerMove(int x, int y, bool inside, std::uint64_t timeMs, std::optional<int> buttons = std::nullopt);
    // A button (1, 2 or 4) went down over the window, or anywhere while the capture is held.
    void PointerDown(int button, int shift, int x, int y, std::uint64_t timeMs);
    // A button went up.
    void PointerUp(int button, int shift, int x, int y, bool inside, std::uint64_t timeMs);
    // The system's move of the window has the pointer, now at screen pixel (x, y): the core hears
    // nothing of it, but a click sequence ends once the pointer is out of the press's box.
    void SystemMoving(int x, int y);
    // The system took the pointer capture away: the element holding it gets its MouseUp.
    void CaptureLost();
    // The clock advanced with the pointer at rest.
    void Tick(std::uint64_t timeMs);
    // The window's size or state changed (or it was first shown): the face follows, Resize
    // runs, and a new state is reported, as OnWindowStateChanged unless the core made it.
    void WindowChanged();
    // The system says the window's size or state may have changed: laid out as above if it
    // differs from the last layout, unless it is the echo of the program's own request.
    void SystemResized();
    // A state the program asked for that the window has not taken (a Wayland compositor may
    // ignore a maximize): laid out again at the state it has, reported as OnWindowStateChanged,
    // so that the look the program gave for the state asked for follows the window's own.
    void StateNotTaken(int asked);
    // The system placed the window where it does not tell (a Wayland compositor's placing or
    // move): the place the program asked for no longer describes it, and Left and Top are the
    // whole pixels last known from now on.
    void PlaceUnknown();
    // A screen reader asked for the element's default action: a visible caption button runs its
    // Click procedure, as a click with the pointer does, and the title bar its DblClick procedure
    // (maximize or restore). False if the element has none now.
    bool DoDefaultAction(Elem elem);
    // The window as screen readers see it: its caption, its size and whether it is minimized.
    AccessibleWindow AccessibleView() const;
    // What a screen reader asks between events, behind the event barrier as an event is: the
    // elements exposed now, and the one at a face pixel.
    std::vector<AccessibleItem> AccessibleItemsNow();
    std::optional<Elem> AccessibleHitNow(int x, int y);

    // --- What the backend and tests read ------------------------------------------------
    const ElementTable& Elements() const { return elements_; }
    const FormDesign& Design() const { return design_; }
    // The pointer shape to show now.
    Cursor CurrentCursor() const;
    // The runtime's own tooltip text shown now, "" for none (backends with native tooltips show their own).
    const std::string& ShownToolTip() const { return shownTip_; }
    // The element holding the pointer capture (with held buttons), if any.
    std::optional<Elem> CaptureElement() const;
    bool HasCapture() const { return captured_; }
    // Whether the title bar's move is armed: pressed, waiting for the pointer to pass the drag distance.
    bool MoveArmed() const { return moveArmed_; }
    // False once the window is unloaded or a failure ended the program.
    bool Running() const { return running_; }
    // The program's exit status once it has ended.
    int ExitStatus() const { return exitStatus_; }
    // Number of Resize events raised so far.
    int ResizeCount() const { return resizeCount_; }
    // Region handles the program has created and still owns.
    std::size_t LiveRegions() const { return regions_.size(); }
    // The unhandled failure that ended the program, as reported, or "".
    const std::string& FailureMessage() const { return failureMessage_; }
    // The window's geometry in twips and its state as the core reads them, read without asking
    // the backend whether it would refuse.
    struct Geometry {
        float left, top, width, height;
        int state;
    };
    Geometry WindowGeometry() const;

protected:
    // --- The backend contract: what differs per platform --------------------------------
    // Window (screen pixels).
    // The window's outer rectangle on the screen; a minimized window's is the one it comes back to.
    virtual PixelRect WindowPixels() const = 0;
    // The window's state as the system has it: kNormal, kMinimized or kMaximized.
    virtual int PlatformState() const = 0;
    // The window's handle; valid from construction.
    virtual HWND Handle() const = 0;
    // The size of the screen (the monitor) the window is on, exact: its device pixels over the scale.
    virtual LayoutSize ScreenPixels() const = 0;
    // Shows the hidden window for the first time; must end in WindowChanged (the first Resize).
    virtual void ShowWindow() = 0;
    // Asks for a normal window's new outer size; on return WindowPixels has it (the runtime lays out).
    virtual void ResizeWindow(int width, int height) = 0;
    // Moves a normal window's outer top-left corner to a layout position as the core gave it
    // (half pixels and all), rounded once to the backend's own pixels; raises nothing.
    virtual void MoveWindow(double x, double y) = 0;
    // Asks for another state (0..2); on return PlatformState and WindowPixels have it (the runtime
    // lays out), or, where states are requests the system answers later, still the old one: the
    // answer comes as WindowChanged, and no answer as StateNotTaken.
    virtual void ApplyWindowState(int state) = 0;
    // Draws the whole window again kLateRedrawMs from now, once however often asked.
    virtual void RedrawLater() = 0;
    // The program has ended: the window goes and the event loop stops. Called once, between events.
    virtual void CloseWindow() = 0;
    // Drawing on the face (twips as the core gives them; each backend's painter converts with twips.h).
    // The window's size or state changed, before its Resize: the face takes the size, keeping its
    // drawing (ResizeFaceStore). False if not even a 1 x 1 face could be made: the old one stays,
    // and the program ends on the failure.
    virtual bool ResizeFace(int width, int height) = 0;
    // Draws a line, box or filled box.
    virtual void DrawLine(float x1, float y1, float x2, float y2, Color color, LineKind kind) = 0;
    // Copies a scaled source rectangle of a picture (never None).
    virtual void DrawPicture(Picture picture, float dx, float dy, float dw, float dh, float sx, float sy, float sw,
                             float sh) = 0;
    // Draws text with its top-left at (x, y); returns the line's height in pixels.
    virtual int PrintText(const std::string& text, float x, float y, Color color) = 0;
    // Elements, input and dialogs.
    // An element's geometry, visibility, picture or tooltip changed: show it.
    virtual void ElementChanged(Elem elem) = 0;
    // Takes (true) or gives back (false) the platform's pointer capture (also held while the
    // title bar's move is armed).
    virtual void PlatformCapture(bool take) = 0;
    // The pointer's position on the screen (layout pixels), nothing if the system cannot say.
    virtual std::optional<POINT> PointerOnScreen() const = 0;
    // How far the pointer may go from a press either way (layout pixels) before a drag begins.
    virtual PixelSize DragDistance() const = 0;
    // The system's move of the window takes the pointer, pressed at screen pixel (x, y) and held
    // since: the window keeps its offset from that press. The system sends the window nothing more
    // of the pointer until the button is up.
    virtual void StartSystemMove(int x, int y) = 0;
    // SendMessageA of any message but the title bar's move; returns its result (0 by default).
    virtual std::intptr_t OtherMessage(HWND hwnd, unsigned msg, std::uintptr_t wparam, std::intptr_t lparam) {
        (void)hwnd, (void)msg, (void)wparam, (void)lparam;
        return 0;
    }
    // The system's double-click time and box (layout pixels), read at each press; Windows'
    // defaults unless overridden.
    virtual DoubleClickMetrics DoubleClickRule() const { return {}; }
    // A right press and release on the title bar ended (its MouseDown and MouseUp raised, the
    // capture given back): show the system's window menu at face pixel (x, y). Nothing by default.
    virtual void ShowWindowMenu(int x, int y) { (void)x, (void)y; }
    // Tells the user that the program ended on a failure (message names backend and procedure).
    virtual void ShowFailure(const std::string& message) = 0;
    // May refuse a host command before it runs, by throwing (the simulated host's failure injection).
    virtual void BeforeCommand(const char* command) { (void)command; }
    // Whether a platform call (GetCursorPos, SendMessageA) fails, reporting 0 (the same injection).
    virtual bool CallFails(const char* call) const { (void)call; return false; }
    // The largest outer size and position the window system keeps, in pixels each way.
    virtual int MaxWindowPixels() const { return kPixelLimit; }
    // The outline (device pixels).
    // Device pixels per layout pixel now: the outline's shapes are cut at the device's resolution.
    virtual const DisplayScale& DeviceScale() const = 0;
    // The window's outline changed: the window takes it (nullptr: rectangular), drawn again if
    // redraw. Called once an event when it changed, as the outermost event ends (FlushOutline),
    // or at once outside any event. The region lives until the next call.
    virtual void ApplyOutline(const Region* outline, bool redraw) = 0;
    // A region command as the core made it, its name and arguments (pixels as given, the
    // mode, the redraw flag), for a backend that keeps a log. Nothing by default.
    virtual void RegionCallMade(const char* name, std::initializer_list<int> args) { (void)name, (void)args; }

    // --- For backends -------------------------------------------------------------------
    // Throws a Failure whose message names the backend.
    [[noreturn]] void Fail(const std::string& what) const;
    // Ends the program with a status: 0 after Unload, non-zero after an unhandled failure.
    void EndProgram(int status);
    // Ends the program with status 1 and reports the failure, once: later calls do nothing.
    void EndWithFailure(const UnhandledFailure& failure);
    // A 32-bit system event time (milliseconds, wrapping) on the runtime's 64-bit clock, which
    // starts at the first event and never runs backwards (sent messages carry older times).
    std::uint64_t EventTime(std::uint32_t systemTime);

    // The one re-entry rule. The system answers some of the program's own requests from inside
    // them (a size notification inside a resize, a capture change inside a release): those are
    // echoes, which a backend drops while OwnRequest() holds. And the program ends only when the
    // outermost event returns, never in the middle of one (a dialog counts as an event).
    class Scope {
    public:
        explicit Scope(int& depth) : depth_(depth) { ++depth_; }
        ~Scope() { --depth_; }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        int& depth_;
    };
    // Marks a request of the program's own to the system for as long as it lives.
    Scope Request() { return Scope(requestDepth_); }
    // Whether the program's own request to the system is running.
    bool OwnRequest() const { return requestDepth_ > 0; }
    // Runs one event from the system, the one barrier every backend's events pass: whatever
    // escapes it (a Failure, any exception) ends the program as an unhandled failure in `where`
    // (a name, or what makes one only then) would. When the outermost event returns, an ended
    // program's window goes.
    template <class F, class N = const char*> void HandleEvent(F&& handle, N&& where = "an event");
    // Whether an event from the system is being handled.
    bool InEvent() const { return eventDepth_ > 0; }
    // The window's state at the last layout (-1 before the first).
    int LaidOutState() const { return laidOutState_; }
    // Gives the backend the outline the core set since the last one, if it changed
    // (ApplyOutline). HandleEvent calls it as the outermost event ends; a backend may call it
    // sooner, where it gives the system what the event asked for before the event is over.
    void FlushOutline();

private:
    struct Target {
        bool face = true;
        Elem elem = Elem::Pmain;
        bool operator==(const Target&) const = default;
    };

    ElementState& At(Elem elem);
    void RaiseResize();
    void CloseIfEnded();
    void SetOuterSize(float width, float height);
    void CheckSizable(const char* what) const;
    float Remembered(const std::optional<float>& set, int pixels) const;
    float RememberedPlace(const std::optional<float>& set, int pixels, int movedTo) const;
    Target TargetAt(int x, int y, bool inside) const;
    MouseArgs ArgsFor(const Target& target, int button, int shift, int x, int y) const;
    template <class F> void Dispatch(F&& raise);
    // A pixel on the screen, wider than int: the window's origin plus a face pixel.
    struct ScreenPoint {
        std::int64_t x = 0, y = 0;
    };
    ScreenPoint OnScreen(int x, int y) const;
    bool IsDoubleClick(const Target& target, int button, ScreenPoint at, std::uint64_t timeMs) const;
    bool InClickBox(ScreenPoint at) const;
    void FollowClickBox(ScreenPoint at);
    void DropCapture();
    void ForgetCapture();
    void ArmMove();
    void DisarmMove(bool platformHolds);
    bool MoveStarted(ScreenPoint at);
    void TrackToolTip(std::optional<Elem> hover, std::uint64_t timeMs);
    void HideToolTip();
    bool Refused(const char* command);
    HRGN NewRegion(Region region);

    const FormDesign& design_;
    std::string backend_;
    FormEvents* events_ = nullptr;
    ElementTable elements_;
    bool running_ = true;
    bool closed_ = false;
    int exitStatus_ = 0;
    int requestDepth_ = 0;
    int eventDepth_ = 0;
    int resizeCount_ = 0;
    std::string failureMessage_;

    // The twips the core set, kept while the window's pixels still equal their rounding (its
    // place: the pixels the move gave it); the state of the last layout.
    std::optional<float> setLeft_, setTop_, setWidth_, setHeight_;
    int movedX_ = 0, movedY_ = 0;  // where the core's last Move put the window, in the backend's layout pixels
    int laidOutState_ = -1;
    PixelSize laidOutSize_;
    bool shown_ = false;
    // Print's pen.
    Color foreColor_;
    float currentX_ = 0, currentY_ = 0;

    // The event clock.
    bool clockStarted_ = false;
    std::uint64_t clockMs_ = 0;
    std::uint32_t lastSystemTime_ = 0;

    // Capture: the target that took it at the first press, and the buttons still held.
    bool captured_ = false;
    Target captureTarget_;
    int heldButtons_ = 0;
    int dblClickButtons_ = 0;  // buttons whose press was a double-click: their release gives no Click
    // The buttons pressed on the window and not yet released, whatever became of the capture.
    int buttonsDown_ = 0;
    ScreenPoint leftDownAt_;  // where the left button last went down, on the screen

    // The title bar's armed move: pressed at leftDownAt_, the platform's capture held for it.
    bool moveArmed_ = false;

    // The last press that can start a double-click, where it was on the screen (the window's
    // origin plus the face pixel) and the system's rule then; the pointer out of its box ends it.
    bool lastDownValid_ = false;
    Target lastDownTarget_;
    int lastDownButton_ = 0;
    ScreenPoint lastDownAt_;
    std::uint64_t lastDownMs_ = 0;
    DoubleClickMetrics lastDownRule_;

    // Pointer and tooltip tracking.
    int pointerX_ = 0, pointerY_ = 0;
    bool pointerInside_ = false;
    std::optional<Elem> tipElem_;
    std::uint64_t tipSinceMs_ = 0;
    std::string shownTip_;

    // Regions: the handles the program owns, and the window's outline (null: rectangular),
    // waiting for the backend while outlineChanged_.
    std::map<HRGN, Region> regions_;
    HRGN nextRegion_ = 0x2000;
    std::unique_ptr<Region> outline_;
    bool outlineChanged_ = false;
    bool outlineRedraw_ = false;
};

template <class F, class N>
void FormsRuntime::HandleEvent(F&& handle, N&& where) {
    const auto name = [&]() -> std::string {
        if constexpr (std::is_invocable_v<N>) return where();
        else return where;
    };
    {
        const Scope event(eventDepth_);
        try {
            handle();
            if (eventDepth_ == 1) FlushOutline();
        } catch (const UnhandledFailure& failure) {
            EndWithFailure(failure);
        } catch (const std::exception& failure) {
            EndWithFailure(UnhandledFailure(name(), failure.what()));
        } catch (...) {
            EndWithFailure(UnhandledFailure(name(), "unknown failure"));
        }
    }
    if (eventDepth_ == 0) CloseIfEnded();
}

}  // namespace tarvik
