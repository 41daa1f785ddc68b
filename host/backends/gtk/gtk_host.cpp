#include "host/backends/gtk/gtk_host.h"

#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>

#include "host/backends/cairo/cairo_pictures.h"
#include "host/backends/gtk/gtk_accessible.h"
#include "host/twips.h"

namespace tarvik::gtk {

namespace {

constexpr const char* kBackend = "gtk";
constexpr double kWaylandPointerNudge = 0.5;  // to the nearest layout pixel, on Wayland
constexpr const char* kCursorNames[] = {"default", "ns-resize", "ew-resize", "nwse-resize"};

// An embedded picture as a pixbuf (for the window icon), from the painter's decoded copy.
GdkPixbuf* IconPixbuf(Picture picture) {
    cairo_surface_t* surface = cairo::PictureSurface(picture);
    return gdk_pixbuf_get_from_surface(surface, 0, 0, cairo_image_surface_get_width(surface),
                                       cairo_image_surface_get_height(surface));
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
        if (GdkPixbuf* icon = IconPixbuf(p)) icons = g_list_append(icons, icon);
    gtk_window_set_icon_list(GTK_WINDOW(window_), icons);
    g_list_free_full(icons, g_object_unref);

    size_ = {TwipsToPixels(design.clientWidth), TwipsToPixels(design.clientHeight)};
    restore_.Follow(kNormal, {0, 0, size_.width, size_.height});
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
    if (lateRedrawSource_) g_source_remove(lateRedrawSource_);
    if (stateCheckSource_) g_source_remove(stateCheckSource_);
    if (window_) SetAccessibleHost(window_, nullptr);
    if (windowRegion_) cairo_region_destroy(windowRegion_);
    for (GdkCursor* c : cursors_)
        if (c) g_object_unref(c);
    if (window_) {
        gtk_widget_destroy(window_);
        g_object_unref(window_);
    }
}

int GtkHost::Run() {
    HandleEvent([&] { Start(); }, "start-up");
    if (Running()) gtk_main();
    return ExitStatus();
}

// The program has ended: the main loop stops once the current event returns.
void GtkHost::CloseWindow() {
    gtk_widget_hide(window_);
    if (gtk_main_level() > 0) gtk_main_quit();
}

void GtkHost::RunDefaultAction(Elem elem) {
    HandleEvent([&] { DoDefaultAction(elem); }, "a screen reader's action");
}

// Screen readers hear of changes once the current event has run: one announcement for a whole layout.
void GtkHost::QueueAnnouncement() {
    if (announceSource_) return;
    announceSource_ = g_idle_add(+[](gpointer data) -> gboolean {
        auto* self = static_cast<GtkHost*>(data);
        self->announceSource_ = 0;
        self->HandleEvent([&] { AnnounceAccessibleChanges(self->window_); }, "the accessibility announcement");
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
bool GtkHost::ResizeFace(int width, int height) {
    restore_.Follow(state_, {x_, y_, size_.width, size_.height}, !FillsWorkArea(x_, y_, size_));
    if (!painter_.Resize(width, height)) return false;
    gtk_widget_queue_draw(window_);
    QueueAnnouncement();
    // The elements moved under a pointer at rest: GTK asks for the tooltip there again (not
    // during a grip's drag, which holds the capture: a query asks the server for the pointer).
    if (!HasCapture()) gtk_widget_trigger_tooltip_query(window_);
    tipUnder_.reset();  // whatever the pointer's next move lands on is asked for
    return true;
}

// GTK places a window in its own pixels, the layout's: the nearest one (halves up).
void GtkHost::MoveWindow(double x, double y) {
    x_ = static_cast<int>(std::floor(x + 0.5));
    y_ = static_cast<int>(std::floor(y + 0.5));
    restore_.Follow(state_, {x_, y_, size_.width, size_.height});
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
    if (OnWayland()) {
        AskWaylandState(state);
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
            x_ = restore_.Normal().x;
            y_ = restore_.Normal().y;
            if (RestoredSize() != size_) {
                size_ = RestoredSize();
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
            x_ = restore_.Normal().x;
            y_ = restore_.Normal().y;
            size_ = RestoredSize();
        } else {
            size_ = configured_;
        }
    }
    WindowChanged();
}

void GtkHost::RedrawLater() {
    if (lateRedrawSource_) return;
    lateRedrawSource_ = g_timeout_add(kLateRedrawMs, +[](gpointer data) -> gboolean {
        auto* self = static_cast<GtkHost*>(data);
        self->lateRedrawSource_ = 0;
        gtk_widget_queue_draw(self->window_);
        return G_SOURCE_REMOVE;
    }, this);
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
    // A Wayland compositor places a new window itself and never says where.
    if (OnWayland()) PlaceUnknown();
    if (Running()) gtk_widget_show(window_);
}

HWND GtkHost::Handle() const {
    if (!OnX11()) return WaylandHandle();
    return static_cast<HWND>(GDK_WINDOW_XID(gtk_widget_get_window(window_)));
}

LayoutSize GtkHost::ScreenPixels() const {
    GdkRectangle r{};
    gdk_monitor_get_geometry(MonitorOf(window_), &r);
    return {static_cast<double>(r.width), static_cast<double>(r.height)};
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

// --- The outline ---------------------------------------------------------------------------

// The outline becomes the window's shape, for what is drawn and for where the pointer lands;
// none makes it rectangular. The shape always shows at once: redraw asks for nothing more.
void GtkHost::ApplyOutline(const Region* outline, bool redraw) {
    (void)redraw;
    cairo_region_t* shape = nullptr;
    if (outline) {
        std::vector<cairo_rectangle_int_t> boxes;
        for (const PixelRect& r : outline->Rectangles()) boxes.push_back({r.x, r.y, r.w, r.h});
        shape = cairo_region_create_rectangles(boxes.data(), static_cast<int>(boxes.size()));
        if (cairo_region_status(shape) != CAIRO_STATUS_SUCCESS) {
            cairo_region_destroy(shape);
            return;  // the old shape stays
        }
    }
    if (windowRegion_) cairo_region_destroy(windowRegion_);
    windowRegion_ = shape;
    ApplyShape();
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
std::optional<POINT> GtkHost::PointerOnScreen() const {
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gtk_widget_get_display(window_)));
    if (!pointer) return std::nullopt;
    double x = 0, y = 0;
    gdk_window_get_device_position_double(gtk_widget_get_window(window_), pointer, &x, &y, nullptr);
    // A Wayland compositor may place a window at a half pixel (sway centres a floating window so)
    // and draw it from the whole pixel above: the pointer's place within it is then half a pixel
    // short of the pixel it shows on, so the nearest whole pixel is taken there.
    const double nudge = OnWayland() ? kWaylandPointerNudge : 0.0;
    return POINT{x_ + static_cast<int>(std::floor(x + nudge)), y_ + static_cast<int>(std::floor(y + nudge))};
}

// GTK's drag threshold, the same either way (GTK pixels are layout pixels).
PixelSize GtkHost::DragDistance() const {
    gint threshold = 0;
    g_object_get(gtk_settings_get_default(), "gtk-dnd-drag-threshold", &threshold, nullptr);
    return {threshold, threshold};
}

// The window manager's own move, from the press's place on the screen, so that it moves the
// window by the whole distance the pointer has come. The press is given in the runtime's screen
// pixels (the window's place as last known plus the face pixel): it is the same face pixel of
// the window where the X server has it now.
void GtkHost::StartSystemMove(int x, int y) {
    // The motion may be old (queued behind the release): a move asked for once the button is up
    // would hold the pointer until the next click.
    if (!LeftButtonHeld()) return;
    int originX = 0, originY = 0;
    gdk_window_get_origin(gtk_widget_get_window(window_), &originX, &originY);
    gtk_window_begin_move_drag(GTK_WINDOW(window_), 1, originX + x - x_, originY + y - y_, gtk_get_current_event_time());
    if (OnWayland()) PlaceUnknown();
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
