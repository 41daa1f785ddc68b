// gtk-minimal: the smallest GTK 3 program with a window like tarvik's (undecorated, 290 x 231,
// centred), painted by the theme; the yardstick for tarvik's start-up time and memory. With
// --label it also shows the word "Lumenta" in a label, so that fonts are loaded as tarvik loads them.
#include <gtk/gtk.h>

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Minimal");
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(window), 290, 231);
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
    if (argc > 1 && g_strcmp0(argv[1], "--label") == 0) gtk_container_add(GTK_CONTAINER(window), gtk_label_new("Lumenta"));
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show(window);
    gtk_main();
    return 0;
}
