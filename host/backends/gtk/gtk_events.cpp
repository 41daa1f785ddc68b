// The window's signals: drawing, size and state notifications from the window manager,
// pointer input, the grab, pointer shapes, tooltips and the close request.
#include <gtk/gtk.h>

#include <algorithm>

#include "host/backends/gtk/gtk_host.h"
#include "host/twips.h"

namespace tarvik::gtk {

namespace {

int ButtonOf(guint gdkButton) {
    switch (gdkButton) {
        case GDK_BUTTON_PRIMARY: return kLeftButton;
        case GDK_BUTTON_SECONDARY: return kRightButton;
        case GDK_BUTTON_MIDDLE: return kMiddleButton;
        default: return 0;
    }
}

int ShiftOf(guint state) {
    int shift = 0;
    if (state & GDK_SHIFT_MASK) shift |= kShiftMask;
    if (state & GDK_CONTROL_MASK) shift |= kCtrlMask;
    if (state & GDK_MOD1_MASK) shift |= kAltMask;
    return shift;
}

// The buttons a pointer event's modifier state holds.
int ButtonsOf(guint state) {
    int buttons = 0;
    if (state & GDK_BUTTON1_MASK) buttons |= kLeftButton;
    if (state & GDK_BUTTON3_MASK) buttons |= kRightButton;
    if (state & GDK_BUTTON2_MASK) buttons |= kMiddleButton;
    return buttons;
}

int StateOf(GdkWindowState state) {
    if (state & GDK_WINDOW_STATE_ICONIFIED) return kMinimized;
    if (state & GDK_WINDOW_STATE_MAXIMIZED) return kMaximized;
    return kNormal;
}

}  // namespace

void GtkHost::ConnectSignals() {
    gtk_widget_add_events(window_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                       GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK | GDK_STRUCTURE_MASK);
    gtk_widget_set_has_tooltip(window_, TRUE);
    g_signal_connect(window_, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t* cr, GtkHost* self) -> gboolean {
        self->HandleEvent([&] { self->Draw(cr); }, "draw");
        return TRUE;
    }), this);
    g_signal_connect(window_, "configure-event", G_CALLBACK(+[](GtkWidget*, GdkEventConfigure* e, GtkHost* self) -> gboolean {
        // Reparented into the window manager's frame, the window hears of its place within the
        // frame, (0, 0), which GDK cannot always turn into a screen position; such a report
        // says nothing of where the window is.
        const bool framed = !e->send_event && e->x == 0 && e->y == 0;
        self->HandleEvent([&] { self->Configured(framed, e->x, e->y, e->width, e->height); }, "configure-event");
        return FALSE;  // GTK allocates the window from it too
    }), this);
    g_signal_connect(window_, "notify::scale-factor", G_CALLBACK(+[](GtkWidget*, GParamSpec*, GtkHost* self) {
        self->HandleEvent([&] { self->ScaleChanged(); }, "notify::scale-factor");
    }), this);
    g_signal_connect(window_, "window-state-event", G_CALLBACK(+[](GtkWidget*, GdkEventWindowState* e, GtkHost* self) -> gboolean {
        self->HandleEvent([&] { self->StateEvent(StateOf(e->new_window_state)); }, "window-state-event");
        return FALSE;
    }), this);
    // Pointer events are not stopped here: GTK's tooltips follow the pointer and hide on a press
    // only through events left unhandled.
    g_signal_connect(window_, "button-press-event", G_CALLBACK(+[](GtkWidget*, GdkEvent* e, GtkHost* self) -> gboolean {
        self->HandleEvent([&] { self->Button(e, true); }, "button-press-event");
        return FALSE;
    }), this);
    g_signal_connect(window_, "button-release-event", G_CALLBACK(+[](GtkWidget*, GdkEvent* e, GtkHost* self) -> gboolean {
        self->HandleEvent([&] { self->Button(e, false); }, "button-release-event");
        return FALSE;
    }), this);
    g_signal_connect(window_, "motion-notify-event", G_CALLBACK(+[](GtkWidget*, GdkEvent* e, GtkHost* self) -> gboolean {
        self->HandleEvent([&] { self->Motion(e); }, "motion-notify-event");
        return FALSE;
    }), this);
    g_signal_connect(window_, "enter-notify-event", G_CALLBACK(+[](GtkWidget*, GdkEvent* e, GtkHost* self) -> gboolean {
        self->HandleEvent([&] { self->Crossing(e); }, "enter-notify-event");
        return FALSE;
    }), this);
    g_signal_connect(window_, "leave-notify-event", G_CALLBACK(+[](GtkWidget*, GdkEvent* e, GtkHost* self) -> gboolean {
        self->HandleEvent([&] { self->Crossing(e); }, "leave-notify-event");
        return FALSE;
    }), this);
    g_signal_connect(window_, "grab-broken-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, GtkHost* self) -> gboolean {
        self->HandleEvent([&] { self->GrabBroken(); }, "grab-broken-event");
        return FALSE;
    }), this);
    g_signal_connect(window_, "query-tooltip", G_CALLBACK(+[](GtkWidget*, gint x, gint y, gboolean keyboard, GtkTooltip* tip, GtkHost* self) -> gboolean {
        bool shown = false;
        if (!keyboard) self->HandleEvent([&] { shown = self->QueryToolTip(x, y, tip); }, "query-tooltip");
        return shown;
    }), this);
    // Destroyed from outside (the X connection's client killed): the program ends.
    g_signal_connect(window_, "destroy", G_CALLBACK(+[](GtkWidget*, GtkHost* self) {
        self->HandleEvent([&] { self->EndProgram(0); }, "destroy");
    }), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, GtkHost* self) -> gboolean {
        self->HandleEvent([&] { self->CloseRequested(); }, "delete-event");
        return TRUE;
    }), this);
}

// The face, with the visible images' pictures on top; the shape cuts the rest away.
// The face is in device pixels and goes onto the window one to one, whatever scale GTK's
// context carries (its double buffer's and the window's own surface differ there).
void GtkHost::Draw(void* cr) {
    auto* context = static_cast<cairo_t*>(cr);
    double sx = 1, sy = 1;
    cairo_surface_get_device_scale(cairo_get_target(context), &sx, &sy);
    if (sx != 1 || sy != 1) cairo_scale(context, 1 / sx, 1 / sy);
    ClipToOutline(context);
    painter_.Compose(context, Elements());
}

// A size the program asked for is laid out already (notifications of older requests on the way
// to it come first, and are passed over with it); any other size is the window manager's choice
// and is laid out here. Requests that never got an answer of their own (GTK sends only the last
// of several asked for in one event) are forgotten then, so that none can swallow a later size.
void GtkHost::Configured(bool placeUnknown, int x, int y, int width, int height) {
    const Size size{width, height};
    if (state_ != kMinimized) configured_ = size;
    if (state_ != kMinimized && !placeUnknown) {
        x_ = x;
        y_ = y;
        // A new place of a normal window; its size is followed when it is laid out (ResizeFace).
        PixelRect place = restore_.Normal();
        place.x = x;
        place.y = y;
        restore_.Follow(state_, place, !FillsWorkArea(x, y, size));
    }
    const auto asked = std::find(pendingSizes_.begin(), pendingSizes_.end(), size);
    if (asked != pendingSizes_.end()) {
        pendingSizes_.erase(pendingSizes_.begin(), asked + 1);
        return;
    }
    pendingSizes_.clear();
    if (size == size_ || !shown_ || !Running() || state_ == kMinimized) return;
    size_ = size;
    // With no window manager, a maximized window given its normal size back (by one that has just
    // ended) is a normal one.
    if (!managed_ && state_ == kMaximized && size == RestoredSize()) {
        state_ = kNormal;
        ClearMaximizedMark();
    }
    WindowChanged();
}

// A state the program asked for is laid out already; one the window manager or the user made
// (the taskbar, the keyboard) is laid out here. Without a window manager, maximized is what the
// program made itself, whatever marks the window still carries.
void GtkHost::StateEvent(int newState) {
    if (!managed_ && newState != kMinimized) newState = state_ == kMinimized ? kNormal : state_;
    const auto asked = std::find(pendingStates_.begin(), pendingStates_.end(), newState);
    if (asked != pendingStates_.end()) {
        pendingStates_.erase(pendingStates_.begin(), asked + 1);
        if (newState == kNormal && restoreAsked_) {
            restoreAsked_ = false;
            RestoreWhereTheManagerKeptTheMaximizedSize();
        }
        return;
    }
    if (newState == state_ || !shown_ || !Running()) return;
    pendingStates_.clear();
    SystemStateChange(newState);
}

void GtkHost::Button(const GdkEvent* event, bool down) {
    const GdkEventButton& e = event->button;
    const int button = ButtonOf(e.button);
    // The runtime recognises double-clicks itself: GTK's extra double- and triple-press events are passed over.
    if (!button || (down && e.type != GDK_BUTTON_PRESS)) return;
    // An unhandled event reaches the window's handler a second time: the button goes down or up once.
    const std::uint64_t key = (static_cast<std::uint64_t>(e.time) << 8) | (static_cast<std::uint64_t>(e.button) << 1) | down;
    if (key == lastButtonKey_) return;
    lastButtonKey_ = key;
    const int x = static_cast<int>(e.x), y = static_cast<int>(e.y);
    lastX_ = x;
    lastY_ = y;
    const std::uint64_t now = EventTime(e.time);
    currentEvent_ = event;
    if (down)
        PointerDown(button, ShiftOf(e.state), x, y, now);
    else
        PointerUp(button, ShiftOf(e.state), x, y, InsideWindow(x, y), now);
    currentEvent_ = nullptr;
    ShowCursor();
}

void GtkHost::Motion(const GdkEvent* event) {
    const GdkEventMotion& e = event->motion;
    MovedTo(e.x, e.y, e.time, true, ButtonsOf(e.state));
}

// A move at window pixels (x, y) to the runtime, once: an unhandled event reaches the window's
// handler a second time.
void GtkHost::MovedTo(double windowX, double windowY, std::uint32_t time, bool inside, std::optional<int> buttons) {
    const int x = static_cast<int>(windowX), y = static_cast<int>(windowY);
    if (time == lastMotionTime_ && x == lastX_ && y == lastY_) return;
    lastMotionTime_ = time;
    lastX_ = x;
    lastY_ = y;
    PointerMove(x, y, inside && InsideWindow(x, y), EventTime(time), buttons);
    ShowCursor();
    // Onto another element's tooltip in one jump, GTK only hides the last tooltip (the pointer
    // left its area) and waits for a further move to start the next one's delay: it is asked now.
    if (HasCapture()) return;
    std::optional<Elem> under = HitTest(Elements(), x, y);
    if (under && Elements()[static_cast<std::size_t>(*under)].toolTip.empty()) under.reset();
    if (under != tipUnder_) {
        gtk_widget_trigger_tooltip_query(window_);
        if (under) RetryToolTip();
    }
    tipUnder_ = under;
}

// After a press released away from its button, GTK now and then (under load) starts no delay for
// the next element the pointer comes to, and shows nothing until the pointer moves again: once
// the delay is past, a pointer still on the element asks once more.
void GtkHost::RetryToolTip() {
    constexpr unsigned kRetryMs = 800;  // past GTK's hover delay (500 ms)
    if (tipRetrySource_) g_source_remove(tipRetrySource_);
    tipRetrySource_ = g_timeout_add(kRetryMs, +[](gpointer data) -> gboolean {
        auto* self = static_cast<GtkHost*>(data);
        self->tipRetrySource_ = 0;
        self->HandleEvent([&] {
            if (self->tipUnder_ && !self->HasCapture() && self->ShownToolTips().empty()) gtk_widget_trigger_tooltip_query(self->window_);
        }, "the tooltip's retry");
        return G_SOURCE_REMOVE;
    }, this);
}

// The pointer came onto the window or left it. A crossing is a move of its own: a jump from a
// caption button can land on the button's tooltip, which takes the pointer from the window (a
// leave) and then hides under it (an enter), with no motion over the window in between. Over
// its own tooltip the pointer still counts as over the window, as tooltips are transparent to
// the pointer on Windows. The crossings of grabs taken and given back are no moves.
void GtkHost::Crossing(const GdkEvent* event) {
    const GdkEventCrossing& e = event->crossing;
    if (e.mode != GDK_CROSSING_NORMAL || HasCapture()) return;
    MovedTo(e.x, e.y, e.time, e.type == GDK_ENTER_NOTIFY || OverOwnToolTip(e.x_root, e.y_root));
}

// Whether a tooltip this program shows covers the screen point.
bool GtkHost::OverOwnToolTip(double rootX, double rootY) const {
    const std::vector<PixelRect> tips = ShownToolTips();
    return std::any_of(tips.begin(), tips.end(), [&](const PixelRect& r) {
        return rootX >= r.x && rootY >= r.y && rootX < r.x + r.w && rootY < r.y + r.h;
    });
}

std::vector<PixelRect> GtkHost::ShownToolTips() const {
    std::vector<PixelRect> shown;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        GtkWindow* tip = GTK_WINDOW(w->data);
        GdkWindow* gdk = gtk_widget_get_window(GTK_WIDGET(tip));
        if (!gdk || !gtk_widget_get_mapped(GTK_WIDGET(tip)) ||
            gtk_window_get_type_hint(tip) != GDK_WINDOW_TYPE_HINT_TOOLTIP)
            continue;
        GdkRectangle r{};
        gdk_window_get_frame_extents(gdk, &r);
        shown.push_back({r.x, r.y, r.width, r.height});
    }
    g_list_free(windows);
    return shown;
}

// Someone else took the pointer (another grab, the window hidden or minimized): the press ends
// as if released.
void GtkHost::GrabBroken() {
    if (!grabbed_) return;
    grabbed_ = false;
    CaptureLost();
    ShowCursor();
}

// The tip of the element under the pointer, with its current text, for the element's rectangle.
bool GtkHost::QueryToolTip(int x, int y, void* tooltip) {
    if (HasCapture() || !Running() || !InsideWindow(x, y)) return false;
    const auto elem = HitTest(Elements(), x, y);
    if (!elem) return false;
    const ElementState& e = Elements()[static_cast<std::size_t>(*elem)];
    if (e.toolTip.empty()) return false;
    const PixelRect r = TwipsRectToPixels(e.left, e.top, e.width, e.height);
    const GdkRectangle area{r.x, r.y, r.w, r.h};
    gtk_tooltip_set_text(static_cast<GtkTooltip*>(tooltip), e.toolTip.c_str());
    gtk_tooltip_set_tip_area(static_cast<GtkTooltip*>(tooltip), &area);
    return true;
}

// The window manager's close (Alt+F4, the taskbar's menu) ends the program as the close button does.
void GtkHost::CloseRequested() { Unload(); }

// Element geometry, visibility and pictures show at once; a tip on show follows its element's new text.
void GtkHost::ElementChanged(Elem elem) {
    gtk_widget_queue_draw(window_);
    QueueAnnouncement();
    std::string& known = tipTexts_[static_cast<std::size_t>(elem)];
    const std::string& text = Elements()[static_cast<std::size_t>(elem)].toolTip;
    if (known != text) {
        known = text;
        gtk_widget_trigger_tooltip_query(window_);
    }
}

// The grab holds the pointer from the first press to the last release, wherever it goes.
void GtkHost::PlatformCapture(bool take) {
    GdkSeat* seat = gdk_display_get_default_seat(gtk_widget_get_display(window_));
    if (!take) {
        if (grabbed_) gdk_seat_ungrab(seat);
        grabbed_ = false;
        // GTK asks for a tooltip only on a move, and refused one while the capture was held (and
        // its grab hid GTK's own pointer tracking): it asks again for where the pointer is now.
        gtk_widget_trigger_tooltip_query(window_);
        return;
    }
    const GdkGrabStatus status =
        gdk_seat_grab(seat, gtk_widget_get_window(window_), GDK_SEAT_CAPABILITY_ALL_POINTING, FALSE,
                      cursors_[static_cast<std::size_t>(CurrentCursor())], currentEvent_, nullptr, nullptr);
    grabbed_ = status == GDK_GRAB_SUCCESS;
}

// The pointer shape of the element under the pointer, or of the one holding the capture.
void GtkHost::ShowCursor() {
    const int cursor = static_cast<int>(CurrentCursor());
    if (cursor == shownCursor_) return;
    shownCursor_ = cursor;
    gdk_window_set_cursor(gtk_widget_get_window(window_), cursors_[static_cast<std::size_t>(cursor)]);
}

}  // namespace tarvik::gtk
