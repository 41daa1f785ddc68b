// The X display around the window: whether a window manager runs (EWMH's check window); where
// none runs, the program maximizes and restores itself, as a bare display expects; and the lost
// connection, named on stderr.
#include "host/gtk/gtk_host.h"

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

}  // namespace

// Names a lost X server on stderr (GDK's own handler ends the program without a word), and
// learns whether a window manager runs.
void GtkHost::WatchDisplay() {
    XSetIOErrorHandler(&LostDisplay);
    managed_ = WindowManagerRuns();
}

// Whether a window manager runs, by EWMH: the root window names a check window that names itself.
bool GtkHost::WindowManagerRuns() {
    GdkDisplay* gdkDisplay = gtk_widget_get_display(window_);
    Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    const Atom check = gdk_x11_get_xatom_by_name_for_display(gdkDisplay, kCheckProperty);
    gdk_x11_display_error_trap_push(gdkDisplay);
    ::Window named = WindowProperty(display, DefaultRootWindow(display), check);
    if (named != None && WindowProperty(display, named, check) != named) named = None;  // a stale name
    gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
    return named != None;
}

// Without a window manager the program sizes itself: maximized it fills the work area (the
// screen, as none is reserved), restored it goes back to its normal place and size. There is
// nothing to minimize into: that request is refused and the state stays.
void GtkHost::ApplyStateItself(int state) {
    if (state == kMinimized) return;
    ClearMaximizedMark();
    int x = restoredX_, y = restoredY_;
    Size size = restoredSize_;
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

// Asks X (or the window manager) for a place and size straight away: GtkWindow holds back the
// sizes of a window it believes maximized, and one it asked for before.
void GtkHost::AskGeometry(int x, int y, Size size) {
    gdk_window_move_resize(gtk_widget_get_window(window_), x, y, std::max(1, size.width), std::max(1, size.height));
}

// Takes the maximized atoms out of the window's _NET_WM_STATE, where a window manager that has
// gone left them: GDK then says the window is not maximized, and GtkWindow sizes it again.
void GtkHost::ClearMaximizedMark() {
    GdkWindow* window = gtk_widget_get_window(window_);
    if (!(gdk_window_get_state(window) & GDK_WINDOW_STATE_MAXIMIZED)) return;
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
    HandleEvent([&] {
        managed_ = false;
        if (state == state_ || state == kMinimized || !Running()) return;
        ApplyStateItself(state);
        WindowChanged();
    });
}

}  // namespace tarvik::gtk
