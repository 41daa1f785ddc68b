// MSAA for the painted window: the client area answers WM_GETOBJECT with an IAccessible whose
// children are the exposed elements (host/runtime/accessibility.h), and changes to them are announced
// with NotifyWinEvent.
#pragma once

#include <memory>
#include <vector>

#include "host/runtime/accessibility.h"
#include "host/backends/win32/win32_api.h"

namespace tarvik::win32 {

class Win32Host;
class ClientAccessible;

// Posted to the window to run a button's default action as an event of its own (wParam: the Elem).
inline constexpr UINT kDefaultActionMessage = WM_APP + 1;

// What the objects that clients hold know of the window; the host is cleared when it goes.
struct AccessibleLink {
    Win32Host* host;
};

// The window's side of MSAA; one per window.
class Accessibility {
public:
    explicit Accessibility(Win32Host& host);
    // Cuts every object that clients still hold loose from the window.
    ~Accessibility();
    Accessibility(const Accessibility&) = delete;
    Accessibility& operator=(const Accessibility&) = delete;

    // Answers WM_GETOBJECT; 0 for objects that the system's defaults describe.
    LRESULT GetObject(WPARAM wparam, LPARAM lparam);
    // Something that screen readers see may have changed.
    void MarkChanged() { changed_ = true; }
    // Raises the WinEvents for what changed since the last announcement.
    void Announce();

private:
    Win32Host& host_;
    std::shared_ptr<AccessibleLink> link_;
    ClientAccessible* client_ = nullptr;  // one reference held here, handed out at every request
    std::vector<AccessibleItem> announced_;
    bool changed_ = true;
};

}  // namespace tarvik::win32
