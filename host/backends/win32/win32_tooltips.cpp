#include "host/backends/win32/win32_tooltips.h"

#include <commctrl.h>

#include "host/design.h"
#include "host/twips.h"

namespace tarvik::win32 {

namespace {

constexpr int kInitialDelayMs = 500;

// A tool description for the element; the control copies what it needs.
TTTOOLINFOW ToolInfo(::HWND owner, Elem elem) {
    TTTOOLINFOW info{};
    // The version 2 size is understood by every comctl32, with or without the manifest.
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = owner;
    info.uId = static_cast<UINT_PTR>(elem);
    return info;
}

// UTF-16 text as UTF-8.
std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

ToolTips::ToolTips(::HWND owner) : owner_(owner) {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    if (!tip_) throw Failure("win32: CreateWindowExW for the tooltip control failed" + LastError());
    SendMessageW(tip_, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(kInitialDelayMs, 0));
}

ToolTips::~ToolTips() {
    if (tip_) DestroyWindow(tip_);
}

void ToolTips::Sync(Elem elem, const ElementState& state, const DisplayScale& scale) {
    const std::size_t i = static_cast<std::size_t>(elem);
    TTTOOLINFOW info = ToolInfo(owner_, elem);
    const bool wanted = state.visible && !state.toolTip.empty();
    if (!wanted) {
        if (present_[i]) SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        present_[i] = false;
        return;
    }
    const PixelRect r = scale.TwipsRectToDevice(state.left, state.top, state.width, state.height);
    info.rect = {r.x, r.y, r.x + r.w, r.y + r.h};
    std::wstring text = Widen(state.toolTip);
    info.lpszText = text.data();
    if (!present_[i]) {
        if (!SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)))
            throw Failure("win32: TTM_ADDTOOL failed for " + std::string(ElemName(elem)));
        present_[i] = true;
        return;
    }
    SendMessageW(tip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

std::string ToolTips::Text(Elem elem) const {
    if (!present_[static_cast<std::size_t>(elem)]) return {};
    wchar_t buffer[256] = {};
    TTTOOLINFOW info = ToolInfo(owner_, elem);
    info.lpszText = buffer;
    // TTM_GETTEXTW takes the buffer's length in wParam from comctl32 6 on.
    SendMessageW(tip_, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
    return Narrow(buffer);
}

void ToolTips::Relay(UINT msg, WPARAM keys, int x, int y) {
    MSG relayed{};
    relayed.hwnd = owner_;
    relayed.message = msg;
    relayed.wParam = keys;
    relayed.lParam = MAKELPARAM(x, y);
    relayed.time = static_cast<DWORD>(GetMessageTime());
    GetCursorPos(&relayed.pt);
    SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

}  // namespace tarvik::win32
