// The window menu: a right click on the title bar and Alt+Space ask the window manager for its
// menu at the pointer; where the window manager offers none (or a Wayland compositor is not
// known to show one), the program shows the same items.
#include <gdk/gdkkeysyms.h>
#include <gtk/gtk.h>

#include "host/backends/gtk/gtk_host.h"

namespace tarvik::gtk {

namespace {

// One item of the fallback menu: what it says, and what it does (a state, or asks of GTK).
struct MenuItem {
    const char* label;
    int state;  // -1: run does it
    void (*run)(GtkWindow*);
    bool enabled;
};

}  // namespace

// Alt+Space opens the window menu where the window manager does not take the key itself.
void GtkHost::ConnectWindowMenu() {
    g_signal_connect(window_, "key-press-event", G_CALLBACK(+[](GtkWidget*, GdkEventKey* e, GtkHost* self) -> gboolean {
        if (e->keyval != GDK_KEY_space || !(e->state & GDK_MOD1_MASK) || !self->Running()) return FALSE;
        self->HandleEvent([&] { self->OpenWindowMenu(nullptr, self->x_, self->y_); }, "key-press-event");
        return TRUE;
    }), this);
}

void GtkHost::ShowWindowMenu(int x, int y) {
    OpenWindowMenu(currentEvent_, x_ + x, y_ + y);
}

// Asks the window manager for its menu (_GTK_SHOW_WINDOW_MENU), which takes a button event; for
// the keyboard one is made at the window's corner. Otherwise the items the window manager's menu
// holds, enabled for the state, each done through the window manager as its own would be.
void GtkHost::OpenWindowMenu(const GdkEvent* event, int rootX, int rootY) {
    GdkWindow* window = gtk_widget_get_window(window_);
    GdkEvent* asked = event ? gdk_event_copy(event) : gdk_event_new(GDK_BUTTON_PRESS);
    if (!event) {
        asked->button.window = GDK_WINDOW(g_object_ref(window));
        asked->button.x_root = rootX;
        asked->button.y_root = rootY;
        asked->button.button = GDK_BUTTON_SECONDARY;
        asked->button.time = gtk_get_current_event_time();
        gdk_event_set_device(asked, gdk_seat_get_pointer(gdk_display_get_default_seat(gtk_widget_get_display(window_))));
    }
    const bool shown = WindowMenuRequestShows() && gdk_window_show_window_menu(window, asked);
    gdk_event_free(asked);
    if (shown) return;

    const bool maximized = state_ == kMaximized;
    const MenuItem items[] = {
        {"Restore", kNormal, nullptr, maximized},
        {"Move", -1, [](GtkWindow* w) { gtk_window_begin_move_drag(w, 0, 0, 0, gtk_get_current_event_time()); }, !maximized},
        {"Minimize", kMinimized, nullptr, WindowManagerRuns()},  // nothing to minimize into without one
        {"Maximize", kMaximized, nullptr, !maximized},
        {nullptr, -1, nullptr, false},
        {"Close", -1, [](GtkWindow* w) { gtk_window_close(w); }, true},
    };
    GtkWidget* menu = gtk_menu_new();
    for (const MenuItem& item : items) {
        GtkWidget* entry = item.label ? gtk_menu_item_new_with_label(item.label) : gtk_separator_menu_item_new();
        gtk_widget_set_sensitive(entry, item.label == nullptr || item.enabled);
        if (item.label)
            g_signal_connect(entry, "activate", G_CALLBACK(+[](GtkMenuItem*, gpointer data) {
                auto* self = static_cast<GtkHost*>(g_object_get_data(G_OBJECT(data), "tarvik-host"));
                const int state = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(data), "tarvik-state"));
                self->HandleEvent([&] {
                    if (state >= 0)
                        self->MenuState(state);
                    else
                        reinterpret_cast<void (*)(GtkWindow*)>(g_object_get_data(G_OBJECT(data), "tarvik-run"))(GTK_WINDOW(self->window_));
                }, "the window menu");
            }), entry);
        g_object_set_data(G_OBJECT(entry), "tarvik-host", this);
        g_object_set_data(G_OBJECT(entry), "tarvik-state", GINT_TO_POINTER(item.state));
        g_object_set_data(G_OBJECT(entry), "tarvik-run", reinterpret_cast<gpointer>(item.run));
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), entry);
    }
    gtk_widget_show_all(menu);
    gtk_menu_attach_to_widget(GTK_MENU(menu), window_, nullptr);
    // The menu goes when it closes, whatever was chosen.
    g_signal_connect(menu, "deactivate", G_CALLBACK(+[](GtkMenuShell* shell, gpointer) {
        g_idle_add(+[](gpointer m) -> gboolean {
            gtk_widget_destroy(GTK_WIDGET(m));
            return G_SOURCE_REMOVE;
        }, shell);
    }), nullptr);
    const GdkRectangle at{rootX - x_, rootY - y_, 1, 1};
    gtk_menu_popup_at_rect(GTK_MENU(menu), window, &at, GDK_GRAVITY_NORTH_WEST, GDK_GRAVITY_NORTH_WEST, event);
}

}  // namespace tarvik::gtk
