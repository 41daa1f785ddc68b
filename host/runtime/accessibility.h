// What screen readers are told about the window: which painted elements stand for controls,
// in which role, under which name and where, and what a button's default action is. Pure
// functions of the element table and the window, shared by every backend; each backend only
// adapts them to its platform's accessibility interface (MSAA, ATK).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "host/runtime/hit_test.h"
#include "host/twips.h"

namespace tarvik {

// The kind of control an exposed element is.
enum class AccessibleRole : int { TitleBar, PushButton, Grip };

// What an element's default action does: a button's click, or the title bar's double-click
// (maximize or restore); a grip has none.
enum class AccessibleAction : int { None, Click, DoubleClick };

// The window as its accessible children depend on it.
struct AccessibleWindow {
    std::string caption;   // UTF-8
    int width = 0;         // face pixels
    int height = 0;
    bool minimized = false;
};

// One element a screen reader sees.
struct AccessibleItem {
    Elem elem = Elem::IMBar;
    AccessibleRole role = AccessibleRole::TitleBar;
    std::string name;  // UTF-8; "" for none
    PixelRect box{};   // face pixels, cut to the face
    bool operator==(const AccessibleItem& other) const;
};

// What changed for one element between two exposures.
enum class AccessibleChange : int { Shown, Hidden, Renamed, Moved };

struct AccessibleEvent {
    Elem elem;
    AccessibleChange change;
    bool operator==(const AccessibleEvent&) const = default;
};

// The elements that can be exposed, in reading order. An element's child number is its place
// here plus one, whether or not it is exposed now, so numbers stay put when grips hide.
inline constexpr std::array<Elem, 7> kAccessibleElems = {Elem::IMBar,   Elem::Immin,  Elem::Immax, Elem::Imclose,
                                                         Elem::Pbottom, Elem::Pright, Elem::Pjiao};

// The element's child number (1-based), or 0 if it is never exposed.
int AccessibleChildId(Elem elem);

// The element with that child number, if any.
std::optional<Elem> AccessibleElemOf(long childId);

// The role an exposable element takes.
AccessibleRole RoleOf(Elem elem);

// The element's default action.
AccessibleAction DefaultActionOf(Elem elem);

// Whether the element has a default action: the buttons and the title bar.
bool HasDefaultAction(Elem elem);

// The elements exposed now, in reading order: the visible ones that show on the face; none
// while the window is minimized.
std::vector<AccessibleItem> AccessibleItems(const ElementTable& elements, const AccessibleWindow& window);

// The exposed element that the pointer would reach at a face pixel, or none (bare face).
std::optional<Elem> AccessibleHit(const ElementTable& elements, const AccessibleWindow& window, int x, int y);

// The exposed element, if it is exposed now.
std::optional<AccessibleItem> FindAccessible(const std::vector<AccessibleItem>& items, Elem elem);

// What a screen reader must be told to go from one exposure to the next.
std::vector<AccessibleEvent> AccessibleChanges(const std::vector<AccessibleItem>& before,
                                               const std::vector<AccessibleItem>& after);

}  // namespace tarvik
