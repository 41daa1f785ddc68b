// What a screen reader finds through MSAA on the real window: the painted title bar, caption
// buttons and grips as children with names, roles and places; a maximize and back through the
// buttons' default action, with the WinEvents that announce it; and the minimize button.
#include <cstdio>
#include <vector>

#include "tests/win32/check.h"
#include "tests/win32/support.h"

#include <oleacc.h>

namespace tarvik::test {

namespace {

std::string Utf8(const wchar_t* text) {
    if (!text || !*text) return {};
    char buffer[256] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

VARIANT ChildId(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// One object as a screen reader reads it: "name | role | x,y wxh", with the child number in front.
std::string Describe(IAccessible* acc, long id) {
    BSTR name = nullptr;
    acc->get_accName(ChildId(id), &name);
    VARIANT role;
    VariantInit(&role);
    acc->get_accRole(ChildId(id), &role);
    wchar_t roleText[64] = {};
    GetRoleTextW(role.vt == VT_I4 ? role.lVal : 0, roleText, 64);
    LONG x = 0, y = 0, w = 0, h = 0;
    acc->accLocation(&x, &y, &w, &h, ChildId(id));
    char line[256];
    std::snprintf(line, sizeof line, "%ld \"%s\" %s at %ld,%ld %ldx%ld", id, Utf8(name).c_str(),
                  Utf8(roleText).c_str(), x, y, w, h);
    SysFreeString(name);
    return line;
}

// The client area's children as AccessibleChildren lists them, one description each.
std::vector<std::string> Tree(IAccessible* acc) {
    VARIANT children[16];
    LONG got = 0;
    AccessibleChildren(acc, 0, 16, children, &got);
    std::vector<std::string> lines;
    for (LONG i = 0; i < got; ++i) {
        lines.push_back(children[i].vt == VT_I4 ? Describe(acc, children[i].lVal) : "not a child number");
        VariantClear(&children[i]);
    }
    return lines;
}

void Print(const char* title, IAccessible* acc, const std::vector<std::string>& tree) {
    std::printf("%s\n  %s\n", title, Describe(acc, CHILDID_SELF).c_str());
    for (const std::string& line : tree) std::printf("    %s\n", line.c_str());
    std::fflush(stdout);
}

std::string Join(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
}

// WinEvents raised on the test's own window, as "event child" words.
std::string* g_events = nullptr;
::HWND g_window = nullptr;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, ::HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    if (!g_events || hwnd != g_window || object != OBJID_CLIENT || child == CHILDID_SELF) return;
    const char* name = event == EVENT_OBJECT_SHOW ? "show" : event == EVENT_OBJECT_HIDE ? "hide"
                       : event == EVENT_OBJECT_NAMECHANGE ? "name" : event == EVENT_OBJECT_LOCATIONCHANGE ? "move" : nullptr;
    if (name) *g_events += std::string(name) + " " + std::to_string(child) + ";";
}

// Runs a button's default action and waits for the window state it leads to.
bool Press(IAccessible* acc, long child, Program& p, int state) {
    if (acc->accDoDefaultAction(ChildId(child)) != S_OK) return false;
    return PumpUntil([&] { return p.host.WindowState() == state; });
}

}  // namespace

TEST(ScreenReadersFindTheCaptionAndFollowMaximizeRestoreAndMinimize) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* acc = nullptr;
    {
        Program p;
        CHECK_EQ(S_OK, AccessibleObjectFromWindow(p.host.Window(), OBJID_CLIENT, __uuidof(IAccessible),
                                                  reinterpret_cast<void**>(&acc)));
        if (!acc) return;
        // At 367,269, 290 x 231 pixels: the title bar up to the buttons, the buttons 17 x 16 on a
        // 21-pixel pitch, the grips along the bottom and right edges, the right one cut at the top.
        const std::vector<std::string> normal = Tree(acc);
        Print("MSAA tree, normal window:", acc, normal);
        CHECK_EQ(std::string("1 \"Lumenta\" title bar at 367,269 217x17\n"
                             "2 \"最小化\" push button at 584,277 17x16\n"
                             "3 \"最大化\" push button at 605,277 17x16\n"
                             "4 \"关闭\" push button at 626,277 17x16\n"
                             "5 \"调整高度\" grip at 367,487 274x13\n"
                             "6 \"调整宽度\" grip at 648,269 9x199\n"
                             "7 \"调整大小\" grip at 640,483 17x17\n"),
                 Join(normal));
        LONG count = 0;
        acc->get_accChildCount(&count);
        CHECK_EQ(7L, count);

        // Hit-testing answers what a click would reach: the corner grip over the bottom grip.
        const std::pair<::POINT, long> hits[] = {{{367 + 100, 269 + 5}, 1}, {{605 + 8, 277 + 8}, 3},
                                                 {{640, 490}, 7}, {{367 + 145, 269 + 115}, CHILDID_SELF}};
        for (const auto& [point, want] : hits) {
            VARIANT hit;
            acc->accHitTest(point.x, point.y, &hit);
            CHECK_EQ(std::to_string(want), hit.vt == VT_I4 ? std::to_string(hit.lVal) : "no child number");
        }
        // A button's default action is its click, the title bar's its double-click; a grip has none.
        const std::pair<long, const char*> actions[] = {{1, "Double Click"}, {3, "Press"}, {5, ""}, {7, ""}};
        for (const auto& [child, want] : actions) {
            BSTR action = nullptr;
            CHECK_EQ(*want ? S_OK : S_FALSE, acc->get_accDefaultAction(ChildId(child), &action));
            CHECK_EQ(std::string(want), action ? Utf8(action) : std::string());
            SysFreeString(action);
        }
        CHECK_EQ(DISP_E_MEMBERNOTFOUND, acc->accDoDefaultAction(ChildId(7)));

        // Maximize through the button's default action, watched as a screen reader watches.
        std::string events;
        g_events = &events;
        g_window = p.host.Window();
        const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_NAMECHANGE, nullptr, OnWinEvent,
                                                   GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
        CHECK(hook != nullptr);
        CHECK(Press(acc, 3, p, kMaximized));
        PumpIdle();
        const RECT work = WorkArea();
        const long w = work.right - work.left, h = work.bottom - work.top;
        const std::vector<std::string> maximized = Tree(acc);
        Print("MSAA tree, maximized window:", acc, maximized);
        const auto at = [](long x, long y, long cx, long cy) {
            return " at " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(cx) + "x" + std::to_string(cy) + "\n";
        };
        CHECK_EQ("1 \"Lumenta\" title bar" + at(work.left, work.top, w - 73, 17) +
                     "2 \"最小化\" push button" + at(work.left + w - 73, work.top + 8, 17, 16) +
                     "3 \"还原\" push button" + at(work.left + w - 52, work.top + 8, 17, 16) +
                     "4 \"关闭\" push button" + at(work.left + w - 31, work.top + 8, 17, 16) +
                     "7 \"调整大小\" grip" + at(work.left + w - 17, work.top + h - 17, 17, 17),
                 Join(maximized));
        BSTR gone = nullptr;
        CHECK_EQ(E_INVALIDARG, acc->get_accName(ChildId(5), &gone));
        CHECK_EQ(std::string("move 1;move 2;name 3;move 3;move 4;hide 5;hide 6;move 7;"), events);

        events.clear();
        CHECK(Press(acc, 3, p, kNormal));
        PumpIdle();
        CHECK_EQ(Join(normal), Join(Tree(acc)));
        CHECK_EQ(std::string("move 1;move 2;name 3;move 3;move 4;show 5;show 6;move 7;"), events);
        g_events = nullptr;
        UnhookWinEvent(hook);

        // The title bar's default action maximizes and restores, as its double-click does.
        CHECK(Press(acc, 1, p, kMaximized));
        CHECK(Press(acc, 1, p, kNormal));

        // Minimize: the window goes to the taskbar and shows, so exposes, nothing.
        CHECK(Press(acc, 2, p, kMinimized));
        CHECK(IsIconic(p.host.Window()));
        acc->get_accChildCount(&count);
        CHECK_EQ(0L, count);
    }
    // A screen reader may hold the object after the window has gone: it answers, but not as a window.
    LONG count = 0;
    CHECK_EQ(CO_E_OBJNOTCONNECTED, acc->get_accChildCount(&count));
    acc->Release();
    CoUninitialize();
}

}  // namespace tarvik::test
