// ATK for the painted window: the window's accessible has a child for every exposed element
// (host/runtime/accessibility.h) with its name, role and extents, a `click` action on the buttons, and
// the changes announced as ATK signals.
#pragma once

#include <glib-object.h>

typedef struct _GtkWidget GtkWidget;

namespace tarvik::gtk {

class GtkHost;

// The GtkWindow type whose accessible lists the painted controls; the host's window is one.
GType AccessibleWindowType();

// Lets the window's accessible reach the host (null: the host has gone).
void SetAccessibleHost(GtkWidget* window, GtkHost* host);

// Tells listening screen readers what changed since the last call; nothing if none has asked.
void AnnounceAccessibleChanges(GtkWidget* window);

}  // namespace tarvik::gtk
