// gtk-minimal: the smallest GTK 3 program with a window like tarvik's (undecorated, 290 x 231,
// centred), painted by the theme; the yardstick for tarvik's start-up time and memory, and a
// peer in the drag measurement (tools/measure-drag.sh). Options:
//   --label       also shows the word "Lumenta" in a label, so that fonts are loaded as tarvik loads them
//   --decorated   the window manager's frame around it (moved and resized by the window manager)
//   --drag        a press within the corner's 16 pixels starts GTK's resize drag, any other a move drag
//   --title NAME  the window's title
#include <gtk/gtk.h>

namespace {

constexpr int kCorner = 16;

// Hands the press to the window manager: a resize from the bottom-right corner, or a move.
gboolean Pressed(GtkWidget* widget, GdkEventButton* e, gpointer) {
    if (e->type != GDK_BUTTON_PRESS || e->button != GDK_BUTTON_PRIMARY) return FALSE;
    GtkWindow* window = GTK_WINDOW(widget);
    const int w = gtk_widget_get_allocated_width(widget), h = gtk_widget_get_allocated_height(widget);
    const int x = static_cast<int>(e->x_root), y = static_cast<int>(e->y_root);
    if (e->x >= w - kCorner && e->y >= h - kCorner)
        gtk_window_begin_resize_drag(window, GDK_WINDOW_EDGE_SOUTH_EAST, 1, x, y, e->time);
    else
        gtk_window_begin_move_drag(window, 1, x, y, e->time);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Minimal");
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(window), 290, 231);
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
    for (int i = 1; i < argc; ++i) {
        if (g_strcmp0(argv[i], "--label") == 0) {
            gtk_container_add(GTK_CONTAINER(window), gtk_label_new("Lumenta"));
        } else if (g_strcmp0(argv[i], "--decorated") == 0) {
            gtk_window_set_decorated(GTK_WINDOW(window), TRUE);
        } else if (g_strcmp0(argv[i], "--drag") == 0) {
            gtk_widget_add_events(window, GDK_BUTTON_PRESS_MASK);
            g_signal_connect(window, "button-press-event", G_CALLBACK(Pressed), nullptr);
        } else if (g_strcmp0(argv[i], "--title") == 0 && i + 1 < argc) {
            gtk_window_set_title(GTK_WINDOW(window), argv[++i]);
        }
    }
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);  // the label too
    gtk_main();
    return 0;
}
