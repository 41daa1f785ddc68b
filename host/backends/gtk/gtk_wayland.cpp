// The window on a Wayland display, where the compositor keeps to itself what X11 lets a window
// do: there is no window shape, so the outline is drawn with transparent corners and given as
// the input region; the window announces that it draws its own frame; and it neither places
// itself nor learns where it is (the compositor chooses, the program keeps the place it asked for);
// maximize and restore are requests the compositor may answer or not; and whether it shows a
// window menu when asked is known only by the desktop's name.
#include "host/backends/gtk/gtk_host.h"

// After the program's own headers: X11's macros (None, Cursor) would clash with their names.
#include <gdk/gdkwayland.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

namespace tarvik::gtk {

namespace {

// The desktops whose Wayland compositor shows a window menu when asked (GNOME Shell, KWin), as
// XDG_CURRENT_DESKTOP names them.
constexpr const char* kDesktopsWithWindowMenu[] = {"GNOME", "KDE"};

// The window's own style: no background of the theme's, so that GTK does not tell the
// compositor the whole window is opaque and the cut corners show the desktop.
constexpr const char* kTransparentStyle = "* { background-color: transparent; }";

}  // namespace

// Whether the window is on an X11 display (X11 itself, or Xwayland).
bool GtkHost::OnX11() const { return GDK_IS_X11_DISPLAY(gtk_widget_get_display(window_)); }

// Whether the window is a Wayland client.
bool GtkHost::OnWayland() const { return GDK_IS_WAYLAND_DISPLAY(gtk_widget_get_display(window_)); }

// Before the window is realized: a visual with an alpha channel and no opaque background.
void GtkHost::PrepareWaylandWindow() {
    if (!OnWayland()) return;
    if (GdkVisual* rgba = gdk_screen_get_rgba_visual(gtk_widget_get_screen(window_))) gtk_widget_set_visual(window_, rgba);
    GtkCssProvider* style = gtk_css_provider_new();
    gtk_css_provider_load_from_data(style, kTransparentStyle, -1, nullptr);
    gtk_style_context_add_provider(gtk_widget_get_style_context(window_), GTK_STYLE_PROVIDER(style),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(style);
}

// Once realized: the window draws its own frame, which keeps compositors that decorate windows
// themselves (sway, KWin) from adding a title bar of theirs.
void GtkHost::AnnounceOwnFrame() {
    if (OnWayland()) gdk_wayland_window_announce_csd(gtk_widget_get_window(window_));
}

// A handle for the window that is no X window id: the GdkWindow's address, which is stable
// while the window lives.
HWND GtkHost::WaylandHandle() const { return reinterpret_cast<HWND>(gtk_widget_get_window(window_)); }

// The outline where the pointer lands: the input region, in GTK's (layout) pixels. At a scale
// other than 1 every layout pixel a device rectangle of the outline touches is taken, so that
// no pixel drawn is one the pointer falls through.
void GtkHost::ApplyWaylandOutline() {
    if (!windowRegion_ || scale_.IsOne()) {
        gtk_widget_input_shape_combine_region(window_, windowRegion_);
        return;
    }
    cairo_region_t* layout = cairo_region_create();
    const int n = cairo_region_num_rectangles(windowRegion_);
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(windowRegion_, i, &r);
        const int x = scale_.ToLayout(r.x), y = scale_.ToLayout(r.y);
        const cairo_rectangle_int_t l{x, y, scale_.ToLayout(r.x + r.width - 1) + 1 - x,
                                      scale_.ToLayout(r.y + r.height - 1) + 1 - y};
        cairo_region_union_rectangle(layout, &l);
    }
    gtk_widget_input_shape_combine_region(window_, layout);
    cairo_region_destroy(layout);
}

// Wayland has no window shapes: outside the outline the window is cleared to transparent, and
// the face is drawn inside it only (the context is in device pixels, as the outline is).
void GtkHost::ClipToOutline(cairo_t* cr) const {
    if (!windowRegion_ || !OnWayland()) return;
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);
    gdk_cairo_region(cr, windowRegion_);
    cairo_clip(cr);
}

// Whether the window system shows its window menu when asked. On X11 GDK knows (it asks only a
// window manager that supports _GTK_SHOW_WINDOW_MENU); on Wayland the request always goes out,
// and nothing tells whether anything showed: the desktops known to show one are trusted, and
// elsewhere (sway, mutter without GNOME Shell) the program shows its own.
bool GtkHost::WindowMenuRequestShows() const {
    if (!OnWayland()) return true;
    const char* desktop = g_getenv("XDG_CURRENT_DESKTOP");
    if (!desktop) return false;
    gchar** names = g_strsplit(desktop, ":", -1);
    bool known = false;
    for (gchar** name = names; *name; ++name)
        for (const char* d : kDesktopsWithWindowMenu) known = known || g_ascii_strcasecmp(*name, d) == 0;
    g_strfreev(names);
    return known;
}

// Maximize and restore are requests the compositor answers with a configure of its own, or not
// at all (sway leaves a floating window as it is): the window keeps its state and size until
// the answer, which comes as the compositor's own change. Once the program's event has run (its
// look made for the state asked for), a state still not taken puts the look back. A minimize is
// never reported (the window keeps its state and its look, right when it comes back).
void GtkHost::AskWaylandState(int state) {
    GtkWindow* w = GTK_WINDOW(window_);
    if (state == kMinimized) {
        gtk_window_iconify(w);
        return;
    }
    if (state == kMaximized)
        gtk_window_maximize(w);
    else
        gtk_window_unmaximize(w);
    askedState_ = state;
    if (stateCheckSource_) return;
    stateCheckSource_ = g_idle_add(+[](gpointer data) -> gboolean {
        auto* self = static_cast<GtkHost*>(data);
        self->stateCheckSource_ = 0;
        self->HandleEvent([&] { self->CheckAskedState(); }, "the compositor's answer");
        return G_SOURCE_REMOVE;
    }, this);
}

// A round trip lets a compositor that answers at once do so first: GDK then holds the new state
// (its event is queued, and lays the window out); otherwise the runtime hears the state was not taken.
void GtkHost::CheckAskedState() {
    gdk_display_sync(gtk_widget_get_display(window_));
    const bool maximized = gdk_window_get_state(gtk_widget_get_window(window_)) & GDK_WINDOW_STATE_MAXIMIZED;
    if (maximized == (askedState_ == kMaximized)) return;
    StateNotTaken(askedState_);
}

}  // namespace tarvik::gtk
