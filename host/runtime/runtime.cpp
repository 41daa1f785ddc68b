#include "host/runtime/runtime.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <utility>

#include "host/twips.h"

namespace tarvik {

namespace {

// How far apart two screen coordinates are (each within twice the int range: no overflow).
std::int64_t Distance(std::int64_t a, std::int64_t b) { return a > b ? a - b : b - a; }

// A screen coordinate as the platform calls take it.
int ScreenInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

// Creates the element table from the design data.
FormsRuntime::FormsRuntime(const FormDesign& design, std::string backend)
    : design_(design), backend_(std::move(backend)), foreColor_(design.foreColor) {
    for (const ElementDesign& d : design.elements) {
        ElementState& e = At(d.elem);
        e.left = d.left;
        e.top = d.top;
        e.width = d.width;
        e.height = d.height;
        e.visible = d.visible;
        e.picture = d.picture;
        e.cursor = d.cursor;
        e.toolTip = d.toolTip;
    }
}

// Connects the core that receives the events.
void FormsRuntime::Attach(FormEvents* events) { events_ = events; }

// Raises Load, then shows the window.
void FormsRuntime::Start() {
    assert(events_ && "Attach the core before Start");
    Dispatch([&] { events_->OnLoad(); });
    if (!running_) return;
    shown_ = true;
    ShowWindow();
}

// Raises Resize; a failure the core did not handle ends the program.
void FormsRuntime::RaiseResize() {
    if (events_ && running_) Dispatch([&] { events_->OnResize(); });
}

// Runs one event procedure and turns an unhandled failure into the end of the program.
template <class F>
void FormsRuntime::Dispatch(F&& raise) {
    if (!running_) return;
    try {
        raise();
    } catch (const UnhandledFailure& failure) {
        EndWithFailure(failure);
    }
}

// Ends the program after an unhandled failure. It stops first and tells the user after, so that
// nothing runs while the report is up (a dialog pumps messages: the lost capture, paints) and a
// later failure, of a procedure cut short or of the backend, reports nothing more. The dialog
// counts as an event: the window stays until it is closed.
void FormsRuntime::EndWithFailure(const UnhandledFailure& failure) {
    if (!running_) return;
    EndProgram(1);
    failureMessage_ = "Tarvik (" + backend_ + "): unhandled failure in " + failure.what();
    {
        const Scope dialog(eventDepth_);
        ShowFailure(failureMessage_);
    }
    if (eventDepth_ == 0) CloseIfEnded();
}

// Stops taking input; the window goes once the current event returns.
void FormsRuntime::EndProgram(int status) {
    if (!running_) return;
    running_ = false;
    exitStatus_ = status;
    DisarmMove(true);
    HideToolTip();
}

// An ended program's window goes, once, and only between events.
void FormsRuntime::CloseIfEnded() {
    if (running_ || closed_ || eventDepth_ > 0) return;
    closed_ = true;
    CloseWindow();
}

// Throws a failure that names this backend.
void FormsRuntime::Fail(const std::string& what) const { throw Failure(backend_ + ": " + what); }

std::uint64_t FormsRuntime::EventTime(std::uint32_t systemTime) {
    if (!clockStarted_) {
        clockStarted_ = true;
        clockMs_ = systemTime;
        lastSystemTime_ = systemTime;
        return clockMs_;
    }
    const std::uint32_t delta = systemTime - lastSystemTime_;  // wraps with the 32-bit system time
    if (delta < 0x80000000u) {
        clockMs_ += delta;
        lastSystemTime_ = systemTime;
    }
    return clockMs_;
}

// --- The window ----------------------------------------------------------------------------

// The twips the core set while the window's pixels still equal their rounding, else the pixels' twips.
float FormsRuntime::Remembered(const std::optional<float>& set, int pixels) const {
    return set && TwipsToPixels(*set) == pixels ? *set : PixelsToTwips(pixels);
}

// The place the core set while the window is where that move put it, else the pixels' twips. A
// place is rounded to device pixels once, so its layout pixel may differ from the twips' own.
float FormsRuntime::RememberedPlace(const std::optional<float>& set, int pixels, int movedTo) const {
    return set && pixels == movedTo ? *set : PixelsToTwips(pixels);
}

FormsRuntime::Geometry FormsRuntime::WindowGeometry() const {
    const PixelRect r = WindowPixels();
    return {RememberedPlace(setLeft_, r.x, movedX_), RememberedPlace(setTop_, r.y, movedY_), Remembered(setWidth_, r.w),
            Remembered(setHeight_, r.h), PlatformState()};
}

float FormsRuntime::Left() {
    BeforeCommand("Left");
    return WindowGeometry().left;
}

float FormsRuntime::Top() {
    BeforeCommand("Top");
    return WindowGeometry().top;
}

float FormsRuntime::Width() {
    BeforeCommand("Width");
    return WindowGeometry().width;
}

float FormsRuntime::Height() {
    BeforeCommand("Height");
    return WindowGeometry().height;
}

// The forms toolkit refuses to size or move a minimized or maximized window.
void FormsRuntime::CheckSizable(const char* what) const {
    if (PlatformState() != kNormal) Fail(std::string("a minimized or maximized window cannot be ") + what);
}

void FormsRuntime::SetWidth(float width) {
    BeforeCommand("SetWidth");
    CheckSizable("sized");
    if (!(width >= 0)) Fail("refused window width " + std::to_string(width));
    SetOuterSize(width, WindowGeometry().height);
}

void FormsRuntime::SetHeight(float height) {
    BeforeCommand("SetHeight");
    CheckSizable("sized");
    if (!(height >= 0)) Fail("refused window height " + std::to_string(height));
    SetOuterSize(WindowGeometry().width, height);
}

// A new outer size in twips, held to what the window system keeps: the window is asked for it
// when its pixels change, and the layout runs at it before this returns.
void FormsRuntime::SetOuterSize(float width, float height) {
    const float most = PixelsToTwips(MaxWindowPixels());
    width = std::min(width, most);
    height = std::min(height, most);
    const Geometry now = WindowGeometry();
    if (width == now.width && height == now.height) return;
    setWidth_ = width;
    setHeight_ = height;
    const int w = TwipsToPixels(width), h = TwipsToPixels(height);
    if (w != TwipsToPixels(now.width) || h != TwipsToPixels(now.height)) {
        const Scope request = Request();
        ResizeWindow(w, h);
    }
    WindowChanged();
}

void FormsRuntime::Move(float left, float top) {
    BeforeCommand("Move");
    CheckSizable("moved");
    const float most = PixelsToTwips(MaxWindowPixels()), least = -PixelsToTwips(MaxWindowPixels() + 1);
    setLeft_ = std::clamp(left, least, most);
    setTop_ = std::clamp(top, least, most);
    const Scope request = Request();
    MoveWindow(static_cast<double>(*setLeft_) / kTwipsPerPixel, static_cast<double>(*setTop_) / kTwipsPerPixel);
    const PixelRect at = WindowPixels();
    movedX_ = at.x;
    movedY_ = at.y;
}

int FormsRuntime::WindowState() {
    BeforeCommand("WindowState");
    return PlatformState();
}

void FormsRuntime::SetWindowState(int state) {
    BeforeCommand("SetWindowState");
    if (state < kNormal || state > kMaximized) Fail("invalid window state " + std::to_string(state));
    if (state == PlatformState()) return;
    const Scope request = Request();
    ApplyWindowState(state);
    WindowChanged();
}

void FormsRuntime::WindowChanged() {
    const PixelRect r = WindowPixels();
    const int state = PlatformState();
    if (!ResizeFace(r.w, r.h)) {
        EndWithFailure(UnhandledFailure("Form_Resize", backend_ + ": no memory for a " + std::to_string(r.w) + " x " +
                                                           std::to_string(r.h) + " face"));
        return;
    }
    laidOutSize_ = {r.w, r.h};
    const int from = laidOutState_;
    laidOutState_ = state;
    ++resizeCount_;
    RaiseResize();
    if (!OwnRequest()) RedrawLater();
    if (from >= 0 && from != state && !OwnRequest() && running_ && events_)
        Dispatch([&] { events_->OnWindowStateChanged(); });
}

void FormsRuntime::SystemResized() {
    if (!shown_ || !running_ || OwnRequest()) return;
    const PixelRect r = WindowPixels();
    if (PlatformState() == laidOutState_ && PixelSize{r.w, r.h} == laidOutSize_) return;
    WindowChanged();
}

void FormsRuntime::StateNotTaken(int asked) {
    if (!shown_ || !running_ || asked == PlatformState()) return;
    laidOutState_ = asked;
    WindowChanged();
}

void FormsRuntime::PlaceUnknown() {
    setLeft_.reset();
    setTop_.reset();
}

HWND FormsRuntime::hWnd() {
    BeforeCommand("hWnd");
    return Handle();
}

std::string FormsRuntime::Caption() {
    BeforeCommand("Caption");
    return design_.caption;
}

Color FormsRuntime::BackColor() {
    BeforeCommand("BackColor");
    return design_.backColor;
}

void FormsRuntime::SetForeColor(Color color) {
    BeforeCommand("SetForeColor");
    foreColor_ = color;
}

void FormsRuntime::SetCurrentX(float x) {
    BeforeCommand("SetCurrentX");
    currentX_ = x;
}

void FormsRuntime::SetCurrentY(float y) {
    BeforeCommand("SetCurrentY");
    currentY_ = y;
}

void FormsRuntime::Line(float x1, float y1, float x2, float y2, Color color, LineKind kind) {
    BeforeCommand("Line");
    DrawLine(x1, y1, x2, y2, color, kind);
}

void FormsRuntime::PaintPicture(Picture picture, float dx, float dy, float dw, float dh, float sx, float sy, float sw,
                                float sh) {
    BeforeCommand("PaintPicture");
    if (picture == Picture::None) Fail("PaintPicture of an empty picture");
    DrawPicture(picture, dx, dy, dw, dh, sx, sy, sw, sh);
}

// Afterwards the pen goes to the start of the next line, as Print does.
void FormsRuntime::Print(const std::string& text) {
    BeforeCommand("Print");
    const int height = PrintText(text, currentX_, currentY_, foreColor_);
    currentX_ = 0;
    currentY_ += PixelsToTwips(height);
}

float FormsRuntime::ScreenWidth() {
    BeforeCommand("ScreenWidth");
    return static_cast<float>(ScreenPixels().width * kTwipsPerPixel);
}

float FormsRuntime::ScreenHeight() {
    BeforeCommand("ScreenHeight");
    return static_cast<float>(ScreenPixels().height * kTwipsPerPixel);
}

// The program ends with its only window, once the current event returns.
void FormsRuntime::Unload() {
    BeforeCommand("Unload");
    EndProgram(0);
    CloseIfEnded();
}

ElementState& FormsRuntime::At(Elem elem) {
    const int i = static_cast<int>(elem);
    assert(i >= 0 && i < kElemCount && "element out of range");
    return elements_[static_cast<std::size_t>(i)];
}

// --- Element commands --------------------------------------------------------------------

float FormsRuntime::ElemLeft(Elem elem) { return At(elem).left; }
float FormsRuntime::ElemTop(Elem elem) { return At(elem).top; }
float FormsRuntime::ElemWidth(Elem elem) { return At(elem).width; }
float FormsRuntime::ElemHeight(Elem elem) { return At(elem).height; }

void FormsRuntime::SetElemLeft(Elem elem, float left) {
    At(elem).left = left;
    ElementChanged(elem);
}

void FormsRuntime::SetElemTop(Elem elem, float top) {
    At(elem).top = top;
    ElementChanged(elem);
}

void FormsRuntime::SetElemWidth(Elem elem, float width) {
    if (!(width >= 0)) Fail(std::string("refused width ") + std::to_string(width) + " for " + design_.elements[static_cast<std::size_t>(elem)].name);
    At(elem).width = width;
    ElementChanged(elem);
}

void FormsRuntime::SetElemHeight(Elem elem, float height) {
    if (!(height >= 0)) Fail(std::string("refused height ") + std::to_string(height) + " for " + design_.elements[static_cast<std::size_t>(elem)].name);
    At(elem).height = height;
    ElementChanged(elem);
}

void FormsRuntime::SetVisible(Elem elem, bool visible) {
    At(elem).visible = visible;
    if (!visible && tipElem_ == elem) {
        HideToolTip();
        tipElem_.reset();
    }
    ElementChanged(elem);
}

void FormsRuntime::SetToolTipText(Elem elem, const std::string& text) {
    At(elem).toolTip = text;
    // A tip on show follows its element's new text at once.
    if (!shownTip_.empty() && tipElem_ == elem) shownTip_ = text;
    ElementChanged(elem);
}

Picture FormsRuntime::GetPicture(Elem elem) { return At(elem).picture; }

void FormsRuntime::SetPicture(Elem elem, Picture picture) {
    At(elem).picture = picture;
    ElementChanged(elem);
}

std::string FormsRuntime::Tag(Elem elem) { return At(elem).tag; }
void FormsRuntime::SetTag(Elem elem, const std::string& tag) { At(elem).tag = tag; }
Picture FormsRuntime::LoadPicture() { return Picture::None; }

// The core ends the capture on purpose (before the system move): no MouseUp follows.
int FormsRuntime::ReleaseCapture() {
    DropCapture();
    return 1;
}

void FormsRuntime::DropCapture() {
    const bool had = captured_;
    ForgetCapture();
    if (had) PlatformCapture(false);
}

// The pointer on the screen, as the backend finds it.
int FormsRuntime::GetCursorPos(POINT* point) {
    if (CallFails("GetCursorPos")) return 0;
    const std::optional<POINT> at = PointerOnScreen();
    if (!at) return 0;
    *point = *at;
    return 1;
}

// The title bar's move is only armed here. A system move started at the press would take the
// pointer at once, and some window managers hold it a while even after a quick release,
// swallowing the second click of a double-click (xfwm4, icewm, Wine's move under them); so the
// program keeps the pointer itself until it has gone past the drag distance (MoveStarted).
std::intptr_t FormsRuntime::SendMessageA(HWND hwnd, unsigned msg, std::uintptr_t wparam, std::intptr_t lparam) {
    if (CallFails("SendMessageA")) return 0;
    if (hwnd != Handle() || msg != WM_NCLBUTTONDOWN || wparam != HTCAPTION) return OtherMessage(hwnd, msg, wparam, lparam);
    ArmMove();
    return 0;
}

// Arms the move for the left press still held (with the button up, or no press, no move, as on
// Windows): the pointer is held again for the motion up to the drag distance.
void FormsRuntime::ArmMove() {
    if (!running_ || moveArmed_ || !(buttonsDown_ & kLeftButton)) return;
    moveArmed_ = true;
    if (!captured_) PlatformCapture(true);
}

// The armed move ends without a move; the platform's capture goes with it unless the system
// already took it (or the runtime's own capture holds it still).
void FormsRuntime::DisarmMove(bool platformHolds) {
    if (!moveArmed_) return;
    moveArmed_ = false;
    if (platformHolds && !captured_) PlatformCapture(false);
}

// A move of the armed pointer to screen point at: past the drag distance either way the system's
// move takes over, from the press, and the click sequence ends once the pointer is out of its
// box (no pointer input reaches the program during the system's move). True if it started.
bool FormsRuntime::MoveStarted(ScreenPoint at) {
    const PixelSize drag = DragDistance();
    if (Distance(at.x, leftDownAt_.x) <= drag.width && Distance(at.y, leftDownAt_.y) <= drag.height) return false;
    DisarmMove(true);
    FollowClickBox(at);
    StartSystemMove(ScreenInt(leftDownAt_.x), ScreenInt(leftDownAt_.y));
    return true;
}

// Clears the capture bookkeeping without touching the platform's capture.
void FormsRuntime::ForgetCapture() {
    captured_ = false;
    heldButtons_ = 0;
    dblClickButtons_ = 0;
}

// --- Pointer input -----------------------------------------------------------------------

FormsRuntime::Target FormsRuntime::TargetAt(int x, int y, bool inside) const {
    Target t;
    if (!inside) return t;
    if (const auto hit = HitTest(elements_, x, y)) {
        t.face = false;
        t.elem = *hit;
    }
    return t;
}

// Mouse arguments in twips relative to the target.
MouseArgs FormsRuntime::ArgsFor(const Target& target, int button, int shift, int x, int y) const {
    MouseArgs a{button, shift, PixelsToTwips(x), PixelsToTwips(y)};
    if (!target.face) {
        const ElementState& e = elements_[static_cast<std::size_t>(target.elem)];
        a.x -= e.left;
        a.y -= e.top;
    }
    return a;
}

void FormsRuntime::PointerMove(int x, int y, bool inside, std::uint64_t timeMs, std::optional<int> buttons) {
    if (!running_) return;
    if (moveArmed_) {
        // A move without the left button is its release, which never reached the window.
        if (buttons && !(*buttons & kLeftButton)) {
            buttonsDown_ &= ~kLeftButton;
            DisarmMove(true);
        } else if (MoveStarted(OnScreen(x, y))) {
            return;  // the system has the pointer now
        }
    }
    // Only while a click sequence is open: a move otherwise asks the system for nothing more.
    if (lastDownValid_) FollowClickBox(OnScreen(x, y));
    pointerX_ = x;
    pointerY_ = y;
    pointerInside_ = inside;
    const Target under = TargetAt(x, y, inside);
    TrackToolTip(under.face || captured_ ? std::nullopt : std::optional<Elem>(under.elem), timeMs);
    // While captured, every move goes to the element that took the press, wherever the pointer is.
    const Target target = captured_ ? captureTarget_ : under;
    if (!captured_ && !inside) return;
    const MouseArgs args = ArgsFor(target, heldButtons_, 0, x, y);
    if (target.face)
        Dispatch([&] { events_->OnFormMouseMove(args); });
    else
        Dispatch([&] { events_->OnMouseMove(target.elem, args); });
}

// The screen pixel under face pixel (x, y). The box is measured there, as the system measures
// it: after a drag of the title bar the same face pixel lies elsewhere on the screen.
FormsRuntime::ScreenPoint FormsRuntime::OnScreen(int x, int y) const {
    const PixelRect window = WindowPixels();
    return {std::int64_t{window.x} + x, std::int64_t{window.y} + y};
}

// Whether a screen pixel lies within the last press's double-click box.
bool FormsRuntime::InClickBox(ScreenPoint at) const {
    return Distance(at.x, lastDownAt_.x) <= lastDownRule_.width / 2 &&
           Distance(at.y, lastDownAt_.y) <= lastDownRule_.height / 2;
}

// The pointer out of the last press's box ends the click sequence, even if it comes back: a drag
// of the title bar away and back is no double-click.
void FormsRuntime::FollowClickBox(ScreenPoint at) {
    if (lastDownValid_ && !InClickBox(at)) lastDownValid_ = false;
}

// Whether a press is the second press of a double-click, as the forms toolkit gives them: the
// left button again on the same element, one that handles DblClick, within the system's time
// and box, the pointer never out of that box in between.
bool FormsRuntime::IsDoubleClick(const Target& target, int button, ScreenPoint at, std::uint64_t timeMs) const {
    if (captured_ || target.face || button != kLeftButton || !events_->HandlesDblClick(target.elem)) return false;
    if (!lastDownValid_ || !(lastDownTarget_ == target) || lastDownButton_ != button) return false;
    return timeMs - lastDownMs_ <= lastDownRule_.ms && InClickBox(at);
}

void FormsRuntime::PointerDown(int button, int shift, int x, int y, std::uint64_t timeMs) {
    if (!running_ || (heldButtons_ & button)) return;
    DisarmMove(true);  // another press ends the armed move: it was the left button's alone
    buttonsDown_ |= button;
    HideToolTip();
    pointerX_ = x;
    pointerY_ = y;
    Target target = captured_ ? captureTarget_ : TargetAt(x, y, true);

    const ScreenPoint at = OnScreen(x, y);
    if (button == kLeftButton) leftDownAt_ = at;
    const bool dbl = IsDoubleClick(target, button, at, timeMs);
    // A double-click's second press cannot start another double-click.
    lastDownValid_ = !dbl;
    lastDownTarget_ = target;
    lastDownButton_ = button;
    lastDownAt_ = at;
    lastDownMs_ = timeMs;
    lastDownRule_ = DoubleClickRule();

    if (!captured_) {
        captured_ = true;
        captureTarget_ = target;
        PlatformCapture(true);
    }
    heldButtons_ |= button;
    if (dbl) dblClickButtons_ |= button;

    if (target.face) return;  // the bare face handles no press
    if (dbl) {
        Dispatch([&] { events_->OnDblClick(target.elem); });
    } else {
        const MouseArgs args = ArgsFor(target, button, shift, x, y);
        Dispatch([&] { events_->OnMouseDown(target.elem, args); });
    }
}

void FormsRuntime::PointerUp(int button, int shift, int x, int y, bool inside, std::uint64_t timeMs) {
    (void)timeMs;
    if (!running_) return;
    buttonsDown_ &= ~button;
    if (button == kLeftButton) DisarmMove(true);
    if (lastDownValid_) FollowClickBox(OnScreen(x, y));
    if (!captured_ || !(heldButtons_ & button)) return;
    const Target target = captureTarget_;
    const bool wasDbl = dblClickButtons_ & button;
    heldButtons_ &= ~button;
    dblClickButtons_ &= ~button;
    if (heldButtons_ == 0) DropCapture();
    if (target.face) return;
    const MouseArgs args = ArgsFor(target, button, shift, x, y);
    Dispatch([&] { events_->OnMouseUp(target.elem, args); });
    // Windows and the forms toolkit click on the left button only, released over the same element.
    if (button == kLeftButton && !wasDbl && running_ && TargetAt(x, y, inside) == target)
        Dispatch([&] { events_->OnClick(target.elem); });
    // A right click on the title bar opens the window menu there, as on a system caption.
    if (button == kRightButton && heldButtons_ == 0 && running_ && RoleOf(target.elem) == AccessibleRole::TitleBar &&
        TargetAt(x, y, inside) == target)
        ShowWindowMenu(x, y);
}

// The system's move has the pointer: only the click sequence hears of it.
void FormsRuntime::SystemMoving(int x, int y) {
    if (running_) FollowClickBox({x, y});
}

// The system took the capture (another window, a dialog): end the press as a release.
void FormsRuntime::CaptureLost() {
    if (!running_) return;
    buttonsDown_ = 0;  // the press ends here: a release that follows finds nothing to end
    DisarmMove(false);
    if (!captured_) return;
    const Target target = captureTarget_;
    int button = kLeftButton;
    for (int b : {kLeftButton, kRightButton, kMiddleButton}) {
        if (heldButtons_ & b) {
            button = b;
            break;
        }
    }
    ForgetCapture();  // the platform already took it
    if (target.face) return;
    const MouseArgs args = ArgsFor(target, button, 0, pointerX_, pointerY_);
    Dispatch([&] { events_->OnMouseUp(target.elem, args); });
}

// --- Screen readers ---------------------------------------------------------------------

// The Click (or DblClick) procedure alone: no press or release reaches the element, so its looks
// stay as they are.
bool FormsRuntime::DoDefaultAction(Elem elem) {
    const AccessibleAction action = DefaultActionOf(elem);
    if (!running_ || action == AccessibleAction::None || !At(elem).visible) return false;
    if (action == AccessibleAction::DoubleClick && !events_->HandlesDblClick(elem)) return false;
    HideToolTip();
    if (action == AccessibleAction::DoubleClick)
        Dispatch([&] { events_->OnDblClick(elem); });
    else
        Dispatch([&] { events_->OnClick(elem); });
    return true;
}

AccessibleWindow FormsRuntime::AccessibleView() const {
    const PixelRect window = WindowPixels();
    return {design_.caption, window.w, window.h, PlatformState() == kMinimized};
}

std::vector<AccessibleItem> FormsRuntime::AccessibleItemsNow() {
    std::vector<AccessibleItem> items;
    HandleEvent([&] { items = AccessibleItems(elements_, AccessibleView()); }, "a screen reader's question");
    return items;
}

std::optional<Elem> FormsRuntime::AccessibleHitNow(int x, int y) {
    std::optional<Elem> hit;
    HandleEvent([&] { hit = AccessibleHit(elements_, AccessibleView(), x, y); }, "a screen reader's question");
    return hit;
}

// --- Tooltips and pointer shapes --------------------------------------------------------

void FormsRuntime::TrackToolTip(std::optional<Elem> hover, std::uint64_t timeMs) {
    if (hover != tipElem_) {
        HideToolTip();
        tipElem_ = hover;
        tipSinceMs_ = timeMs;
    } else if (shownTip_.empty()) {
        tipSinceMs_ = timeMs;  // the delay counts from the last move: the pointer must rest
    }
}

void FormsRuntime::HideToolTip() { shownTip_.clear(); }

void FormsRuntime::Tick(std::uint64_t timeMs) {
    if (!running_ || captured_ || !tipElem_ || !shownTip_.empty()) return;
    const ElementState& e = elements_[static_cast<std::size_t>(*tipElem_)];
    if (e.visible && !e.toolTip.empty() && timeMs - tipSinceMs_ >= kToolTipDelayMs) shownTip_ = e.toolTip;
}

Cursor FormsRuntime::CurrentCursor() const {
    if (captured_) return captureTarget_.face ? Cursor::Arrow : elements_[static_cast<std::size_t>(captureTarget_.elem)].cursor;
    const Target t = TargetAt(pointerX_, pointerY_, pointerInside_);
    return t.face ? Cursor::Arrow : elements_[static_cast<std::size_t>(t.elem)].cursor;
}

std::optional<Elem> FormsRuntime::CaptureElement() const {
    if (!captured_ || captureTarget_.face) return std::nullopt;
    return captureTarget_.elem;
}

}  // namespace tarvik
