// The comctl32 tooltip control of the window: one tool per visible element that has a text.
#pragma once

#include <array>
#include <string>

#include "host/runtime/display_scale.h"
#include "host/runtime/hit_test.h"
#include "host/backends/win32/win32_api.h"

namespace tarvik::win32 {

class ToolTips {
public:
    // Creates the control for the owner window.
    explicit ToolTips(::HWND owner);
    ~ToolTips();
    ToolTips(const ToolTips&) = delete;
    ToolTips& operator=(const ToolTips&) = delete;

    // Brings the element's tool in step with its rectangle (in device pixels at the scale),
    // visibility and text.
    void Sync(Elem elem, const ElementState& state, const DisplayScale& scale);
    // The control's window.
    ::HWND Window() const { return tip_; }
    // The text the control holds for the element's tool, "" when it has none (UTF-8).
    std::string Text(Elem elem) const;
    // Hands the control a mouse message its subclass does not see (one the window got as a
    // non-client message), at client pixel (x, y).
    void Relay(UINT msg, WPARAM keys, int x, int y);

private:
    ::HWND owner_;
    ::HWND tip_ = nullptr;
    std::array<bool, kElemCount> present_{};
};

}  // namespace tarvik::win32
