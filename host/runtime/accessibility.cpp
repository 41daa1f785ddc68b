#include "host/runtime/accessibility.h"

#include <algorithm>

namespace tarvik {

bool AccessibleItem::operator==(const AccessibleItem& other) const {
    return elem == other.elem && role == other.role && name == other.name && box.x == other.box.x &&
           box.y == other.box.y && box.w == other.box.w && box.h == other.box.h;
}

int AccessibleChildId(Elem elem) {
    const auto it = std::find(kAccessibleElems.begin(), kAccessibleElems.end(), elem);
    return it == kAccessibleElems.end() ? 0 : static_cast<int>(it - kAccessibleElems.begin()) + 1;
}

std::optional<Elem> AccessibleElemOf(long childId) {
    if (childId < 1 || childId > static_cast<long>(kAccessibleElems.size())) return std::nullopt;
    return kAccessibleElems[static_cast<std::size_t>(childId - 1)];
}

AccessibleRole RoleOf(Elem elem) {
    switch (elem) {
        case Elem::IMBar: return AccessibleRole::TitleBar;
        case Elem::Immin: case Elem::Immax: case Elem::Imclose: return AccessibleRole::PushButton;
        default: return AccessibleRole::Grip;
    }
}

AccessibleAction DefaultActionOf(Elem elem) {
    if (AccessibleChildId(elem) == 0) return AccessibleAction::None;
    switch (RoleOf(elem)) {
        case AccessibleRole::PushButton: return AccessibleAction::Click;
        case AccessibleRole::TitleBar: return AccessibleAction::DoubleClick;
        case AccessibleRole::Grip: break;
    }
    return AccessibleAction::None;
}

bool HasDefaultAction(Elem elem) { return DefaultActionOf(elem) != AccessibleAction::None; }

namespace {

// A grip's name: what it changes, in the words of the caption buttons' tooltips.
std::string GripName(Elem elem) {
    switch (elem) {
        case Elem::Pright: return "调整宽度";
        case Elem::Pbottom: return "调整高度";
        default: return "调整大小";
    }
}

}  // namespace

// The title bar is named by the caption, a button by the tooltip it shows now, a grip by what it changes.
std::vector<AccessibleItem> AccessibleItems(const ElementTable& elements, const AccessibleWindow& window) {
    std::vector<AccessibleItem> items;
    if (window.minimized) return items;
    for (Elem elem : kAccessibleElems) {
        const ElementState& e = elements[static_cast<std::size_t>(elem)];
        if (!e.visible) continue;
        const PixelRect r = TwipsRectToPixels(e.left, e.top, e.width, e.height);
        // Cut to the face: the right grip starts above the window's top.
        const int left = std::max(r.x, 0), top = std::max(r.y, 0);
        const int right = std::min(r.x + r.w, window.width), bottom = std::min(r.y + r.h, window.height);
        if (right <= left || bottom <= top) continue;
        AccessibleItem item;
        item.elem = elem;
        item.role = RoleOf(elem);
        item.name = item.role == AccessibleRole::TitleBar ? window.caption
                    : item.role == AccessibleRole::PushButton ? e.toolTip
                                                               : GripName(elem);
        item.box = {left, top, right - left, bottom - top};
        items.push_back(std::move(item));
    }
    return items;
}

// The runtime's own hit-test decides, so the answer is where a click would land.
std::optional<Elem> AccessibleHit(const ElementTable& elements, const AccessibleWindow& window, int x, int y) {
    if (window.minimized || x < 0 || y < 0 || x >= window.width || y >= window.height) return std::nullopt;
    const std::optional<Elem> hit = HitTest(elements, x, y);
    if (!hit || AccessibleChildId(*hit) == 0) return std::nullopt;
    return hit;
}

std::optional<AccessibleItem> FindAccessible(const std::vector<AccessibleItem>& items, Elem elem) {
    for (const AccessibleItem& item : items)
        if (item.elem == elem) return item;
    return std::nullopt;
}

// In reading order; a shown element is reported once, with no rename or move besides.
std::vector<AccessibleEvent> AccessibleChanges(const std::vector<AccessibleItem>& before,
                                               const std::vector<AccessibleItem>& after) {
    std::vector<AccessibleEvent> events;
    for (Elem elem : kAccessibleElems) {
        const std::optional<AccessibleItem> was = FindAccessible(before, elem), now = FindAccessible(after, elem);
        if (was && !now) events.push_back({elem, AccessibleChange::Hidden});
        if (!was && now) events.push_back({elem, AccessibleChange::Shown});
        if (!was || !now) continue;
        if (was->name != now->name) events.push_back({elem, AccessibleChange::Renamed});
        const PixelRect &a = was->box, &b = now->box;
        if (a.x != b.x || a.y != b.y || a.w != b.w || a.h != b.h) events.push_back({elem, AccessibleChange::Moved});
    }
    return events;
}

}  // namespace tarvik
