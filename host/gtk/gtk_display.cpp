// The X display around the window: the lost connection, named on stderr.
#include "host/gtk/gtk_host.h"

// After the program's own headers: X11's macros (None, Cursor) would clash with their names.
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <cstdio>

namespace tarvik::gtk {

namespace {

// Xlib's I/O error handler, which must not return: the X server went away under the program.
int LostDisplay(Display* display) {
    std::fprintf(stderr, "tarvik: lost the connection to the X display %s\n", DisplayString(display));
    _exit(1);
}

}  // namespace

// Names a lost X server on stderr (GDK's own handler ends the program without a word).
void GtkHost::WatchDisplay() { XSetIOErrorHandler(&LostDisplay); }

}  // namespace tarvik::gtk
