// The painted caption as the system knows it: the maximize button's hit-test answer and its
// non-client messages, the window menu of the title bar, and the smallest size.
#include <atomic>
#include <string>
#include <thread>

#include "tests/win32/check.h"
#include "tests/win32/support.h"

namespace tarvik::test {

namespace {

// Passes every event on to the core and writes down the pointer events (a repeated move once).
struct Recorder : FormEvents {
    explicit Recorder(FormEvents& core) : core(core) {}
    void Note(Elem e, const std::string& what) {
        const std::string event = ElemName(e) + what;
        if (log.size() < event.size() || log.compare(log.size() - event.size(), event.size(), event)) log += " " + event;
    }
    void OnLoad() override { core.OnLoad(); }
    void OnResize() override { core.OnResize(); }
    void OnFormMouseMove(const MouseArgs& a) override { log += " Form_MouseMove", core.OnFormMouseMove(a); }
    void OnMouseDown(Elem e, const MouseArgs& a) override { Note(e, "_MouseDown" + std::to_string(a.button)), core.OnMouseDown(e, a); }
    void OnMouseMove(Elem e, const MouseArgs& a) override { Note(e, "_MouseMove"), core.OnMouseMove(e, a); }
    void OnMouseUp(Elem e, const MouseArgs& a) override { Note(e, "_MouseUp" + std::to_string(a.button)), core.OnMouseUp(e, a); }
    void OnClick(Elem e) override { Note(e, "_Click"), core.OnClick(e); }
    void OnDblClick(Elem e) override { Note(e, "_DblClick"), core.OnDblClick(e); }
    void OnWindowStateChanged() override { core.OnWindowStateChanged(); }
    bool HandlesDblClick(Elem e) const override { return core.HandlesDblClick(e); }
    FormEvents& core;
    std::string log;
};

LPARAM At(::POINT p) { return MAKELPARAM(p.x, p.y); }

// A right click at a screen point while another thread waits for the window menu, notes where it
// shows and presses a key in it.
bool RightClickMenu(::POINT at, WORD key, RECT* where) {
    MoveMouse(at.x, at.y);
    std::atomic<bool> shown{false};
    std::thread chooser([&] {
        for (int i = 0; i < 300 && !shown; ++i) {
            const ::HWND menu = FindWindowW(L"#32768", nullptr);
            shown = menu && IsWindowVisible(menu) && GetWindowRect(menu, where);
            Sleep(10);
        }
        INPUT keys[2]{{INPUT_KEYBOARD, {}}, {INPUT_KEYBOARD, {}}};
        keys[0].ki.wVk = keys[1].ki.wVk = key;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
    });
    INPUT click[2]{{INPUT_MOUSE, {}}, {INPUT_MOUSE, {}}};
    click[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    SendInput(2, click, sizeof(INPUT));
    PumpUntil([&] { return shown.load(); });
    chooser.join();
    PumpIdle();
    return shown;
}

}  // namespace

TEST(MaximizeButtonAnswersHtMaxButtonAndBothRoutesGiveTheSameEvents) {
    std::string logs[2];
    for (int route = 0; route < 2; ++route) {
        Program p;
        const ::HWND w = p.host.Window();
        const PixelRect b = p.ElemPixels(Elem::Immax);
        for (const ::POINT c : {::POINT{b.x, b.y}, ::POINT{b.x + b.w - 1, b.y + b.h - 1}, ::POINT{b.x - 1, b.y},
                                ::POINT{b.x + b.w, b.y}, ::POINT{b.x, b.y + b.h}, ::POINT{100, 8}, ::POINT{145, 115}}) {
            const bool over = c.x >= b.x && c.x < b.x + b.w && c.y >= b.y && c.y < b.y + b.h;
            CHECK_EQ(LRESULT{over ? HTMAXBUTTON : HTCLIENT}, SendMessageW(w, WM_NCHITTEST, 0, At(p.Screen(c.x, c.y))));
        }
        Recorder recorder(p.form);
        p.host.Attach(&recorder);
        const ::POINT client{b.x + 4, b.y + 3};
        // The press takes the capture, so the system sends the release as a client message.
        SendMessageW(w, route ? WM_NCMOUSEMOVE : WM_MOUSEMOVE, route ? HTMAXBUTTON : 0, At(route ? p.Screen(client.x, client.y) : client));
        SendMessageW(w, route ? WM_NCLBUTTONDOWN : WM_LBUTTONDOWN, route ? HTMAXBUTTON : MK_LBUTTON, At(route ? p.Screen(client.x, client.y) : client));
        SendMessageW(w, WM_LBUTTONUP, 0, At(client));
        logs[route] = recorder.log;
        CHECK(IsZoomed(w));
        p.host.Attach(&p.form);
        PumpIdle();
    }
    CHECK_EQ(std::string(" Immax_MouseMove Immax_MouseDown1 Immax_MouseUp1 Immax_Click"), logs[0]);
    CHECK_EQ(logs[0], logs[1]);
    // Real input there arrives as non-client messages only; that its hover picture and tooltip come
    // through them is wine_caption_test's, on the real program.
}

TEST(RightClickOnTheTitleBarOpensTheWindowMenuAtThePointer) {
    Program p;
    Recorder recorder(p.form);
    p.host.Attach(&recorder);
    const ::POINT at = p.Screen(100, 8);
    RECT menu{};
    // Escape closes it with nothing done; the core had the right button's press and release.
    CHECK(RightClickMenu(at, VK_ESCAPE, &menu));
    CHECK_EQ(at.x * 10000L + at.y, menu.left * 10000L + menu.top);
    CHECK(!IsZoomed(p.host.Window()));
    CHECK_EQ(std::string(" IMBar_MouseDown2 IMBar_MouseUp2"), recorder.log.substr(recorder.log.find(" IMBar_MouseDown")));
    // Its Maximize item maximizes, and the window looks as the maximize button leaves it.
    CHECK(RightClickMenu(at, 'X', &menu));
    CHECK(PumpUntil([&] { return IsZoomed(p.host.Window()) != FALSE; }));
    CHECK_EQ(std::string("还原"), p.host.Elements()[static_cast<std::size_t>(Elem::Immax)].toolTip);
    p.host.Attach(&p.form);
}

TEST(TheSmallestSizeIsTheGripsSmallest) {
    Program p;
    MINMAXINFO info{};
    SendMessageW(p.host.Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    CHECK_EQ(167 * 10000L + 101, info.ptMinTrackSize.x * 10000L + info.ptMinTrackSize.y);
}

}  // namespace tarvik::test
