// The painted caption as the system knows it: the maximize button's hit-test answer and its
// non-client messages, the window menu of the title bar, and the smallest size.
#include <atomic>
#include <string>
#include <thread>

#include "tests/win32/check.h"
#include "tests/win32/support.h"

namespace tarvik::test {

namespace {

// Passes every event on to the core and writes down the pointer events it gets (a run of
// moves over one target once, as the system may repeat a move).
class Recorder : public FormEvents {
public:
    explicit Recorder(FormEvents& core) : core_(core) {}
    const std::string& Log() const { return log_; }

    void OnLoad() override { core_.OnLoad(); }
    void OnResize() override { core_.OnResize(); }
    void OnFormMouseMove(const MouseArgs& a) override { Note("Form_MouseMove"), core_.OnFormMouseMove(a); }
    void OnMouseDown(Elem e, const MouseArgs& a) override { Note(Name(e, "_MouseDown ", a)), core_.OnMouseDown(e, a); }
    void OnMouseMove(Elem e, const MouseArgs& a) override { Note(std::string(ElemName(e)) + "_MouseMove"), core_.OnMouseMove(e, a); }
    void OnMouseUp(Elem e, const MouseArgs& a) override { Note(Name(e, "_MouseUp ", a)), core_.OnMouseUp(e, a); }
    void OnClick(Elem e) override { Note(std::string(ElemName(e)) + "_Click"), core_.OnClick(e); }
    void OnDblClick(Elem e) override { Note(std::string(ElemName(e)) + "_DblClick"), core_.OnDblClick(e); }
    void OnWindowStateChanged() override { core_.OnWindowStateChanged(); }
    bool HandlesDblClick(Elem e) const override { return core_.HandlesDblClick(e); }

private:
    static std::string Name(Elem e, const char* event, const MouseArgs& a) {
        return ElemName(e) + std::string(event) + std::to_string(a.button) + " (" + std::to_string(a.x) + ", " +
               std::to_string(a.y) + ")";
    }
    void Note(const std::string& event) {
        if (event == last_ && event.find("MouseMove") != std::string::npos) return;
        log_ += (log_.empty() ? "" : " | ") + event;
        last_ = event;
    }
    FormEvents& core_;
    std::string log_, last_;
};

LPARAM Point(::POINT p) { return MAKELPARAM(p.x, p.y); }

// Counts the non-client mouse messages the system posts to the thread's windows.
std::atomic<int> nonClientMessages{0};
LRESULT CALLBACK CountNonClient(int code, WPARAM wparam, LPARAM lparam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lparam);
    if (code >= 0 && msg->message >= WM_NCMOUSEMOVE && msg->message <= WM_NCMBUTTONDBLCLK) ++nonClientMessages;
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// The window menu on show, found by its class; its rectangle in *where.
bool MenuShown(RECT* where) {
    ::HWND menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu) && GetWindowRect(menu, where);
}

void Key(WORD vk) {
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

void Right(DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof(INPUT));
}

// A right click on the title bar while another thread waits for the menu and presses a key in
// it; whether the menu showed, and where.
bool RightClickMenu(::POINT at, WORD key, RECT* where) {
    MoveMouse(at.x, at.y);
    std::atomic<bool> shown{false};
    std::thread chooser([&] {
        for (int i = 0; i < 300 && !shown; ++i) {
            if (MenuShown(where)) shown = true;
            else Sleep(10);
        }
        Sleep(100);
        Key(key);
    });
    Right(MOUSEEVENTF_RIGHTDOWN);
    Right(MOUSEEVENTF_RIGHTUP);
    PumpUntil([&] { return shown.load(); }, 3000);
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
        const PixelRect max = p.ElemPixels(Elem::Immax);
        const auto hit = [&](int x, int y) { return SendMessageW(w, WM_NCHITTEST, 0, Point(p.Screen(x, y))); };
        if (route == 0) {
            // The button's laid-out rectangle answers HTMAXBUTTON, every other point HTCLIENT.
            CHECK_EQ(LRESULT{HTMAXBUTTON}, hit(max.x, max.y));
            CHECK_EQ(LRESULT{HTMAXBUTTON}, hit(max.x + max.w - 1, max.y + max.h - 1));
            for (const ::POINT c : {::POINT{max.x - 1, max.y}, ::POINT{max.x + max.w, max.y + 5}, ::POINT{max.x + 5, max.y - 1},
                                    ::POINT{max.x + 5, max.y + max.h}, ::POINT{100, 8}, ::POINT{145, 115},
                                    ::POINT{p.ElemPixels(Elem::Immin).x + 5, max.y + 5},
                                    ::POINT{p.ElemPixels(Elem::Imclose).x + 5, max.y + 5}, ::POINT{287, 228}})
                CHECK_EQ(LRESULT{HTCLIENT}, hit(c.x, c.y));
        }
        Recorder recorder(p.form);
        p.host.Attach(&recorder);
        const ::POINT client{max.x + 4, max.y + 3};
        const ::POINT screen = p.Screen(client.x, client.y);
        if (route == 0) {
            SendMessageW(w, WM_MOUSEMOVE, 0, Point(client));
            SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(client));
            SendMessageW(w, WM_LBUTTONUP, 0, Point(client));
        } else {
            // The press takes the capture, so the system sends the release as a client message.
            SendMessageW(w, WM_NCMOUSEMOVE, HTMAXBUTTON, Point(screen));
            SendMessageW(w, WM_NCLBUTTONDOWN, HTMAXBUTTON, Point(screen));
            SendMessageW(w, WM_LBUTTONUP, 0, Point(client));
        }
        logs[route] = recorder.Log();  // before anything the real pointer may add
        PumpIdle();
        CHECK(IsZoomed(w));
        p.host.Attach(&p.form);
    }
    CHECK_EQ(std::string("Immax_MouseMove | Immax_MouseDown 1 (60.000000, 45.000000) | Immax_MouseUp 1 (60.000000, "
                         "45.000000) | Immax_Click"),
             logs[0]);
    CHECK_EQ(logs[0], logs[1]);
}

TEST(RealInputOverTheMaximizeButtonTakesTheNonClientRoute) {
    Program p;
    const PixelRect max = p.ElemPixels(Elem::Immax);
    const ::POINT centre = p.Screen(max.x + max.w / 2, max.y + max.h / 2);
    Recorder recorder(p.form);
    p.host.Attach(&recorder);
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, CountNonClient, nullptr, GetCurrentThreadId());
    MoveMouse(centre.x, centre.y + 80);
    MoveMouse(centre.x, centre.y);
    // Hover picture and tooltip, as over the client area.
    CHECK(PumpUntil([&] { return p.host.Elements()[static_cast<std::size_t>(Elem::Immax)].picture == Picture::A7; }));
    CHECK(PumpUntil([&] { return IsWindowVisible(p.host.ToolTipWindow()) != FALSE; }, 5000));
    CHECK_EQ(std::string("最大化"), p.host.ShownToolTip());
    PressLeft();
    CHECK(p.host.Elements()[static_cast<std::size_t>(Elem::Immax)].picture == Picture::A8);
    ReleaseLeft();
    UnhookWindowsHookEx(hook);
    CHECK(nonClientMessages.load() > 0);
    CHECK(IsZoomed(p.host.Window()));
    const std::string log = recorder.Log();
    const auto down = log.find("Immax_MouseDown 1"), up = log.find("Immax_MouseUp 1"), click = log.find("Immax_Click");
    CHECK(down != std::string::npos && down < up && up < click && click != std::string::npos);
    CHECK_EQ(std::string::npos, log.find("IMBar"));
    p.host.Attach(&p.form);
}

TEST(RightClickOnTheTitleBarOpensTheWindowMenuAtThePointer) {
    Program p;
    Recorder recorder(p.form);
    p.host.Attach(&recorder);
    const ::POINT at = p.Screen(100, 8);
    RECT menu{};
    // Escape closes it with nothing done; the core had the right button's press and release.
    CHECK(RightClickMenu(at, VK_ESCAPE, &menu));
    CHECK_EQ(at.x, menu.left);
    CHECK_EQ(at.y, menu.top);
    CHECK(!IsZoomed(p.host.Window()));
    CHECK(recorder.Log().find("IMBar_MouseDown 2 (1500.000000, 120.000000) | IMBar_MouseUp 2 (1500.000000, 120.000000)") !=
          std::string::npos);
    // Its Maximize item maximizes, and the window looks as the maximize button leaves it.
    CHECK(RightClickMenu(at, 'X', &menu));
    CHECK(PumpUntil([&] { return IsZoomed(p.host.Window()) != FALSE; }));
    CHECK_EQ(std::string("还原"), p.host.Elements()[static_cast<std::size_t>(Elem::Immax)].toolTip);
    CHECK(!p.host.Elements()[static_cast<std::size_t>(Elem::Pbottom)].visible);
    p.host.Attach(&p.form);
}

TEST(TheSmallestSizeIsTheGripsSmallest) {
    Program p;
    MINMAXINFO info{};
    SendMessageW(p.host.Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    CHECK_EQ(167L, static_cast<long>(info.ptMinTrackSize.x));
    CHECK_EQ(101L, static_cast<long>(info.ptMinTrackSize.y));
}

}  // namespace tarvik::test
