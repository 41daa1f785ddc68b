// Program entry of the native Linux program: the one window, its core, and the GTK main loop.
// No command line is read.
#include "app/form1.h"
#include "host/gtk/gtk_host.h"

// After the program's own headers: X11's macros (None, Cursor) would clash with their names.
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <string>

namespace {

// What a user without a usable X display is told: what the program needs and what DISPLAY holds.
std::string NoDisplayMessage() {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    std::string message = "Tarvik needs an X11 display: an X server, or Xwayland on a Wayland desktop.\n";
    if (!display || !*display)
        message += "DISPLAY is not set";
    else
        message += std::string("DISPLAY is \"") + display + "\", but no X server accepted a connection there";
    if (wayland && *wayland)
        message += std::string(" (this is a Wayland session, WAYLAND_DISPLAY \"") + wayland +
                   "\": is Xwayland installed and enabled?)";
    message += ".\nStart Tarvik from a desktop session, or set DISPLAY to a running X server (for example :0).\n";
    return message;
}

}  // namespace

// Creates Form1 on the GTK host and runs it; the exit status is 0 after Unload, 1 after an unhandled failure.
int main() {
    // The window places itself, cuts its own outline and hands moves to the window manager: X11
    // (XWayland on a Wayland desktop) gives all of that, Wayland itself none of the first two.
    gdk_set_allowed_backends("x11");
    if (!gtk_init_check(nullptr, nullptr)) {
        g_printerr("%s", NoDisplayMessage().c_str());
        return 1;
    }
    try {
        tarvik::gtk::GtkHost host(tarvik::Form1Design());
        tarvik::Form1 form(host);
        host.Attach(&form);
        return host.Run();
    } catch (const tarvik::Failure& failure) {
        // The window could not even be created.
        GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_OK,
                                                   "Tarvik (gtk): %s", failure.what());
        gtk_window_set_title(GTK_WINDOW(dialog), "Tarvik");
        gtk_dialog_run(GTK_DIALOG(dialog));
        gtk_widget_destroy(dialog);
        return 1;
    }
}
