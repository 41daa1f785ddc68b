// The X display around the window: whether a window manager runs (EWMH's check window), watched
// as one comes and goes; where none runs, the program maximizes and restores itself, as a bare
// display expects; and the lost connection, named on stderr. On Wayland the compositor always
// manages the window, and GDK itself ends the program when the connection goes.
#include "host/backends/gtk/gtk_host.h"

// After the program's own headers: X11's macros (None, Cursor) would clash with their names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace tarvik::gtk {

namespace {

constexpr const char* kCheckProperty = "_NET_SUPPORTING_WM_CHECK";

// Xlib's I/O error handler, which must not return: the X server went away under the program.
int LostDisplay(Display* display) {
    std::fprintf(stderr, "tarvik: lost the connection to the X display %s\n", DisplayString(display));
    _exit(1);
}

// The window a window property names (a WINDOW of 32 bits), or None.
::Window WindowProperty(Display* display, ::Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ::Window named = None;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data) ==
            Success &&
        type == XA_WINDOW && format == 32 && count == 1)
        named = static_cast<::Window>(*reinterpret_cast<unsigned long*>(data));
    if (data) XFree(data);
    return named;
}

// Shows the host each X event before GDK translates it.
GdkFilterReturn FilterDisplayEvent(GdkXEvent* xevent, GdkEvent*, gpointer host) {
    static_cast<GtkHost*>(host)->DisplayEvent(xevent);
    return GDK_FILTER_CONTINUE;
}

}  // namespace

// Names a lost X server on stderr; follows the window manager from now on: its check window's
// end, a new one's check property on the root window, and the window taken into or out of a frame.
void GtkHost::WatchDisplay() {
    managed_ = true;
    if (!OnX11()) return;
    XSetIOErrorHandler(&LostDisplay);
    // The root window's property changes, added to whatever GDK selected there itself.
    Display* display = GDK_WINDOW_XDISPLAY(gtk_widget_get_window(window_));
    XWindowAttributes root{};
    if (XGetWindowAttributes(display, DefaultRootWindow(display), &root))
        XSelectInput(display, DefaultRootWindow(display), root.your_event_mask | PropertyChangeMask);
    gdk_window_add_filter(nullptr, &FilterDisplayEvent, this);
    managed_ = WindowManagerRuns();
}

// The window goes: nothing of the display is watched for it any more.
void GtkHost::UnwatchDisplay() {
    if (!OnX11()) return;
    gdk_window_remove_filter(nullptr, &FilterDisplayEvent, this);
    if (wmCheckSource_) g_source_remove(wmCheckSource_);
}

// A window manager may have come or gone: its check window destroyed, the root's check property
// changed, or the window reparented (into a new one's frame, or back to the root).
void GtkHost::DisplayEvent(const void* xevent) {
    const XEvent& e = *static_cast<const XEvent*>(xevent);
    Display* display = GDK_WINDOW_XDISPLAY(gtk_widget_get_window(window_));
    if ((e.type == DestroyNotify && wmCheck_ != 0 && e.xdestroywindow.window == wmCheck_) ||
        (e.type == ReparentNotify && e.xreparent.window == GDK_WINDOW_XID(gtk_widget_get_window(window_))) ||
        (e.type == PropertyNotify && e.xproperty.window == DefaultRootWindow(display) &&
         e.xproperty.atom == gdk_x11_get_xatom_by_name_for_display(gtk_widget_get_display(window_), kCheckProperty)))
        QueueWindowManagerCheck();
}

// Whether a window manager runs, by EWMH: the root window names a check window that names itself.
// Its end is watched, whoever else watches it.
bool GtkHost::WindowManagerRuns() {
    if (!OnX11()) return true;  // a Wayland compositor is its window manager
    GdkDisplay* gdkDisplay = gtk_widget_get_display(window_);
    Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    const Atom check = gdk_x11_get_xatom_by_name_for_display(gdkDisplay, kCheckProperty);
    gdk_x11_display_error_trap_push(gdkDisplay);
    ::Window named = WindowProperty(display, DefaultRootWindow(display), check);
    if (named != None && WindowProperty(display, named, check) != named) named = None;  // a stale name
    if (named != None && named != wmCheck_) XSelectInput(display, named, StructureNotifyMask);
    gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
    wmCheck_ = named;
    return named != None;
}

// A window manager may have come or gone: checked once the events of the change have arrived.
void GtkHost::QueueWindowManagerCheck() {
    if (wmCheckSource_) return;
    wmCheckSource_ = g_idle_add(+[](gpointer data) -> gboolean {
        auto* self = static_cast<GtkHost*>(data);
        self->wmCheckSource_ = 0;
        self->HandleEvent([&] { self->WindowManagerChanged(); }, "the window manager's check");
        return G_SOURCE_REMOVE;
    }, this);
}

// A window manager came: it hears of a maximized state (it knows only what the window says of
// itself). One went: nothing answers the program's requests any more, and the window is as the
// last one left it.
void GtkHost::WindowManagerChanged() {
    const bool runs = WindowManagerRuns();
    if (runs == managed_) return;
    managed_ = runs;
    pendingSizes_.clear();
    pendingStates_.clear();
    restoreAsked_ = false;
    if (!shown_ || !Running()) return;
    if (!runs) {
        TakeOverState();
    } else if (state_ == kMaximized) {
        gtk_window_maximize(GTK_WINDOW(window_));
    }
}

// No window manager any more: the window's state and size are what the last one left. One that
// gives its windows their normal size back as it ends (openbox) leaves them marked maximized: at
// that size the window is a normal one, and the mark goes.
void GtkHost::TakeOverState() {
    GdkWindow* window = gtk_widget_get_window(window_);
    if (state_ == kMinimized) return;  // the window's mapping tells when it shows again
    const Size real{gdk_window_get_width(window), gdk_window_get_height(window)};
    if (state_ == kMaximized && real == RestoredSize()) state_ = kNormal;
    if (state_ == kNormal) ClearMaximizedMark();
    gdk_window_get_origin(window, &x_, &y_);
    size_ = real;
    configured_ = real;
    SystemResized();
}

// Without a window manager the program sizes itself: maximized it fills the work area (the
// screen, as none is reserved), restored it goes back to its normal place and size. There is
// nothing to minimize into: that request is refused and the state stays.
void GtkHost::ApplyStateItself(int state) {
    if (state == kMinimized) return;
    ClearMaximizedMark();
    int x = restore_.Normal().x, y = restore_.Normal().y;
    Size size = RestoredSize();
    if (state == kMaximized) size = WorkArea(&x, &y);
    state_ = state;
    x_ = x;
    y_ = y;
    if (size != size_) {
        size_ = size;
        pendingSizes_.push_back(size);
    }
    AskGeometry(x, y, size);
}

// The window manager said the window is restored but left it at the size of the work area: it took
// the window over maximized from another one and knows no other size. The program asks for its
// own normal place and size (the answer is laid out when it comes, if it is not that size).
void GtkHost::RestoreWhereTheManagerKeptTheMaximizedSize() {
    int workX = 0, workY = 0;
    const Size work = WorkArea(&workX, &workY);
    if (configured_.width < work.width || configured_.height < work.height || configured_ == RestoredSize()) return;
    AskGeometry(restore_.Normal().x, restore_.Normal().y, RestoredSize());
}

// Asks X (or the window manager) for a place and size straight away: GtkWindow holds back the
// sizes of a window it believes maximized, and one it asked for before.
void GtkHost::AskGeometry(int x, int y, Size size) {
    gdk_window_move_resize(gtk_widget_get_window(window_), x, y, std::max(1, size.width), std::max(1, size.height));
}

// Takes the maximized atoms out of the window's _NET_WM_STATE, where a window manager that has
// gone left them: GDK then says the window is not maximized, and GtkWindow sizes it again.
void GtkHost::ClearMaximizedMark() {
    GdkWindow* window = gtk_widget_get_window(window_);
    if (!OnX11() || !(gdk_window_get_state(window) & GDK_WINDOW_STATE_MAXIMIZED)) return;
    GdkDisplay* gdkDisplay = gtk_widget_get_display(window_);
    Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    const ::Window xid = GDK_WINDOW_XID(window);
    const Atom property = gdk_x11_get_xatom_by_name_for_display(gdkDisplay, "_NET_WM_STATE");
    const Atom vert = gdk_x11_get_xatom_by_name_for_display(gdkDisplay, "_NET_WM_STATE_MAXIMIZED_VERT");
    const Atom horz = gdk_x11_get_xatom_by_name_for_display(gdkDisplay, "_NET_WM_STATE_MAXIMIZED_HORZ");
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<Atom> kept;
    gdk_x11_display_error_trap_push(gdkDisplay);
    if (XGetWindowProperty(display, xid, property, 0, 1024, False, XA_ATOM, &type, &format, &count, &after, &data) ==
            Success &&
        type == XA_ATOM && format == 32) {
        const auto* atoms = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i)
            if (atoms[i] != vert && atoms[i] != horz) kept.push_back(static_cast<Atom>(atoms[i]));
    }
    if (data) XFree(data);
    XChangeProperty(display, xid, property, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(kept.data()),
                    static_cast<int>(kept.size()));
    gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
}

// The program's own menu (shown where the window manager offers none): the window manager makes
// the state if one runs; without one the program does, and the state is the system's choice.
void GtkHost::MenuState(int state) {
    if (WindowManagerRuns()) {
        GtkWindow* w = GTK_WINDOW(window_);
        if (state == kMaximized) gtk_window_maximize(w);
        if (state == kNormal) gtk_window_unmaximize(w);
        if (state == kMinimized) gtk_window_iconify(w);
        return;
    }
    managed_ = false;
    if (state == state_ || state == kMinimized || !Running()) return;
    ApplyStateItself(state);
    WindowChanged();
}

}  // namespace tarvik::gtk
