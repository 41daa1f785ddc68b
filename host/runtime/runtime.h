// The forms runtime every backend shares: the element table, pointer capture, click and
// double-click synthesis, tooltips and pointer shapes, start-up and failure handling.
//
// A backend derives from FormsRuntime, implements the window and platform commands of Host
// and the hooks below, and feeds raw pointer input in (face pixels, milliseconds).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/runtime/accessibility.h"
#include "host/design.h"
#include "host/runtime/hit_test.h"
#include "host/host.h"

namespace tarvik {

inline constexpr std::uint64_t kToolTipDelayMs = 500;

// The system's double-click rule: a second press within ms of the first, and within a box of
// width x height pixels centred on it (Windows: GetDoubleClickTime, SM_CXDOUBLECLK, SM_CYDOUBLECLK).
struct DoubleClickMetrics {
    std::uint64_t ms = 500;
    int width = 4;
    int height = 4;
};

class FormsRuntime : public Host {
public:
    FormsRuntime(const FormDesign& design, std::string backend);

    // Connects the core that receives the events; must come before Start.
    void Attach(FormEvents* events);
    // Raises Load, then shows the window, which raises the first Resize.
    void Start();

    // --- Element commands, the same on every backend ------------------------------------
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
    int ReleaseCapture() final;
    // The core's own state change: the backend's ApplyWindowState, marked as the core's so that
    // WindowStateChanged does not answer it.
    void SetWindowState(int state) final;

    // --- Raw input from the backend (face pixels; time in milliseconds) -----------------
    // The pointer moved; inside says whether it is over the window (within its region).
    void PointerMove(int x, int y, bool inside, std::uint64_t timeMs);
    // A button (1, 2 or 4) went down over the window, or anywhere while the capture is held.
    void PointerDown(int button, int shift, int x, int y, std::uint64_t timeMs);
    // A button went up.
    void PointerUp(int button, int shift, int x, int y, bool inside, std::uint64_t timeMs);
    // The system took the pointer capture away: the element holding it gets its MouseUp.
    void CaptureLost();
    // The clock advanced with the pointer at rest.
    void Tick(std::uint64_t timeMs);
    // The window's state went from one value to another; the backend calls it after the Resize of
    // every state change. One the system made on its own raises OnWindowStateChanged; one made by
    // the core's SetWindowState is the core's business and raises nothing.
    void WindowStateChanged(int from, int to);
    // A screen reader asked for the element's default action: a visible caption button runs its
    // Click procedure, as a click with the pointer does. False if the element has none now.
    bool DoDefaultAction(Elem elem);

    // --- What the backend shows ---------------------------------------------------------
    const ElementTable& Elements() const { return elements_; }
    const FormDesign& Design() const { return design_; }
    // The pointer shape to show now.
    Cursor CurrentCursor() const;
    // The tooltip text shown now, "" for none.
    const std::string& ShownToolTip() const { return shownTip_; }
    // The element holding the pointer capture (with held buttons), if any.
    std::optional<Elem> CaptureElement() const;
    bool HasCapture() const { return captured_; }
    // False once the window is unloaded or a failure ended the program.
    bool Running() const { return running_; }
    // The program's exit status once it has ended.
    int ExitStatus() const { return exitStatus_; }
    const std::string& Backend() const { return backend_; }

protected:
    // Raises Resize on the core; backends call it inside size and state changes.
    void RaiseResize();
    // Ends the program with a status: 0 after Unload, non-zero after an unhandled failure.
    void EndProgram(int status);
    // Ends the program with status 1 and reports the failure, once: later calls do nothing.
    void EndWithFailure(const UnhandledFailure& failure);
    // Throws a Failure whose message names the backend.
    [[noreturn]] void Fail(const std::string& what) const;

    // Shows the hidden window for the first time; must raise the first Resize.
    virtual void ShowWindow() = 0;
    // Changes the window's state (0 normal, 1 minimized, 2 maximized); raises Resize before returning.
    virtual void ApplyWindowState(int state) = 0;
    // The system's double-click time and box, read at each press; Windows' defaults unless overridden.
    virtual DoubleClickMetrics DoubleClickRule() const { return {}; }
    // An element's geometry, visibility, picture or tooltip changed.
    virtual void ElementChanged(Elem elem) = 0;
    // Takes (true) or gives back (false) the platform's pointer capture.
    virtual void PlatformCapture(bool take) = 0;
    // Tells the user about an unhandled failure; the program has already ended (Running() is false).
    virtual void ReportUnhandled(const UnhandledFailure& failure) = 0;
    // A right press and release on the title bar ended (its MouseDown and MouseUp raised, the
    // capture given back): show the system's window menu at face pixel (x, y). Nothing by default.
    virtual void ShowWindowMenu(int x, int y) { (void)x, (void)y; }

private:
    struct Target {
        bool face = true;
        Elem elem = Elem::Pmain;
        bool operator==(const Target&) const = default;
    };

    ElementState& At(Elem elem);
    Target TargetAt(int x, int y, bool inside) const;
    MouseArgs ArgsFor(const Target& target, int button, int shift, int x, int y) const;
    template <class F> void Dispatch(F&& raise);
    bool IsDoubleClick(const Target& target, int button, int x, int y, std::uint64_t timeMs) const;
    void DropCapture();
    void ForgetCapture();
    void TrackToolTip(std::optional<Elem> hover, std::uint64_t timeMs);
    void HideToolTip();

    const FormDesign& design_;
    std::string backend_;
    FormEvents* events_ = nullptr;
    ElementTable elements_;
    bool running_ = true;
    int exitStatus_ = 0;
    bool coreStateChange_ = false;  // inside the core's own SetWindowState

    // Capture: the target that took it at the first press, and the buttons still held.
    bool captured_ = false;
    Target captureTarget_;
    int heldButtons_ = 0;
    int dblClickButtons_ = 0;  // buttons whose press was a double-click: their release gives no Click

    // The last press that can start a double-click.
    bool lastDownValid_ = false;
    Target lastDownTarget_;
    int lastDownButton_ = 0;
    int lastDownX_ = 0, lastDownY_ = 0;
    std::uint64_t lastDownMs_ = 0;

    // Pointer and tooltip tracking.
    int pointerX_ = 0, pointerY_ = 0;
    bool pointerInside_ = false;
    std::optional<Elem> tipElem_;
    std::uint64_t tipSinceMs_ = 0;
    std::string shownTip_;
};

}  // namespace tarvik
