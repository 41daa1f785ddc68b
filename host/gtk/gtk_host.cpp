#include "host/gtk/gtk_host.h"

#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>

#include "assets/embedded.h"
#include "host/runtime/ellipse.h"
#include "host/gtk/gtk_accessible.h"
#include "host/twips.h"

namespace tarvik::gtk {

namespace {

constexpr const char* kBackend = "gtk";
constexpr const char* kCursorNames[] = {"default", "ns-resize", "ew-resize", "nwse-resize"};

// An embedded picture as a pixbuf (for the window icon); null if it does not decode.
GdkPixbuf* LoadPixbuf(Picture picture) {
    const AssetBytes bytes = EmbeddedAsset(static_cast<int>(picture));
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    GdkPixbuf* pixbuf = nullptr;
    if (gdk_pixbuf_loader_write(loader, bytes.data, bytes.size, nullptr) && gdk_pixbuf_loader_close(loader, nullptr))
        pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
    if (pixbuf) g_object_ref(pixbuf);
    g_object_unref(loader);
    return pixbuf;
}

// The monitor the window is on, or the display's first one before the window exists.
GdkMonitor* MonitorOf(GtkWidget* window) {
    GdkDisplay* display = gtk_widget_get_display(window);
    if (GdkWindow* w = gtk_widget_get_window(window)) return gdk_display_get_monitor_at_window(display, w);
    if (GdkMonitor* primary = gdk_display_get_primary_monitor(display)) return primary;
    return gdk_display_get_monitor(display, 0);
}

}  // namespace

// --- Creation and the main loop ------------------------------------------------------------

GtkHost::GtkHost(const FormDesign& design) : FormsRuntime(design, kBackend), painter_(design) {
    // A GtkWindow whose accessible lists the painted controls.
    window_ = GTK_WIDGET(g_object_new(AccessibleWindowType(), "type", GTK_WINDOW_TOPLEVEL, nullptr));
    if (!window_) Fail("creating the window failed");
    g_object_ref_sink(window_);
    SetAccessibleHost(window_, this);
    gtk_window_set_title(GTK_WINDOW(window_), design.caption);
    gtk_window_set_decorated(GTK_WINDOW(window_), FALSE);
    gtk_widget_set_app_paintable(window_, TRUE);
    // The 32 x 32 image of the window icon, and the 16 x 16 one that Imico holds as well.
    GList* icons = nullptr;
    for (Picture p : {design.icon, Picture::A3})
        if (GdkPixbuf* icon = LoadPixbuf(p)) icons = g_list_append(icons, icon);
    gtk_window_set_icon_list(GTK_WINDOW(window_), icons);
    g_list_free_full(icons, g_object_unref);

    size_ = {TwipsToPixels(design.clientWidth), TwipsToPixels(design.clientHeight)};
    restoredSize_ = size_;
    gtk_window_set_default_size(GTK_WINDOW(window_), size_.width, size_.height);
    // The window manager's own resizes stop where the grips stop.
    GdkGeometry hints{};
    hints.min_width = kMinWindowWidthPx;
    hints.min_height = kMinWindowHeightPx;
    gtk_window_set_geometry_hints(GTK_WINDOW(window_), nullptr, &hints, GDK_HINT_MIN_SIZE);
    painter_.Resize(size_.width, size_.height);
    ConnectSignals();
    ConnectWindowMenu();
    PrepareWaylandWindow();
    gtk_widget_realize(window_);
    if (!gtk_widget_get_window(window_)) Fail("the window could not be realized");
    AnnounceOwnFrame();
    WatchDisplay();
    scale_ = DisplayScale(gtk_widget_get_scale_factor(window_));
    painter_.SetScale(scale_);
    PaintDirect();

    GdkDisplay* display = gtk_widget_get_display(window_);
    for (std::size_t i = 0; i < cursors_.size(); ++i) cursors_[i] = gdk_cursor_new_from_name(display, kCursorNames[i]);
    for (int i = 0; i < kElemCount; ++i) tipTexts_[static_cast<std::size_t>(i)] = Elements()[static_cast<std::size_t>(i)].toolTip;
}

GtkHost::~GtkHost() {
    if (window_ && gtk_widget_get_window(window_)) UnwatchDisplay();
    if (announceSource_) g_source_remove(announceSource_);
    if (tipRetrySource_) g_source_remove(tipRetrySource_);
    if (window_) SetAccessibleHost(window_, nullptr);
    for (auto& [handle, region] : regions_) cairo_region_destroy(region);
    if (windowRegion_) cairo_region_destroy(windowRegion_);
    for (GdkCursor* c : cursors_)
        if (c) g_object_unref(c);
    if (window_) {
        gtk_widget_destroy(window_);
        g_object_unref(window_);
    }
}

int GtkHost::Run() {
    HandleEvent([&] { Start(); });
    if (Running()) gtk_main();
    return ExitStatus();
}

// The program has ended: the main loop stops once the current event returns.
void GtkHost::CloseWindow() {
    gtk_widget_hide(window_);
    if (gtk_main_level() > 0) gtk_main_quit();
}

AccessibleWindow GtkHost::AccessibleView() const { return {Design().caption, size_.width, size_.height, state_ == kMinimized}; }

void GtkHost::RunDefaultAction(Elem elem) {
    HandleEvent([&] { DoDefaultAction(elem); });
}

// Screen readers hear of changes once the current event has run: one announcement for a whole layout.
void GtkHost::QueueAnnouncement() {
    if (announceSource_) return;
    announceSource_ = g_idle_add(+[](gpointer data) -> gboolean {
        auto* self = static_cast<GtkHost*>(data);
        self->announceSource_ = 0;
        AnnounceAccessibleChanges(self->window_);
        return G_SOURCE_REMOVE;
    }, this);
}

// The window stays until the dialog, which runs its own loop, is closed.
void GtkHost::ShowFailure(const std::string& message) {
    g_printerr("%s\n", message.c_str());
    GtkWidget* dialog = gtk_message_dialog_new(shown_ ? GTK_WINDOW(window_) : nullptr, GTK_DIALOG_MODAL,
                                               GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s", message.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), "Tarvik");
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
}

// --- Geometry and state --------------------------------------------------------------------

// Asks the window manager for a size and takes it as the window's size from now on.
void GtkHost::ResizeWindow(int width, int height) {
    const Size size{width, height};
    size_ = size;
    pendingSizes_.push_back(size);
    gtk_window_resize(GTK_WINDOW(window_), std::max(1, size.width), std::max(1, size.height));
}

// The window's new size or state, before its Resize: the face keeps its drawing, and a normal
// window's place is the one a restore comes back to. Some window managers (xfwm4) size the window
// to the work area before they say it is maximized: that size is no place to come back to.
void GtkHost::ResizeFace(int width, int height) {
    if (state_ == kNormal && !FillsWorkArea(x_, y_, size_)) {
        restoredSize_ = size_;
        restoredX_ = x_;
        restoredY_ = y_;
    }
    painter_.Resize(width, height);
    gtk_widget_queue_draw(window_);
    QueueAnnouncement();
    // The elements moved under a pointer at rest: GTK asks for the tooltip there again (not
    // during a grip's drag, which holds the capture: a query asks the server for the pointer).
    if (!HasCapture()) gtk_widget_trigger_tooltip_query(window_);
    tipUnder_.reset();  // whatever the pointer's next move lands on is asked for
}

void GtkHost::MoveWindow(int x, int y) {
    x_ = x;
    y_ = y;
    restoredX_ = x_;
    restoredY_ = y_;
    gtk_window_move(GTK_WINDOW(window_), x_, y_);
}

// The window manager maximizes, minimizes and restores; the layout runs at once, at the size
// the state will have (the work area, or the size before), and the notifications that follow
// lay out again only if the window manager chose another size. Whether one runs is asked each
// time: where none does, the program sizes itself.
void GtkHost::ApplyWindowState(int state) {
    restoreAsked_ = false;
    managed_ = WindowManagerRuns();
    if (!managed_) {
        ApplyStateItself(state);
        return;
    }
    GtkWindow* w = GTK_WINDOW(window_);
    const int from = state_;
    state_ = state;
    pendingStates_.push_back(state);
    if (state == kMaximized) {
        int x = 0, y = 0;
        const Size work = WorkArea(&x, &y);
        x_ = x;
        y_ = y;
        if (work != size_) {
            size_ = work;
            pendingSizes_.push_back(work);
        }
        if (from == kMinimized) gtk_window_deiconify(w);
        gtk_window_maximize(w);
    } else if (state == kMinimized) {
        gtk_window_iconify(w);
    } else {
        if (from == kMinimized) gtk_window_deiconify(w);
        if (from == kMaximized) {
            x_ = restoredX_;
            y_ = restoredY_;
            if (restoredSize_ != size_) {
                size_ = restoredSize_;
                pendingSizes_.push_back(size_);
            }
            restoreAsked_ = true;
            gtk_window_unmaximize(w);
        }
    }
}

// The window manager or the user changed the state on their own (taskbar, keyboard, a double-click
// on the window's frame): Resize runs for the new state, then the runtime hears of the change,
// and the window takes the look the maximize command gives that state.
// The size is the one the state will have; a notification of another size lays out again.
void GtkHost::SystemStateChange(int to) {
    state_ = to;
    if (to == kMaximized) {
        size_ = WorkArea(&x_, &y_);
    } else if (to == kNormal) {
        // The window manager may have given the restored size before the state (xfwm4): that one holds.
        if (FillsWorkArea(x_, y_, configured_) || configured_ == Size{}) {
            x_ = restoredX_;
            y_ = restoredY_;
            size_ = restoredSize_;
        } else {
            size_ = configured_;
        }
    }
    WindowChanged();
}

// Whether a window at (x, y) of this size covers exactly the work area, as a maximized one does.
bool GtkHost::FillsWorkArea(int x, int y, Size size) const {
    int workX = 0, workY = 0;
    const Size work = WorkArea(&workX, &workY);
    return size == work && x == workX && y == workY;
}

// GTK's double-click time, and its distance either way around the first press.
DoubleClickMetrics GtkHost::DoubleClickRule() const {
    gint time = 0, distance = 0;
    g_object_get(gtk_settings_get_default(), "gtk-double-click-time", &time, "gtk-double-click-distance", &distance,
                 nullptr);
    return {static_cast<std::uint64_t>(std::max(0, time)), 2 * distance, 2 * distance};
}

GtkHost::Size GtkHost::WorkArea(int* x, int* y) const {
    GdkRectangle r{};
    gdk_monitor_get_workarea(MonitorOf(window_), &r);
    *x = r.x;
    *y = r.y;
    return {r.width, r.height};
}

void GtkHost::ShowWindow() {
    shown_ = true;
    // The first layout and outline come before the window is mapped, so its first frame is the finished one.
    WindowChanged();
    if (Running()) gtk_widget_show(window_);
}

HWND GtkHost::Handle() const {
    if (!OnX11()) return WaylandHandle();
    return static_cast<HWND>(GDK_WINDOW_XID(gtk_widget_get_window(window_)));
}

PixelSize GtkHost::ScreenPixels() const {
    GdkRectangle r{};
    gdk_monitor_get_geometry(MonitorOf(window_), &r);
    return {r.width, r.height};
}

// --- Drawing on the face -------------------------------------------------------------------

void GtkHost::DrawLine(float x1, float y1, float x2, float y2, Color color, LineKind kind) {
    painter_.Line(x1, y1, x2, y2, color, kind);
    gtk_widget_queue_draw(window_);
}

void GtkHost::DrawPicture(Picture picture, float dx, float dy, float dw, float dh, float sx, float sy, float sw,
                          float sh) {
    painter_.PaintPicture(picture, dx, dy, dw, dh, sx, sy, sw, sh);
    gtk_widget_queue_draw(window_);
}

int GtkHost::PrintText(const std::string& text, float x, float y, Color color) {
    gtk_widget_queue_draw(window_);
    return painter_.Print(text, x, y, color);
}

// --- Regions: cairo regions under GDI's rules ----------------------------------------------

HRGN GtkHost::CreateRectRgn(int x1, int y1, int x2, int y2) {
    if (x1 > x2) std::swap(x1, x2);  // GDI normalises the corners
    if (y1 > y2) std::swap(y1, y2);
    x1 = scale_.ToDevice(x1), y1 = scale_.ToDevice(y1), x2 = scale_.ToDevice(x2), y2 = scale_.ToDevice(y2);
    const cairo_rectangle_int_t r{x1, y1, x2 - x1, y2 - y1};
    cairo_region_t* region = cairo_region_create_rectangle(&r);
    if (cairo_region_status(region) != CAIRO_STATUS_SUCCESS) {
        cairo_region_destroy(region);
        return 0;
    }
    regions_.emplace(nextRegion_, region);
    return nextRegion_++;
}

HRGN GtkHost::CreateEllipticRgn(int x1, int y1, int x2, int y2) {
    cairo_region_t* region = cairo_region_create();
    for (const Span& s : EllipseSpans(x1, y1, x2, y2, scale_)) {
        const cairo_rectangle_int_t row{s.from, s.y, s.to - s.from, 1};
        cairo_region_union_rectangle(region, &row);
    }
    if (cairo_region_status(region) != CAIRO_STATUS_SUCCESS) {
        cairo_region_destroy(region);
        return 0;
    }
    regions_.emplace(nextRegion_, region);
    return nextRegion_++;
}

// Only RGN_OR is supported; unknown handles fail with 0 (ERROR) as GDI does.
int GtkHost::CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
    const auto d = regions_.find(dst), a = regions_.find(src1), b = regions_.find(src2);
    if (mode != RGN_OR || d == regions_.end() || a == regions_.end() || b == regions_.end()) return 0;
    cairo_region_t* merged = cairo_region_copy(a->second);
    if (cairo_region_union(merged, b->second) != CAIRO_STATUS_SUCCESS) {
        cairo_region_destroy(merged);
        return 0;
    }
    cairo_region_destroy(d->second);
    d->second = merged;
    if (cairo_region_is_empty(merged)) return 1;                  // NULLREGION
    return cairo_region_num_rectangles(merged) == 1 ? 2 : 3;      // SIMPLEREGION, COMPLEXREGION
}

int GtkHost::DeleteObject(HRGN region) {
    const auto it = regions_.find(region);
    if (it == regions_.end()) return 0;
    cairo_region_destroy(it->second);
    regions_.erase(it);
    return 1;
}

// The window takes the region as its shape, for what is drawn and for where the pointer lands;
// a null region makes it rectangular.
int GtkHost::SetWindowRgn(HWND hwnd, HRGN region, int redraw) {
    (void)redraw;  // the shape always shows at once
    if (hwnd != hWnd()) return 0;
    cairo_region_t* shape = nullptr;
    if (region != 0) {
        const auto it = regions_.find(region);
        if (it == regions_.end()) return 0;
        shape = it->second;
        regions_.erase(it);
    }
    if (windowRegion_) cairo_region_destroy(windowRegion_);
    windowRegion_ = shape;
    ApplyShape();
    return 1;
}

// The region as the window's shape, for what is drawn and for where the pointer lands. GTK
// takes shapes in its own pixels and enlarges them by the scale; at a scale other than 1 the
// device's shape is given to X directly, so that the curves are cut at the device's resolution.
void GtkHost::ApplyShape() {
    // Wayland: no window shapes; the outline is drawn and is the input region (gtk_wayland.cpp).
    if (!OnX11()) {
        ApplyWaylandOutline();
        return;
    }
    if (scale_.IsOne()) {
        gtk_widget_shape_combine_region(window_, windowRegion_);
        gtk_widget_input_shape_combine_region(window_, windowRegion_);
        return;
    }
    Display* display = GDK_WINDOW_XDISPLAY(gtk_widget_get_window(window_));
    const ::Window xid = GDK_WINDOW_XID(gtk_widget_get_window(window_));
    for (const int kind : {ShapeBounding, ShapeInput}) {
        if (!windowRegion_) {
            XShapeCombineMask(display, xid, kind, 0, 0, 0, ShapeSet);
            continue;
        }
        const int n = cairo_region_num_rectangles(windowRegion_);
        std::vector<XRectangle> rects(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            cairo_rectangle_int_t r;
            cairo_region_get_rectangle(windowRegion_, i, &r);
            rects[static_cast<std::size_t>(i)] = {static_cast<short>(r.x), static_cast<short>(r.y),
                                                  static_cast<unsigned short>(r.width), static_cast<unsigned short>(r.height)};
        }
        XShapeCombineRectangles(display, xid, kind, 0, 0, rects.data(), n, ShapeSet, YXBanded);
    }
}

// The face is a finished picture of the whole window: at scale 1 it is painted straight onto the
// window, with no window-sized buffer made, cleared and copied again in the X server for every
// frame. At other scales GTK paints nothing of a window drawn that way, so it keeps its buffer;
// on Wayland, where a frame is a buffer the client hands over, too.
void GtkHost::PaintDirect() {
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_widget_set_double_buffered(window_, !scale_.IsOne() || !OnX11());
    G_GNUC_END_IGNORE_DEPRECATIONS
}

// The desktop's scale for the window changed (or the window moved to a monitor of another):
// the face is drawn afresh at the new scale, and the layout runs again for its outline.
void GtkHost::ScaleChanged() {
    const DisplayScale scale(gtk_widget_get_scale_factor(window_));
    if (scale.Factor() == scale_.Factor()) return;
    scale_ = scale;
    painter_.SetScale(scale_);
    PaintDirect();
    if (shown_ && Running()) WindowChanged();
}

// --- Pointer and the system move -------------------------------------------------------------

// The pointer on the screen as the window's place plus where it is over the window: the grips
// set the size from it less the window's place, which so stays exact whatever the scale, and
// even where the window manager's notifications of the place come late or within its frame.
int GtkHost::GetCursorPos(POINT* point) {
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gtk_widget_get_display(window_)));
    if (!pointer) return 0;
    double x = 0, y = 0;
    gdk_window_get_device_position_double(gtk_widget_get_window(window_), pointer, &x, &y, nullptr);
    point->x = x_ + static_cast<int>(std::floor(x));
    point->y = y_ + static_cast<int>(std::floor(y));
    return 1;
}

// (hWnd, WM_NCLBUTTONDOWN, HTCAPTION) hands the pointer to the window manager's own move, from
// the press being handled. The move is only armed here: a window manager that takes the pointer
// for a move holds it for a while even when the button is already up, and swallows the second
// click of a quick double-click (xfwm4, icewm). The host keeps the pointer itself and starts the
// move once it has travelled past the drag threshold with the left button held (ArmedMotion).
std::intptr_t GtkHost::SendMessageA(HWND hwnd, unsigned msg, std::uintptr_t wparam, std::intptr_t lparam) {
    (void)lparam;
    if (hwnd != hWnd() || msg != WM_NCLBUTTONDOWN || wparam != HTCAPTION) return 0;
    // Outside a press, or with the press's release already done: no move, as on Windows.
    if (!currentEvent_ || currentEvent_->type != GDK_BUTTON_PRESS || !LeftButtonHeld()) return 0;
    GdkSeat* seat = gdk_display_get_default_seat(gtk_widget_get_display(window_));
    // The runtime gave its capture back; the pointer is held again for the motion up to the threshold.
    moveArmed_ = gdk_seat_grab(seat, gtk_widget_get_window(window_), GDK_SEAT_CAPABILITY_ALL_POINTING, FALSE, nullptr,
                               currentEvent_, nullptr, nullptr) == GDK_GRAB_SUCCESS;
    return 0;
}

// A motion while the move is armed: past the drag threshold with the left button still down,
// the window manager's move starts from the press's place, so that it moves the window by the
// whole distance the pointer has come.
void GtkHost::ArmedMotion(double rootX, double rootY, unsigned state, std::uint32_t time) {
    if (!moveArmed_) return;
    if (!(state & GDK_BUTTON1_MASK)) {
        DisarmMove();
        return;
    }
    gint threshold = 0;
    g_object_get(gtk_settings_get_default(), "gtk-dnd-drag-threshold", &threshold, nullptr);
    if (std::abs(rootX - lastPressRootX_) <= threshold && std::abs(rootY - lastPressRootY_) <= threshold) return;
    DisarmMove();
    // The move has the pointer from here: out of the double-click box, no double-click follows,
    // even if the window comes back.
    SystemMoving(static_cast<int>(std::floor(rootX)), static_cast<int>(std::floor(rootY)));
    // The motion may be old: a move asked for once the button is up would hold the pointer.
    if (!LeftButtonHeld()) return;
    gtk_window_begin_move_drag(GTK_WINDOW(window_), 1, static_cast<int>(lastPressRootX_),
                               static_cast<int>(lastPressRootY_), time);
}

// The armed move ends without a move: its grab goes.
void GtkHost::DisarmMove() {
    if (!moveArmed_) return;
    moveArmed_ = false;
    gdk_seat_ungrab(gdk_display_get_default_seat(gtk_widget_get_display(window_)));
}

// Whether the left button is down now, as the X server has it (not as queued events say).
bool GtkHost::LeftButtonHeld() const {
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gtk_widget_get_display(window_)));
    GdkModifierType mask{};
    if (pointer) gdk_device_get_state(pointer, gtk_widget_get_window(window_), nullptr, &mask);
    return (mask & GDK_BUTTON1_MASK) != 0;
}

bool GtkHost::InsideWindow(int x, int y) const {
    if (x < 0 || y < 0 || x >= size_.width || y >= size_.height) return false;
    return !windowRegion_ || cairo_region_contains_point(windowRegion_, scale_.ToDevice(x), scale_.ToDevice(y));
}

}  // namespace tarvik::gtk
