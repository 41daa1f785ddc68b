#include "host/backends/gtk/gtk_accessible.h"

#include <gtk/gtk-a11y.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <array>
#include <vector>

#include "host/backends/gtk/gtk_host.h"

namespace tarvik::gtk {

namespace {

constexpr const char* kHostKey = "tarvik-host";
constexpr const char* kAskedKey = "tarvik-accessible-asked";
constexpr const char* kClickAction = "click";
constexpr const char* kActivateAction = "activate";  // the title bar's: its double-click, maximize or restore
constexpr std::size_t kChildren = kAccessibleElems.size();

// ATK has no grip role; a handle that resizes is what GTK 4 and ARIA call a separator.
AtkRole RoleConstant(AccessibleRole role) {
    switch (role) {
        case AccessibleRole::TitleBar: return ATK_ROLE_TITLE_BAR;
        case AccessibleRole::PushButton: return ATK_ROLE_PUSH_BUTTON;
        case AccessibleRole::Grip: return ATK_ROLE_SEPARATOR;
    }
    return ATK_ROLE_UNKNOWN;
}

GtkHost* HostOf(GtkWidget* window) {
    return window ? static_cast<GtkHost*>(g_object_get_data(G_OBJECT(window), kHostKey)) : nullptr;
}

std::vector<AccessibleItem> ItemsOf(GtkHost* host) {
    return host ? host->AccessibleItemsNow() : std::vector<AccessibleItem>();
}

int IndexOf(const std::vector<AccessibleItem>& items, Elem elem) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].elem == elem) return static_cast<int>(i);
    return -1;
}

// --- One painted control: AtkObject with AtkComponent and AtkAction ---------------------

struct TarvikElementAccessible {
    AtkObject parent;
    int elem;
    gchar* name;  // the last name handed out, kept alive for the caller
};

struct TarvikElementAccessibleClass {
    AtkObjectClass parent_class;
};

void ElementComponentInit(AtkComponentIface* iface);
void ElementActionInit(AtkActionIface* iface);

G_DEFINE_TYPE_WITH_CODE(TarvikElementAccessible, tarvik_element_accessible, ATK_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, ElementComponentInit)
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_ACTION, ElementActionInit))

TarvikElementAccessible* AsElement(gpointer object) { return reinterpret_cast<TarvikElementAccessible*>(object); }
Elem ElemOf(gpointer object) { return static_cast<Elem>(AsElement(object)->elem); }

// The window that the control belongs to, through its parent's widget.
GtkWidget* WindowOf(gpointer object) {
    AtkObject* parent = atk_object_get_parent(ATK_OBJECT(object));
    return parent && GTK_IS_ACCESSIBLE(parent) ? gtk_accessible_get_widget(GTK_ACCESSIBLE(parent)) : nullptr;
}

// The control as exposed now; false if it is not (hidden, minimized, or the window has gone).
bool Exposed(gpointer object, AccessibleItem* item) {
    const std::optional<AccessibleItem> found = FindAccessible(ItemsOf(HostOf(WindowOf(object))), ElemOf(object));
    if (found && item) *item = *found;
    return found.has_value();
}

const gchar* ElementName(AtkObject* object) {
    AccessibleItem item;
    TarvikElementAccessible* self = AsElement(object);
    g_free(self->name);
    self->name = Exposed(object, &item) ? g_strdup(item.name.c_str()) : nullptr;
    return self->name;
}

gint ElementIndex(AtkObject* object) { return IndexOf(ItemsOf(HostOf(WindowOf(object))), ElemOf(object)); }

AtkStateSet* ElementStates(AtkObject* object) {
    AtkStateSet* states = atk_state_set_new();
    if (Exposed(object, nullptr))
        for (AtkStateType s : {ATK_STATE_ENABLED, ATK_STATE_SENSITIVE, ATK_STATE_VISIBLE, ATK_STATE_SHOWING})
            atk_state_set_add_state(states, s);
    return states;
}

void ElementFinalize(GObject* object) {
    g_free(AsElement(object)->name);
    G_OBJECT_CLASS(tarvik_element_accessible_parent_class)->finalize(object);
}

void tarvik_element_accessible_class_init(TarvikElementAccessibleClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = ElementFinalize;
    klass->parent_class.get_name = ElementName;
    klass->parent_class.get_index_in_parent = ElementIndex;
    klass->parent_class.ref_state_set = ElementStates;
}

void tarvik_element_accessible_init(TarvikElementAccessible* self) {
    self->elem = 0;
    self->name = nullptr;
}

// The box in the coordinates asked for: the screen's, or the window's (which is the parent too).
void ElementExtents(AtkComponent* component, gint* x, gint* y, gint* w, gint* h, AtkCoordType coords) {
    *x = *y = *w = *h = 0;
    AccessibleItem item;
    if (!Exposed(component, &item)) return;
    int originX = 0, originY = 0;
    if (coords == ATK_XY_SCREEN) gdk_window_get_origin(gtk_widget_get_window(WindowOf(component)), &originX, &originY);
    *x = originX + item.box.x;
    *y = originY + item.box.y;
    *w = item.box.w;
    *h = item.box.h;
}

void ElementComponentInit(AtkComponentIface* iface) { iface->get_extents = ElementExtents; }

gint ActionCount(AtkAction* action) { return HasDefaultAction(ElemOf(action)) ? 1 : 0; }

const gchar* ActionName(AtkAction* action, gint i) {
    if (i != 0) return nullptr;
    switch (DefaultActionOf(ElemOf(action))) {
        case AccessibleAction::Click: return kClickAction;
        case AccessibleAction::DoubleClick: return kActivateAction;
        case AccessibleAction::None: break;
    }
    return nullptr;
}

// The action runs as the window's own next event, as the pointer's click (or double-click) would.
gboolean DoAction(AtkAction* action, gint i) {
    GtkWidget* window = WindowOf(action);
    if (i != 0 || !HasDefaultAction(ElemOf(action)) || !Exposed(action, nullptr)) return FALSE;
    struct Request {
        GtkWidget* window;
        Elem elem;
    };
    auto* request = new Request{GTK_WIDGET(g_object_ref(window)), ElemOf(action)};
    g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, +[](gpointer data) -> gboolean {
        auto* r = static_cast<Request*>(data);
        if (GtkHost* host = HostOf(r->window)) host->RunDefaultAction(r->elem);
        return G_SOURCE_REMOVE;
    }, request, +[](gpointer data) {
        auto* r = static_cast<Request*>(data);
        g_object_unref(r->window);
        delete r;
    });
    return TRUE;
}

void ElementActionInit(AtkActionIface* iface) {
    iface->get_n_actions = ActionCount;
    iface->get_name = ActionName;
    iface->get_localized_name = ActionName;
    iface->do_action = DoAction;
}

// --- The window: GtkWindowAccessible with the controls as children ----------------------

struct TarvikWindowAccessible {
    GtkWindowAccessible parent;
    std::array<AtkObject*, kChildren>* children;  // one per exposable element, owned
    std::vector<AccessibleItem>* announced;      // what screen readers were last told
};

struct TarvikWindowAccessibleClass {
    GtkWindowAccessibleClass parent_class;
};

void WindowComponentInit(AtkComponentIface* iface);

G_DEFINE_TYPE_WITH_CODE(TarvikWindowAccessible, tarvik_window_accessible, GTK_TYPE_WINDOW_ACCESSIBLE,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, WindowComponentInit))

TarvikWindowAccessible* AsWindow(gpointer object) { return reinterpret_cast<TarvikWindowAccessible*>(object); }

GtkHost* HostOfAccessible(gpointer object) { return HostOf(gtk_accessible_get_widget(GTK_ACCESSIBLE(object))); }

AtkObject* ChildFor(TarvikWindowAccessible* self, Elem elem) {
    return (*self->children)[static_cast<std::size_t>(AccessibleChildId(elem) - 1)];
}

void WindowInitialize(AtkObject* object, gpointer widget) {
    ATK_OBJECT_CLASS(tarvik_window_accessible_parent_class)->initialize(object, widget);
    TarvikWindowAccessible* self = AsWindow(object);
    for (std::size_t i = 0; i < kChildren; ++i) {
        AtkObject* child = ATK_OBJECT(g_object_new(tarvik_element_accessible_get_type(), nullptr));
        AsElement(child)->elem = static_cast<int>(kAccessibleElems[i]);
        atk_object_set_role(child, RoleConstant(RoleOf(kAccessibleElems[i])));
        atk_object_set_parent(child, object);
        (*self->children)[i] = child;
    }
    *self->announced = ItemsOf(HostOf(GTK_WIDGET(widget)));
    g_object_set_data(G_OBJECT(widget), kAskedKey, GINT_TO_POINTER(1));
}

gint WindowChildCount(AtkObject* object) { return static_cast<gint>(ItemsOf(HostOfAccessible(object)).size()); }

AtkObject* WindowChild(AtkObject* object, gint i) {
    const std::vector<AccessibleItem> items = ItemsOf(HostOfAccessible(object));
    if (i < 0 || i >= static_cast<gint>(items.size())) return nullptr;
    return ATK_OBJECT(g_object_ref(ChildFor(AsWindow(object), items[static_cast<std::size_t>(i)].elem)));
}

// The children hold their parent: they let go when the window goes, or the two would keep each other.
void ReleaseChildren(TarvikWindowAccessible* self) {
    for (AtkObject*& child : *self->children) {
        if (!child) continue;
        atk_object_set_parent(child, nullptr);
        g_object_unref(child);
        child = nullptr;
    }
}

void WindowWidgetUnset(GtkAccessible* object) {
    if (auto unset = GTK_ACCESSIBLE_CLASS(tarvik_window_accessible_parent_class)->widget_unset) unset(object);
    ReleaseChildren(AsWindow(object));
}

void WindowFinalize(GObject* object) {
    TarvikWindowAccessible* self = AsWindow(object);
    ReleaseChildren(self);
    delete self->children;
    delete self->announced;
    G_OBJECT_CLASS(tarvik_window_accessible_parent_class)->finalize(object);
}

void tarvik_window_accessible_class_init(TarvikWindowAccessibleClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = WindowFinalize;
    AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
    atk->initialize = WindowInitialize;
    atk->get_n_children = WindowChildCount;
    atk->ref_child = WindowChild;
    GTK_ACCESSIBLE_CLASS(klass)->widget_unset = WindowWidgetUnset;
}

void tarvik_window_accessible_init(TarvikWindowAccessible* self) {
    self->children = new std::array<AtkObject*, kChildren>{};
    self->announced = new std::vector<AccessibleItem>();
}

// The control that a click at the point would reach.
AtkObject* WindowAccessibleAt(AtkComponent* component, gint x, gint y, AtkCoordType coords) {
    GtkWidget* window = gtk_accessible_get_widget(GTK_ACCESSIBLE(component));
    GtkHost* host = HostOf(window);
    if (!host) return nullptr;
    if (coords == ATK_XY_SCREEN) {
        int originX = 0, originY = 0;
        gdk_window_get_origin(gtk_widget_get_window(window), &originX, &originY);
        x -= originX;
        y -= originY;
    }
    const std::optional<Elem> hit = host->AccessibleHitNow(x, y);
    return hit ? ATK_OBJECT(g_object_ref(ChildFor(AsWindow(component), *hit))) : nullptr;
}

void WindowComponentInit(AtkComponentIface* iface) { iface->ref_accessible_at_point = WindowAccessibleAt; }

// --- The window type -------------------------------------------------------------------------

struct TarvikWindow {
    GtkWindow parent;
};

struct TarvikWindowClass {
    GtkWindowClass parent_class;
};

G_DEFINE_TYPE(TarvikWindow, tarvik_window, GTK_TYPE_WINDOW)

void tarvik_window_class_init(TarvikWindowClass* klass) {
    gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(klass), tarvik_window_accessible_get_type());
}

void tarvik_window_init(TarvikWindow*) {}

}  // namespace

GType AccessibleWindowType() { return tarvik_window_get_type(); }

void SetAccessibleHost(GtkWidget* window, GtkHost* host) { g_object_set_data(G_OBJECT(window), kHostKey, host); }

// Children leave and join at their place in the list as it stands after each earlier change.
void AnnounceAccessibleChanges(GtkWidget* window) {
    if (!g_object_get_data(G_OBJECT(window), kAskedKey)) return;
    AtkObject* object = gtk_widget_get_accessible(window);
    TarvikWindowAccessible* self = AsWindow(object);
    std::vector<AccessibleItem> now = ItemsOf(HostOf(window));
    std::vector<Elem> listed;
    for (const AccessibleItem& item : *self->announced) listed.push_back(item.elem);
    for (const AccessibleEvent& event : AccessibleChanges(*self->announced, now)) {
        AtkObject* child = ChildFor(self, event.elem);
        switch (event.change) {
            case AccessibleChange::Hidden: {
                const auto at = std::find(listed.begin(), listed.end(), event.elem);
                const int index = static_cast<int>(at - listed.begin());
                listed.erase(at);
                atk_object_notify_state_change(child, ATK_STATE_SHOWING, FALSE);
                atk_object_notify_state_change(child, ATK_STATE_VISIBLE, FALSE);
                g_signal_emit_by_name(object, "children-changed::remove", index, child);
                break;
            }
            case AccessibleChange::Shown: {
                const auto at = std::find_if(listed.begin(), listed.end(), [&](Elem e) {
                    return AccessibleChildId(e) > AccessibleChildId(event.elem);
                });
                const int index = static_cast<int>(at - listed.begin());
                listed.insert(at, event.elem);
                g_signal_emit_by_name(object, "children-changed::add", index, child);
                atk_object_notify_state_change(child, ATK_STATE_VISIBLE, TRUE);
                atk_object_notify_state_change(child, ATK_STATE_SHOWING, TRUE);
                break;
            }
            case AccessibleChange::Renamed:
                g_object_notify(G_OBJECT(child), "accessible-name");
                break;
            case AccessibleChange::Moved: {
                AtkRectangle box{};
                ElementExtents(ATK_COMPONENT(child), &box.x, &box.y, &box.width, &box.height, ATK_XY_SCREEN);
                g_signal_emit_by_name(child, "bounds-changed", &box);
                break;
            }
        }
    }
    *self->announced = std::move(now);
}

}  // namespace tarvik::gtk
